// The kelvane-sim program as a pilot runs it: the built binary, which loads the built module
// from Modules/Plugin, with its options, script commands, output and errors.
#include "sim_test_support.h"

#include <sys/wait.h>

#include <set>

namespace {

const char* const kSampleLeft = "[MFD Left]\n"
                                "KelvaneMFD: Mass\n"
                                "\n"
                                "Name: GL-01\n"
                                "Class: DeltaGlider\n"
                                "\n"
                                "Dry Mass:     11.00 Mg\n"
                                "Wet Mass:     24.50 Mg\n"
                                "Current Mass: 24.50 Mg\n"
                                "[buttons] MOD UNT NOT -\n";

// The rows of the first listing of display `name` in the output, up to its buttons line; a
// window is named by its heading, "Window W1".
std::string Listing(const std::string& out, const std::string& name, size_t nth = 0) {
    const std::string heading =
        "[" + (name.find(' ') == std::string::npos ? "MFD " + name : name) + "]\n";
    size_t at = 0;
    for (size_t i = 0; i <= nth; ++i) {
        at = out.find(heading, i == 0 ? 0 : at + 1);
        if (at == std::string::npos)
            return std::string();
    }
    const size_t end = out.find("[buttons]", at);
    return out.substr(at, out.find('\n', end) + 1 - at);
}

TEST(KelvaneSim, WithoutArgumentsItShowsTheLeftDisplayOfTheSample) {
    ScratchFolder folder;
    const RunResult r = RunSim(folder, "");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kSampleLeft);
    EXPECT_EQ(r.err, "");
}

TEST(KelvaneSim, AFullGlidersMainTankGivesTheCheckFigure) {
    ScratchFolder folder;
    const RunResult r = RunSim(folder, "-e 'open Left; press Left 0; draw Left; menu Left'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "[MFD Left]\n"
                     "KelvaneMFD: Tanks\n"
                     "\n"
                     "Name: GL-01\n"
                     "Class: DeltaGlider\n"
                     "\n"
                     "Tank 1\n"
                     "Full Mass: 12.90 Mg\n"
                     "Current Mass: 12.90 Mg\n"
                     "Delta-V: 29.91 km/s\n"
                     "Thrusters Serviced: 1 2 5 6 7\n"
                     "[buttons] MOD UNT NOT TNK\n"
                     "[menu] 0: Change mode\n"
                     "[menu] 1: Select units\n"
                     "[menu] 2: Changes notation\n"
                     "[menu] 3: Changes tank/engine\n");
    // The retros burn the main tank once the ship's RCOVER line has opened their covers.
    folder.Write("open.scn", "BEGIN_SHIPS\nGL-01:DeltaGlider\n  PRPLEVEL 0:1\n  RCOVER 1 1.0000\n"
                             "END\nEND_SHIPS\n");
    const RunResult open = RunSim(folder, "open.scn -e 'open Left; press Left 0; draw Left'");
    EXPECT_NE(open.out.find("Thrusters Serviced: 1 2 3 4 5 6 7\n"), std::string::npos) << open.out;
}

TEST(KelvaneSim, CommandsChangeWhatTheDisplaysShow) {
    ScratchFolder folder;
    const RunResult r = RunSim(folder, "-e 'open 11; press 11 0; set GL-01 tank 0 0.5; draw 11; "
                                       "press 11 1 0x02; draw 11; focus CP-7; draw 11; "
                                       "delete CP-7; open Right; draw Right'");
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string half = Listing(r.out, "12");
    EXPECT_NE(half.find("Current Mass: 6.450 Mg\n"), std::string::npos) << half;
    EXPECT_NE(half.find("Delta-V: 17.69 km/s\n"), std::string::npos) << half;
    EXPECT_NE(r.out.find("[press] display 12 ignored button 1\n"), std::string::npos); // right
    EXPECT_EQ(Listing(r.out, "12", 1), half);
    const std::string pod = Listing(r.out, "12", 2); // reopened on the pod: its own record
    EXPECT_NE(pod.find("KelvaneMFD: Mass\n\nName: CP-7\nClass: CargoPod\n"), std::string::npos);
    // Deleting the focus vessel closed display 12 and moved the focus to the first ship.
    EXPECT_NE(Listing(r.out, "Right").find("Name: GL-01\n"), std::string::npos);
}

