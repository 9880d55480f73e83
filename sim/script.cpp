#include "sim/script.h"

#include "sim/display_picture.h"
#include "sim/frame_text.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <ostream>
#include <regex>
#include <sstream>

namespace sim {
namespace {

// The display's buttons, MOD, UNT, NOT and TNK/ENG, as --help and the display's menu list them.
constexpr long kButtonCount = 4;

} // namespace

std::vector<std::string> SplitCommands(const std::string& line) {
    std::vector<std::string> commands;
    std::string current;
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        if (c == ';' && !quoted) {
            commands.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    commands.push_back(current);
    return commands;
}

std::vector<std::string> SplitWords(const std::string& command) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (char c : command) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t' || c == '\r') && !quoted) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted)
        throw SessionError("a double quote is not closed");
    if (inWord)
        words.push_back(word);
    return words;
}

int ScriptInterpreter::DisplayArgument(const std::string& text) {
    const int id = ParseDisplayId(text);
    if (id < 0)
        throw SessionError("unknown display '" + text +
                           "' (expected Left, Right or an id 0 to 11; the displays named 3 to 12 "
                           "are ids 2 to 11)");
    return id;
}

DisplayRef ScriptInterpreter::AnyDisplayArgument(const std::string& text) {
    if (ParseDisplayId(text) >= 0)
        return ParseDisplayId(text);
    if (!session_.HasWindow(text))
        throw SessionError("unknown display '" + text +
                           "' (expected Left, Right, an id 0 to 11 or an open window's name; the "
                           "displays named 3 to 12 are ids 2 to 11)");
    return DisplayRef::Window(text);
}

std::string DisplaySizeError(const std::string& text) {
    static const std::regex form("([0-9]{1,4})x([0-9]{1,4})");
    std::smatch m;
    if (!std::regex_match(text, m, form))
        return "expected WxH, such as 320x240, found '" + text + "'";
    for (int i = 1; i <= 2; ++i) {
        const int n = std::stoi(m[i].str());
        if (n < 128 || n > 1024)
            return "each side of the display is from 128 to 1024 pixels, found '" + text + "'";
    }
    return std::string();
}

void ParseDisplaySize(const std::string& text, DWORD& width, DWORD& height) {
    const std::string error = DisplaySizeError(text);
    if (!error.empty())
        throw SessionError(error);
    const size_t x = text.find('x');
    width = static_cast<DWORD>(std::stoul(text.substr(0, x)));
    height = static_cast<DWORD>(std::stoul(text.substr(x + 1)));
}

long ScriptInterpreter::IntegerArgument(const std::string& text, const char* what, int base) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, base);
    if (text.empty() || *end != '\0' || errno == ERANGE || value < -2147483647L - 1 ||
        value > 2147483647L)
        throw SessionError(std::string("expected ") + what + ", found '" + text + "'");
    return value;
}

