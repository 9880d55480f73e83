// Which record a display gets, and what happens to records when displays close and vessels go.
#include "module_fixture.h"

#include <memory>
#include <set>
#include <utility>

namespace {

class RegistryTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        alpha = &host.AddVessel("Alpha", EmptyClass("Probe"));
        beta = &host.AddVessel("Beta", EmptyClass("Probe"));
    }
    // Displays made directly, as the message procedure makes them, on any vessel.
    KelvaneMfd* Make(sim::Vessel* vessel, int id) {
        return new KelvaneMfd(*gRegistry, id, 256, 256, vessel);
    }
    MfdRegistry& Registry() { return *gRegistry; }
    std::vector<const MfdSettings*> Records() {
        std::vector<const MfdSettings*> out;
        for (size_t i = 0; i < Registry().RecordCount(); ++i)
            out.push_back(Registry().RecordAt(i));
        return out;
    }

    sim::Vessel* alpha = nullptr;
    sim::Vessel* beta = nullptr;
};

TEST_F(RegistryTest, FirstDisplayOnAVesselGetsAFreshRecord) {
    std::unique_ptr<KelvaneMfd> d(Make(alpha, 1));
    const MfdSettings* s = d->Settings();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->parametersMode, MASS);
    EXPECT_EQ(s->massDisplay, KILOGRAMS);
    EXPECT_EQ(s->enginesDisplay, RADIANS);
    EXPECT_EQ(s->notation, SI);
    EXPECT_EQ(s->tankIndex, 0u);
    EXPECT_EQ(s->engineIndex, 0u);
    EXPECT_EQ(s->vessel, alpha);
    EXPECT_EQ(Registry().OwnerOf(s), d.get());
    EXPECT_EQ(s->mfdId, 1);
    EXPECT_EQ(Registry().OpenDisplayCount(), 1u);
}

TEST_F(RegistryTest, ReopeningWithTheSameIdGivesBackTheSettings) {
    KelvaneMfd* first = Make(alpha, 0);
    MfdSettings* record = first->Settings();
    record->parametersMode = ENGINES;
    record->engineIndex = 4;
    delete first;
    EXPECT_EQ(Registry().OwnerOf(record), nullptr);
    EXPECT_EQ(Registry().OpenDisplayCount(), 0u);

    std::unique_ptr<KelvaneMfd> again(Make(alpha, 0));
    EXPECT_EQ(again->Settings(), record);
    EXPECT_EQ(record->parametersMode, ENGINES);
    EXPECT_EQ(record->engineIndex, 4u);
    EXPECT_EQ(Registry().RecordCount(), 1u);
}

TEST_F(RegistryTest, AFreeRecordOfAnotherIdIsTakenAndKeepsItsId) {
    delete Make(alpha, 0);
    std::unique_ptr<KelvaneMfd> right(Make(alpha, 1));
    EXPECT_EQ(Registry().RecordCount(), 1u);
    EXPECT_EQ(right->Settings()->mfdId, 0);
    EXPECT_EQ(Registry().OwnerOf(right->Settings()), right.get());
}

TEST_F(RegistryTest, SameIdTakesOverAHeldRecordBeforeAFreeOne) {
    std::unique_ptr<KelvaneMfd> left(Make(alpha, 0));
    delete Make(alpha, 1); // a second, free record for id 1
    ASSERT_EQ(Registry().RecordCount(), 2u);

    std::unique_ptr<KelvaneMfd> other(Make(alpha, 0));
    EXPECT_EQ(other->Settings(), left->Settings());
    EXPECT_EQ(Registry().OwnerOf(left->Settings()), other.get());

    // Both show the same settings; while either is open the record stays in use.
    left->Settings()->notation = EXP;
    EXPECT_EQ(other->Settings()->notation, EXP);
    other.reset();
    EXPECT_EQ(Registry().OwnerOf(left->Settings()), left.get());
    EXPECT_EQ(Registry().OpenDisplayCount(), 1u);
}