// The host redraws only on simulation time; a press the display takes shows at the next frame
// even while the simulation is paused.
TEST(KelvaneSim, APressWhilePausedShowsAtTheNextFrame) {
    ScratchFolder folder;
    const RunResult r = RunSim(folder, "-e 'open Left; frame; pause; frame 2; press Left 0; "
                                       "frame; frame; resume; frame 0.5'");
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string tanks = Listing(r.out, "Left", 1);
    const std::string expected = std::string(kSampleLeft) + "[frame] no display redrawn\n" + tanks +
                                 "[frame] no display redrawn\n" + tanks;
    EXPECT_EQ(r.out, expected);
    EXPECT_NE(tanks.find("KelvaneMFD: Tanks\n"), std::string::npos) << r.out;
}

TEST(KelvaneSim, HelpNamesTheOptionsAndEveryCommand) {
    ScratchFolder folder;
    const RunResult r = RunSim(folder, "--help");
    EXPECT_EQ(r.status, 0);
    for (const char* text : {"SCENARIO",
                             "-e,--execute",
                             "--script",
                             "--save",
                             "--vessels",
                             "--modules",
                             "--size",
                             "focus NAME",
                             "open MFD",
                             "close MFD",
                             "draw MFD",
                             "press MFD BUTTON [EVENT]",
                             "menu MFD",
                             "delete NAME",
                             "set NAME tank I LEVEL",
                             "tanks count from 0",
                             "save FILE",
                             "load FILE",
                             "pause",
                             "resume",
                             "frame [SECONDS]",
                             "window open NAME",
                             "window size NAME WxH",
                             "window choose NAME",
                             "window stick NAME on|off",
                             "window close NAME",
                             "quit fast [FILE]"})
        EXPECT_NE(r.out.find(text), std::string::npos) << text;
}

