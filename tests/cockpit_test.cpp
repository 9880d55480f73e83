// The terminal cockpit without a terminal: keys in, text screens out.
#include "module_fixture.h"
#include "sim/cockpit.h"
#include "sim_test_support.h"

#include <ncurses.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

class CockpitTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        glider = &host.AddVessel("GL-01", DeltaGliderClass());
        glider->SetTankLevel(0, 0.5);
        glider->SetTankLevel(1, 1.0);
        sim::VesselClass probe = EmptyClass("Probe", 500);
        probe.tankCapacities = {100};
        probeShip = &host.AddVessel("PB-7", probe);
        ASSERT_TRUE(Open(MFD_LEFT));
        ASSERT_TRUE(Open(MFD_RIGHT));
    }

    sim::Cockpit MakeCockpit() {
        sim::CockpitOptions options;
        options.saveScenario = [this](const std::string& path) {
            if (path.find("bad") != std::string::npos)
                throw std::runtime_error("no such folder");
            saved.push_back(path);
        };
        return sim::Cockpit(host, options);
    }

    static void Keys(sim::Cockpit& cockpit, const std::string& keys) {
        for (char k : keys)
            cockpit.HandleKey(static_cast<unsigned char>(k));
    }

    // The text of one panel's screen row: Left from column 4, Right from column 44 at 80 columns.
    static std::string ScreenRow(const sim::CockpitScreen& s, int display, int row) {
        const int left = display == MFD_LEFT ? 0 : s.columns / 2;
        const std::wstring& line = s.text[2 + row];
        const std::wstring part = line.substr(left + 4, s.columns / 2 - 4);
        sim::CockpitScreen one(static_cast<int>(part.size()), 1);
        one.Put(0, 0, part, sim::CockpitStyle::Plain);
        std::string text = one.RowUtf8(0);
        text.erase(text.find_last_not_of(' ') + 1);
        return text;
    }

    sim::Vessel* glider = nullptr;
    sim::Vessel* probeShip = nullptr;
    std::vector<std::string> saved;
};

TEST_F(CockpitTest, ShowsBothDisplaysWithLabelsMenusAndKeys) {
    sim::Cockpit cockpit = MakeCockpit();
    const sim::CockpitScreen s = cockpit.Render(80, 24);
    ASSERT_EQ(s.rows, 24);
    ASSERT_EQ(s.columns, 80);
    EXPECT_NE(s.RowUtf8(0).find("Focus: GL-01 (DeltaGlider), ship 1 of 2"), std::string::npos);
    EXPECT_NE(s.RowUtf8(1).find("Left · Kelvane"), std::string::npos);
    EXPECT_NE(s.RowUtf8(1).find("Right · Kelvane"), std::string::npos);
    for (int display : {MFD_LEFT, MFD_RIGHT}) {
        SCOPED_TRACE(display);
        // The module's rows at the cells it drew them.
        const std::vector<std::string> rows = Rows(display);
        for (size_t r = 0; r < rows.size(); ++r)
            EXPECT_EQ(ScreenRow(s, display, static_cast<int>(r)), rows[r]) << r;
        const int left = display == MFD_LEFT ? 0 : 40;
        EXPECT_EQ(s.styles[2][left + 4 + 1], sim::CockpitStyle::Title);
        EXPECT_EQ(s.styles[4][left + 4 + 1], sim::CockpitStyle::Text);
        // Labels of buttons 0 … 2 beside the screen, top to bottom; no label on button 3 here.
        std::vector<std::string> labels;
        for (int row = 2; row < 20; ++row)
            if (s.styles[row][left] == sim::CockpitStyle::Label)
                labels.push_back(s.RowUtf8(row).substr(left, 3));
        EXPECT_EQ(labels, (std::vector<std::string>{"MOD", "UNT", "NOT"}));
    }
    // The menus with their keys, in the two rows under the screens.
    // At 80 columns the longest entry is cut so that a blank parts the two panels.
    const std::string menu = s.RowUtf8(20) + "\n" + s.RowUtf8(21);
    for (const char* entry :
         {"1 Change mode", "2 Select units", "3 Changes notation",
          "4 Changes tank/engi… 9 Changes notation", "7 Change mode", "0 Changes tank/engi…"})
        EXPECT_NE(menu.find(entry), std::string::npos) << entry;
    const std::string wide = cockpit.Render(100, 24).RowUtf8(21);
    EXPECT_NE(wide.find("4 Changes tank/engine"), std::string::npos);
    EXPECT_NE(wide.find("0 Changes tank/engine"), std::string::npos);
    // The help line names every key and fits in 80 columns.
    const std::string help = s.RowUtf8(23);
    for (const char* key : {"1-4/7-0", "Tab", "o/c O/C", "t/T", "s save", "q quit"})
        EXPECT_NE(help.find(key), std::string::npos) << key;
}