// The host opens a display's replacement before it closes the display (a mode chosen again on
// an external window, with the window's one id). The old display's close leaves the record with
// the new one, so the next display on the vessel gets settings of its own.
TEST_F(RegistryTest, AReplacedDisplaysCloseLeavesTheRecordWithItsReplacement) {
    const int kWindowId = static_cast<int>(0x9C41E8B0u);
    KelvaneMfd* old = Make(alpha, kWindowId);
    std::unique_ptr<KelvaneMfd> replacement(Make(alpha, kWindowId));
    MfdSettings* record = replacement->Settings();
    ASSERT_EQ(record, old->Settings());
    delete old;
    EXPECT_EQ(Registry().OwnerOf(record), replacement.get());

    std::unique_ptr<KelvaneMfd> left(Make(alpha, 0));
    EXPECT_NE(left->Settings(), record);
    left->Settings()->notation = EXP;
    EXPECT_EQ(record->notation, SI);
}

TEST_F(RegistryTest, ThirdIdOnAVesselWithTwoHeldRecordsGetsANewRecord) {
    std::unique_ptr<KelvaneMfd> left(Make(alpha, 0));
    std::unique_ptr<KelvaneMfd> right(Make(alpha, 1));
    std::unique_ptr<KelvaneMfd> user(Make(alpha, 2));
    EXPECT_EQ(Registry().RecordCount(), 3u);
    EXPECT_NE(user->Settings(), left->Settings());
    EXPECT_NE(user->Settings(), right->Settings());
    EXPECT_EQ(user->Settings()->mfdId, 2);
}

TEST_F(RegistryTest, RecordsOfAnotherVesselAreNeverTaken) {
    delete Make(alpha, 0);
    std::unique_ptr<KelvaneMfd> d(Make(beta, 0));
    EXPECT_EQ(Registry().RecordCount(), 2u);
    EXPECT_EQ(d->Settings()->vessel, beta);
}

TEST_F(RegistryTest, DeleteVesselRemovesNeighboursAndTheLastRecordKeepingOrder) {
    // Records in order: Beta0, Alpha0, Alpha1, Beta1, Alpha2 — all free.
    delete Make(beta, 0);
    delete Make(alpha, 0);
    {
        std::unique_ptr<KelvaneMfd> a0(Make(alpha, 0)), a1(Make(alpha, 1));
        std::unique_ptr<KelvaneMfd> b1(Make(beta, 1));  // Beta's record 0 is free: b1 takes it
        std::unique_ptr<KelvaneMfd> b1b(Make(beta, 1)); // now a new Beta record for id 1
        std::unique_ptr<KelvaneMfd> a2(Make(alpha, 2));
    }
    ASSERT_EQ(Registry().RecordCount(), 5u);
    const std::vector<const MfdSettings*> before = Records();
    std::vector<const MfdSettings*> betas;
    for (const MfdSettings* r : before)
        if (r->vessel == beta)
            betas.push_back(r);

    gRegistry->DeleteVessel(alpha);
    EXPECT_EQ(Records(), betas);

    gRegistry->DeleteVessel(beta);
    EXPECT_EQ(Registry().RecordCount(), 0u);
    gRegistry->DeleteVessel(beta); // no records left: nothing happens
    EXPECT_EQ(Registry().RecordCount(), 0u);
}

// The record of a deleted vessel lives while a display holds it and is freed when the last holder
// closes: AddressSanitizer reports any touch of freed memory, LeakSanitizer any record left behind.
TEST_F(RegistryTest, ADeletedVesselsRecordIsFreedWhenItsLastDisplayCloses) {
    KelvaneMfd* first = Make(alpha, 0);
    KelvaneMfd* second = Make(alpha, 0); // takes the same record over
    gRegistry->DeleteVessel(alpha);
    EXPECT_EQ(Registry().RecordCount(), 0u);
    first->Settings()->tankIndex = 3; // still usable by its displays
    delete second;
    EXPECT_EQ(Registry().OwnerOf(first->Settings()), first); // still in use
    EXPECT_EQ(first->Settings()->tankIndex, 3u);
    delete first;
    EXPECT_EQ(Registry().OpenDisplayCount(), 0u);
}

TEST_F(RegistryTest, ReleaseWithOpenDisplaysLeavesTheDisplaysAlone) {
    std::unique_ptr<KelvaneMfd> held(Make(alpha, 0));
    std::unique_ptr<KelvaneMfd> orphan(Make(beta, 0));
    gRegistry->DeleteVessel(beta); // orphan's record is now held only by its display
    ExitModule(nullptr);
    EXPECT_EQ(gRegistry, nullptr);
    EXPECT_EQ(host.ModeCount(), 0u);
    // Displays destroyed after the exit touch nothing that was released.
    held.reset();
    orphan.reset();
}