TEST(KelvaneSim, BadCommandsAreClearErrorsWithANonZeroExit) {
    const struct {
        const char* script;
        const char* error;
    } cases[] = {
        {"draw Right", "-e:1: display Right is not open"},
        {"close Left", "-e:1: display Left is not open"},
        {"open Middle",
         "-e:1: unknown display 'Middle' (expected Left, Right or an id 0 to 11; the "
         "displays named 3 to 12 are ids 2 to 11)"},
        {"open 12", "-e:1: unknown display '12' (expected Left, Right or an id 0 to 11; the "
                    "displays named 3 to 12 are ids 2 to 11)"},
        {"open", "-e:1: expected 'open MFD'"},
        {"open Left Right", "-e:1: expected 'open MFD'"},
        {"press Left", "-e:1: expected 'press MFD BUTTON [EVENT]'"},
        {"open Left; press Left one", "-e:1: command 2: expected a button number, found 'one'"},
        {"open Left; press Left 0 down",
         "-e:1: command 2: expected an event mask such as 0x01, found 'down'"},
        {"open Left; press Left 4", "-e:1: command 2: no button 4 (the buttons are 0 to 3)"},
        {"open Left; draw Left; ; draw Right", "-e:1: command 3: display Right is not open"},
        {"focus Nobody",
         "-e:1: no vessel named Nobody (the vessels are GL-01, PB-01, SH-01, CP-7)"},
        {"delete Nobody",
         "-e:1: no vessel named Nobody (the vessels are GL-01, PB-01, SH-01, CP-7)"},
        {"set GL-01 tank 0 none", "-e:1: a tank cannot be set to 'none': give its level, a "
                                  "fraction of its capacity from 0 to 1"},
        {"set GL-01 tank 2 0.5", "-e:1: vessel GL-01 has no tank 2 (its tanks are 0 to 1)"},
        {"set GL-01 tank -1 0.5", "-e:1: expected a tank number of 0 or more, found '-1'"},
        {"set GL-01 tank 0 1.5", "-e:1: a tank level is a fraction of the capacity, from 0 to 1"},
        {"set GL-01 tank 0 -0.5", "-e:1: a tank level is a fraction of the capacity, from 0 to 1"},
        {"set GL-01 tank 0 half", "-e:1: expected a level from 0 to 1, found 'half'"},
        {"set GL-01 tank 0", "-e:1: the level is missing: expected 'set NAME tank I LEVEL', LEVEL "
                             "a fraction of the tank's capacity from 0 to 1"},
        {"set GL-01 fuel 0 1", "-e:1: expected 'set NAME tank I LEVEL', found 'fuel' after the "
                               "vessel's name"},
        {"focus \"GL-01", "-e:1: a double quote is not closed"},
        {"frame 0", "-e:1: expected a frame length in seconds (more than 0, at most 3600), found "
                    "'0'"},
        {"frame soon", "-e:1: expected a frame length in seconds (more than 0, at most 3600), "
                       "found 'soon'"},
        {"load missing.scn",
         "-e:1: missing.scn: cannot read the scenario: No such file or directory"},
        {"draw W1", "-e:1: unknown display 'W1' (expected Left, Right, an id 0 to 11 or an open "
                    "window's name; the displays named 3 to 12 are ids 2 to 11)"},
        {"window close W1", "-e:1: no window named W1 (no window is open)"},
        {"window open W1; window choose W2",
         "-e:1: command 2: no window named W2 (the open windows are W1)"},
        {"window open W1; window open W1", "-e:1: command 2: window W1 is open already"},
        {"window open Left", "-e:1: a window's name is one word of at most 31 characters that is "
                             "no display's name, found 'Left'"},
        {"window open W1; window size W1 1025x300",
         "-e:1: command 2: each side of the display is from 128 to 1024 pixels, found '1025x300'"},
        {"window open W1; window size W1 wide",
         "-e:1: command 2: expected WxH, such as 320x240, found 'wide'"},
        {"window open W1; window stick W1 yes",
         "-e:1: command 2: expected 'on' or 'off' after the window's name, found 'yes'"},
        {"window fly W1", "-e:1: unknown command 'window fly' (the commands are focus, open, "
                          "close, draw, pause, resume, frame, press, menu, delete, set, png, save, "
                          "load, window open, window size, window choose, window stick, window "
                          "close, quit fast)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        ScratchFolder folder;
        const RunResult r = RunSim(folder, std::string("-e '") + c.script + "'");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, std::string("kelvane-sim: ") + c.error + "\n");
    }
    // An unknown command lists the commands there are.
    ScratchFolder folder;
    const RunResult r = RunSim(folder, "-e 'open Left; jump Left'");
    EXPECT_NE(r.status, 0);
    const std::string start =
        "kelvane-sim: -e:1: command 2: unknown command 'jump' (the commands are ";
    EXPECT_EQ(r.err.substr(0, start.size()), start);
    for (const char* command :
         {"focus", "open", "close", "draw", "press", "menu", "delete", "set", "save", "load"}) {
        const std::string listed = r.err.substr(start.size());
        EXPECT_TRUE(listed.find(std::string(command) + ",") != std::string::npos ||
                    listed.find(std::string(command) + ")") != std::string::npos)
            << command;
    }
}