TEST_F(CockpitTest, ButtonKeysPressTheirDisplaysButtons) {
    struct Case {
        std::string keys;
        std::string leftTitle;
        std::string rightTitle;
        std::string status;
    };
    const Case cases[] = {
        {"", "KelvaneMFD: Mass", "KelvaneMFD: Mass", ""},
        {"1", "KelvaneMFD: Tanks", "KelvaneMFD: Mass", "Left button 1 (MOD): Change mode"},
        {"11", "KelvaneMFD: Engines", "KelvaneMFD: Mass", "Left button 1 (MOD): Change mode"},
        {"7", "KelvaneMFD: Mass", "KelvaneMFD: Tanks", "Right button 7 (MOD): Change mode"},
        {"17", "KelvaneMFD: Tanks", "KelvaneMFD: Tanks", "Right button 7 (MOD): Change mode"},
        {"4", "KelvaneMFD: Mass", "KelvaneMFD: Mass", "Left button 4: Changes tank/engine"},
        {"0", "KelvaneMFD: Mass", "KelvaneMFD: Mass", "Right button 0: Changes tank/engine"},
        {"3", "KelvaneMFD: Mass", "KelvaneMFD: Mass", "Left button 3 (NOT): Changes notation"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("keys " + c.keys);
        host.CloseAllDisplays();
        host.UnloadModule(); // fresh settings records for every case
        ResetModuleStateForTesting();
        host.LinkModule(LinkedExports());
        ASSERT_TRUE(Open(MFD_LEFT));
        ASSERT_TRUE(Open(MFD_RIGHT));
        sim::Cockpit cockpit = MakeCockpit();
        Keys(cockpit, c.keys);
        const sim::CockpitScreen s = cockpit.Render(80, 24);
        EXPECT_EQ(ScreenRow(s, MFD_LEFT, 0), c.leftTitle);
        EXPECT_EQ(ScreenRow(s, MFD_RIGHT, 0), c.rightTitle);
        EXPECT_EQ(cockpit.Status(), c.status);
    }
}

TEST_F(CockpitTest, UnitAndNotationKeysChangeTheFiguresShown) {
    sim::Cockpit cockpit = MakeCockpit();
    const std::string before = ScreenRow(cockpit.Render(80, 24), MFD_LEFT, 5);
    EXPECT_EQ(before, Row(MFD_LEFT, 5));
    Keys(cockpit, "2");
    const std::string units = ScreenRow(cockpit.Render(80, 24), MFD_LEFT, 5);
    EXPECT_NE(units, before);
    EXPECT_EQ(units, Row(MFD_LEFT, 5));
    EXPECT_EQ(ScreenRow(cockpit.Render(80, 24), MFD_RIGHT, 5), before); // the Right is untouched
}

TEST_F(CockpitTest, TabMovesTheFocusThroughTheShips) {
    sim::Cockpit cockpit = MakeCockpit();
    cockpit.HandleKey('\t');
    sim::CockpitScreen s = cockpit.Render(80, 24);
    EXPECT_EQ(host.Focus(), probeShip);
    EXPECT_NE(s.RowUtf8(0).find("Focus: PB-7 (Probe), ship 2 of 2"), std::string::npos);
    EXPECT_EQ(ScreenRow(s, MFD_LEFT, 2), "Name: PB-7");
    EXPECT_EQ(ScreenRow(s, MFD_RIGHT, 2), "Name: PB-7");
    cockpit.HandleKey('\t'); // round to the first
    EXPECT_EQ(host.Focus(), glider);
    cockpit.HandleKey(KEY_BTAB); // and backwards
    EXPECT_EQ(host.Focus(), probeShip);
    EXPECT_EQ(cockpit.Status(), "Focus: PB-7 (Probe)");

    host.DeleteVessel("GL-01");
    cockpit.HandleKey('\t');
    EXPECT_EQ(cockpit.Status(), "The scenario has only one ship.");
    EXPECT_EQ(host.Focus(), probeShip);
}

TEST_F(CockpitTest, DisplaysSwitchOnAndOff) {
    sim::Cockpit cockpit = MakeCockpit();
    cockpit.HandleKey('c');
    EXPECT_FALSE(host.IsOpen(MFD_LEFT));
    EXPECT_TRUE(host.IsOpen(MFD_RIGHT));
    sim::CockpitScreen s = cockpit.Render(80, 24);
    EXPECT_NE(s.RowUtf8(1).find("Left · off"), std::string::npos);
    EXPECT_NE(s.AllUtf8().find("Display off: o switches it on"), std::string::npos);
    cockpit.HandleKey('1');
    EXPECT_EQ(cockpit.Status(), "The Left display is off: o switches it on.");
    cockpit.HandleKey('c');
    EXPECT_EQ(cockpit.Status(), "The Left display is off already.");
    cockpit.HandleKey('o');
    EXPECT_TRUE(host.IsOpen(MFD_LEFT));
    EXPECT_EQ(ScreenRow(cockpit.Render(80, 24), MFD_LEFT, 0), "KelvaneMFD: Mass");
    cockpit.HandleKey('o');
    EXPECT_EQ(cockpit.Status(), "The Left display is on already.");

    cockpit.HandleKey('C');
    EXPECT_FALSE(host.IsOpen(MFD_RIGHT));
    EXPECT_TRUE(host.IsOpen(MFD_LEFT));
    cockpit.HandleKey('O');
    EXPECT_TRUE(host.IsOpen(MFD_RIGHT));
}

TEST_F(CockpitTest, OpeningAnUnknownModeSaysSo) {
    sim::CockpitOptions options;
    options.mode = "NoSuchMode";
    sim::Cockpit cockpit(host, options);
    cockpit.HandleKey('c'); // closes the Kelvane display
    cockpit.HandleKey('o');
    EXPECT_FALSE(host.IsOpen(MFD_LEFT));
    EXPECT_EQ(cockpit.Status(), "Mode NoSuchMode is not available; the Left display stays off.");
}

TEST_F(CockpitTest, SwitchingGoesThroughTheProgramsHooksWhenGiven) {
    std::vector<std::string> calls;
    sim::CockpitOptions options;
    options.openDisplay = [&](int id) {
        calls.push_back("open " + std::to_string(id));
        if (id == MFD_RIGHT)
            throw std::runtime_error("refused");
        host.OpenDisplay(id, "Kelvane");
    };
    options.closeDisplay = [&](int id) {
        calls.push_back("close " + std::to_string(id));
        host.CloseDisplay(id);
    };
    sim::Cockpit cockpit(host, options);
    Keys(cockpit, "cCo");
    EXPECT_TRUE(host.IsOpen(MFD_LEFT));
    EXPECT_EQ(cockpit.Status(), "Left display on: Kelvane.");
    Keys(cockpit, "O");
    EXPECT_FALSE(host.IsOpen(MFD_RIGHT));
    EXPECT_EQ(cockpit.Status(), "Cannot switch it on: refused");
    Keys(cockpit, "C"); // off already: no call
    EXPECT_EQ(calls, (std::vector<std::string>{"close 0", "close 1", "open 0", "open 1"}));
}

TEST_F(CockpitTest, TankKeysStepTheSelectedTankOfTheLastDisplayUsed) {
    struct Case {
        std::string keys;
        size_t tank;         // tank index expected to change
        double start, level; // its level before and after
        std::string status;
    };
    const Case cases[] = {
        {"t", 0, 0.5, 0.55, "GL-01 tank 1: 55 %"},
        {"TT", 0, 0.5, 0.40, "GL-01 tank 1: 40 %"},
        {"t", 0, 0.62, 0.65, "GL-01 tank 1: 65 %"}, // to the next whole step
        {"T", 0, 0.62, 0.60, "GL-01 tank 1: 60 %"},
        {"t", 0, 1.0, 1.0, "GL-01 tank 1: 100 % (full)"},
        {"T", 0, 0.0, 0.0, "GL-01 tank 1: 0 % (empty)"},
        {"T", 0, 0.03, 0.0, "GL-01 tank 1: 0 %"},
        {"14t", 1, 0.5, 0.55, "GL-01 tank 2: 55 %"},   // the Left display's second tank
        {"144t", 0, 0.5, 0.55, "GL-01 tank 1: 55 %"},  // stepped round to the first
        {"14T7t", 0, 0.5, 0.55, "GL-01 tank 1: 55 %"}, // the Right was used last: its tank 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("keys " + c.keys);
        host.UnloadModule();
        ResetModuleStateForTesting();
        host.LinkModule(LinkedExports());
        ASSERT_TRUE(Open(MFD_LEFT));
        ASSERT_TRUE(Open(MFD_RIGHT));
        glider->SetTankLevel(0, 0.5);
        glider->SetTankLevel(1, 0.5);
        glider->SetTankLevel(c.tank, c.start);
        const double other = glider->TankLevel(1 - c.tank);
        sim::Cockpit cockpit = MakeCockpit();
        Keys(cockpit, c.keys);
        EXPECT_NEAR(glider->TankLevel(c.tank), c.level, 1e-9);
        if (c.keys.find("T7") == std::string::npos) { // that case changes both tanks
            EXPECT_EQ(glider->TankLevel(1 - c.tank), other);
        }
        EXPECT_EQ(cockpit.Status(), c.status);
    }
}

TEST_F(CockpitTest, TankKeysFollowTheDisplayShownAndRefuseAShipWithoutTanks) {
    sim::Cockpit cockpit = MakeCockpit();
    Keys(cockpit, "1"); // Left on the tank page
    sim::CockpitScreen s = cockpit.Render(80, 24);
    EXPECT_NE(s.RowUtf8(1).find("t/T: tank 1 50 %"), std::string::npos);
    const std::string contents = ScreenRow(s, MFD_LEFT, 7);
    Keys(cockpit, "t");
    s = cockpit.Render(80, 24);
    EXPECT_NE(ScreenRow(s, MFD_LEFT, 7), contents); // the contents row moved
    EXPECT_NE(s.RowUtf8(1).find("t/T: tank 1 55 %"), std::string::npos);

    host.AddVessel("Rock", EmptyClass("Rock"));
    host.SetFocus(host.FindVessel("Rock"));
    cockpit.HandleKey('t');
    EXPECT_EQ(cockpit.Status(), "Rock has no tanks.");
}

TEST_F(CockpitTest, SavePromptWritesToTheNamedFile) {
    sim::Cockpit cockpit = MakeCockpit();
    cockpit.HandleKey('s');
    ASSERT_TRUE(cockpit.Prompting());
    Keys(cockpit, "outx");
    cockpit.HandleKey(KEY_BACKSPACE);
    Keys(cockpit, ".scn");
    sim::CockpitScreen s = cockpit.Render(80, 24);
    EXPECT_EQ(s.RowUtf8(22).substr(0, 25), "Save scenario as: out.scn");
    EXPECT_EQ(s.cursorRow, 22);
    EXPECT_EQ(s.cursorColumn, 25);
    Keys(cockpit, "1q"); // typed into the name, not pressed or quitting
    EXPECT_TRUE(cockpit.Prompting());
    cockpit.HandleKey(KEY_BACKSPACE);
    cockpit.HandleKey(KEY_BACKSPACE);
    cockpit.HandleKey('\r');
    EXPECT_FALSE(cockpit.Prompting());
    EXPECT_EQ(saved, std::vector<std::string>{"out.scn"});
    EXPECT_EQ(cockpit.Status(), "Saved the scenario to out.scn.");
    EXPECT_EQ(cockpit.Render(80, 24).cursorRow, -1);
    EXPECT_EQ(ScreenRow(cockpit.Render(80, 24), MFD_LEFT, 0), "KelvaneMFD: Mass");

    // A failing write, an empty name and Escape save nothing.
    cockpit.HandleKey('s');
    Keys(cockpit, "bad/x.scn\n");
    EXPECT_EQ(cockpit.Status(), "Cannot save: no such folder");
    cockpit.HandleKey('s');
    cockpit.HandleKey('\n');
    EXPECT_EQ(cockpit.Status(), "Not saved.");
    cockpit.HandleKey('s');
    Keys(cockpit, "other.scn");
    cockpit.HandleKey(27);
    EXPECT_EQ(cockpit.Status(), "Not saved.");
    EXPECT_EQ(saved.size(), 1u);

    sim::Cockpit withoutSaving(host, sim::CockpitOptions{});
    withoutSaving.HandleKey('s');
    EXPECT_FALSE(withoutSaving.Prompting());
    EXPECT_EQ(withoutSaving.Status(), "Saving is not available here.");
}

TEST_F(CockpitTest, SavingOntoAFileThatExistsAsksFirst) {
    ScratchFolder folder;
    const std::string kept = folder.Write("kept.scn", "BEGIN_DESC\n");
    std::filesystem::create_directory(folder.Path("sub"));
    struct Case {
        std::string name;
        std::vector<int> answer; // keys after Enter
        bool asks, saves;
    };
    const Case cases[] = {
        {kept, {'y'}, true, true},
        {kept, {'Y'}, true, true},
        {kept, {KEY_RESIZE, 'y'}, true, true},
        {kept, {'n'}, true, false},
        {kept, {27}, true, false},
        {kept, {'\r'}, true, false},
        {folder.Path("new.scn"), {}, false, true},
        {folder.Path("sub"), {}, false, true}, // no file to lose: the save says why it fails
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " " + std::to_string(c.answer.empty() ? 0 : c.answer.back()));
        saved.clear();
        sim::Cockpit cockpit = MakeCockpit();
        Keys(cockpit, "s" + c.name + "\r");
        const std::string line = cockpit.Render(80, 24).RowUtf8(22);
        EXPECT_EQ(line.find(c.name + " exists: overwrite? (y/n)") == 0, c.asks) << line;
        EXPECT_EQ(cockpit.Prompting(), c.asks);
        for (int key : c.answer)
            EXPECT_EQ(cockpit.HandleKey(key), sim::Cockpit::Action::None);
        EXPECT_FALSE(cockpit.Prompting());
        EXPECT_EQ(saved, c.saves ? std::vector<std::string>{c.name} : std::vector<std::string>{});
        EXPECT_EQ(cockpit.Status(), c.saves ? "Saved the scenario to " + c.name + "."
                                            : "Not saved: " + c.name + " is left as it was.");
    }
}

