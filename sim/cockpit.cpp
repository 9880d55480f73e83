#include "sim/cockpit.h"

#include "sim/frame_text.h"

#include <ncurses.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <langinfo.h>
#include <stdexcept>

namespace sim {
namespace {

constexpr int kLabelColumns = 4; // three letters and a blank
constexpr double kTankStep = 0.05;
constexpr int kEscape = 27;
// 128 + SIGINT, as a shell reports a program that Ctrl-C ended.
constexpr int kInterruptedStatus = 130;

std::wstring Wide(const std::string& utf8) {
    std::wstring out;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        wchar_t cp = extra == 0 ? c : c & (0x3F >> extra);
        ++i;
        for (; extra > 0 && i < utf8.size(); --extra, ++i)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
        // Control characters would move the terminal's cursor; show them as blanks.
        out += cp < 0x20 || cp == 0x7F ? L' ' : cp;
    }
    return out;
}

std::string Narrow(const std::wstring& wide) {
    std::string out;
    for (wchar_t w : wide) {
        const auto cp = static_cast<uint32_t>(w);
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

// The keys of the four buttons of each display, top to bottom.
const char kLeftKeys[] = "1234";
const char kRightKeys[] = "7890";

int OtherDisplay(int display) {
    return display == MFD_LEFT ? MFD_RIGHT : MFD_LEFT;
}

std::string Percent(double level) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f %%", level * 100);
    return text;
}

// A display's text as cells: row y / ch, column x / cw, as the host's grid; the title's cells
// keep their own style.
struct Grid {
    std::vector<std::wstring> text;
    std::vector<std::vector<CockpitStyle>> styles;
};

Grid FrameGrid(const Frame& frame) {
    Grid grid;
    const int cw = std::max(1, frame.cellWidth);
    const int ch = std::max(1, frame.cellHeight);
    for (const TextRun& run : frame.runs) {
        if (run.x < 0 || run.y < 0)
            continue;
        const size_t row = static_cast<size_t>(run.y / ch);
        const size_t column = static_cast<size_t>(run.x / cw);
        const std::wstring text = Wide(Cp1252ToUtf8(run.text));
        if (grid.text.size() <= row) {
            grid.text.resize(row + 1);
            grid.styles.resize(row + 1);
        }
        std::wstring& line = grid.text[row];
        std::vector<CockpitStyle>& styles = grid.styles[row];
        if (line.size() < column + text.size()) {
            line.resize(column + text.size(), L' ');
            styles.resize(column + text.size(), CockpitStyle::Text);
        }
        line.replace(column, text.size(), text);
        std::fill(styles.begin() + static_cast<long>(column),
                  styles.begin() + static_cast<long>(column + text.size()),
                  run.title ? CockpitStyle::Title : CockpitStyle::Text);
    }
    return grid;
}

struct HelpItem {
    const wchar_t* keys;
    const wchar_t* what;
};

const HelpItem kHelp[] = {
    {L"1-4/7-0", L"buttons"}, {L"Tab", L"ship"}, {L"o/c O/C", L"L/R on/off"},
    {L"t/T", L"tank ±5%"},    {L"s", L"save"},   {L"q", L"quit"},
};

} // namespace

// --- CockpitScreen ---

CockpitScreen::CockpitScreen(int columns_, int rows_)
    : columns(std::max(0, columns_)), rows(std::max(0, rows_)),
      text(static_cast<size_t>(rows), std::wstring(static_cast<size_t>(columns), L' ')),
      styles(static_cast<size_t>(rows),
             std::vector<CockpitStyle>(static_cast<size_t>(columns), CockpitStyle::Plain)) {}

void CockpitScreen::Put(int row, int column, const std::wstring& s, CockpitStyle style) {
    if (row < 0 || row >= rows)
        return;
    for (size_t i = 0; i < s.size(); ++i) {
        const long c = column + static_cast<long>(i);
        if (c < 0)
            continue;
        if (c >= columns)
            break;
        text[row][c] = s[i];
        styles[row][c] = style;
    }
}

void CockpitScreen::Fill(int row, int column, int count, wchar_t c, CockpitStyle style) {
    if (count > 0)
        Put(row, column, std::wstring(static_cast<size_t>(count), c), style);
}

std::string CockpitScreen::RowUtf8(int row) const {
    if (row < 0 || row >= rows)
        return std::string();
    return Narrow(text[row]);
}

std::string CockpitScreen::AllUtf8() const {
    std::string all;
    for (int r = 0; r < rows; ++r)
        all += RowUtf8(r) + "\n";
    return all;
}

// --- Cockpit ---

Cockpit::Cockpit(Host& host, CockpitOptions options) : host_(host), options_(std::move(options)) {
    if (options_.refreshMilliseconds < 1)
        options_.refreshMilliseconds = 1000;
    lastSaved_ = SavedState();
}

Cockpit::Action Cockpit::HandleKey(int key) {
    switch (prompt_) {
    case Prompt::FileName:
        HandlePromptKey(key);
        return Action::None;
    case Prompt::Overwrite:
    case Prompt::Quit:
        return HandleAnswer(key);
    case Prompt::None:
        break;
    }
    if (key == 'q') {
        if (SavedState() == lastSaved_)
            return Action::Quit;
        prompt_ = Prompt::Quit;
        status_.clear();
        return Action::None;
    }
    if (key == KEY_RESIZE)
        return Action::None;
    if (const char* k = key > 0 && key < 128 ? std::strchr(kLeftKeys, key) : nullptr) {
        PressButton(MFD_LEFT, static_cast<int>(k - kLeftKeys));
        return Action::None;
    }
    if (const char* k = key > 0 && key < 128 ? std::strchr(kRightKeys, key) : nullptr) {
        PressButton(MFD_RIGHT, static_cast<int>(k - kRightKeys));
        return Action::None;
    }
    switch (key) {
    case '\t':
        NextShip(1);
        break;
    case KEY_BTAB:
        NextShip(-1);
        break;
    case 'o':
        OpenDisplay(MFD_LEFT);
        break;
    case 'O':
        OpenDisplay(MFD_RIGHT);
        break;
    case 'c':
        CloseDisplay(MFD_LEFT);
        break;
    case 'C':
        CloseDisplay(MFD_RIGHT);
        break;
    case 't':
        ChangeTank(kTankStep);
        break;
    case 'T':
        ChangeTank(-kTankStep);
        break;
    case 's':
        if (!options_.saveScenario) {
            status_ = "Saving is not available here.";
        } else {
            prompt_ = Prompt::FileName;
            promptText_.clear();
            status_.clear();
        }
        break;
    default:
        if (key >= 0x20 && key < 0x7F)
            status_ = std::string("Key ") + static_cast<char>(key) +
                      " does nothing; the keys are on the bottom line.";
        break;
    }
    return Action::None;
}

void Cockpit::PressButton(int display, int button) {
    active_ = display;
    if (!host_.IsOpen(display)) {
        status_ = "The " + DisplayName(display) +
                  " display is off: " + (display == MFD_LEFT ? "o" : "O") + " switches it on.";
        return;
    }
    const std::optional<std::string> label = host_.Label(display, button);
    // A click: the press, which the display acts on, then the release.
    host_.Press(display, button, PANEL_MOUSE_LBDOWN);
    host_.Press(display, button, PANEL_MOUSE_LBUP);
    const std::vector<std::string> menu = host_.Menu(display);
    const char key = (display == MFD_LEFT ? kLeftKeys : kRightKeys)[button];
    status_ = DisplayName(display) + " button " + key;
    if (label)
        status_ += " (" + Cp1252ToUtf8(*label) + ")";
    if (static_cast<size_t>(button) < menu.size() && !menu[button].empty())
        status_ += ": " + Cp1252ToUtf8(menu[button]);
}

void Cockpit::NextShip(int step) {
    const std::vector<Vessel*> vessels = host_.Vessels();
    if (vessels.empty()) {
        status_ = "The scenario has no ships.";
        return;
    }
    if (vessels.size() == 1) {
        status_ = "The scenario has only one ship.";
        return;
    }
    long index = 0;
    for (size_t i = 0; i < vessels.size(); ++i)
        if (vessels[i] == host_.Focus())
            index = static_cast<long>(i);
    const long n = static_cast<long>(vessels.size());
    index = ((index + step) % n + n) % n;
    Vessel* next = vessels[static_cast<size_t>(index)];
    host_.SetFocus(next);
    status_ = "Focus: " + std::string(next->Name()) + " (" + next->ClassName() + ")";
}

void Cockpit::OpenDisplay(int display) {
    active_ = display;
    if (host_.IsOpen(display)) {
        status_ = "The " + DisplayName(display) + " display is on already.";
        return;
    }
    if (!host_.Focus()) {
        status_ = "No ship to show: the scenario has no ships.";
        return;
    }
    if (options_.openDisplay) {
        try {
            options_.openDisplay(display);
        } catch (const std::exception& e) {
            status_ = std::string("Cannot switch it on: ") + e.what();
            return;
        }
    } else if (!host_.OpenDisplay(display, options_.mode, options_.width, options_.height)) {
        status_ = "Mode " + options_.mode + " is not available; the " + DisplayName(display) +
                  " display stays off.";
        return;
    }
    status_ = DisplayName(display) + " display on: " + options_.mode + ".";
}

void Cockpit::CloseDisplay(int display) {
    if (!host_.IsOpen(display)) {
        status_ = "The " + DisplayName(display) + " display is off already.";
        return;
    }
    if (options_.closeDisplay) {
        try {
            options_.closeDisplay(display);
        } catch (const std::exception& e) {
            status_ = std::string("Cannot switch it off: ") + e.what();
            return;
        }
    } else {
        host_.CloseDisplay(display);
    }
    status_ = DisplayName(display) + " display off.";
    if (active_ == display && host_.IsOpen(OtherDisplay(display)))
        active_ = OtherDisplay(display);
}

bool Cockpit::SelectedTank(Vessel*& vessel, size_t& tank) {
    int display = active_;
    if (!host_.IsOpen(display))
        display = OtherDisplay(display);
    vessel = host_.Focus();
    tank = 0;
    if (host_.IsOpen(display)) {
        vessel = host_.DisplayAt(display)->vessel;
        // The display's selection, as it writes it into a scenario.
        for (const std::string& line : host_.WriteStatus(display)) {
            const std::string clean = ScenarioReader::Clean(line);
            long index = 0;
            if (std::sscanf(clean.c_str(), "TANK_INDEX %ld", &index) == 1 && index > 0)
                tank = static_cast<size_t>(index);
        }
    }
    if (!vessel || vessel->TankCount() == 0)
        return false;
    if (tank >= vessel->TankCount())
        tank = 0; // as the tank page shows an index out of range
    return true;
}

void Cockpit::ChangeTank(double step) {
    Vessel* vessel = nullptr;
    size_t tank = 0;
    if (!SelectedTank(vessel, tank)) {
        status_ = vessel ? std::string(vessel->Name()) + " has no tanks." : "There is no ship.";
        return;
    }
    const double before = vessel->TankLevel(tank);
    // Whole steps of 5 %, so that a level like 0.62 goes to 0.65 and back to 0.60.
    double level = (step > 0 ? std::floor(before / kTankStep + 1e-6) + 1
                             : std::ceil(before / kTankStep - 1e-6) - 1) *
                   kTankStep;
    level = std::clamp(level, 0.0, 1.0);
    vessel->SetTankLevel(tank, level);
    status_ =
        std::string(vessel->Name()) + " tank " + std::to_string(tank + 1) + ": " + Percent(level);
    if (level == before)
        status_ += step > 0 ? " (full)" : " (empty)";
}

void Cockpit::HandlePromptKey(int key) {
    if (key == '\n' || key == '\r' || key == KEY_ENTER) {
        prompt_ = Prompt::None;
        std::error_code ec;
        if (promptText_.empty()) {
            status_ = "Not saved.";
        } else if (const auto file = std::filesystem::status(promptText_, ec);
                   std::filesystem::exists(file) && !std::filesystem::is_directory(file)) {
            prompt_ = Prompt::Overwrite; // a folder is no file to lose: the save says why it fails
        } else {
            Save(promptText_);
        }
    } else if (key == kEscape) {
        prompt_ = Prompt::None;
        status_ = "Not saved.";
    } else if (key == KEY_BACKSPACE || key == 127 || key == 8) {
        // Remove one UTF-8 character: its continuation bytes and its lead byte.
        while (!promptText_.empty() &&
               (static_cast<unsigned char>(promptText_.back()) & 0xC0) == 0x80)
            promptText_.pop_back();
        if (!promptText_.empty())
            promptText_.pop_back();
    } else if (key >= 0x20 && key <= 0xFF && key != 0x7F && promptText_.size() < 4096) {
        promptText_ += static_cast<char>(key);
    }
}

Cockpit::Action Cockpit::HandleAnswer(int key) {
    if (key == KEY_RESIZE) // the terminal changed size: no answer
        return Action::None;
    const bool yes = key == 'y' || key == 'Y';
    const Prompt question = prompt_;
    prompt_ = Prompt::None;
    if (question == Prompt::Quit) {
        if (yes)
            return Action::Quit;
        status_ = "Did not quit; s saves the changes.";
    } else if (yes) {
        Save(promptText_);
    } else {
        status_ = "Not saved: " + promptText_ + " is left as it was.";
    }
    return Action::None;
}

void Cockpit::Save(const std::string& path) {
    try {
        options_.saveScenario(path);
        status_ = "Saved the scenario to " + path + ".";
        lastSaved_ = SavedState();
        savedOnce_ = true;
    } catch (const std::exception& e) {
        status_ = std::string("Cannot save: ") + e.what();
    }
}

// As Session::SaveText reads the host: the focus, each cockpit display's mode and status, the
// tank levels and the module's block. The rest of a save is the scenario as read.
std::vector<std::string> Cockpit::SavedState() {
    std::vector<std::string> state{host_.Focus() ? host_.Focus()->Name() : std::string()};
    for (int id = 0; id < kDisplayCount; ++id) {
        state.push_back(DisplayName(id) + (host_.IsOpen(id) ? " " + host_.ModeOf(id) : " off"));
        if (host_.IsOpen(id))
            for (const std::string& line : host_.WriteStatus(id))
                state.push_back(line);
    }
    for (const Vessel* vessel : host_.Vessels()) {
        state.push_back(vessel->Name());
        for (size_t tank = 0; tank < vessel->TankCount(); ++tank) {
            char level[40];
            std::snprintf(level, sizeof level, "%a", vessel->TankLevel(tank)); // every bit
            state.push_back(level);
        }
    }
    for (const std::string& line : host_.SaveState())
        state.push_back(line);
    return state;
}

void Cockpit::PutPrompt(CockpitScreen& screen, int row) const {
    std::wstring ask;
    std::wstring typed;
    switch (prompt_) {
    case Prompt::None:
        return;
    case Prompt::FileName:
        ask = L"Save scenario as: ";
        typed = Wide(promptText_);
        break;
    case Prompt::Overwrite:
        typed = Wide(promptText_) + L" exists: overwrite? (y/n) ";
        break;
    case Prompt::Quit:
        ask = savedOnce_
                  ? L"The scenario has changed since the last save: quit without saving? (y/n) "
                  : L"The scenario has changed since the start: quit without saving? (y/n) ";
        break;
    }
    screen.Put(row, 0, ask, CockpitStyle::Status);
    // A long line scrolls so that its end, where the typing or the question is, stays in view.
    const int room = std::max(0, screen.columns - static_cast<int>(ask.size()) - 1);
    if (static_cast<int>(typed.size()) > room)
        typed = typed.substr(typed.size() - static_cast<size_t>(room));
    screen.Put(row, static_cast<int>(ask.size()), typed,
               prompt_ == Prompt::FileName ? CockpitStyle::Plain : CockpitStyle::Status);
    screen.cursorRow = row;
    screen.cursorColumn =
        std::min(std::max(0, screen.columns - 1), static_cast<int>(ask.size() + typed.size()));
}

void Cockpit::RenderTooSmall(CockpitScreen& screen) const {
    char size[96];
    std::snprintf(size, sizeof size, "This terminal is %d x %d; the cockpit needs %d x %d.",
                  screen.columns, screen.rows, kCockpitMinColumns, kCockpitMinRows);
    const std::wstring lines[] = {L"Terminal too small", Wide(size),
                                  L"Enlarge the window, or press q to quit."};
    const int top = std::max(0, screen.rows / 2 - 2);
    for (int i = 0; i < 3; ++i) {
        const std::wstring& line = lines[i];
        // Lines wider than the terminal start at its left edge, so their start shows.
        const int column = std::max(0, (screen.columns - static_cast<int>(line.size())) / 2);
        screen.Put(top + i, column, line, i == 0 ? CockpitStyle::Warning : CockpitStyle::Plain);
    }
    if (screen.rows > 0) // keys still work here, so what they answer shows
        PutPrompt(screen, std::min(top + 4, screen.rows - 1));
}

void Cockpit::RenderPanel(CockpitScreen& screen, int display, int left, int width, int top,
                          int screenRows) {
    const bool open = host_.IsOpen(display);
    const char* keys = display == MFD_LEFT ? kLeftKeys : kRightKeys;

    // Title rule: ─ Left · Kelvane · t/T: tank 2 ───
    std::string title = DisplayName(display);
    title += open ? " · " + host_.ModeOf(display) : std::string(" · off");
    Vessel* vessel = nullptr;
    size_t tank = 0;
    if (display == (host_.IsOpen(active_) ? active_ : OtherDisplay(active_)) && open &&
        SelectedTank(vessel, tank))
        title +=
            " · t/T: tank " + std::to_string(tank + 1) + " " + Percent(vessel->TankLevel(tank));
    screen.Fill(top, left, width, L'─', CockpitStyle::Frame);
    screen.Put(top, left + 1, L" " + Wide(title) + L" ", CockpitStyle::Frame);

    const int screenLeft = left + kLabelColumns;
    const int first = top + 1;
    if (!open) {
        const std::wstring off = std::wstring(L"Display off: ") +
                                 (display == MFD_LEFT ? L"o" : L"O") + L" switches it on";
        screen.Put(first + screenRows / 2, screenLeft, off, CockpitStyle::Frame);
        return;
    }

    const Frame frame = host_.Draw(display);
    const int cw = std::max(1, frame.cellWidth);
    const int ch = std::max(1, frame.cellHeight);
    const int displayColumns = std::max(1, (frame.width - cw / 2) / cw);
    const int displayRows = std::max(1, frame.height / ch);
    const int screenColumns = std::min(width - kLabelColumns, displayColumns + 1);
    const int visibleRows = std::min(screenRows, displayRows);

    // The glass: a black area as wide as the display's text, as high as fits.
    for (int r = 0; r < visibleRows; ++r)
        screen.Fill(first + r, screenLeft, screenColumns, L' ', CockpitStyle::Text);
    const Grid grid = FrameGrid(frame);
    for (size_t r = 0; r < grid.text.size() && static_cast<int>(r) < visibleRows; ++r) {
        const std::wstring& line = grid.text[r];
        for (size_t c = 0; c < line.size() && static_cast<int>(c) < screenColumns; ++c)
            screen.Put(first + static_cast<int>(r), screenLeft + static_cast<int>(c),
                       std::wstring(1, line[c]), grid.styles[r][c]);
    }
    // Rows past the display's bottom are off the glass in the cockpit too; only rows that the
    // terminal cuts get the mark.
    if (std::min(static_cast<int>(grid.text.size()), displayRows) > visibleRows)
        screen.Put(first + visibleRows - 1, left + kLabelColumns - 2, L"▼", CockpitStyle::Frame);

    // Labels beside the buttons, spaced as the cockpit spaces its six buttons a side.
    for (int b = 0; b < 4; ++b) {
        const int row = std::min(visibleRows - 1, (2 * b + 1) * displayRows / 12);
        const std::optional<std::string> label = frame.labels[b];
        std::wstring cap = label ? Wide(Cp1252ToUtf8(*label)) : std::wstring();
        cap.resize(kLabelColumns - 1, L' ');
        screen.Put(first + row, left, cap, label ? CockpitStyle::Label : CockpitStyle::Plain);
    }

    // The menu: two rows of two entries, each behind its key.
    const std::vector<std::string> menu = host_.Menu(display);
    std::wstring entries[4];
    for (int b = 0; b < 4; ++b)
        if (static_cast<size_t>(b) < menu.size())
            entries[b] = Wide(Cp1252ToUtf8(menu[b]));
    const int firstColumn =
        2 + static_cast<int>(std::max(entries[0].size(), entries[2].size())) + 1;
    for (int b = 0; b < 4; ++b) {
        if (entries[b].empty())
            continue;
        const int row = first + screenRows + b / 2;
        const int column = left + (b % 2 == 0 ? 0 : std::min(firstColumn, width / 2));
        // Room up to one blank before the next panel; a longer entry ends in an ellipsis.
        const int room = std::max(0, left + width - column - 3);
        std::wstring entry = entries[b];
        if (static_cast<int>(entry.size()) > room)
            entry = room > 0 ? entry.substr(0, static_cast<size_t>(room - 1)) + L"…" : L"";
        screen.Put(row, column, std::wstring(1, static_cast<wchar_t>(keys[b])),
                   CockpitStyle::Label);
        screen.Put(row, column + 2, entry, CockpitStyle::Menu);
    }
}

CockpitScreen Cockpit::Render(int columns, int rows) {
    CockpitScreen screen(columns, rows);
    if (columns < kCockpitMinColumns || rows < kCockpitMinRows) {
        RenderTooSmall(screen);
        return screen;
    }
    // Heading.
    std::string heading = " KELVANE COCKPIT";
    if (Vessel* focus = host_.Focus()) {
        const std::vector<Vessel*> vessels = host_.Vessels();
        size_t index = 0;
        for (size_t i = 0; i < vessels.size(); ++i)
            if (vessels[i] == focus)
                index = i;
        heading += "   Focus: " + std::string(focus->Name()) + " (" + focus->ClassName() +
                   "), ship " + std::to_string(index + 1) + " of " + std::to_string(vessels.size());
    } else {
        heading += "   No ships";
    }
    screen.Fill(0, 0, columns, L' ', CockpitStyle::Heading);
    screen.Put(0, 0, Wide(heading), CockpitStyle::Heading);

    const int screenRows = rows - 6; // heading, panel titles, two menu rows, status, help
    const int half = columns / 2;
    RenderPanel(screen, MFD_LEFT, 0, half, 1, screenRows);
    RenderPanel(screen, MFD_RIGHT, half, columns - half, 1, screenRows);

    const int statusRow = rows - 2;
    if (prompt_ != Prompt::None) {
        PutPrompt(screen, statusRow);
    } else {
        screen.Put(statusRow, 0, Wide(status_), CockpitStyle::Status);
    }

    int column = 0;
    for (const HelpItem& item : kHelp) {
        screen.Put(rows - 1, column, item.keys, CockpitStyle::Label);
        column += static_cast<int>(std::wcslen(item.keys)) + 1;
        screen.Put(rows - 1, column, item.what, CockpitStyle::Help);
        column += static_cast<int>(std::wcslen(item.what)) + 2;
    }
    return screen;
}

// --- the terminal ---

namespace {

// Wide characters (µ, box lines) need a UTF-8 locale; a bare environment has none set.
void UseUtf8Locale() {
    if (std::setlocale(LC_ALL, "") && std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0)
        return;
    if (!std::setlocale(LC_ALL, "C.UTF-8"))
        std::setlocale(LC_ALL, "");
}

attr_t StyleAttributes(CockpitStyle style, bool colour) {
    const auto pair = [&](int n) { return colour ? COLOR_PAIR(n) : A_NORMAL; };
    switch (style) {
    case CockpitStyle::Heading:
        return pair(1) | A_BOLD | (colour ? A_NORMAL : A_REVERSE);
    case CockpitStyle::Frame:
        return pair(2);
    case CockpitStyle::Title:
        return pair(3) | A_BOLD;
    case CockpitStyle::Text:
        return pair(4);
    case CockpitStyle::Label:
        return A_REVERSE | A_BOLD;
    case CockpitStyle::Menu:
        return A_NORMAL;
    case CockpitStyle::Status:
        return pair(5) | A_BOLD;
    case CockpitStyle::Help:
        return A_NORMAL;
    case CockpitStyle::Warning:
        return pair(6) | A_BOLD;
    case CockpitStyle::Plain:
        break;
    }
    return A_NORMAL;
}

void Paint(const CockpitScreen& screen, bool colour) {
    erase();
    for (int r = 0; r < screen.rows; ++r) {
        int c = 0;
        while (c < screen.columns) {
            const CockpitStyle style = screen.styles[r][c];
            int end = c;
            while (end < screen.columns && screen.styles[r][end] == style)
                ++end;
            attrset(StyleAttributes(style, colour));
            mvaddnwstr(r, c, screen.text[r].c_str() + c, end - c);
            c = end;
        }
    }
    attrset(A_NORMAL);
    if (screen.cursorRow >= 0) {
        curs_set(1);
        move(screen.cursorRow, screen.cursorColumn);
    } else {
        curs_set(0);
    }
    refresh();
}

volatile std::sig_atomic_t gInterrupted = 0;

void OnInterrupt(int) {
    gInterrupted = 1;
}

// Ctrl-C ends the cockpit through its own way out, so that the terminal is restored and the
// session ends as after q. Set before ncurses starts, which then leaves SIGINT alone (its own
// handler would exit with status 1). A second Ctrl-C kills at once, should the first go unseen.
class InterruptCatcher {
public:
    InterruptCatcher() {
        gInterrupted = 0;
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND; // and no SA_RESTART: a waiting getch returns
        installed_ = sigaction(SIGINT, nullptr, &previous_) == 0 &&
                     previous_.sa_handler != SIG_IGN && // as a background job: stays ignored
                     sigaction(SIGINT, &action, nullptr) == 0;
    }
    ~InterruptCatcher() {
        if (installed_)
            sigaction(SIGINT, &previous_, nullptr);
    }
    InterruptCatcher(const InterruptCatcher&) = delete;
    InterruptCatcher& operator=(const InterruptCatcher&) = delete;

private:
    struct sigaction previous_ {};
    bool installed_ = false;
};

} // namespace

int RunCockpit(Host& host, const CockpitOptions& options) {
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
        std::cerr << "kelvane-sim: the interactive cockpit needs a terminal\n";
        return 1;
    }
    UseUtf8Locale();
    const InterruptCatcher interrupts;
    SCREEN* terminal = newterm(nullptr, stdout, stdin);
    if (!terminal) {
        const char* term = std::getenv("TERM");
        std::cerr << "kelvane-sim: cannot use the terminal (TERM=" << (term ? term : "unset")
                  << ")\n";
        return 1;
    }
    set_term(terminal);
    cbreak();
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    set_escdelay(50);
    const bool colour = has_colors();
    if (colour) {
        start_color();
        use_default_colors();
        init_pair(1, COLOR_WHITE, COLOR_BLUE);  // heading
        init_pair(2, COLOR_CYAN, -1);           // frame
        init_pair(3, COLOR_WHITE, COLOR_BLACK); // display title, light grey as the host draws it
        init_pair(4, COLOR_WHITE, COLOR_BLACK); // display text
        init_pair(5, COLOR_YELLOW, -1);         // status
        init_pair(6, COLOR_RED, -1);            // warning
    }

    Cockpit cockpit(host, options);
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::milliseconds(cockpit.RefreshMilliseconds());
    bool quit = false;
    try {
        bool dirty = true;
        Clock::time_point drawn = Clock::now();
        while (!quit && !gInterrupted) {
            const Clock::time_point now = Clock::now();
            if (dirty || now - drawn >= period) {
                Paint(cockpit.Render(COLS, LINES), colour);
                drawn = now;
                dirty = false;
            }
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
                period - (Clock::now() - drawn));
            timeout(static_cast<int>(std::max<long long>(1, wait.count())));
            const int key = getch();
            if (key == ERR || gInterrupted)
                continue;
            dirty = true;
            quit = cockpit.HandleKey(key) == Cockpit::Action::Quit;
        }
    } catch (...) {
        endwin();
        delscreen(terminal);
        throw;
    }
    endwin();
    delscreen(terminal);
    if (quit)
        return 0;
    std::cerr << "kelvane-sim: interrupted\n";
    return kInterruptedStatus;
}

} // namespace sim
