// Whole scenarios through the stand-in host with the module linked in: loading in the host's
// order, saving in its order and format, and the cockpit operations of a session.
#include "module_fixture.h"
#include "sim/scenario_file.h"
#include "sim/session.h"

#include "sim_test_support.h"

#include <cmath>
#include <functional>
#include <sstream>

namespace {

using Lines = std::vector<std::string>;

// Records what the host had done when it told the module about a deleted vessel.
struct DeleteRecord {
    std::string vessel;
    bool displayStillOpen = false;
    bool windowStillOpen = false; // a window's display on the vessel
};
std::vector<DeleteRecord> g_deletes;

void RecordingDeleteVessel(OBJHANDLE handle) {
    DeleteRecord record;
    record.vessel = static_cast<sim::Vessel*>(handle)->Name();
    for (int id = 0; id < sim::kDisplayCount; ++id)
        if (host_model::IsOpen(id) && host_model::gHost.displays[id]->vessel == handle)
            record.displayStillOpen = true;
    for (int i = 0; i < host_model::gHost.windowCount; ++i)
        if (const host_model::Instrument* shown = host_model::gHost.windows[i].shown)
            record.windowStillOpen = record.windowStillOpen || shown->vessel == handle;
    g_deletes.push_back(record);
    opcDeleteVessel(handle);
}

// What the host had left when it told the module that the session ended.
struct SessionEnd {
    size_t vessels = 0;
    bool displayStillOpen = false;
    bool windowStillOpen = false;
};
std::vector<SessionEnd> g_sessionEnds;

void RecordingCloseRenderViewport() {
    SessionEnd end;
    end.vessels = static_cast<size_t>(host_model::gHost.vesselCount);
    for (int id = 0; id < sim::kDisplayCount; ++id)
        end.displayStillOpen = end.displayStillOpen || host_model::IsOpen(id);
    end.windowStillOpen = host_model::gHost.windowCount > 0;
    g_sessionEnds.push_back(end);
    opcCloseRenderViewport();
}

const std::string kFocus = "BEGIN_FOCUS\n"
                           "  Ship GL-01\n"
                           "END_FOCUS\n"
                           "\n";
const std::string kShips = "BEGIN_SHIPS\n"
                           "PB-01:ShuttlePB\n"
                           "  STATUS Landed Earth\n"
                           "  PRPLEVEL 0:0.500\n"
                           "END\n"
                           "GL-01:DeltaGlider\n"
                           "  STATUS Landed Earth\n"
                           "  PRPLEVEL 0:1.000 1:1.000\n"
                           "  XPDR 0\n"
                           "END\n"
                           "CP-7:CargoPod\n"
                           "  STATUS Landed Earth\n"
                           "END\n"
                           "END_SHIPS\n";
const std::string kFleet = kFocus + kShips;

class SessionTest : public testing::Test {
protected:
    void SetUp() override {
        ResetModuleStateForTesting();
        sim::ModuleExports exports = LinkedExports();
        exports.deleteVessel = RecordingDeleteVessel;
        exports.closeRenderViewport = RecordingCloseRenderViewport;
        host.LinkModule(exports);
        g_deletes.clear();
        g_sessionEnds.clear();
        sim::SessionOptions options;
        options.warnings = &warnings;
        session = std::make_unique<sim::Session>(host, options);
    }
    void TearDown() override {
        session.reset();
        host.UnloadModule();
    }

    std::string Load(const std::string& text, const std::string& name = "s.scn") {
        const std::string path = folder.Write(name, text);
        session->LoadFile(path);
        return path;
    }
    // Saves, loads the saved file and saves again; both saves must be the same bytes.
    std::string SaveLoadSave() {
        const std::string first = session->SaveText();
        Load(first, "round.scn");
        const std::string second = session->SaveText();
        EXPECT_EQ(first, second);
        return first;
    }
    std::string Page(const sim::DisplayRef& d) { return sim::FrameRows(session->Draw(d)).at(0); }
    std::vector<std::string> Rows(const sim::DisplayRef& d) {
        return sim::FrameRows(session->Draw(d));
    }
    KelvaneMfd* DisplayOf(const sim::DisplayRef& d) {
        return dynamic_cast<KelvaneMfd*>(session->RequireOpen(d).mfd);
    }
    MfdSettings& SettingsOf(const sim::DisplayRef& d) { return *DisplayOf(d)->Settings(); }
    void Press(const sim::DisplayRef& d, std::initializer_list<int> buttons) {
        for (int b : buttons)
            EXPECT_TRUE(session->Press(d, b, PANEL_MOUSE_LBDOWN));
    }