ScriptInterpreter::ScriptInterpreter(Session& session, std::ostream& out)
    : session_(session), out_(out) {
    Session& s = session_;
    // A vessel's name may hold blanks ("Blue Bird"): it is every word the command leaves.
    auto name = [](Arguments::const_iterator from, Arguments::const_iterator to) {
        std::string joined;
        for (auto word = from; word != to; ++word)
            joined += (word == from ? "" : " ") + *word;
        return joined;
    };
    const size_t anyNumber = static_cast<size_t>(-1);
    AddCommand({"focus", "NAME", "switch the cockpit to vessel NAME; open displays reopen on it", 1,
                anyNumber,
                [&s, name](const Arguments& a) { s.SetFocus(name(a.begin(), a.end())); }});
    AddCommand({"open", "MFD", "open display MFD (Left, Right or 0 to 11) in the Kelvane mode", 1,
                1, [&s](const Arguments& a) { s.Open(DisplayArgument(a[0])); }});
    AddCommand({"close", "MFD", "close display MFD", 1, 1,
                [&s](const Arguments& a) { s.Close(DisplayArgument(a[0])); }});
    AddCommand({"draw", "MFD", "redraw display MFD (or a window) and print it", 1, 1,
                [this, &s, &out](const Arguments& a) {
                    const DisplayRef display = AnyDisplayArgument(a[0]);
                    out << FrameListing(s.Draw(display), display.Heading());
                }});
    AddCommand({"pause", "", "pause the simulation: its time stands still, real time runs on", 0, 0,
                [&s](const Arguments&) { s.GetHost().SetPaused(true); }});
    AddCommand({"resume", "", "let the simulation time run again", 0, 0,
                [&s](const Arguments&) { s.GetHost().SetPaused(false); }});
    AddCommand(
        {"frame", "[SECONDS]",
         "run one frame (default 0.02 s) and print each display the host redraws in it: every "
         "0.5 s of simulation time, at most ten a second, or at once when the display asks",
         0, 1, [&s, &out](const Arguments& a) {
             double seconds = host_model::kFrameSeconds;
             if (!a.empty()) {
                 char* end = nullptr;
                 seconds = std::strtod(a[0].c_str(), &end);
                 if (a[0].empty() || *end != '\0' || !(seconds > 0 && seconds <= 3600))
                     throw SessionError("expected a frame length in seconds (more than 0, at "
                                        "most 3600), found '" +
                                        a[0] + "'");
             }
             const std::vector<ScheduledRedraw> redraws = s.GetHost().RunFrame(seconds);
             if (redraws.empty())
                 out << "[frame] no display redrawn\n";
             for (const ScheduledRedraw& r : redraws)
                 out << FrameListing(r.frame, r.Heading());
         }});
    AddCommand({"press", "MFD BUTTON [EVENT]",
                "press button 0 to 3 of MFD (or a window; another number is refused); EVENT is "
                "the event mask (default 0x01, left down)",
                2, 3, [this, &s, &out](const Arguments& a) {
                    const DisplayRef display = AnyDisplayArgument(a[0]);
                    const long button = IntegerArgument(a[1], "a button number");
                    if (button < 0 || button >= kButtonCount)
                        throw SessionError("no button " + a[1] + " (the buttons are 0 to " +
                                           std::to_string(kButtonCount - 1) + ")");
                    const long event = a.size() > 2
                                           ? IntegerArgument(a[2], "an event mask such as 0x01", 0)
                                           : PANEL_MOUSE_LBDOWN;
                    if (!s.Press(display, static_cast<int>(button), static_cast<int>(event)))
                        out << "[press] " << display.Description() << " ignored button " << button
                            << "\n";
                }});
    AddCommand({"menu", "MFD", "print the button menu of display MFD (or a window)", 1, 1,
                [this, &s, &out](const Arguments& a) {
                    const std::vector<std::string> menu = s.Menu(AnyDisplayArgument(a[0]));
                    for (size_t i = 0; i < menu.size(); ++i)
                        out << "[menu] " << i << ": " << menu[i] << "\n";
                }});
    AddCommand({"delete", "NAME",
                "delete vessel NAME as the host does: when it is the focus, the focus first moves "
                "to the first other vessel (the cockpit's displays reopen there); then the module "
                "is told; then each window that shows it moves to the focus",
                1, anyNumber,
                [&s, name](const Arguments& a) { s.DeleteVessel(name(a.begin(), a.end())); }});
    AddCommand(
        {"set", "NAME tank I LEVEL",
         "fill tank I of vessel NAME to LEVEL, a fraction of its capacity (0 to 1); tanks count "
         "from 0, as the host's interface does, while the display shows them from 1 (tank 0 is "
         "the display's Tank 1)",
         3, anyNumber, [&s, name](const Arguments& a) {
             const size_t n = a.size();
             // "set NAME tank I": the level alone is missing, whatever words the name has.
             if (a[n - 2] == "tank" && (n < 4 || a[n - 3] != "tank"))
                 throw SessionError("the level is missing: expected 'set NAME tank I LEVEL', "
                                    "LEVEL a fraction of the tank's capacity from 0 to 1");
             if (n < 4)
                 throw SessionError("expected 'set NAME tank I LEVEL'");
             const std::string& tankWord = a[n - 3];
             const std::string& index = a[n - 2];
             const std::string& levelText = a[n - 1];
             if (tankWord != "tank")
                 throw SessionError("expected 'set NAME tank I LEVEL', found '" + tankWord +
                                    "' after the vessel's name");
             const long tank = IntegerArgument(index, "a tank number");
             if (tank < 0)
                 throw SessionError("expected a tank number of 0 or more, found '" + index + "'");
             if (levelText == "none")
                 throw SessionError("a tank cannot be set to 'none': give its level, a "
                                    "fraction of its capacity from 0 to 1");
             char* end = nullptr;
             const double level = std::strtod(levelText.c_str(), &end);
             if (levelText.empty() || *end != '\0' || !std::isfinite(level))
                 throw SessionError("expected a level from 0 to 1, found '" + levelText + "'");
             s.SetTankLevel(name(a.begin(), a.end() - 3), static_cast<size_t>(tank), level);
         }});
    AddCommand({"png", "MFD FILE",
                "redraw display MFD (or a window) and write its picture to FILE (PNG, the display "
                "in its bezel)",
                2, 2, [this, &s](const Arguments& a) {
                    WriteDisplayPng(s.Draw(AnyDisplayArgument(a[0])), a[1]);
                }});
    AddCommand({"save", "FILE", "save the scenario to FILE, as the host saves it", 1, 1,
                [&s](const Arguments& a) { s.SaveFile(a[0]); }});
    AddCommand({"load", "FILE",
                "end this session as the host does (displays close, vessels go, the module is "
                "told) and start scenario FILE",
                1, 1, [&s](const Arguments& a) { s.LoadFile(a[0]); }});
    AddCommand({"window open", "NAME",
                "open an external MFD window NAME (a word that is no display's name) in the "
                "Kelvane mode on the focus vessel, at the displays' size; it follows the focus",
                1, 1, [&s](const Arguments& a) { s.OpenWindow(a[0]); }});
    AddCommand({"window size", "NAME WxH",
                "resize window NAME (each side 128 to 1024): its display closes, then opens at the "
                "new size",
                2, 2, [&s](const Arguments& a) {
                    DWORD width = 0, height = 0;
                    ParseDisplaySize(a[1], width, height);
                    s.ResizeWindow(a[0], width, height);
                }});
    AddCommand({"window choose", "NAME",
                "choose the Kelvane mode again on window NAME: a new display opens, then the old "
                "one closes",
                1, 1, [&s](const Arguments& a) { s.ChooseWindowMode(a[0]); }});
    AddCommand({"window stick", "NAME on|off",
                "stick window NAME to its vessel, or let it follow the focus again (off moves it "
                "to the focus vessel)",
                2, 2, [&s](const Arguments& a) {
                    if (a[1] != "on" && a[1] != "off")
                        throw SessionError(
                            "expected 'on' or 'off' after the window's name, found '" + a[1] + "'");
                    s.StickWindow(a[0], a[1] == "on");
                }});
    AddCommand({"window close", "NAME", "close window NAME", 1, 1,
                [&s](const Arguments& a) { s.CloseWindow(a[0]); }});
    AddCommand({"quit fast", "[FILE]",
                "end the run as the host's fast shutdown does: the save on exit (into FILE when "
                "given), opcCloseRenderViewport and the unload with every display still open; "
                "nothing after it runs",
                0, 1, [&s](const Arguments& a) { s.QuitFast(a.empty() ? std::string() : a[0]); }});
}

