// The stand-in host loads the built plug-in across a library boundary, as the simulator does.
#include "sim/frame_text.h"
#include "sim/host.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

sim::VesselClass PlainClass() {
    sim::VesselClass cls;
    cls.name = "Probe";
    cls.emptyMass = 100;
    cls.pmi = VECTOR3{{1, 1, 1}};
    cls.tankCapacities = {50};
    return cls;
}

TEST(HostLoading, SharedLibraryRegistersModeAndDraws) {
    sim::Host host;
    host.AddVessel("P-1", PlainClass());
    host.LoadModuleFile(KELVANE_MODULE_PATH);
    ASSERT_TRUE(host.ModuleLoaded());
    // The build is the release date that the module's ModuleDate gives; the API its version.
    // Registering through MFDMODESPEC brings the host's notice of an obsolete call.
    const std::vector<std::string> log = host.Log();
    ASSERT_EQ(log.size(), 8u);
    EXPECT_EQ(log[0], "Module Kelvane.so ............ [Build 261209, API 060425]");
    EXPECT_EQ(log[2], "Obsolete API function used: oapiRegisterMFDMode");
    EXPECT_EQ(log[7], "Loading module Kelvane (legacy interface)");
    EXPECT_NE(host.FindMode("kelvane"), nullptr);
    ASSERT_TRUE(host.OpenDisplay(MFD_LEFT, "Kelvane"));
    const std::vector<std::string> rows = sim::FrameRows(host.Draw(MFD_LEFT));
    ASSERT_GE(rows.size(), 4u);
    EXPECT_EQ(rows[0], "KelvaneMFD: Mass");
    EXPECT_EQ(rows[2], "Name: P-1");
    EXPECT_EQ(rows[3], "Class: Probe");
    host.UnloadModule();
    EXPECT_FALSE(host.ModuleLoaded());
    EXPECT_EQ(host.ModeCount(), 0u); // the detach step unregistered the mode
    EXPECT_FALSE(host.IsOpen(MFD_LEFT));
}

TEST(HostLoading, TheLoadLineIsPaddedAndMarksMissingExports) {
    const struct {
        const char* file;
        bool hasBuild, hasApi;
        size_t size;
        const char* line;
    } cases[] = {
        {"Kelvane.dll", true, true, 128,
         "Module Kelvane.dll ........... [Build 261209, API 060425]"},
        {"Kelvane.dll", false, true, 128,
         "Module Kelvane.dll ........... [Build ******, API 060425]"},
        {"Other.dll", false, false, 128,
         "Module Other.dll ............. [Build ******, API ******]"},
        // A name that fills the 30 characters gets no dots.
        {"AVeryLongPluginFileName12.dll", true, true, 128,
         "Module AVeryLongPluginFileName12.dll  [Build 261209, API 060425]"},
        {"Kelvane.dll", true, true, 12, "Module Kelv"},
    };
    for (const auto& c : cases) {
        char line[128];
        memset(line, 'x', sizeof line);
        host_model::FormatModuleLogLine(line, c.size, c.file, c.hasBuild, 261209, c.hasApi, 60425);
        EXPECT_STREQ(line, c.line);
    }
}

// What a display of a recording mode meets, in order.
std::vector<std::string> g_events;

class RecordingDisplay : public MFD {
public:
    RecordingDisplay(DWORD w, DWORD h, VESSEL* v) : MFD(w, h, v) {}
    ~RecordingDisplay() override { g_events.push_back("deleted"); }
    void Update(HDC) override {}
    void ReadStatus(FILEHANDLE) override { g_events.push_back("ReadStatus"); }
    void StoreStatus() const override { g_events.push_back("StoreStatus"); }
    void RecallStatus() override { g_events.push_back("RecallStatus"); }
};

// Answers only the plain opening message, as a module that does not know the extended one.
OAPI_MSGTYPE RecordingProc(UINT msg, UINT, WPARAM wparam, LPARAM lparam) {
    if (msg == OAPI_MSG_MFD_OPENEDEX) {
        const auto* spec = reinterpret_cast<const host_model::OpenSpec*>(wparam);
        g_events.push_back("OPENEDEX " + std::to_string(spec->w) + "x" + std::to_string(spec->h) +
                           " " + spec->spec->name);
        return 0;
    }
    if (msg == OAPI_MSG_MFD_CLOSED) {
        g_events.push_back("CLOSED");
        return 0;
    }
    g_events.push_back("OPENED " + std::to_string(wparam & 0xFFFF) + "x" +
                       std::to_string(wparam >> 16));
    return reinterpret_cast<OAPI_MSGTYPE>(
        new RecordingDisplay(wparam & 0xFFFF, wparam >> 16, reinterpret_cast<VESSEL*>(lparam)));
}

TEST(HostLoading, DisplaysOpenAndCloseInTheHostsOrder) {
    sim::Host host;
    host.AddVessel("P-1", PlainClass());
    host.AddVessel("P-2", PlainClass());
    char name[] = "Recorder";
    MFDMODESPEC spec{name, 0, RecordingProc};
    oapiRegisterMFDMode(spec);
    const std::vector<std::string> opened{"OPENEDEX 320x200 Recorder", "OPENED 320x200"};
    auto then = [&opened](const char* last) {
        std::vector<std::string> events = opened;
        events.push_back(last);
        return events;
    };

    g_events.clear();
    ASSERT_TRUE(host.OpenDisplay(MFD_LEFT, "Recorder", 320, 200)); // the pilot opens it
    EXPECT_EQ(g_events, then("RecallStatus"));
    g_events.clear();
    host.SetFocus(host.FindVessel("P-2"));
    std::vector<std::string> refocused{"StoreStatus", "CLOSED", "deleted"};
    refocused.insert(refocused.end(), opened.begin(), opened.end());
    refocused.push_back("RecallStatus");
    EXPECT_EQ(g_events, refocused);

    g_events.clear();
    const std::vector<std::string> lines{"BEGIN_SHIPS",     "P-3:Probe",      "END",
                                         "END_SHIPS",       "BEGIN_MFD Left", "  TYPE User",
                                         "  MODE recorder", "END_MFD"};
    std::vector<const char*> raw;
    for (const std::string& line : lines)
        raw.push_back(line.c_str());
    host_model::ScenarioStart start{};
    start.path = "test.scn";
    start.lines = raw.data();
    start.lineCount = static_cast<int>(raw.size());
    start.width = 320;
    start.height = 200;
    host.EndSession();
    EXPECT_EQ(g_events, (std::vector<std::string>{"StoreStatus", "CLOSED", "deleted"}));
    g_events.clear();
    host_model::StartScenario(start); // a scenario opens it: its block is read, nothing recalled
    EXPECT_EQ(g_events, then("ReadStatus"));
    EXPECT_STREQ(host.DisplayAt(MFD_LEFT)->vessel->Name(), "P-3");
}

} // namespace