// Every failure is one line starting with the program's name; its status tells its kind.
TEST(KelvaneSim, ErrorsAreOneLineWithTheStatusOfTheirKind) {
    const struct {
        const char* arguments;
        int status;
        const char* error; // how the line starts after "kelvane-sim: "; none for a success
    } cases[] = {
        {"--version", 0, nullptr},
        {"--nonsense", 2, "the following argument was not expected: --nonsense"},
        {"a.scn b.scn", 2, "the following argument was not expected: b.scn"},
        {"-e", 2, "--execute: 1 required"},
        {"--size 100x100", 2, "--size: each side of the display is from 128 to 1024 pixels"},
        {"--vessels nowhere", 2, "--vessels: directory does not exist: nowhere"},
        {"--orbiter-root empty.scn", 2, "--orbiter-root: not a directory: empty.scn"},
        {"--modules nowhere", 1, "cannot load module: nowhere/Kelvane.so"},
        {"missing.scn", 1, "missing.scn: cannot read the scenario: No such file"},
        {"--script missing.txt", 1, "missing.txt: cannot read the script: No such file"},
        {"-e jump", 1, "-e:1: unknown command 'jump'"},
        {"empty.scn", 1, "empty.scn: there is no vessel to open display Left on\n"},
        {"Scenarios", 1, "Scenarios: cannot read the scenario: Is a directory\n"},
        {"picture.png", 1,
         "picture.png: not a scenario: it holds NUL bytes, as a binary file (or UTF-16 text) "
         "does\n"},
        {"notes.txt", 1, "notes.txt: not a scenario: it has no BEGIN_SHIPS block\n"},
        {"--save /nonexistent-dir/out.scn", 1,
         "cannot write /nonexistent-dir/out.scn: No such file or directory\n"},
        {"--png /nonexistent-dir/out.png", 1,
         "cannot write /nonexistent-dir/out.png: No such file or directory\n"},
        {"-e 'open Left; png Left Scenarios'", 1,
         "-e:1: command 2: cannot write Scenarios: Is a directory\n"},
    };
    const std::set<std::string> given = {"empty.scn", "Scenarios",  "picture.png",
                                         "notes.txt", "stdout.txt", "stderr.txt"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        ScratchFolder folder;
        folder.Write("empty.scn", "BEGIN_SHIPS\nEND_SHIPS\n");
        folder.Write("Scenarios/x.scn", "BEGIN_SHIPS\nEND_SHIPS\n");
        folder.Write("picture.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
        folder.Write("notes.txt", "BEGIN_DESC\nnot a scenario\nEND_DESC\n");
        const RunResult r = RunSim(folder, c.arguments);
        EXPECT_EQ(r.status, c.status);
        // A failed run leaves nothing behind, not even a temporary file.
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            EXPECT_EQ(given.count(entry.path().filename().string()), 1u) << entry.path();
        if (!c.error) {
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(r.out.rfind("kelvane-sim ", 0), 0u) << r.out;
            continue;
        }
        EXPECT_EQ(r.err.rfind(std::string("kelvane-sim: ") + c.error, 0), 0u) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
}

TEST(KelvaneSim, ScriptsRunInTheOrderGivenAndErrorsNameTheirLine) {
    ScratchFolder folder;
    folder.Write("tanks.txt", "# to the tank page\n"
                              "\n"
                              "press Left 0   # MASS to TANKS\n"
                              "draw Left; press Left 3 ; draw Left\n");
    RunResult r = RunSim(folder, "-e 'open Left' --script tanks.txt -e 'close Left'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(Listing(r.out, "Left").find("Tank 1\n"), std::string::npos);
    EXPECT_NE(Listing(r.out, "Left", 1).find("Tank 2\n"), std::string::npos);

    folder.Write("broken.txt", "open Left\n# a comment\n\ndraw Left\nopen Left; draw Right\n");
    r = RunSim(folder, "--script broken.txt");
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.out, kSampleLeft); // what ran before the error was printed
    EXPECT_EQ(r.err, "kelvane-sim: broken.txt:5: command 2: display Right is not open\n");

    r = RunSim(folder, "--script missing.txt");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("missing.txt"), std::string::npos);
}

TEST(KelvaneSim, OptionsOutsideTheirRangeAreRefused) {
    ScratchFolder folder;
    for (const char* arguments : {"--size 100x256", "--size 256x1025", "--size 256", "--size x",
                                  "--size 256X256", "--vessels nowhere", "--nonsense"}) {
        SCOPED_TRACE(arguments);
        const RunResult r = RunSim(folder, arguments);
        EXPECT_NE(r.status, 0);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err, "");
    }
    const RunResult modules = RunSim(folder, "--modules nowhere");
    EXPECT_NE(modules.status, 0);
    EXPECT_NE(modules.err.find("nowhere/Kelvane.so"), std::string::npos);
    EXPECT_NE(modules.err.find("--modules"), std::string::npos);

    for (const char* size : {"128x128", "1024x1024", "320x240"}) {
        const RunResult r = RunSim(folder, std::string("--size ") + size);
        EXPECT_EQ(r.status, 0) << size << r.err;
        EXPECT_EQ(r.out, kSampleLeft) << size; // cells scale with the display
    }
}

TEST(KelvaneSim, AFailedRunWritesNoFile) {
    ScratchFolder folder;
    const std::string scenario = ReadText(KELVANE_TEST_DATA "/stock-scenario.scn");
    folder.Write("in.scn", scenario);
    RunResult r = RunSim(folder, "in.scn -e 'open Left; bogus' --save out.scn");
    EXPECT_NE(r.status, 0);
    EXPECT_FALSE(FileExists(folder.Path("out.scn")));
    r = RunSim(folder, "in.scn -e 'open Left; bogus' --save in.scn");
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(ReadText(folder.Path("in.scn")), scenario);

    const std::string broken = "BEGIN_SHIPS\nGL-01:DeltaGlider\n  PRPLEVEL 0:1\nEND\n";
    folder.Write("broken.scn", broken);
    r = RunSim(folder, "broken.scn --save broken.scn");
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.err, "kelvane-sim: broken.scn:1: BEGIN_SHIPS has no END_SHIPS line\n");
    EXPECT_EQ(ReadText(folder.Path("broken.scn")), broken);
    EXPECT_FALSE(FileExists(folder.Path("broken.scn.saving")));
}