TEST_F(CockpitTest, LongNamesScrollInThePrompt) {
    sim::Cockpit cockpit = MakeCockpit();
    cockpit.HandleKey('s');
    const std::string name(200, 'n');
    Keys(cockpit, name + "END");
    const sim::CockpitScreen s = cockpit.Render(80, 24);
    const std::string line = s.RowUtf8(22);
    EXPECT_EQ(line.substr(0, 18), "Save scenario as: ");
    EXPECT_EQ(line.substr(76, 3), "END"); // the end of the typing stays in view
    EXPECT_EQ(s.cursorColumn, 79);
}

TEST_F(CockpitTest, QQuitsAtOnceUnlessASaveWouldWriteSomethingElse) {
    {
        sim::Cockpit cockpit = MakeCockpit();
        EXPECT_EQ(cockpit.HandleKey('x'), sim::Cockpit::Action::None);
        EXPECT_EQ(cockpit.Status(), "Key x does nothing; the keys are on the bottom line.");
        EXPECT_EQ(cockpit.HandleKey(KEY_RESIZE), sim::Cockpit::Action::None);
        EXPECT_EQ(cockpit.HandleKey('q'), sim::Cockpit::Action::Quit);
    }
    ScratchFolder folder;
    const std::string file = folder.Path("out.scn");
    struct Case {
        std::string keys;
        const char* since; // what the question names; null when q quits at once
    };
    const Case cases[] = {
        {"", nullptr},
        {"1", "the start"},    // a press that turns the page
        {"3", "the start"},    // one that changes the notation
        {"111", nullptr},      // the page turned round to where it was
        {"\t", "the start"},   // the focus
        {"\t\t", "the start"}, // and back: the module's block now holds PB-7's displays
        {"c", "the start"},    // a display off
        {"co", nullptr},       // and on again as it was
        {"t", "the start"},    // a tank level
        {"tT", nullptr},       // and back
        {"1s" + file + "\r", nullptr},
        {"1s" + file + "\r2", "the last save"},
        {"1sbad\r", "the start"}, // the save failed
        {"1s\x1b", "the start"},  // and one cancelled
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("keys " + c.keys);
        host.UnloadModule(); // fresh settings records for every case
        ResetModuleStateForTesting();
        host.LinkModule(LinkedExports());
        host.SetFocus(glider);
        ASSERT_TRUE(Open(MFD_LEFT));
        ASSERT_TRUE(Open(MFD_RIGHT));
        glider->SetTankLevel(0, 0.5);
        sim::Cockpit cockpit = MakeCockpit();
        cockpit.Render(80, 24); // drawn first, as on the terminal
        Keys(cockpit, c.keys);
        cockpit.Render(80, 24);
        if (!c.since) {
            EXPECT_EQ(cockpit.HandleKey('q'), sim::Cockpit::Action::Quit);
            continue;
        }
        const std::string question = std::string("The scenario has changed since ") + c.since +
                                     ": quit without saving? (y/n)";
        EXPECT_EQ(cockpit.HandleKey('q'), sim::Cockpit::Action::None);
        EXPECT_EQ(cockpit.Render(80, 24).RowUtf8(22).find(question), 0u);
        // A resize is no answer, and the question shows on a small terminal's notice too.
        EXPECT_EQ(cockpit.HandleKey(KEY_RESIZE), sim::Cockpit::Action::None);
        EXPECT_NE(cockpit.Render(79, 23).AllUtf8().find(question), std::string::npos);
        EXPECT_EQ(cockpit.HandleKey('n'), sim::Cockpit::Action::None);
        EXPECT_FALSE(cockpit.Prompting());
        EXPECT_EQ(cockpit.Status(), "Did not quit; s saves the changes.");
        EXPECT_EQ(cockpit.HandleKey('q'), sim::Cockpit::Action::None); // asks again
        EXPECT_EQ(cockpit.HandleKey('y'), sim::Cockpit::Action::Quit);
    }
}