    sim::Host host;
    std::ostringstream warnings;
    std::unique_ptr<sim::Session> session;
    ScratchFolder folder;
};

TEST_F(SessionTest, LoadsShipsWithTheirLevelsAndTheFocus) {
    Load("BEGIN_FOCUS\n  Ship GL-01\nEND_FOCUS\n"
         "BEGIN_SHIPS\n"
         "PB-01:ShuttlePB\n  PRPLEVEL 0:0.500\nEND\n"
         "GL-01:DeltaGlider\n  FUEL 0.25\nEND\n"
         "SH-01:ShuttleA\n  FUEL 1\n  PRPLEVEL 1:0.100\nEND\n"
         "ShuttleA\n  PRPLEVEL 0:0.000 1:0.200\nEND\n"
         "END_SHIPS\n");
    ASSERT_EQ(host.Vessels().size(), 4u);
    const sim::Vessel& pb = session->RequireVessel("PB-01");
    EXPECT_DOUBLE_EQ(pb.CurrentMass(), 500 + 375);
    const sim::Vessel& gl = session->RequireVessel("GL-01");
    EXPECT_DOUBLE_EQ(gl.TankAt(0).mass, 12900 * 0.25); // FUEL fills every tank
    EXPECT_DOUBLE_EQ(gl.TankAt(1).mass, 600 * 0.25);
    const sim::Vessel& sh = session->RequireVessel("SH-01");
    EXPECT_DOUBLE_EQ(sh.TankLevel(0), 0.0); // the last level line replaces the others
    EXPECT_DOUBLE_EQ(sh.TankLevel(1), 0.1);
    const sim::Vessel& bare = session->RequireVessel("ShuttleA"); // its class is its own name
    EXPECT_STREQ(bare.ClassName(), "ShuttleA");
    EXPECT_DOUBLE_EQ(bare.TankLevel(1), 0.2);
    EXPECT_EQ(host.Focus(), &gl);
    EXPECT_EQ(warnings.str(), "");
}

TEST_F(SessionTest, WithoutAFocusBlockTheFirstShipHasTheFocus) {
    Load("BEGIN_SHIPS\nPB-01:ShuttlePB\nEND\nGL-01:DeltaGlider\nEND\nEND_SHIPS\n");
    EXPECT_STREQ(host.Focus()->Name(), "PB-01");
}

TEST_F(SessionTest, AShipOfAClassWithoutAFileExistsEmptyAndIsWarnedAboutOnce) {
    const std::string path = Load("BEGIN_SHIPS\n"
                                  "ISS:ProjectAlpha_ISS\n  PRPLEVEL 0:1.000 7:0.5\nEND\n"
                                  "Mir:Mir\nEND\n"
                                  "Mir-2:Mir\nEND\n"
                                  "END_SHIPS\n");
    const sim::Vessel& iss = session->RequireVessel("ISS");
    EXPECT_STREQ(iss.ClassName(), "ProjectAlpha_ISS");
    EXPECT_EQ(iss.TankCount(), 0u);
    EXPECT_EQ(iss.ThrusterCount(), 0u);
    EXPECT_DOUBLE_EQ(iss.CurrentMass(), 0);
    EXPECT_DOUBLE_EQ(iss.EmptyMass(), 0);
    session->Open(MFD_LEFT);
    session->Draw(MFD_LEFT);
    session->SaveText();
    // The folders searched: beside the scenario, then beside the folder that holds it.
    const std::string above = std::filesystem::path(folder.Path()).parent_path().string();
    auto missing = [&](const std::string& file) {
        return "which has no class file (no " + file + " in " + folder.Path("Config/Vessels") +
               ", " + folder.Path("Config") + ", " + above + "/Config/Vessels or " + above +
               "/Config, nor among the built-in sample's classes): it has no tanks, no thrusters "
               "and no mass\n";
    };
    EXPECT_EQ(warnings.str(),
              "kelvane-sim: warning: " + path + ":2: ship ISS has class ProjectAlpha_ISS, " +
                  missing("ProjectAlpha_ISS.cfg") + "kelvane-sim: warning: " + path +
                  ":5: ship Mir has class Mir, " + missing("Mir.cfg") + "kelvane-sim: warning: " +
                  path + ":7: ship Mir-2 has class Mir, " + missing("Mir.cfg"));
}

TEST_F(SessionTest, FaultsNameTheFileAndTheLineAndKeepTheRunningSession) {
    Load(kFleet);
    session->Open(MFD_LEFT);
    const std::string ships = "BEGIN_SHIPS\nGL-01:DeltaGlider\n";
    const struct {
        std::string text;
        std::string message; // after "PATH:"
    } cases[] = {
        {ships + "  STATUS Landed Earth\nEND_SHIPS\n", "2: ship GL-01 has no END line"},
        {ships + "  STATUS Landed Earth\n", "2: ship GL-01 has no END line"},
        {"BEGIN_SHIPS\nGL-01:DeltaGlider\nEND\n", "1: BEGIN_SHIPS has no END_SHIPS line"},
        {"BEGIN_SHIPS\n:DeltaGlider\nEND\nEND_SHIPS\n",
         "2: expected a ship line 'NAME:CLASS', found ':DeltaGlider'"},
        {"BEGIN_SHIPS\nGL-01:\nEND\nEND_SHIPS\n", "2: expected a class name after 'GL-01:'"},
        {ships + "END\ngl-01:ShuttlePB\nEND\nEND_SHIPS\n",
         "4: a second ship named gl-01 (the first is on line 2)"},
        {"BEGIN_FOCUS\n  Ship GL-01\n", "1: BEGIN_FOCUS has no END_FOCUS line"},
        {"BEGIN_MFD Middle\nEND_MFD\n",
         "1: expected Left, Right or 3 to 12 after BEGIN_MFD, found 'Middle'"},
        {"BEGIN_MFD 13\nEND_MFD\n",
         "1: expected Left, Right or 3 to 12 after BEGIN_MFD, found '13'"},
        {"BEGIN_MFD 2\nEND_MFD\n", "1: expected Left, Right or 3 to 12 after BEGIN_MFD, found '2'"},
        {"BEGIN_MFD Left\n  TYPE User\n  MODE Kelvane\n", "1: BEGIN_MFD Left has no END_MFD line"},
        {"BEGIN_HUD\n  TYPE Surface\nBEGIN_SHIPS\nEND_SHIPS\n",
         "1: BEGIN_HUD has no END_HUD or END line"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string path = folder.Write("bad.scn", c.text);
        try {
            session->LoadFile(path);
            ADD_FAILURE() << "accepted";
        } catch (const sim::FileError& e) {
            EXPECT_EQ(std::string(e.what()), path + ":" + c.message);
        }
        // Nothing of the running session was touched.
        EXPECT_EQ(host.Vessels().size(), 3u);
        EXPECT_TRUE(host.IsOpen(MFD_LEFT));
        EXPECT_STREQ(host.Focus()->Name(), "GL-01");
    }
    EXPECT_TRUE(g_deletes.empty());
}

// What the host takes in its own way is a warning, and the run goes on with the host's choice;
// nothing of the file is lost on saving.
TEST_F(SessionTest, WhatTheHostAcceptsIsAWarningAndKeptOnSaving) {
    const std::string ships = "BEGIN_SHIPS\nGL-01:DeltaGlider\n  STATUS Landed Earth\nEND\n"
                              "PB-01:ShuttlePB\nEND\nEND_SHIPS\n";
    folder.Write("Config/Vessels/Junk.cfg", "EmptyMass = 1\n[THRUSTER_0]\n");
    const std::string junk = folder.Path("Config/Vessels/Junk.cfg");
    const struct {
        std::string text;
        std::string warning; // after "kelvane-sim: warning: PATH:", or a whole path's line
        const char* focus;
        std::string saved; // a part of the saved file
    } cases[] = {
        {"BEGIN_FOCUS\nEND_FOCUS\n" + ships,
         "1: BEGIN_FOCUS names no ship: the first ship, GL-01, is the focus, as in the host",
         "GL-01", "BEGIN_FOCUS\n  Ship GL-01\nEND_FOCUS\n"},
        {"BEGIN_FOCUS\n  Ship\n  ; note\nEND_FOCUS\n" + ships,
         "1: BEGIN_FOCUS names no ship: the first ship, GL-01, is the focus, as in the host",
         "GL-01", "BEGIN_FOCUS\n  Ship GL-01\n  ; note\nEND_FOCUS\n"},
        {"BEGIN_FOCUS\n  Ship GL-02\nEND_FOCUS\n" + ships,
         "1: the focus ship GL-02 is not among the ships: the first ship, GL-01, is the focus, "
         "as in the host",
         "GL-01", "BEGIN_FOCUS\n  Ship GL-01\nEND_FOCUS\n"},
        {"BEGIN_FOCUS\n  Ship GL-02\nEND_FOCUS\nBEGIN_SHIPS\nEND_SHIPS\n",
         "1: the focus ship GL-02 is not among the ships, and the scenario has no ships", nullptr,
         "BEGIN_SHIPS\nEND_SHIPS\n"},
        {"BEGIN_SHIPS\nGL-01:DeltaGlider\n  PRPLEVEL 0:0.5 2:0.995 1:0.25\nEND\nEND_SHIPS\n",
         "3: ship GL-01 of class DeltaGlider has no tank 2 (it has 2): the level '2:0.995' is "
         "kept as read",
         "GL-01", "  PRPLEVEL 0:0.500000 1:0.250000 2:0.995\n"},
        {"BEGIN_SHIPS\nJ-1:Junk\n  PRPLEVEL 0:0.5\nEND\nEND_SHIPS\n",
         junk +
             ":2: expected a line 'PMI = x y z' before [THRUSTER_0] (the file is read in the "
             "sectioned form, for its sections or its EmptyMass line, and cannot be used)\n"
             "kelvane-sim: warning: PATH:2: ship J-1 has class Junk, whose class file " +
             junk + " cannot be used: it has no tanks, no thrusters and no mass",
         "J-1", "J-1:Junk\n  PRPLEVEL 0:0.5\nEND\n"},
        // Level lines as the host reads them: the last one wins, a level above 1 fills the tank,
        // a pair it cannot read stays as read, a negative level leaves the tank empty.
        {"BEGIN_SHIPS\nGL-01:DeltaGlider\n  FUEL 0.5\n  PRPLEVEL 1:1.0000001\nEND\nEND_SHIPS\n", "",
         "GL-01", "GL-01:DeltaGlider\n  PRPLEVEL 1:1.000000\nEND\n"},
        {"BEGIN_SHIPS\nGL-01:DeltaGlider\n  PRPLEVEL 0=1 1:full\nEND\nEND_SHIPS\n",
         "3: ship GL-01 of class DeltaGlider: the level '1:full' cannot be read, and the host "
         "passes it over: it is kept as read",
         "GL-01", "  PRPLEVEL 0:1.000000 1:full\n"},
        {"BEGIN_SHIPS\nGL-01:DeltaGlider\n  PRPLEVEL 0:-0.1\nEND\nEND_SHIPS\n",
         "3: ship GL-01: the level '0:-0.1' is negative, which the host would take as a negative "
         "mass: the tank is empty",
         "GL-01", "GL-01:DeltaGlider\nEND\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        warnings.str("");
        const std::string path = Load(c.text);
        std::string expected = c.warning.rfind(junk, 0) == 0 ? c.warning : path + ":" + c.warning;
        for (size_t at; (at = expected.find("PATH")) != std::string::npos;)
            expected.replace(at, 4, path);
        EXPECT_EQ(warnings.str(),
                  c.warning.empty() ? "" : "kelvane-sim: warning: " + expected + "\n");
        EXPECT_EQ(host.Focus() ? host.Focus()->Name() : std::string(), c.focus ? c.focus : "");
        EXPECT_NE(session->SaveText().find(c.saved), std::string::npos) << session->SaveText();
    }
    // A new level line goes where the host writes it: after the state items, before NAVFREQ.
    Load("BEGIN_SHIPS\nGL-01:DeltaGlider\n  AFCMODE 7\n  NAVFREQ 0 0\nEND\nEND_SHIPS\n");
    session->SetTankLevel("GL-01", 1, 0.5);
    EXPECT_NE(session->SaveText().find("  AFCMODE 7\n  PRPLEVEL 1:0.500000\n  NAVFREQ 0 0\n"),
              std::string::npos);
    EXPECT_THROW(session->LoadFile(folder.Path("none.scn")), sim::FileError);
}

// The host's order: ships, then the module's block, then the displays, each display's reader
// placed after its MODE line. Read the other way round, the Left display would make a record of
// its own and the module's block would stay a free record, written again on saving.
TEST_F(SessionTest, TheModulesBlockIsReadBeforeTheDisplays) {
    Load(kFleet + "BEGIN_MFD Left\n"
                  "  TYPE User\n"
                  "  MODE kelvane\n"
                  "  MFD_ID 0\n"
                  "  NOTATION EXP\n"
                  "END_MFD\n"
                  "BEGIN_Kelvane\n"
                  "  BEGIN_KX_MFD_INFO\n"
                  "    VESSEL GL-01\n"
                  "    MFD_ID 0\n"
                  "    PARAMETERSMODE ENGINES\n"
                  "  END_KX_MFD_INFO\n"
                  "END\n");
    ASSERT_TRUE(host.IsOpen(MFD_LEFT));
    EXPECT_EQ(host.DisplayAt(MFD_LEFT)->vessel, host.Focus());
    EXPECT_EQ(SettingsOf(MFD_LEFT).parametersMode, ENGINES); // from the module's block
    EXPECT_EQ(SettingsOf(MFD_LEFT).notation, EXP);           // from the display's block
    EXPECT_EQ(host.SaveState(), Lines{});                    // the record is held, not free
}

TEST_F(SessionTest, SavesInTheHostsOrderAndFormat) {
    Load("BEGIN_DESC\n"
         "A test ; with a comment\n"
         "END_DESC\n"
         "\n"
         "BEGIN_ENVIRONMENT\n"
         "  System Sol\n"
         "END_ENVIRONMENT\n"
         "\n"
         "BEGIN_CAMERA\n"
         "  MODE Cockpit\n"
         "END_CAMERA\n"
         "\n"
         "BEGIN_SHIPS\n"
         "PB-01:ShuttlePB\n"
         "  STATUS Landed Earth\n"
         "  FUEL 0.5  ; legacy\n"
         "  NAVFREQ 0 0\n"
         "  PRPLEVEL 0:0.200\n"
         "END\n"
         "GL-01:DeltaGlider\n"
         "  STATUS Landed Earth\n"
         "  HEADING 10.00\n"
         "  NAVFREQ 0 0 0 0\n"
         "END\n"
         "CP-7:CargoPod\n"
         "  STATUS Landed Earth\n"
         "END\n"
         "ISS:ProjectAlpha_ISS\n"
         "  PRPLEVEL 0:1.000\n"
         "END\n"
         "END_SHIPS\n");
    session->SetFocus("GL-01");
    session->Open(MFD_RIGHT);
    Press(MFD_RIGHT, {0});
    session->Open(4); // the display the host calls "5"
    session->SetTankLevel("GL-01", 1, 0.5);
    session->SetTankLevel("PB-01", 0, 4e-7); // not empty, so written, as 0.000000
    session->Open(MFD_LEFT);
    Press(MFD_LEFT, {0, 0, 3});
    session->Close(MFD_LEFT); // its record goes into the module's block
    EXPECT_EQ(session->SaveText(), "BEGIN_DESC\n"
                                   "A test ; with a comment\n"
                                   "END_DESC\n"
                                   "\n"
                                   "BEGIN_ENVIRONMENT\n"
                                   "  System Sol\n"
                                   "END_ENVIRONMENT\n"
                                   "BEGIN_FOCUS\n"
                                   "  Ship GL-01\n"
                                   "END_FOCUS\n"
                                   "\n"
                                   "BEGIN_CAMERA\n"
                                   "  MODE Cockpit\n"
                                   "END_CAMERA\n"
                                   "\n"
                                   "BEGIN_MFD Right\n"
                                   "  TYPE User\n"
                                   "  MODE Kelvane\n"
                                   "  MFD_ID 1\n"
                                   "  PARAMETERSMODE TANKS\n"
                                   "  TANK_INDEX 0\n"
                                   "  ENGINE_INDEX 0\n"
                                   "  NOTATION SI\n"
                                   "  MASSDISPLAY KILOGRAMS\n"
                                   "  ENGINESDISPLAY RADIANS\n"
                                   "END_MFD\n"
                                   "\n"
                                   "BEGIN_MFD 5\n"
                                   "  TYPE User\n"
                                   "  MODE Kelvane\n"
                                   "  MFD_ID 4\n"
                                   "  PARAMETERSMODE MASS\n"
                                   "  TANK_INDEX 0\n"
                                   "  ENGINE_INDEX 0\n"
                                   "  NOTATION SI\n"
                                   "  MASSDISPLAY KILOGRAMS\n"
                                   "  ENGINESDISPLAY RADIANS\n"
                                   "END_MFD\n"
                                   "\n"
                                   "BEGIN_SHIPS\n"
                                   "PB-01:ShuttlePB\n"
                                   "  STATUS Landed Earth\n"
                                   "  PRPLEVEL 0:0.000000\n"
                                   "  NAVFREQ 0 0\n"
                                   "END\n"
                                   "GL-01:DeltaGlider\n"
                                   "  STATUS Landed Earth\n"
                                   "  HEADING 10.00\n"
                                   "  PRPLEVEL 1:0.500000\n"
                                   "  NAVFREQ 0 0 0 0\n"
                                   "END\n"
                                   "CP-7:CargoPod\n"
                                   "  STATUS Landed Earth\n"
                                   "END\n"
                                   "ISS:ProjectAlpha_ISS\n"
                                   "  PRPLEVEL 0:1.000\n"
                                   "END\n"
                                   "END_SHIPS\n"
                                   "\n"
                                   "BEGIN_Kelvane\n"
                                   "  BEGIN_KX_MFD_INFO \n"
                                   "    VESSEL GL-01\n"
                                   "  TANK_INDEX 0\n"
                                   "  ENGINE_INDEX 1\n"
                                   "    MFD_ID 0\n"
                                   "  NOTATION SI\n"
                                   "    PARAMETERSMODE ENGINES\n"
                                   "    MASSDISPLAY KILOGRAMS\n"
                                   "    ENGINESDISPLAY RADIANS\n"
                                   "  END_KX_MFD_INFO \n"
                                   "END\n");
}

TEST_F(SessionTest, LoadingASavedFileAndSavingAgainGivesTheSameBytes) {
    const struct {
        const char* name;
        std::function<void(sim::Session&)> steps;
    } cases[] = {
        {"nothing open", [](sim::Session&) {}},
        {"two displays on different pages and units",
         [](sim::Session& s) {
             s.Open(MFD_LEFT);
             s.Open(MFD_RIGHT);
             for (int b : {0, 1, 3})
                 s.Press(MFD_LEFT, b, PANEL_MOUSE_LBDOWN);
             for (int b : {0, 0, 1, 2, 3, 3})
                 s.Press(MFD_RIGHT, b, PANEL_MOUSE_LBDOWN);
         }},
        {"displays 3 to 12",
         [](sim::Session& s) {
             for (int id = 2; id < sim::kDisplayCount; ++id) {
                 s.Open(id);
                 for (int i = 0; i < id % 3; ++i)
                     s.Press(id, 0, PANEL_MOUSE_LBDOWN);
             }
         }},
        {"closed displays of other vessels",
         [](sim::Session& s) {
             s.Open(MFD_LEFT);
             s.Press(MFD_LEFT, 0, PANEL_MOUSE_LBDOWN);
             s.Open(MFD_RIGHT);
             s.SetFocus("PB-01");
             s.Press(MFD_RIGHT, 2, PANEL_MOUSE_LBDOWN);
             s.Close(MFD_LEFT);
             s.SetFocus("CP-7");
         }},
        {"levels changed and a vessel deleted",
         [](sim::Session& s) {
             s.SetTankLevel("GL-01", 0, 0.123456);
             s.SetTankLevel("GL-01", 1, 0);
             s.SetTankLevel("PB-01", 0, 1);
             s.DeleteVessel("CP-7");
             s.Open(MFD_LEFT);
         }},
        {"the focus vessel deleted",
         [](sim::Session& s) {
             s.Open(MFD_LEFT);
             s.DeleteVessel("GL-01");
             s.Open(MFD_RIGHT);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Load(kFleet);
        c.steps(*session);
        const std::string saved = SaveLoadSave();
        EXPECT_NE(saved.find("BEGIN_Kelvane\n"), std::string::npos);
    }
}

TEST_F(SessionTest, TheStockScenarioKeepsEveryBlockAndShipLine) {
    const std::string stock = ReadText(KELVANE_TEST_DATA "/stock-scenario.scn");
    ASSERT_FALSE(stock.empty());
    Load(stock);
    EXPECT_EQ(host.Vessels().size(), 8u);
    EXPECT_STREQ(host.Focus()->Name(), "GL-01S");
    EXPECT_TRUE(session->HasOtherMode(MFD_LEFT)); // Terminal MFD, another module's mode
    EXPECT_TRUE(session->HasOtherMode(MFD_RIGHT));
    EXPECT_THROW(session->Draw(MFD_LEFT), sim::SessionError);
    EXPECT_EQ(session->RequireVessel("SH-03").CurrentMass(), 13000 + 71500 + 2700);
    EXPECT_EQ(session->SaveText(), SixDecimalLevels(stock, {"SH-03", "PB-01", "GL-02", "SH-01"}) +
                                       "\nBEGIN_Kelvane\nEND\n");
    SaveLoadSave();

    // Switching a display to this mode replaces the other mode's block; closing one drops it.
    Load(stock);
    session->Open(MFD_RIGHT);
    session->Close(MFD_LEFT);
    EXPECT_THROW(session->Close(MFD_LEFT), sim::SessionError);
    const std::string saved = session->SaveText();
    EXPECT_EQ(saved.find("Terminal MFD"), std::string::npos);
    EXPECT_EQ(saved.find("BEGIN_MFD Right\n  TYPE Surface"), std::string::npos);
    EXPECT_NE(saved.find("BEGIN_MFD Right\n  TYPE User\n  MODE Kelvane\n  MFD_ID 1\n"),
              std::string::npos);
}

TEST_F(SessionTest, SwitchingTheFocusReopensEveryDisplayWithItsIdOnTheNewVessel) {
    Load(kFleet);
    session->Open(MFD_LEFT);
    session->Open(7);
    Press(MFD_LEFT, {0});
    Press(7, {0, 0});
    session->SetFocus("PB-01");
    for (int id : {MFD_LEFT, 7}) {
        ASSERT_TRUE(host.IsOpen(id));
        EXPECT_STREQ(host.DisplayAt(id)->vessel->Name(), "PB-01");
        EXPECT_EQ(SettingsOf(id).mfdId, id);
        EXPECT_EQ(Page(id), "KelvaneMFD: Mass");
    }
    EXPECT_FALSE(host.IsOpen(MFD_RIGHT));
    session->SetFocus("gl-01");
    EXPECT_EQ(Page(MFD_LEFT), "KelvaneMFD: Tanks"); // the glider's records were kept
    EXPECT_EQ(Page(7), "KelvaneMFD: Engines");
    EXPECT_THROW(session->SetFocus("Nobody"), sim::SessionError);
    EXPECT_STREQ(host.Focus()->Name(), "GL-01");
}

TEST_F(SessionTest, DeletingTheFocusMovesTheFocusFirstAndTheLastVesselStays) {
    Load(kFleet);
    session->Open(MFD_LEFT);
    session->Open(MFD_RIGHT);
    Press(MFD_LEFT, {0});
    session->DeleteVessel("PB-01"); // not the focus: the displays stay
    EXPECT_TRUE(host.IsOpen(MFD_LEFT));
    session->DeleteVessel("GL-01");
    ASSERT_EQ(g_deletes.size(), 2u);
    EXPECT_EQ(g_deletes[1].vessel, "GL-01");
    EXPECT_FALSE(g_deletes[1].displayStillOpen); // they had moved to the new focus already
    EXPECT_STREQ(host.Focus()->Name(), "CP-7");
    for (int id : {MFD_LEFT, MFD_RIGHT})
        EXPECT_EQ(host.DisplayAt(id)->vessel, host.Focus());
    EXPECT_EQ(host.SaveState(), Lines{}); // no record of a deleted vessel is left
    EXPECT_THROW(session->DeleteVessel("GL-01"), sim::SessionError);
    EXPECT_THROW(session->DeleteVessel("CP-7"), sim::SessionError); // nothing could take over
    EXPECT_STREQ(host.Focus()->Name(), "CP-7");
    EXPECT_EQ(g_deletes.size(), 2u);
}

// The host ends a session without opcDeleteVessel: the displays close, the vessels go, and only
// then is the module told. The next session's save holds only its own vessels, and no old record
// (whose vessel is a tombstone now) serves a new vessel of the same name.
TEST_F(SessionTest, ASecondSessionSavesOnlyItsOwnVessels) {
    Load(kFleet);
    session->Open(MFD_LEFT);
    session->Open(MFD_RIGHT);
    Press(MFD_LEFT, {0});
    session->Close(MFD_LEFT); // a free record of GL-01 with the tank page
    Load(kFocus + "BEGIN_SHIPS\nGL-01:DeltaGlider\nEND\nBlue Bird:ShuttlePB\nEND\nEND_SHIPS\n",
         "again.scn");
    EXPECT_TRUE(g_deletes.empty());
    ASSERT_EQ(g_sessionEnds.size(), 2u); // the first load ended the empty session before it
    EXPECT_EQ(g_sessionEnds[1].vessels, 0u);
    EXPECT_FALSE(g_sessionEnds[1].displayStillOpen);
    EXPECT_FALSE(host.IsOpen(MFD_RIGHT));
    EXPECT_EQ(host.SaveState(), Lines{});
    session->Open(MFD_LEFT);
    EXPECT_EQ(Page(MFD_LEFT), "KelvaneMFD: Mass");
    session->SetFocus("Blue Bird");
    const Lines saved = host.SaveState();
    ASSERT_EQ(saved.size(), 10u); // GL-01's new record, free since the focus moved
    EXPECT_EQ(saved[1], "    VESSEL GL-01");
}

TEST_F(SessionTest, TankLevelsOutsideWhatTheHostAcceptsChangeNothing) {
    Load(kFleet);
    const struct {
        const char* vessel;
        size_t tank;
        double level;
        const char* message;
    } cases[] = {
        {"GL-01", 0, -0.01, "a tank level is a fraction of the capacity, from 0 to 1"},
        {"GL-01", 0, 1.0001, "a tank level is a fraction of the capacity, from 0 to 1"},
        {"GL-01", 0, std::nan(""), "a tank level is a fraction of the capacity, from 0 to 1"},
        {"GL-01", 2, 0.5, "vessel GL-01 has no tank 2 (its tanks are 0 to 1)"},
        {"CP-7", 0, 0.5, "vessel CP-7 has no tank 0 (it has no tanks)"},
        {"GL-99", 0, 0.5, "no vessel named GL-99 (the vessels are PB-01, GL-01, CP-7)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        try {
            session->SetTankLevel(c.vessel, c.tank, c.level);
            ADD_FAILURE() << "accepted";
        } catch (const sim::SessionError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_DOUBLE_EQ(session->RequireVessel("GL-01").TankLevel(0), 1.0);
        EXPECT_DOUBLE_EQ(session->RequireVessel("GL-01").TankLevel(1), 1.0);
    }
    session->SetTankLevel("gl-01", 0, 0.5);
    EXPECT_DOUBLE_EQ(session->RequireVessel("GL-01").TankAt(0).mass, 6450);
}

TEST_F(SessionTest, DisplaysOpenAtTheConfiguredSize) {
    session.reset();
    sim::SessionOptions options;
    options.displayWidth = 400;
    options.displayHeight = 300;
    session = std::make_unique<sim::Session>(host, options);
    Load(kFleet);
    session->Open(MFD_LEFT);
    const KelvaneMfd* mfd = dynamic_cast<KelvaneMfd*>(host.DisplayAt(MFD_LEFT)->mfd);
    EXPECT_EQ(mfd->Width(), 400u);
    EXPECT_EQ(mfd->Height(), 300u);
    const sim::Frame frame = session->Draw(MFD_LEFT);
    EXPECT_EQ(frame.cellHeight, 300 * 9 / 200);
}

TEST_F(SessionTest, DisplayBlocksOfOtherModesAreKeptAsRead) {
    Load(kFocus +
         "BEGIN_MFD 3\n"
         "  TYPE Orbit\n"
         "  PROJ Ship   ; the host's own mode\n"
         "END_MFD\n"
         "BEGIN_MFD Left\n"
         "  TYPE User\n"
         "  MODE Transfer\n"
         "  SHIP GL-01\n"
         "END_MFD\n" +
         kShips);
    session->Open(MFD_RIGHT);
    const std::string saved = SaveLoadSave();
    const std::string displays = saved.substr(saved.find("BEGIN_MFD"));
    // The file's blocks stay where they were, with the blank lines after them; a display the
    // file did not have comes before the first block of a higher id.
    EXPECT_EQ(displays.substr(0, displays.find("BEGIN_SHIPS")),
              "BEGIN_MFD Right\n"
              "  TYPE User\n"
              "  MODE Kelvane\n"
              "  MFD_ID 1\n"
              "  PARAMETERSMODE MASS\n"
              "  TANK_INDEX 0\n"
              "  ENGINE_INDEX 0\n"
              "  NOTATION SI\n"
              "  MASSDISPLAY KILOGRAMS\n"
              "  ENGINESDISPLAY RADIANS\n"
              "END_MFD\n"
              "\n"
              "BEGIN_MFD 3\n"
              "  TYPE Orbit\n"
              "  PROJ Ship   ; the host's own mode\n"
              "END_MFD\n"
              "BEGIN_MFD Left\n"
              "  TYPE User\n"
              "  MODE Transfer\n"
              "  SHIP GL-01\n"
              "END_MFD\n");
}

TEST_F(SessionTest, WindowsLineEndsAreKept) {
    Load("BEGIN_SHIPS\r\nGL-01:DeltaGlider\r\n  PRPLEVEL 0:0.500\r\nEND\r\nEND_SHIPS\r\n");
    EXPECT_DOUBLE_EQ(session->RequireVessel("GL-01").TankLevel(0), 0.5);
    session->Open(MFD_LEFT);
    const std::string saved = SaveLoadSave();
    EXPECT_EQ(saved.substr(0, saved.find("  MODE")),
              "BEGIN_FOCUS\r\n  Ship GL-01\r\nEND_FOCUS\r\nBEGIN_MFD Left\r\n  TYPE User\r\n");
    size_t lineEnds = 0, windowsLineEnds = 0;
    for (size_t i = 0; i < saved.size(); ++i) {
        lineEnds += saved[i] == '\n';
        windowsLineEnds += saved[i] == '\n' && i > 0 && saved[i - 1] == '\r';
    }
    EXPECT_EQ(lineEnds, windowsLineEnds);
    EXPECT_EQ(saved.find("\r\r"), std::string::npos);
}

} // namespace

namespace {

const sim::DisplayRef kW1 = sim::DisplayRef::Window("W1");
const sim::DisplayRef kW2 = sim::DisplayRef::Window("W2");

// Pilots write display blocks by hand; the host reads TYPE and MODE by their beginnings, in any
// case, and reads each line into 256 bytes. A block it opens is written anew on saving; one it
// leaves off stays as it was read, with a warning that says why.
TEST_F(SessionTest, DisplayBlocksAreReadByTheHostsRules) {
    const std::string longLine = "  ; " + std::string(252, 'x'); // 256 characters
    const struct {
        std::string block; // after BEGIN_MFD Left
        bool opens;
        const char* warning; // after "display Left stays off: "
    } cases[] = {
        {"  TYPE  User\n  MODE Kelvane\n", true, nullptr},
        {"  type user\n  mode KELVANE\n", true, nullptr},
        {"\tTYPE Users\n  MODE   kelvane ; a note\n", true, nullptr},
        {"  ; " + std::string(251, 'x') + "\n  TYPE User\n  MODE Kelvane\n", true, nullptr},
        {"  TYPE User\n\n  MODE Kelvane\n", false,
         "the line after its TYPE line does not begin MODE"},
        {"  TYPE User\n", false, "the line after its TYPE line does not begin MODE"},
        {"  MODE Kelvane\n", false, "its block has no TYPE line"},
        {longLine + "\n  TYPE User\n  MODE Kelvane\n", false,
         "a line of its block is longer than the 255 characters the host reads"},
        {"  TYPE User\n  MODE Transfer\n", false, nullptr}, // another module's mode
        {"  TYPE Orbit\n  MODE Kelvane\n", false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.block);
        warnings.str("");
        const std::string block = "BEGIN_MFD Left\n" + c.block + "END_MFD\n";
        const std::string path = Load(kFocus + block + kShips);
        EXPECT_EQ(host.IsOpen(MFD_LEFT), c.opens);
        const std::string saved = session->SaveText();
        if (c.opens) {
            EXPECT_NE(saved.find("BEGIN_MFD Left\n  TYPE User\n  MODE Kelvane\n  MFD_ID 0\n"),
                      std::string::npos);
            EXPECT_EQ(saved.find(block), std::string::npos);
        } else {
            EXPECT_NE(saved.find(block), std::string::npos) << saved;
        }
        EXPECT_EQ(warnings.str(), c.warning ? "kelvane-sim: warning: " + path +
                                                  ":5: display Left stays off: " + c.warning + "\n"
                                            : std::string());
    }
}

// Choosing the mode a cockpit display shows already changes nothing.
TEST_F(SessionTest, OpeningADisplayInItsOwnModeChangesNothing) {
    Load(kFleet);
    session->Open(MFD_LEFT);
    Press(MFD_LEFT, {0});
    const MFD* shown = host.DisplayAt(MFD_LEFT)->mfd;
    const int made = host_model::gHost.displaysMade, gone = host_model::gHost.displaysGone;
    session->Open(MFD_LEFT);
    EXPECT_EQ(host.DisplayAt(MFD_LEFT)->mfd, shown);
    EXPECT_EQ(host_model::gHost.displaysMade, made);
    EXPECT_EQ(host_model::gHost.displaysGone, gone);
    EXPECT_EQ(Page(MFD_LEFT), "KelvaneMFD: Tanks");
}

// A window is an address to the module, never 0 to 11, new for every window. Choosing Kelvane on
// it again makes the new display before the old one goes, with the same id; a cockpit display
// opened after that on the same vessel has settings of its own.
TEST_F(SessionTest, AWindowChosenAgainKeepsItsSettingsApartFromTheCockpits) {
    Load(kFleet);
    session->OpenWindow("W1");
    session->OpenWindow("W2");
    const UINT id1 = session->RequireOpen(kW1).id, id2 = session->RequireOpen(kW2).id;
    EXPECT_NE(id1, id2);
    EXPECT_GE(std::min(id1, id2), static_cast<UINT>(MAXMFD));
    EXPECT_GE(std::max(id1, id2), 0x80000000u); // negative as the module's int
    session->CloseWindow("W2");

    Press(kW1, {0});
    const KelvaneMfd* before = DisplayOf(kW1);
    const int made = host_model::gHost.displaysMade;
    session->ChooseWindowMode("W1");
    EXPECT_NE(DisplayOf(kW1), before);
    EXPECT_EQ(host_model::gHost.displaysMade, made + 1);
    EXPECT_EQ(session->RequireOpen(kW1).id, id1);
    EXPECT_EQ(Page(kW1), "KelvaneMFD: Tanks");

    session->Open(MFD_LEFT);
    Press(MFD_LEFT, {2});
    EXPECT_EQ(SettingsOf(kW1).notation, SI);
    Press(kW1, {0});
    EXPECT_EQ(Page(MFD_LEFT), "KelvaneMFD: Mass");

    // A resize closes the display and opens it at the new size, with the same settings.
    session->ResizeWindow("W1", 400, 200);
    EXPECT_EQ(DisplayOf(kW1)->Width(), 400u);
    EXPECT_EQ(DisplayOf(kW1)->Height(), 200u);
    EXPECT_EQ(Page(kW1), "KelvaneMFD: Engines");
}

// A window follows the focus unless it is stuck; the vessel it shows may go while it shows it:
// the module is told first, and only then does the window move to the focus.
TEST_F(SessionTest, WindowsFollowTheFocusUnlessStuckAndOutliveTheirVessel) {
    Load(kFleet);
    session->OpenWindow("W1");
    session->SetFocus("PB-01");
    session->OpenWindow("W2");
    session->StickWindow("W2", true);
    session->SetFocus("GL-01");
    EXPECT_STREQ(session->RequireOpen(kW1).vessel->Name(), "GL-01");
    EXPECT_STREQ(session->RequireOpen(kW2).vessel->Name(), "PB-01");

    session->DeleteVessel("PB-01");
    ASSERT_EQ(g_deletes.size(), 1u);
    EXPECT_TRUE(g_deletes[0].windowStillOpen);
    EXPECT_STREQ(session->RequireOpen(kW2).vessel->Name(), "GL-01");
    EXPECT_EQ(Page(kW2), "KelvaneMFD: Mass");

    session->SetFocus("CP-7"); // W2 is still stuck
    EXPECT_STREQ(session->RequireOpen(kW1).vessel->Name(), "CP-7");
    EXPECT_STREQ(session->RequireOpen(kW2).vessel->Name(), "GL-01");
    session->StickWindow("W2", false);
    EXPECT_STREQ(session->RequireOpen(kW2).vessel->Name(), "CP-7");

    // The session's end closes the windows with the cockpit's displays.
    const size_t ends = g_sessionEnds.size();
    Load(kFleet);
    ASSERT_EQ(g_sessionEnds.size(), ends + 1);
    EXPECT_FALSE(g_sessionEnds.back().windowStillOpen);
    EXPECT_FALSE(session->HasWindow("W1"));
}

// The host never saves a window, so the module does: its settings come back to a window opened
// after loading, its id read back whole.
TEST_F(SessionTest, AWindowsSettingsSurviveASaveThroughTheModulesBlock) {
    Load(kFleet);
    session->OpenWindow("W1");
    session->OpenWindow("W2"); // its id is 2^31 or more
    session->CloseWindow("W1");
    const int id = static_cast<int>(session->RequireOpen(kW2).id);
    ASSERT_LT(id, 0);
    Press(kW2, {0, 2});
    const std::string saved = session->SaveText();
    EXPECT_EQ(saved.find("BEGIN_MFD"), std::string::npos);
    EXPECT_NE(saved.find("    VESSEL GL-01\n  TANK_INDEX 0\n  ENGINE_INDEX 0\n    MFD_ID " +
                         std::to_string(id) + "\n  NOTATION EXP\n    PARAMETERSMODE TANKS\n"),
              std::string::npos)
        << saved;

    Load(saved, "saved.scn");
    ASSERT_EQ(gRegistry->RecordCount(), 2u); // W1's record is there too, free
    EXPECT_EQ(gRegistry->RecordAt(1)->mfdId, id);
    session->OpenWindow("W3");
    EXPECT_EQ(Page(sim::DisplayRef::Window("W3")), "KelvaneMFD: Mass"); // W1's, the earliest
    session->OpenWindow("W4");
    EXPECT_EQ(Page(sim::DisplayRef::Window("W4")), "KelvaneMFD: Tanks");
    EXPECT_EQ(SettingsOf(sim::DisplayRef::Window("W4")).notation, EXP);
}

// A fast shutdown: the state is saved, opcCloseRenderViewport comes with every display open, the
// module is unloaded with them open, and nothing is closed after.
TEST_F(SessionTest, AFastShutdownUnloadsTheModuleWithItsDisplaysOpen) {
    Load(kFleet);
    session->Open(MFD_LEFT);
    session->OpenWindow("W1");
    Press(kW1, {0});
    const int gone = host_model::gHost.displaysGone;
    const std::string path = folder.Path("current.scn");
    const size_t ends = g_sessionEnds.size();
    session->QuitFast(path);
    ASSERT_EQ(g_sessionEnds.size(), ends + 1);
    EXPECT_TRUE(g_sessionEnds.back().displayStillOpen);
    EXPECT_TRUE(g_sessionEnds.back().windowStillOpen);
    EXPECT_EQ(g_sessionEnds.back().vessels, 3u);
    EXPECT_EQ(gRegistry, nullptr); // ExitModule ran
    EXPECT_FALSE(host.ModuleLoaded());
    EXPECT_TRUE(session->Ended());
    EXPECT_EQ(host_model::gHost.displaysGone, gone);
    const std::string saved = ReadText(path);
    EXPECT_NE(saved.find("BEGIN_MFD Left\n"), std::string::npos);
    EXPECT_NE(saved.find("    PARAMETERSMODE TANKS\n"), std::string::npos); // W1's record
    session.reset(); // the process has ended: nothing is closed
    host.UnloadModule();
    EXPECT_EQ(host_model::gHost.displaysGone, gone);
}

} // namespace