TEST(KelvaneSim, TheStockScenarioIsSavedWithEveryBlockAndTheModulesBlockAdded) {
    ScratchFolder folder;
    const std::string stock = ReadText(KELVANE_TEST_DATA "/stock-scenario.scn");
    folder.Write("Scenarios/stock.scn", stock);
    const RunResult r = RunSim(folder, "Scenarios/stock.scn --save saved.scn");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, ""); // with --save alone, nothing is opened or printed
    EXPECT_EQ(ReadText(folder.Path("saved.scn")),
              SixDecimalLevels(stock, {"SH-03", "PB-01", "GL-02", "SH-01"}) +
                  "\nBEGIN_Kelvane\nEND\n");
    // One warning for each ship whose class has no class file, naming the folders searched.
    const std::string where = "kelvane-sim: warning: Scenarios/stock.scn:";
    auto missing = [](const std::string& file) {
        return "which has no class file (no " + file +
               " in Scenarios/Config/Vessels, Scenarios/Config, Config/Vessels or Config, nor "
               "among the built-in sample's classes): it has no tanks, no thrusters and no mass\n";
    };
    EXPECT_EQ(r.err, where + "37: ship ISS has class ProjectAlpha_ISS, " +
                         missing("ProjectAlpha_ISS.cfg") + where + "47: ship Mir has class Mir, " +
                         missing("Mir.cfg") + where + "55: ship Luna-OB1 has class Wheel, " +
                         missing("Wheel.cfg") + where + "64: ship GL-01S has class DG-S, " +
                         missing("DG-S.cfg"));

    // A class file in Config/Vessels beside the scenario's folder gives the glider its figures.
    folder.Write("Config/Vessels/DG-S.cfg", "EmptyMass = 12000\nPMI = 15.5 22.1 7.7\n"
                                            "[PROPELLANT_0]\nMaxMass = 10400\n"
                                            "[PROPELLANT_1]\nMaxMass = 600\n"
                                            "[PROPELLANT_2]\nMaxMass = 2500\n");
    const RunResult focused = RunSim(folder, "Scenarios/stock.scn -e 'open 2; draw 2'");
    EXPECT_EQ(focused.status, 0) << focused.err;
    EXPECT_EQ(focused.err.find("DG-S"), std::string::npos);
    EXPECT_NE(focused.out.find("Dry Mass:     12.00 Mg\n"), std::string::npos) << focused.out;
}