TEST_F(RegistryTest, DetachingAnUnknownDisplayChangesNothing) {
    std::unique_ptr<KelvaneMfd> d(Make(alpha, 0));
    ExitModule(nullptr);
    InitModule(nullptr); // a new registry that never saw the display
    d.reset();
    EXPECT_EQ(gRegistry->OpenDisplayCount(), 0u);
    EXPECT_EQ(gRegistry->RecordCount(), 0u);
}

// The registry on its own, with no host and no display: displays and vessels are keys it never
// follows, so made-up addresses serve.
class RegistryAloneTest : public testing::Test {
protected:
    // Released as the module releases it, then freed by its last display's close.
    void TearDown() override {
        if (!registry)
            return;
        MfdRegistry* last = registry;
        last->ReleaseRegistry();
        for (uintptr_t display : open)
            last->ReturnRecord(Display(display));
    }
    static const MFD* Display(uintptr_t n) { return reinterpret_cast<const MFD*>(0x1000 * n); }
    static VESSEL* Ship(uintptr_t n) { return reinterpret_cast<VESSEL*>(0x100000 * n); }
    MfdSettings* Take(uintptr_t display, uintptr_t ship, int id) {
        open.insert(display);
        return registry->TakeRecord(Display(display), Ship(ship), id);
    }
    void Return(uintptr_t display) {
        open.erase(display);
        registry->ReturnRecord(Display(display));
    }

    MfdRegistry* registry = new MfdRegistry(0);
    std::set<uintptr_t> open;
};

// The last to take a record owns it; when the owner closes, the earliest opened holder left
// does; a holder that is not the owner leaves the owner as it was.
TEST_F(RegistryAloneTest, OwnershipPassesToTheEarliestHolderLeft) {
    MfdSettings* record = Take(1, 1, 0);
    EXPECT_EQ(Take(2, 1, 0), record);
    EXPECT_EQ(Take(3, 1, 0), record);
    EXPECT_EQ(registry->OwnerOf(record), Display(3));
    Return(2);
    EXPECT_EQ(registry->OwnerOf(record), Display(3));
    Return(3);
    EXPECT_EQ(registry->OwnerOf(record), Display(1));
    Return(1);
    EXPECT_EQ(registry->OwnerOf(record), nullptr);
    EXPECT_EQ(registry->OpenDisplayCount(), 0u);
    EXPECT_EQ(Take(4, 1, 5), record); // free, so taken
}

// A display moving to the record of another id hands back the one it held: its other holder
// owns it now, and a record dropped with its vessel goes with its last holder (AddressSanitizer
// and LeakSanitizer tell a wrong free either way).
TEST_F(RegistryAloneTest, MovingToAnotherIdHandsTheOldRecordBack) {
    MfdSettings* shared = Take(1, 1, 0);
    Take(2, 1, 0);
    MfdSettings* moved = registry->TakeRecordOfId(Display(2), 7);
    EXPECT_NE(moved, shared);
    EXPECT_EQ(moved->mfdId, 7);
    EXPECT_EQ(registry->OwnerOf(moved), Display(2));
    EXPECT_EQ(registry->OwnerOf(shared), Display(1));

    registry->DeleteVessel(Ship(1));
    EXPECT_EQ(registry->RecordCount(), 0u);
    shared->tankIndex = 2;                   // still its holder's
    registry->TakeRecordOfId(Display(1), 3); // the dropped record's last holder moves away
    EXPECT_EQ(registry->RecordCount(), 1u);
    EXPECT_EQ(registry->TakeRecordOfId(Display(9), 3), nullptr); // a display it does not know
}

// The module releases the registry while displays are open (the host's fast shutdown): the
// registry ends its session and lasts until the last display given a record closes.
TEST_F(RegistryAloneTest, AReleasedRegistryLastsUntilItsLastDisplayCloses) {
    Take(1, 1, 0);
    Take(2, 2, 0);
    registry->DeleteVessel(Ship(2));
    MfdRegistry* released = std::exchange(registry, nullptr);
    released->ReleaseRegistry();
    EXPECT_EQ(released->RecordCount(), 0u);
    EXPECT_EQ(released->OpenDisplayCount(), 0u);
    released->ReturnRecord(Display(1));
    released->ReturnRecord(Display(2)); // frees it
}

} // namespace
