// kelvane-sim's pictures and live cockpit, run as a user runs them: the program itself, and for
// the cockpit a real terminal inside a detached tmux server.
#include "png_reader.h"
#include "sim/display_picture.h"
#include "sim/host.h"
#include "sim_test_support.h"

#include <chrono>
#include <functional>

namespace {

using namespace picture_test;

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
        ScratchFolder folder;
        const RunResult r = RunSim(folder, c.option + " --png sim.png");
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out + r.err, ""); // only the picture: no listing
        const Image image = ReadPng(folder.Path("sim.png"));
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
    ScratchFolder folder;
    const RunResult r =
        RunSim(folder, "-e 'open Right; png Right mass.png; press Right 0; png Right tanks.png'");
    ASSERT_EQ(r.status, 0) << r.err;
    const Image a = ReadPng(folder.Path("mass.png"));
    const Image b = ReadPng(folder.Path("tanks.png"));
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
    const Case cases[] = {
        {"--png /nonexistent-dir/out.png", "cannot write /nonexistent-dir/out.png"},
        {"-e 'no-such-command' --png failed.png", "unknown command"},
        {"--size 100x100 --png failed.png", "128 to 1024"},
        {"-e 'png Left failed.png'", "display Left is not open"},
        {"-e 'open Left; png Left' ", "expected 'png MFD FILE'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        ScratchFolder folder;
        const RunResult r = RunSim(folder, c.arguments);
        EXPECT_NE(r.status, 0);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(FileExists(folder.Path("failed.png")));
    }
}

// A detached tmux server of its own, running kelvane-sim with TERM and a UTF-8 locale set as a
// terminal would, in a terminal of the given size. Nothing of the caller's terminal is needed: CI
// runs without one. Waits are woken by tmux: each piece of output the pane gets unlocks the
// channel "output" (pipe-pane), and the command signals "exited" once the program has ended. No
// wait lasts over a minute (sanitizer builds start slowly), so a hang fails the test only.
class Tmux {
public:
    // A server of each test's own: the last one may still be on its way out.
    Tmux()
        : tmux_("env -u TMUX tmux -L kelvane-test-" + std::to_string(getpid()) + "-" +
                std::to_string(++servers)) {}
    ~Tmux() { Run("kill-server"); }

    bool Start(const std::string& arguments, int columns, int rows) {
        const std::string program =
            "env TERM=xterm-256color LANG=C.UTF-8 " + Quote(KELVANE_SIM_PATH) + " " + arguments +
            "; echo $? > " + Quote(files_.Path("status")) + "; " + tmux_ + " wait-for -S exited";
        const std::string watcher =
            "while [ \"$(dd bs=65536 count=1 status=none | wc -c)\" -gt 0 ]; do " + tmux_ +
            " wait-for -U output 2>/dev/null; done";
        const std::string size = " -x " + std::to_string(columns) + " -y " + std::to_string(rows);
        const ShellResult started =
            Run("-f /dev/null new-session -d -s cockpit" + size + " " + Quote(program));
        return started.status == 0 && Run("pipe-pane -t cockpit " + Quote(watcher)).status == 0;
    }
    std::string Screen() { return Run("capture-pane -p -t cockpit").out; }
    void Keys(const std::string& keys) { Run("send-keys -t cockpit " + keys); }
    void Type(const std::string& text) { Run("send-keys -t cockpit -l " + Quote(text)); }

    // The screen once it satisfies `ready`; the last one seen if the time is up or tmux is gone.
    std::string WaitFor(const std::function<bool(const std::string&)>& ready) {
        const Clock::time_point deadline = Clock::now() + std::chrono::minutes(1);
        std::string screen = Screen();
        // The lock is free again, and taken at once, when output came since it was last taken.
        while (!ready(screen) && Wait("-L output", deadline))
            screen = Screen();
        return screen;
    }
    std::string WaitForText(const std::string& text) {
        return WaitFor([&](const std::string& s) { return s.find(text) != std::string::npos; });
    }

    // The program's exit status; empty if it has not ended within the time.
    std::string ExitStatus() {
        Wait("exited", Clock::now() + std::chrono::minutes(1)); // fails at once if tmux is gone
        std::string status = ReadText(files_.Path("status"));
        while (!status.empty() && status.back() == '\n')
            status.pop_back();
        return status;
    }

private:
    using Clock = std::chrono::steady_clock;

    bool Wait(const std::string& how, Clock::time_point deadline) {
        const double left = std::chrono::duration<double>(deadline - Clock::now()).count();
        const std::string wait = tmux_ + " wait-for " + how;
        return left > 0 && Shell("timeout " + std::to_string(left) + " " + wait).status == 0;
    }
    ShellResult Run(const std::string& arguments) { return Shell(tmux_ + " " + arguments); }