// A pilot's own installation: class files in the host's form under its Config, a scenario named
// relative to its root in another case, and a save that gives back every line but the levels.
TEST(KelvaneSim, APilotsInstallationLoadsAndASaveLosesNothing) {
    ScratchFolder folder;
    folder.Write("Orbiter 2024/Config/Vessels/Deltaglider.cfg",
                 "ClassName = DeltaGlider\nModule = DeltaGlider\n");
    folder.Write("Orbiter 2024/Config/Vessels/dg-s.cfg",
                 "ClassName = DG-S\nModule = DeltaGlider\nScramjet = TRUE ; variant\n");
    folder.Write("Orbiter 2024/Config/Tug.cfg",
                 "Mass = 2000\nMaxFuel = 500\nMaxMainThrust = 1000\n");
    const std::string scenario = "BEGIN_DESC\n"
                                 "A pilot's flight\n"
                                 "END_DESC\n"
                                 "\n"
                                 "BEGIN_FOCUS\n"
                                 "  Ship Nobody\n"
                                 "  ; the pilot's note\n"
                                 "END_FOCUS\n"
                                 "\n"
                                 "BEGIN_MFD Right\n"
                                 "  TYPE Surface\n"
                                 "END_MFD\n"
                                 "\n"
                                 "\n"
                                 "BEGIN_SHIPS\n"
                                 "GL-01:DeltaGlider\n"
                                 "  STATUS Landed Earth\n"
                                 "  PRPLEVEL 0:0.123456 1:0.500\n"
                                 "  XPDR 0\n"
                                 "END\n"
                                 "GL-01S:DG-S\n"
                                 "  PRPLEVEL 0:0.995 1:1.000 2:1.000\n"
                                 "END\n"
                                 "Tug:Tug\n"
                                 "  STATUS Orbiting Earth\n"
                                 "END\n"
                                 "END_SHIPS\n";
    folder.Write("Orbiter 2024/Scenarios/Tutorials/DG to the moon.scn", scenario);
    const std::string run =
        "'scenarios/Tutorials/DG to the Moon.scn' --orbiter-root 'Orbiter 2024'";
    const RunResult r = RunSim(folder, run + " --save saved.scn");
    ASSERT_EQ(r.status, 0) << r.err;

    std::string expected = scenario + "\nBEGIN_Kelvane\nEND\n";
    auto change = [&expected](const std::string& from, const std::string& to) {
        ASSERT_NE(expected.find(from), std::string::npos) << from;
        expected.replace(expected.find(from), from.size(), to);
    };
    change("Ship Nobody", "Ship GL-01");
    change("0:0.123456 1:0.500\n", "0:0.123456 1:0.500000\n");
    change("0:0.995 1:1.000 2:1.000", "0:0.995000 1:1.000000 2:1.000"); // no tank 2: as read
    EXPECT_EQ(ReadText(folder.Path("saved.scn")), expected);
    const std::string path = "Orbiter 2024/Scenarios/Tutorials/DG to the moon.scn:";
    EXPECT_EQ(r.err, "kelvane-sim: warning: Orbiter 2024/Config/Vessels/dg-s.cfg:2: class DG-S is "
                     "the DeltaGlider with a scramjet (Scramjet = TRUE), which the stand-in does "
                     "not model: it has the DeltaGlider's figures, without the scramjet engines "
                     "and their tank\n"
                     "kelvane-sim: warning: " +
                         path +
                         "22: ship GL-01S of class DG-S has no tank 2 (it has 2): the level "
                         "'2:1.000' is kept as read\n"
                         "kelvane-sim: warning: " +
                         path +
                         "5: the focus ship Nobody is not among the ships: the first ship, "
                         "GL-01, is the focus, as in the host\n");

    const RunResult shown =
        RunSim(folder, run + " -e 'open Left; draw Left; focus Tug; draw Left'");
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find("Name: GL-01\nClass: DeltaGlider\n\nDry Mass:     11.00 Mg\n"),
              std::string::npos)
        << shown.out;
    EXPECT_NE(shown.out.find("Class: Tug\n\nDry Mass:     2.000 Mg\nWet Mass:     2.500 Mg\n"),
              std::string::npos)
        << shown.out;
}

