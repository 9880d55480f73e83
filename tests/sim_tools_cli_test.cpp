// kelvane-sim's pictures and live cockpit, run as a user runs them: the program itself, and for
// the cockpit a real terminal inside a detached tmux server.
#include "png_reader.h"
#include "sim/display_picture.h"
#include "sim/host.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace picture_test;

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

struct Result {
    int status = -1;
    std::string out; // stdout and stderr together
};

Result Shell(const std::string& command) {
    Result r;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return r;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        r.out.append(buffer, n);
    const int raw = pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

Result Sim(const std::string& arguments) {
    return Shell(Quote(KELVANE_SIM_PATH) + " " + arguments);
}

bool Exists(const std::string& path) {
    return std::ifstream(path).good();
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Lit screen pixels, and those in the title colour.
struct ScreenCheck {
    int titlePixels = 0;
    int litPixels = 0;
};

ScreenCheck CheckScreen(const Image& image, const sim::PictureLayout& layout) {
    ScreenCheck c;
    const Rgb title = FromColorref(sim::kTitleColour);
    for (int y = layout.screen.y; y < layout.screen.y + layout.screen.height; ++y)
        for (int x = layout.screen.x; x < layout.screen.x + layout.screen.width; ++x) {
            const Rgb p = image.At(x, y);
            c.litPixels += p.Black() ? 0 : 1;
            c.titlePixels += p == title ? 1 : 0;
        }
    return c;
}

TEST(SimPng, PictureOfTheLeftDisplayFollowsSize) {
    struct Case {
        std::string option;
        int width, height;
    };
    const Case cases[] = {{"", 256, 256},
                          {"--size 128x128", 128, 128},
                          {"--size 320x200", 320, 200},
                          {"--size 1024x768", 1024, 768},
                          {"--size 200x1024", 200, 1024}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        TempFile png("sim.png");
        const Result r = Sim(c.option + " --png " + Quote(png.path));
        ASSERT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(r.out, ""); // only the picture: no listing
        const Image image = ReadPng(png.path);
        const sim::PictureLayout layout = sim::LayoutPicture(c.width, c.height);
        EXPECT_EQ(image.width, layout.width);
        EXPECT_EQ(image.height, layout.height);
        const ScreenCheck check = CheckScreen(image, layout);
        EXPECT_GT(check.titlePixels, 5);
        // Text covers a small part of the screen; the rest is black.
        EXPECT_GT(check.litPixels, 50);
        EXPECT_LT(check.litPixels, c.width * c.height / 5);
    }
}

TEST(SimPng, ScriptCommandDrawsTheDisplayAsTheScriptLeftIt) {
    TempFile mass("mass.png");
    TempFile tanks("tanks.png");
    const Result r = Sim("-e " + Quote("open Right; png Right " + mass.path +
                                       "; press Right 0; png Right " + tanks.path));
    ASSERT_EQ(r.status, 0) << r.out;
    const Image a = ReadPng(mass.path);
    const Image b = ReadPng(tanks.path);
    ASSERT_EQ(a.width, b.width);
    ASSERT_EQ(a.height, b.height);
    // The title row changes from Mass to Tanks; so does label 3, which appears on TANKS.
    const sim::PictureLayout layout = sim::LayoutPicture(256, 256);
    int titleDiffers = 0;
    for (int y = layout.screen.y; y < layout.screen.y + 11; ++y)
        for (int x = layout.screen.x; x < layout.screen.x + layout.screen.width; ++x)
            titleDiffers += a.At(x, y) == b.At(x, y) ? 0 : 1;
    EXPECT_GT(titleDiffers, 10);
    int labelDiffers = 0;
    const sim::PixelRect& label = layout.labels[3];
    for (int y = label.y; y < label.y + label.height; ++y)
        for (int x = label.x; x < label.x + label.width; ++x)
            labelDiffers += a.At(x, y) == b.At(x, y) ? 0 : 1;
    EXPECT_GT(labelDiffers, 10);
}

TEST(SimPng, FailuresAreReportedAndWriteNothing) {
    struct Case {
        std::string arguments;
        std::string message;
    };
    TempFile png("failed.png");
    const std::string target = Quote(png.path);
    const Case cases[] = {
        {"--png /nonexistent-dir/out.png", "cannot write /nonexistent-dir/out.png"},
        {"-e 'no-such-command' --png " + target, "unknown command"},
        {"--size 100x100 --png " + target, "128 to 1024"},
        {"-e 'png Left " + png.path + "'", "display Left is not open"},
        {"-e 'open Left; png Left' ", "expected 'png MFD FILE'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const Result r = Sim(c.arguments);
        EXPECT_NE(r.status, 0);
        EXPECT_NE(r.out.find(c.message), std::string::npos) << r.out;
        EXPECT_FALSE(Exists(png.path));
    }
}

// A detached tmux server of its own, with one session running a command in a terminal of the
// given size. Nothing of the caller's terminal is needed: CI runs without one.
class Tmux {
public:
    Tmux() : socket_("kelvane-test-" + std::to_string(getpid())) {}
    ~Tmux() { Run("kill-server"); }

    bool Start(const std::string& command, int columns, int rows) {
        return Run("-f /dev/null new-session -d -s cockpit -x " + std::to_string(columns) + " -y " +
                   std::to_string(rows) + " " + Quote(command))
                   .status == 0;
    }
    std::string Screen() { return Run("capture-pane -p -t cockpit").out; }
    void Keys(const std::string& keys) { Run("send-keys -t cockpit " + keys); }
    void Type(const std::string& text) { Run("send-keys -t cockpit -l " + Quote(text)); }

    // Polls until the screen satisfies `ready`, for up to 20 seconds (sanitizer builds start
    // slowly); returns the last screen seen either way.
    std::string WaitFor(const std::function<bool(const std::string&)>& ready) {
        std::string screen;
        for (int i = 0; i < 200; ++i) {
            screen = Screen();
            if (ready(screen))
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return screen;
    }
    std::string WaitForText(const std::string& text) {
        return WaitFor([&](const std::string& s) { return s.find(text) != std::string::npos; });
    }

private:
    Result Run(const std::string& arguments) {
        // Not inside the caller's tmux, if the tests run in one.
        return Shell("env -u TMUX tmux -L " + socket_ + " " + arguments);
    }
    std::string socket_;
};

// Waits for the exit status that the session's shell writes when the program ends.
std::string WaitForStatus(const std::string& path) {
    for (int i = 0; i < 200 && ReadFile(path).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::string status = ReadFile(path);
    while (!status.empty() && status.back() == '\n')
        status.pop_back();
    return status;
}

// The program in the tmux terminal, with TERM and a UTF-8 locale set as a terminal would.
std::string CockpitCommand(const std::string& arguments, const std::string& statusFile) {
    return "env TERM=xterm-256color LANG=C.UTF-8 " + Quote(KELVANE_SIM_PATH) + " " + arguments +
           "; echo $? > " + Quote(statusFile);
}

// The text of one row of the screen within a column range, without trailing blanks.
std::string Cut(const std::string& screen, int row, int from, int count) {
    std::istringstream lines(screen);
    std::string line;
    for (int r = 0; r <= row; ++r)
        if (!std::getline(lines, line))
            return std::string();
    // Columns count characters: step over UTF-8 continuation bytes.
    std::string out;
    int column = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80)
            ++column;
        if (column > from && column <= from + count)
            out += line[i];
    }
    out.erase(out.find_last_not_of(' ') + 1); // tmux drops trailing blanks anyway
    return out;
}

TEST(SimCockpit, AKeyChangesThePageAndQQuitsWithStatusZero) {
    Tmux tmux;
    TempFile status("status");
    ASSERT_TRUE(tmux.Start(CockpitCommand("--interactive", status.path), 100, 30));
    std::string screen = tmux.WaitFor([](const std::string& s) {
        return s.find("KelvaneMFD: Mass") != s.rfind("KelvaneMFD: Mass"); // on both displays
    });
    ASSERT_NE(screen.find("Focus: GL-01 (DeltaGlider)"), std::string::npos) << screen;
    EXPECT_EQ(Cut(screen, 2, 4, 20), "KelvaneMFD: Mass");
    EXPECT_EQ(Cut(screen, 2, 54, 20), "KelvaneMFD: Mass");
    EXPECT_NE(screen.find("q quit"), std::string::npos);

    tmux.Keys("1"); // Left button 0: the tank page
    screen = tmux.WaitForText("KelvaneMFD: Tanks");
    EXPECT_EQ(Cut(screen, 2, 4, 20), "KelvaneMFD: Tanks") << screen;
    EXPECT_EQ(Cut(screen, 2, 54, 20), "KelvaneMFD: Mass") << screen;
    EXPECT_NE(screen.find("Left button 1 (MOD): Change mode"), std::string::npos);

    tmux.Keys("9"); // Right button 2: notation, page unchanged
    tmux.Keys("7"); // Right button 0: the tank page
    screen = tmux.WaitForText("Right button 7");
    EXPECT_EQ(Cut(screen, 2, 54, 20), "KelvaneMFD: Tanks") << screen;

    tmux.Keys("q");
    EXPECT_EQ(WaitForStatus(status.path), "0");
}

TEST(SimCockpit, SavePromptWritesTheScenarioWithTheDisplaysAsShown) {
    Tmux tmux;
    TempFile status("status");
    TempFile saved("saved.scn");
    ASSERT_TRUE(tmux.Start(CockpitCommand("--interactive", status.path), 80, 24));
    tmux.WaitForText("KelvaneMFD: Mass");
    tmux.Keys("1");
    tmux.WaitForText("KelvaneMFD: Tanks");
    tmux.Keys("s");
    tmux.WaitForText("Save scenario as:");
    tmux.Type(saved.path);
    tmux.Keys("Enter");
    const std::string screen = tmux.WaitForText("Saved the scenario to");
    EXPECT_NE(screen.find("Saved the scenario to"), std::string::npos) << screen;
    tmux.Keys("q");
    EXPECT_EQ(WaitForStatus(status.path), "0");
    const std::string scenario = ReadFile(saved.path);
    EXPECT_NE(scenario.find("BEGIN_MFD Left"), std::string::npos) << scenario;
    EXPECT_NE(scenario.find("BEGIN_MFD Right"), std::string::npos) << scenario;
    EXPECT_NE(scenario.find("PARAMETERSMODE TANKS"), std::string::npos) << scenario;
}

TEST(SimCockpit, SmallTerminalIsToldSoAndQStillQuits) {
    Tmux tmux;
    TempFile status("status");
    ASSERT_TRUE(tmux.Start(CockpitCommand("--interactive", status.path), 60, 20));
    const std::string screen = tmux.WaitForText("Terminal too small");
    EXPECT_NE(screen.find("This terminal is 60 x 20; the cockpit needs 80 x 24."),
              std::string::npos)
        << screen;
    tmux.Keys("q");
    EXPECT_EQ(WaitForStatus(status.path), "0");
}

TEST(SimCockpit, WithoutATerminalItSaysSo) {
    const Result r = Sim("--interactive < /dev/null");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("the interactive cockpit needs a terminal"), std::string::npos) << r.out;
}

} // namespace
