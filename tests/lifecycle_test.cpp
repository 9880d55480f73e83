// Start and stop of the module, and the message procedure through which displays are made.
#include "module_fixture.h"

namespace {

using Lifecycle = ModuleTest;

TEST_F(Lifecycle, InitTwiceMakesOneRegistryAndOneMode) {
    MfdRegistry* first = gRegistry;
    ASSERT_NE(first, nullptr);
    InitModule(nullptr);
    EXPECT_EQ(gRegistry, first);
    EXPECT_EQ(host.ModeCount(), 1u);
    ASSERT_NE(host.FindMode("Kelvane"), nullptr);
    EXPECT_EQ(host.FindMode("Kelvane")->key, 0u);
}

TEST_F(Lifecycle, ExitTwiceIsHarmless) {
    ExitModule(nullptr);
    EXPECT_EQ(gRegistry, nullptr);
    EXPECT_EQ(host.ModeCount(), 0u);
    ExitModule(nullptr);
    EXPECT_EQ(gRegistry, nullptr);
    // The exports the host may still call do nothing without a registry.
    sim::ScenarioWriter writer;
    opcSaveState(&writer);
    EXPECT_TRUE(writer.Lines().empty());
}

TEST_F(Lifecycle, VersionIsTheBuildDateAskedOnce) {
    const int calls = host.Date2IntCalls(); // InitLib logged the version already
    EXPECT_EQ(GetModuleVersion(), 60425);
    EXPECT_EQ(GetModuleVersion(), 60425);
    EXPECT_EQ(host.Date2IntCalls(), calls);
    EXPECT_EQ(calls, 1);
}

TEST_F(Lifecycle, OnlyTheOpenedMessageMakesADisplay) {
    sim::Vessel& v = host.AddVessel("Alpha", EmptyClass("Probe"));
    const LPARAM vessel = reinterpret_cast<LPARAM>(static_cast<VESSEL*>(&v));
    for (UINT msg : {0u, 2u, 3u, 4u, 5u, 0xFFFFu})
        EXPECT_EQ(MsgProc(msg, 0, 256 | (256 << 16), vessel), 0) << msg;
    EXPECT_EQ(gRegistry->OpenDisplayCount(), 0u);
}

// The result carries the display's address whole: on this 64-bit machine it does not fit an int.
TEST_F(Lifecycle, OpenedMessageReturnsTheDisplayWithItsPackedSize) {
    static_assert(sizeof(OAPI_MSGTYPE) == sizeof(void*), "the result must hold a pointer");
    sim::Vessel& v = host.AddVessel("Alpha", EmptyClass("Probe"));
    const LPARAM vessel = reinterpret_cast<LPARAM>(static_cast<VESSEL*>(&v));
    const OAPI_MSGTYPE result = MsgProc(OAPI_MSG_MFD_OPENED, 7, 200 | (300 << 16), vessel);
    ASSERT_NE(result, 0);
    KelvaneMfd* display = reinterpret_cast<KelvaneMfd*>(result);
    ASSERT_EQ(gRegistry->OpenDisplayCount(), 1u);
    EXPECT_EQ(gRegistry->OpenDisplayAt(0), display);
    EXPECT_EQ(display->Width(), 200u);
    EXPECT_EQ(display->Height(), 300u);
    EXPECT_EQ(display->Vessel(), &v);
    EXPECT_EQ(display->Settings()->mfdId, 7);
    delete static_cast<MFD*>(display);
    EXPECT_EQ(gRegistry->OpenDisplayCount(), 0u);
}

TEST_F(Lifecycle, NoDisplayIsMadeAfterExit) {
    sim::Vessel& v = host.AddVessel("Alpha", EmptyClass("Probe"));
    ExitModule(nullptr);
    EXPECT_EQ(MsgProc(OAPI_MSG_MFD_OPENED, 0, 256 | (256 << 16),
                      reinterpret_cast<LPARAM>(static_cast<VESSEL*>(&v))),
              0);
}

// A deletion the host makes with a null handle names no vessel: no record goes, and neither an
// open display's settings nor the saved state change.
TEST_F(Lifecycle, DeletingANullVesselChangesNothing) {
    host.AddVessel("Alpha", DeltaGliderClass());
    ASSERT_NE(Open(MFD_LEFT), nullptr);
    ASSERT_NE(Open(MFD_RIGHT), nullptr);
    ASSERT_TRUE(host.Press(MFD_LEFT, 0, PANEL_MOUSE_LBDOWN));
    ASSERT_TRUE(host.Press(MFD_RIGHT, 2, PANEL_MOUSE_LBDOWN));
    host.CloseDisplay(MFD_RIGHT); // its record is free now and goes into the module's block
    const std::vector<std::string> status = host.WriteStatus(MFD_LEFT);
    const std::vector<std::string> saved = host.SaveState();
    ASSERT_FALSE(saved.empty());

    opcDeleteVessel(nullptr);
    EXPECT_EQ(gRegistry->RecordCount(), 2u);
    EXPECT_EQ(host.WriteStatus(MFD_LEFT), status);
    EXPECT_EQ(host.SaveState(), saved);
}

// The library entry point: attach calls InitLib and remembers ExitModule, detach calls it even
// when the host already did.
TEST(LibraryEntry, AttachInitialisesAndDetachExitsOnce) {
    ResetModuleStateForTesting();
    sim::Host host;
    host.LinkModule(LinkedExports());
    ASSERT_NE(gRegistry, nullptr);
    DllMain(host.LinkedModuleHandle(), DLL_PROCESS_ATTACH, nullptr); // a second attach: no effect
    EXPECT_EQ(host.ModeCount(), 1u);
    ExitModule(nullptr);
    DllMain(host.LinkedModuleHandle(), DLL_PROCESS_DETACH, nullptr);
    EXPECT_EQ(gRegistry, nullptr);
    DllMain(host.LinkedModuleHandle(), 2, nullptr); // thread attach: nothing
    EXPECT_EQ(gRegistry, nullptr);
}

TEST(LibraryEntry, DetachWithoutHostExitReleasesTheRegistry) {
    ResetModuleStateForTesting();
    sim::Host host;
    host.LinkModule(LinkedExports());
    DllMain(host.LinkedModuleHandle(), DLL_PROCESS_ATTACH, nullptr);
    ASSERT_NE(gRegistry, nullptr);
    EXPECT_EQ(DllMain(host.LinkedModuleHandle(), DLL_PROCESS_DETACH, nullptr), 1);
    EXPECT_EQ(gRegistry, nullptr);
    EXPECT_EQ(host.ModeCount(), 0u);
}

} // namespace