// Every folder and file name of the searches matches in any case, as on the simulator's Windows:
// the installation's Config, Vessels and Scenarios, the class folders beside the scenario and a
// base class's Config.
TEST(KelvaneSim, ClassFilesAndScenariosAreFoundWhateverTheCaseOfTheirFolders) {
    ScratchFolder folder;
    folder.Write("orbiter/config/vessels/Hopper.cfg", "BaseClass = Frame\nMaxFuel = 500\n");
    folder.Write("orbiter/config/FRAME.cfg", "Mass = 3000\n");
    folder.Write("orbiter/scenarios/CONFIG/VESSELS/lander.cfg", "Mass = 2000\n");
    folder.Write("orbiter/scenarios/hop.scn", "BEGIN_SHIPS\nH1:Hopper\nEND\nL1:Lander\nEND\n"
                                              "M1:Missing\nEND\nEND_SHIPS\n");
    const RunResult r = RunSim(folder, "hop.scn --orbiter-root orbiter -e 'open Left; draw Left; "
                                       "focus L1; draw Left'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(Listing(r.out, "Left").find("Dry Mass:     3.000 Mg\nWet Mass:     3.500 Mg\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(Listing(r.out, "Left", 1).find("Class: Lander\n\nDry Mass:     2.000 Mg\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.err,
              "kelvane-sim: warning: orbiter/scenarios/hop.scn:6: ship M1 has class "
              "Missing, which has no class file (no Missing.cfg in orbiter/Config/Vessels, "
              "orbiter/Config, orbiter/scenarios/Config/Vessels or orbiter/scenarios/Config, "
              "nor among the built-in sample's classes): it has no tanks, no thrusters and "
              "no mass\n");
}

TEST(KelvaneSim, DrawConvertsTheMicroSignToUtf8) {
    ScratchFolder folder;
    folder.Write("classes/Barge.cfg", "EmptyMass = 1000000\nPMI = 1 1 1\n"
                                      "[THRUSTER_0]\nPos = 0 0 0\nDir = 0 0 1\nMax0 = 2\n"
                                      "Isp0 = 100\n");
    folder.Write("barge.scn", "BEGIN_SHIPS\nB-1:Barge\nEND\nEND_SHIPS\n");
    const RunResult r = RunSim(folder, "barge.scn --vessels classes "
                                       "-e 'open Left; press Left 0; press Left 0; draw Left'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("        Z: +2.000 \xC2\xB5m/s^2\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("\xB5m"), r.out.find("\xC2\xB5m") + 1); // no bare Windows-1252 byte
}

TEST(KelvaneSim, LoadEndsTheSessionAndStartsTheNewScenario) {
    ScratchFolder folder;
    folder.Write("pb.scn", "BEGIN_FOCUS\n  Ship PB-07\nEND_FOCUS\n"
                           "BEGIN_SHIPS\nGL-01:DeltaGlider\nEND\nPB-07:ShuttlePB\n"
                           "  PRPLEVEL 0:1.000\nEND\nEND_SHIPS\n");
    const RunResult r = RunSim(folder, "-e 'open Left; press Left 0; close Left; open Right; "
                                       "load pb.scn; draw Right'");
    EXPECT_NE(r.status, 0); // the new session has no displays open
    EXPECT_EQ(r.err, "kelvane-sim: -e:1: command 6: display Right is not open\n");
    const RunResult fresh = RunSim(folder, "-e 'open Left; press Left 0; close Left; load pb.scn; "
                                           "focus GL-01; open Left; draw Left'");
    EXPECT_EQ(fresh.status, 0) << fresh.err;
    // A glider of the new scenario: the old glider's tank page record is gone with it.
    EXPECT_NE(fresh.out.find("KelvaneMFD: Mass\n\nName: GL-01\n"), std::string::npos);
}

// A vessel whose name has a blank: the commands take the name as it stands, the module's block
// carries it whole, and the vessel's settings come back after a save and a load.
TEST(KelvaneSim, AVesselNamedWithABlankGetsItsSettingsBack) {
    ScratchFolder folder;
    folder.Write("bird.scn", "BEGIN_FOCUS\n  Ship GL-01\nEND_FOCUS\nBEGIN_SHIPS\n"
                             "GL-01:DeltaGlider\nEND\nBlue:ShuttlePB\nEND\n"
                             "Blue Bird:ShuttlePB\n  PRPLEVEL 0:1.000\nEND\nEND_SHIPS\n");
    RunResult r = RunSim(folder, "bird.scn -e 'focus Blue Bird; open Left; press Left 0; "
                                 "press Left 2; close Left; set Blue Bird tank 0 0.25; "
                                 "save out.scn'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(ReadText(folder.Path("out.scn")).find("    VESSEL Blue Bird\n"), std::string::npos);
    r = RunSim(folder, "out.scn -e 'focus Blue Bird; open Left; draw Left; focus Blue; draw Left'");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string bird = Listing(r.out, "Left");
    EXPECT_NE(bird.find("KelvaneMFD: Tanks\n\nName: Blue Bird\n"), std::string::npos) << bird;
    EXPECT_NE(bird.find("Current Mass:  1.875e+002 kg\n"), std::string::npos) << bird;
    EXPECT_NE(Listing(r.out, "Left", 1).find("KelvaneMFD: Mass\n\nName: Blue\n"),
              std::string::npos);
}

// Two displays set up differently, one closed, saved and loaded: the open one comes back from its
// own block, and the closed one, opened again on its vessel, from the module's block.
TEST(KelvaneSim, ClosedAndOpenDisplaysComeBackFromTheirBlocks) {
    ScratchFolder folder;
    RunResult r = RunSim(folder, "-e 'focus SH-01; open Left; press Left 0; press Left 1; "
                                 "press Left 3; close Left; focus GL-01; open Right; "
                                 "press Right 0; press Right 0; press Right 3; press Right 2; "
                                 "press Right 1; draw Right; save story.scn'");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string right = Listing(r.out, "Right");
    ASSERT_NE(right.find("Engine 2\n"), std::string::npos) << right;
    ASSERT_NE(right.find("deg/s^2"), std::string::npos) << right;
    const std::string saved = ReadText(folder.Path("story.scn"));
    EXPECT_NE(saved.find("BEGIN_MFD Right\n"), std::string::npos);
    EXPECT_EQ(saved.find("BEGIN_MFD Left\n"), std::string::npos);
    EXPECT_NE(saved.find("    VESSEL SH-01\n"), std::string::npos);

    r = RunSim(folder, "story.scn -e 'draw Right; close Right; focus SH-01; open Left; "
                       "draw Left'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Listing(r.out, "Right"), right);
    const std::string left = Listing(r.out, "Left");
    EXPECT_NE(left.find("KelvaneMFD: Tanks\n"), std::string::npos) << left;
    EXPECT_NE(left.find("Tank 2\n"), std::string::npos) << left;
    EXPECT_NE(left.find("Current Mass:  100.000 %\n"), std::string::npos) << left;
}

// The same story with both displays on one vessel. Disabled because of the module: loading runs
// the module's block first, so the glider's free record for Left is there when the host opens
// Right; AttachDisplay's second pass hands Right that record (made for id 0), and ReadStatus then
// skips Right's own block, whose id line says 1. Right shows Left's settings, and Left, opened
// again, takes over the same record. Enable when the module keeps a free record of another id
// for its own display.
TEST(KelvaneSim, ClosedAndOpenDisplaysOfOneVesselComeBackFromTheirBlocks) {
    ScratchFolder folder;
    RunResult r = RunSim(folder, "-e 'open Left; open Right; press Left 0; press Left 1; "
                                 "press Left 3; press Right 0; press Right 0; press Right 3; "
                                 "press Right 2; press Right 1; draw Left; draw Right; "
                                 "close Left; save story.scn'");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string left = Listing(r.out, "Left");
    const std::string right = Listing(r.out, "Right");
    r = RunSim(folder, "story.scn -e 'draw Right; open Left; draw Left'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Listing(r.out, "Right"), right);
    EXPECT_EQ(Listing(r.out, "Left"), left);
}

// Windows as a pilot meets them, run by the program (and so under the sanitizers in their build):
// a window chosen again and a cockpit display on its vessel keep their own settings; a window's
// settings survive a save and come back to a window opened after the load; the vessel a window
// shows is deleted while it shows it; and the run ends with the fast shutdown.
TEST(KelvaneSim, WindowsAndAFastShutdownAsAPilotMeetsThem) {
    ScratchFolder folder;
    RunResult r = RunSim(folder, "-e 'window open W1; press W1 0; window choose W1; open Left; "
                                 "press Left 2; draw W1; draw Left; save one.scn'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(Listing(r.out, "Window W1").find("KelvaneMFD: Tanks\n"), std::string::npos);
    EXPECT_NE(Listing(r.out, "Window W1").find("Full Mass: 12.90 Mg\n"), std::string::npos)
        << r.out;
    EXPECT_NE(Listing(r.out, "Left").find("Dry Mass:      1.100e+004 kg\n"), std::string::npos);

    r = RunSim(folder, "one.scn -e 'close Left; window open W2; draw W2; focus PB-01; "
                       "window open W3; window stick W3 on; window size W3 320x200; "
                       "focus GL-01; delete PB-01; draw W3; quit fast two.scn'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(Listing(r.out, "Window W2").find("KelvaneMFD: Tanks\n"), std::string::npos) << r.out;
    EXPECT_NE(Listing(r.out, "Window W3").find("Name: GL-01\n"), std::string::npos) << r.out;
    const std::string saved = ReadText(folder.Path("two.scn"));
    EXPECT_EQ(saved.find("BEGIN_MFD"), std::string::npos) << saved; // no cockpit display open
    EXPECT_NE(saved.find("    PARAMETERSMODE TANKS\n"), std::string::npos) << saved;

    // Nothing runs after the fast shutdown; a --save given as well is not done, and says so.
    r = RunSim(folder, "-e 'quit fast; draw Left' --save three.scn");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "kelvane-sim: warning: --save is not done: 'quit fast' ended the run (give "
                     "quit fast the file instead)\n");
    EXPECT_FALSE(FileExists(folder.Path("three.scn")));
}

} // namespace