TEST_F(CockpitTest, SmallTerminalsGetANoticeInsteadOfACrampedCockpit) {
    struct Case {
        int columns, rows;
        bool fits;
    };
    const Case cases[] = {{80, 24, true},  {120, 40, true}, {79, 24, false}, {80, 23, false},
                          {40, 10, false}, {20, 3, false},  {1, 1, false},   {0, 0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.columns) + "x" + std::to_string(c.rows));
        sim::Cockpit cockpit = MakeCockpit();
        const sim::CockpitScreen s = cockpit.Render(c.columns, c.rows);
        ASSERT_EQ(s.columns, c.columns);
        ASSERT_EQ(s.rows, c.rows);
        const std::string all = s.AllUtf8();
        EXPECT_EQ(all.find("KelvaneMFD") != std::string::npos, c.fits);
        if (!c.fits && c.columns >= 54 && c.rows >= 3) {
            EXPECT_NE(all.find("Terminal too small"), std::string::npos);
            EXPECT_NE(all.find("This terminal is " + std::to_string(c.columns) + " x " +
                               std::to_string(c.rows) + "; the cockpit needs 80 x 24."),
                      std::string::npos);
        }
        if (!c.fits && c.rows >= 3 && c.columns >= 10) {
            EXPECT_NE(all.find("Terminal"), std::string::npos);
        }
    }
}