    static inline int servers = 0;
    std::string tmux_;    // not inside the caller's tmux, if the tests run in one
    ScratchFolder files_; // the program's exit status
};

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
    ASSERT_TRUE(tmux.Start("--interactive", 100, 30));
    // The screen is drawn from the top down: the key line at the bottom comes last.
    std::string screen = tmux.WaitFor([](const std::string& s) {
        return s.find("KelvaneMFD: Mass") != s.rfind("KelvaneMFD: Mass") && // on both displays
               s.find("q quit") != std::string::npos;
    });
    ASSERT_NE(screen.find("Focus: GL-01 (DeltaGlider)"), std::string::npos) << screen;
    EXPECT_EQ(Cut(screen, 2, 4, 20), "KelvaneMFD: Mass");
    EXPECT_EQ(Cut(screen, 2, 54, 20), "KelvaneMFD: Mass");

    tmux.Keys("1"); // Left button 0: the tank page
    screen = tmux.WaitForText("Left button 1 (MOD): Change mode");
    EXPECT_EQ(Cut(screen, 2, 4, 20), "KelvaneMFD: Tanks") << screen;
    EXPECT_EQ(Cut(screen, 2, 54, 20), "KelvaneMFD: Mass") << screen;

    tmux.Keys("9"); // Right button 2: notation, page unchanged
    tmux.Keys("7"); // Right button 0: the tank page
    screen = tmux.WaitForText("Right button 7");
    EXPECT_EQ(Cut(screen, 2, 54, 20), "KelvaneMFD: Tanks") << screen;

    tmux.Keys("q"); // the pages changed since the start: it asks
    tmux.WaitForText("quit without saving? (y/n)");
    tmux.Keys("y");
    EXPECT_EQ(tmux.ExitStatus(), "0");
}

TEST(SimCockpit, CtrlCEndsWithStatus130AndOneLine) {
    Tmux tmux;
    ScratchFolder folder;
    ASSERT_TRUE(tmux.Start("--interactive 2>" + Quote(folder.Path("stderr.txt")), 80, 24));
    tmux.WaitForText("KelvaneMFD: Mass");
    tmux.Keys("1");
    tmux.WaitForText("KelvaneMFD: Tanks");
    tmux.Keys("C-c"); // with changes unsaved: no question
    EXPECT_EQ(tmux.ExitStatus(), "130");
    // The line comes once the terminal is restored, so the program ended on its own way out.
    EXPECT_EQ(ReadText(folder.Path("stderr.txt")), "kelvane-sim: interrupted\n");
}

TEST(SimCockpit, SavePromptWritesTheScenarioWithTheDisplaysAsShown) {
    Tmux tmux;
    ScratchFolder folder;
    const std::string saved = folder.Path("saved.scn");
    ASSERT_TRUE(tmux.Start("--interactive", 80, 24));
    tmux.WaitForText("KelvaneMFD: Mass");
    tmux.Keys("1");
    tmux.WaitForText("KelvaneMFD: Tanks");
    tmux.Keys("s");
    tmux.WaitForText("Save scenario as:");
    tmux.Type(saved);
    tmux.Keys("Enter");
    const std::string screen = tmux.WaitForText("Saved the scenario to");
    EXPECT_NE(screen.find("Saved the scenario to"), std::string::npos) << screen;
    tmux.Keys("q");
    EXPECT_EQ(tmux.ExitStatus(), "0");
    const std::string scenario = ReadText(saved);
    EXPECT_NE(scenario.find("BEGIN_MFD Left"), std::string::npos) << scenario;
    EXPECT_NE(scenario.find("BEGIN_MFD Right"), std::string::npos) << scenario;
    EXPECT_NE(scenario.find("PARAMETERSMODE TANKS"), std::string::npos) << scenario;
}

TEST(SimCockpit, SmallTerminalIsToldSoAndQStillQuits) {
    Tmux tmux;
    ASSERT_TRUE(tmux.Start("--interactive", 60, 20));
    const std::string screen = tmux.WaitForText("press q to quit");
    EXPECT_NE(screen.find("This terminal is 60 x 20; the cockpit needs 80 x 24."),
              std::string::npos)
        << screen;
    tmux.Keys("q");
    EXPECT_EQ(tmux.ExitStatus(), "0");
}

TEST(SimCockpit, WithoutATerminalItSaysSo) {
    ScratchFolder folder;
    const RunResult r = RunSim(folder, "--interactive"); // its input is /dev/null
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("the interactive cockpit needs a terminal"), std::string::npos) << r.err;
}

} // namespace