void ScriptInterpreter::AddCommand(Command command) {
    for (Command& existing : commands_)
        if (existing.name == command.name) {
            existing = std::move(command);
            return;
        }
    commands_.push_back(std::move(command));
}

std::string ScriptInterpreter::CommandHelp() const {
    std::string text;
    for (const Command& c : commands_) {
        std::string head = "  " + c.name + (c.usage.empty() ? "" : " " + c.usage);
        if (head.size() < 26)
            head.resize(26, ' ');
        else
            head += "\n" + std::string(26, ' ');
        text += head + c.help + "\n";
    }
    return text;
}

void ScriptInterpreter::Execute(const Arguments& words) {
    for (const Command& c : commands_) {
        const std::vector<std::string> name = SplitWords(c.name);
        if (words.size() < name.size() || !std::equal(name.begin(), name.end(), words.begin()))
            continue;
        const Arguments arguments(words.begin() + static_cast<long>(name.size()), words.end());
        if (arguments.size() < c.minArguments || arguments.size() > c.maxArguments)
            throw SessionError("expected '" + c.name + " " + c.usage + "'");
        c.run(arguments);
        return;
    }
    std::string names;
    bool grouped = false; // the first word of a group's commands: name the second word too
    for (const Command& c : commands_) {
        names += (names.empty() ? "" : ", ") + c.name;
        grouped = grouped || (words.size() > 1 && c.name.rfind(words[0] + " ", 0) == 0);
    }
    throw SessionError("unknown command '" + words[0] + (grouped ? " " + words[1] : "") +
                       "' (the commands are " + names + ")");
}

void ScriptInterpreter::Run(const std::string& text, const std::string& source) {
    std::istringstream lines(text);
    std::string line;
    size_t number = 0;
    while (std::getline(lines, line)) {
        ++number;
        // '#' starts a comment, except inside a quoted word.
        bool quoted = false;
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '"')
                quoted = !quoted;
            if (line[i] == '#' && !quoted) {
                line.erase(i);
                break;
            }
        }
        // A line of several commands names the failing one by its place among them (empty
        // pieces, as after a final ';', do not count).
        const std::vector<std::string> commands = SplitCommands(line);
        const auto isCommand = [](const std::string& command) {
            return command.find_first_not_of(" \t\r") != std::string::npos;
        };
        const auto count = std::count_if(commands.begin(), commands.end(), isCommand);
        long place = 0;
        try {
            for (const std::string& command : commands) {
                if (!isCommand(command))
                    continue;
                ++place;
                Execute(SplitWords(command));
                if (session_.Ended())
                    break; // a fast shutdown ended the process
            }
        } catch (const std::exception& e) {
            throw ScriptError(source + ":" + std::to_string(number) + ": " +
                              (count > 1 ? "command " + std::to_string(place) + ": " : "") +
                              e.what());
        }
        if (session_.Ended())
            break;
    }
    out_.flush();
}

void ScriptInterpreter::RunFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ScriptError(path + ": cannot read the script: " + std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    Run(text.str(), path);
}

} // namespace sim