TEST_F(CockpitTest, WideTerminalsShowTheWholeDisplayAndLongLinesStayInTheirPanel) {
    // A name longer than the panel: the Right panel's labels stay where they are.
    host.AddVessel("An-Extraordinarily-Long-Vessel-Name-For-Testing", DeltaGliderClass());
    host.SetFocus(host.FindVessel("An-Extraordinarily-Long-Vessel-Name-For-Testing"));
    sim::Cockpit cockpit = MakeCockpit();
    sim::CockpitScreen s = cockpit.Render(80, 24);
    EXPECT_EQ(s.RowUtf8(4).substr(0, 40).find("Right"), std::string::npos);
    EXPECT_EQ(s.RowUtf8(3).substr(40, 3), "MOD");
    EXPECT_EQ(ScreenRow(s, MFD_LEFT, 2), "Name: An-Extraordinarily-Long-Vessel");

    // The engine page's 18 rows fit in 24 terminal rows; a tall display's tank page shows all
    // its rows in a taller terminal.
    Keys(cockpit, "11");
    s = cockpit.Render(80, 24);
    EXPECT_EQ(ScreenRow(s, MFD_LEFT, 17), Row(MFD_LEFT, 17));
    EXPECT_FALSE(Row(MFD_LEFT, 17).empty());
    // Cut at the display's right edge, as the glass cuts it: 36 cells and the half cell left.
    s = cockpit.Render(160, 50);
    const std::vector<std::string> rows = Rows(MFD_LEFT);
    for (size_t r = 0; r < rows.size(); ++r)
        EXPECT_EQ(ScreenRow(s, MFD_LEFT, static_cast<int>(r)), rows[r].substr(0, 37)) << r;
    EXPECT_EQ(ScreenRow(s, MFD_LEFT, 2), "Name: An-Extraordinarily-Long-Vessel-");
}

