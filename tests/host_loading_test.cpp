// The stand-in host loads the built plug-in across a library boundary, as the simulator does.
#include "sim/frame_text.h"
#include "sim/host.h"

#include <gtest/gtest.h>

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
    ASSERT_EQ(host.log.size(), 1u);
    EXPECT_EQ(host.log[0], "Module Kelvane [Build 060425]");
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

} // namespace
