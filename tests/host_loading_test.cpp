// The stand-in host loads the built plug-in across a library boundary, as the simulator does.
#include "sim/frame_text.h"
#include "sim/host.h"

#include <gtest/gtest.h>

#include <string.h>

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
    ASSERT_EQ(log.size(), 7u);
    EXPECT_EQ(log[0], "Module Kelvane.so ............ [Build 261209, API 060425]");
    EXPECT_EQ(log[2], "Obsolete API function used: oapiRegisterMFDMode");
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
        FormatModuleLogLine(line, c.size, c.file, c.hasBuild, 261209, c.hasApi, 60425);
        EXPECT_STREQ(line, c.line);
    }
}

} // namespace