TEST_F(CockpitTest, RowsBeyondTheTerminalAreMarked) {
    // Sixty thrusters on one tank make the tank page's list run to row 20: past the 18 screen
    // rows of a 24-row terminal, within the display's 23.
    sim::VesselClass many = EmptyClass("Cluster", 1000);
    many.tankCapacities = {500};
    for (int i = 0; i < 60; ++i)
        many.thrusters.push_back(Thruster({{0, 0, -1}}, {{0, 0, 1}}, 1000, 3000, 0));
    host.SetFocus(&host.AddVessel("CL-1", many));
    sim::Cockpit cockpit = MakeCockpit();
    Keys(cockpit, "1");
    ASSERT_EQ(Rows(MFD_LEFT).size(), 21u);
    sim::CockpitScreen s = cockpit.Render(80, 24);
    EXPECT_EQ(s.text[2 + 17][2], L'▼');
    EXPECT_EQ(ScreenRow(s, MFD_LEFT, 17), Row(MFD_LEFT, 17));
    s = cockpit.Render(80, 40); // all of them in a taller terminal, no mark
    EXPECT_EQ(s.AllUtf8().find("▼"), std::string::npos);
    const std::vector<std::string> rows = Rows(MFD_LEFT);
    for (size_t r = 0; r < rows.size(); ++r)
        EXPECT_EQ(ScreenRow(s, MFD_LEFT, static_cast<int>(r)), rows[r]) << r;
}

} // namespace
