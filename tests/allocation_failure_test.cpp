// Running out of memory: the global allocator of this program fails the n-th allocation from a
// chosen moment, for n = 1, 2, … until an operation completes without reaching it. Each failure
// must reach the host as std::bad_alloc, leave the registry exactly as it was before the
// operation (or, for a load, with only whole records added), leak nothing, and leave the
// module fully usable.
#include "module_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace {

long gLive = 0; // allocations not given back yet

// What one attempt kept: the host keeps a vessel that has gone as a tombstone, one allocation
// each, until the process ends; everything else must be given back.
long LiveBeyondTombstones() {
    return gLive - static_cast<long>(host_model::TombstoneCount());
}
long gCountdown = 0; // 0: nothing fails; n: the n-th allocation from now fails
bool gFailed = false;

void* Allocate(std::size_t size) {
    if (gCountdown > 0 && --gCountdown == 0) {
        gFailed = true;
        throw std::bad_alloc();
    }
    void* p = std::malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    ++gLive;
    return p;
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment) {
    if (gCountdown > 0 && --gCountdown == 0) {
        gFailed = true;
        throw std::bad_alloc();
    }
    const std::size_t a = static_cast<std::size_t>(alignment);
    void* p = std::aligned_alloc(a, (size + a - 1) / a * a);
    if (!p)
        throw std::bad_alloc();
    ++gLive;
    return p;
}

void Release(void* p) noexcept {
    if (!p)
        return;
    --gLive;
    std::free(p);
}

} // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return AllocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return AllocateAligned(size, alignment);
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    Release(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    Release(p);
}

namespace {

struct Attempt {
    bool failureInjected = false; // the n-th allocation was reached
    bool badAlloc = false;        // and std::bad_alloc came out of the operation
    bool otherException = false;
};

template <class Operation> Attempt FailAllocation(long n, Operation&& operation) {
    Attempt attempt;
    gFailed = false;
    gCountdown = n;
    try {
        operation();
    } catch (const std::bad_alloc&) {
        attempt.badAlloc = true;
    } catch (...) {
        attempt.otherException = true;
    }
    gCountdown = 0;
    attempt.failureInjected = gFailed;
    return attempt;
}

// A record by value, with its vessel by name and its owner by display id, so that registries of
// different runs can be compared.
struct RecordView {
    std::string vessel;
    int id;
    int page, mass, angle, notation;
    uint32_t tank, engine;
    int owner; // display id, -1 when free, -2 when held by a display the host does not show
    bool operator==(const RecordView& o) const {
        return vessel == o.vessel && id == o.id && page == o.page && mass == o.mass &&
               angle == o.angle && notation == o.notation && tank == o.tank && engine == o.engine &&
               owner == o.owner;
    }
};

std::ostream& operator<<(std::ostream& out, const RecordView& r) {
    return out << r.vessel << "/" << r.id << " page " << r.page << " mass " << r.mass << " angle "
               << r.angle << " notation " << r.notation << " tank " << r.tank << " engine "
               << r.engine << " owner " << r.owner;
}

struct RegistryView {
    std::vector<const MfdSettings*> recordObjects;
    std::vector<RecordView> records;
    std::vector<int> openDisplays; // by display id, in the registry's order
    bool operator==(const RegistryView& o) const {
        return records == o.records && openDisplays == o.openDisplays;
    }
};

int DisplayIdOf(sim::Host& host, const void* mfd) {
    if (!mfd)
        return -1;
    for (int id = 0; id < MAXMFD; ++id)
        if (host.IsOpen(id) && host.DisplayAt(id)->mfd == mfd)
            return id;
    return -2;
}

RegistryView View(sim::Host& host) {
    RegistryView view;
    for (size_t i = 0; i < gRegistry->RecordCount(); ++i) {
        const MfdSettings& r = *gRegistry->RecordAt(i);
        view.recordObjects.push_back(&r);
        view.records.push_back({static_cast<sim::Vessel*>(r.vessel)->Name(), r.mfdId,
                                r.parametersMode, r.massDisplay, r.enginesDisplay, r.notation,
                                r.tankIndex, r.engineIndex,
                                DisplayIdOf(host, gRegistry->OwnerOf(&r))});
    }
    for (size_t i = 0; i < gRegistry->OpenDisplayCount(); ++i)
        view.openDisplays.push_back(DisplayIdOf(host, gRegistry->OpenDisplayAt(i)));
    return view;
}

// A session with three vessels and the module linked in; ends with every display closed and the
// module unloaded.
struct Session {
    Session() {
        ResetModuleStateForTesting();
        host.LinkModule(LinkedExports());
        host.AddVessel("GL-01", DeltaGliderClass());
        host.AddVessel("PB-02", EmptyClass("ShuttlePB", 500));
        host.AddVessel("Probe-3", EmptyClass("Probe", 300));
    }
    ~Session() { host.UnloadModule(); }
    sim::Host host;
};

// Whatever happened before, the module still does everything: displays open on every vessel,
// take presses, draw every page, save, and the session ends with no record left.
void ExerciseEverything(sim::Host& host) {
    for (const auto& vessel : host.Vessels()) {
        host.SetFocus(vessel);
        for (int id : {0, 1, 4}) {
            ASSERT_TRUE(host.OpenDisplay(id, "Kelvane"));
            for (int press = 0; press < 3; ++press) {
                host.Draw(id);
                EXPECT_TRUE(host.Press(id, press == 1 ? 3 : 0, PANEL_MOUSE_LBDOWN));
            }
        }
    }
    const size_t records = gRegistry->RecordCount();
    host.CloseAllDisplays();
    EXPECT_EQ(gRegistry->OpenDisplayCount(), 0u);
    EXPECT_EQ(host.SaveState().size(), records * 10);
    host.EndSession();
    EXPECT_EQ(gRegistry->RecordCount(), 0u);
}

// ---------------------------------------------------------------------------------------------
// A display opens: the message procedure makes the display and the registry attaches a record.

struct OpeningCase {
    const char* name;
    void (*before)(sim::Host&); // leaves the session as the display finds it
    int id;                     // the display that then opens
};

void NothingBefore(sim::Host&) {}

void FreeRecordBefore(sim::Host& host) {
    host.OpenDisplay(0, "Kelvane");
    host.CloseDisplay(0);
}

// Display 1 holds the record made for display 0, which opening display 0 takes over.
void HeldSameIdBefore(sim::Host& host) {
    host.OpenDisplay(0, "Kelvane");
    host.CloseDisplay(0);
    host.OpenDisplay(1, "Kelvane");
}

// Four records and four open displays: both lists are full and must grow.
void FullListsBefore(sim::Host& host) {
    for (int id = 0; id < 4; ++id)
        host.OpenDisplay(id, "Kelvane");
}

// Records of other vessels in front, and one of them already deleted.
void OtherVesselsBefore(sim::Host& host) {
    for (const auto& vessel : host.Vessels()) {
        host.SetFocus(vessel);
        host.OpenDisplay(2, "Kelvane");
        host.OpenDisplay(3, "Kelvane");
    }
    host.DeleteVessel("PB-02");
    host.SetFocus(host.FindVessel("GL-01"));
}

const OpeningCase kOpeningCases[] = {
    {"first display on a vessel", NothingBefore, 0},
    {"a free record of another id is taken", FreeRecordBefore, 1},
    {"the same id takes over a held record", HeldSameIdBefore, 0},
    {"both lists full", FullListsBefore, 5},
    {"records of other vessels", OtherVesselsBefore, 7},
};

class OpeningTest : public testing::TestWithParam<OpeningCase> {};

TEST_P(OpeningTest, EveryAllocationFailingInTurnLeavesTheRegistryAsItWas) {
    const OpeningCase& c = GetParam();
    // Without failures: what opening the display gives.
    RegistryView opened;
    {
        Session s;
        c.before(s.host);
        ASSERT_TRUE(s.host.OpenDisplay(c.id, "Kelvane"));
        opened = View(s.host);
    }
    long n = 1;
    for (;; ++n) {
        const long liveBefore = LiveBeyondTombstones();
        bool done = false;
        {
            Session s;
            c.before(s.host);
            const RegistryView before = View(s.host);
            const Attempt attempt = FailAllocation(n, [&] { s.host.OpenDisplay(c.id, "Kelvane"); });
            done = !attempt.failureInjected;
            if (!done) {
                ASSERT_TRUE(attempt.badAlloc) << "allocation " << n << " failed silently";
                ASSERT_FALSE(attempt.otherException) << "allocation " << n;
                EXPECT_FALSE(s.host.IsOpen(c.id)) << "allocation " << n;
                const RegistryView after = View(s.host);
                EXPECT_TRUE(after == before) << "allocation " << n << " changed the registry";
                EXPECT_EQ(after.recordObjects, before.recordObjects) << "allocation " << n;
                // Opening again now gives what it gives with memory to spare.
                ASSERT_TRUE(s.host.OpenDisplay(c.id, "Kelvane")) << "allocation " << n;
                EXPECT_TRUE(View(s.host) == opened) << "allocation " << n;
                ExerciseEverything(s.host);
            }
        }
        const long neverGivenBack = LiveBeyondTombstones() - liveBefore;
        EXPECT_EQ(neverGivenBack, 0) << "allocation " << n;
        if (done || HasFatalFailure())
            break;
    }
    // The module allocates the display at least (the host keeps its instruments in a table).
    EXPECT_GT(n, 1) << "opening made fewer allocations than it must";
}

INSTANTIATE_TEST_SUITE_P(Cases, OpeningTest, testing::ValuesIn(kOpeningCases),
                         [](const testing::TestParamInfo<OpeningCase>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

// ---------------------------------------------------------------------------------------------
// A module block loads: records are made and appended while the host's reader hands out lines.

const std::vector<std::string> kModuleBlock = {"  BEGIN_KX_MFD_INFO ",
                                               "    VESSEL GL-01",
                                               "  TANK_INDEX 1",
                                               "  ENGINE_INDEX 20",
                                               "    MFD_ID 5",
                                               "  NOTATION EXP",
                                               "    PARAMETERSMODE TANKS",
                                               "    MASSDISPLAY PERCENTAGE",
                                               "    ENGINESDISPLAY DEGREES",
                                               "  END_KX_MFD_INFO ",
                                               "  BEGIN_KX_MFD_INFO ",
                                               "    VESSEL Ghost-9",
                                               "    MFD_ID 1",
                                               "  END_KX_MFD_INFO ",
                                               "  BEGIN_KX_MFD_INFO ",
                                               "    VESSEL PB-02",
                                               "    MFD_ID 1",
                                               "    PARAMETERSMODE ENGINES",
                                               "  END_KX_MFD_INFO ",
                                               "  BEGIN_KX_MFD_INFO ",
                                               "    VESSEL Probe-3",
                                               "    MFD_ID 7",
                                               "    MASSDISPLAY METRIC_TONS",
                                               "  END_KX_MFD_INFO ",
                                               "  BEGIN_KX_MFD_INFO ",
                                               "    VESSEL gl-01",
                                               "  TANK_INDEX -1",
                                               "  END_KX_MFD_INFO ",
                                               "END"};

// What the block gives, in order.
const std::vector<RecordView> kLoaded = {
    {"GL-01", 5, TANKS, PERCENTAGE, DEGREES, EXP, 1, 20, -1},
    {"PB-02", 1, ENGINES, KILOGRAMS, RADIANS, SI, 0, 0, -1},
    {"Probe-3", 7, MASS, METRIC_TONS, RADIANS, SI, 0, 0, -1},
    {"GL-01", 0, MASS, KILOGRAMS, RADIANS, SI, 0xFFFFFFFFu, 0, -1},
};

// Three free records before the load, so the records list grows while the block is read.
void ThreeFreeRecords(sim::Host& host) {
    for (int id = 0; id < 3; ++id)
        host.OpenDisplay(id, "Kelvane");
    host.CloseAllDisplays();
}

TEST(LoadingTest, EveryAllocationFailingInTurnKeepsOnlyWholeRecords) {
    long n = 1;
    size_t partialLoads = 0;
    for (;; ++n) {
        const long liveBefore = LiveBeyondTombstones();
        bool done = false;
        {
            Session s;
            ThreeFreeRecords(s.host);
            const RegistryView before = View(s.host);
            Attempt attempt;
            {
                sim::ScenarioReader reader(kModuleBlock);
                attempt = FailAllocation(n, [&] { s.host.LoadState(reader); });
            }
            done = !attempt.failureInjected;
            const RegistryView after = View(s.host);
            ASSERT_GE(after.records.size(), before.records.size()) << "allocation " << n;
            const size_t kept = after.records.size() - before.records.size();
            ASSERT_LE(kept, kLoaded.size()) << "allocation " << n;
            // The records from before stay where they were; the new ones are the block's first.
            for (size_t i = 0; i < before.records.size(); ++i) {
                EXPECT_EQ(after.recordObjects[i], before.recordObjects[i]) << "allocation " << n;
                EXPECT_EQ(after.records[i], before.records[i]) << "allocation " << n;
            }
            for (size_t i = 0; i < kept; ++i)
                EXPECT_EQ(after.records[before.records.size() + i], kLoaded[i])
                    << "allocation " << n << ", loaded record " << i;
            if (done) {
                EXPECT_EQ(kept, kLoaded.size());
            } else {
                ASSERT_TRUE(attempt.badAlloc) << "allocation " << n << " failed silently";
                ASSERT_FALSE(attempt.otherException) << "allocation " << n;
                if (kept > 0)
                    ++partialLoads;
                // Loading the block again with memory to spare adds all of it.
                sim::ScenarioReader again(kModuleBlock);
                s.host.LoadState(again);
                EXPECT_EQ(gRegistry->RecordCount(), before.records.size() + kept + kLoaded.size())
                    << "allocation " << n;
                ExerciseEverything(s.host);
            }
        }
        const long neverGivenBack = LiveBeyondTombstones() - liveBefore;
        EXPECT_EQ(neverGivenBack, 0) << "allocation " << n;
        if (done || HasFatalFailure())
            break;
    }
    EXPECT_GT(n, static_cast<long>(kLoaded.size()));
    EXPECT_GT(partialLoads, 0u) << "no failure came after a record was kept";
}

// ---------------------------------------------------------------------------------------------
// A display reads its status: its own block names another id, so it moves to a new record.

const std::vector<std::string> kRightBlock = {
    "  MFD_ID 1",     "  PARAMETERSMODE TANKS",   "  TANK_INDEX 1",           "  ENGINE_INDEX 4",
    "  NOTATION EXP", "  MASSDISPLAY PERCENTAGE", "  ENGINESDISPLAY DEGREES", "END_MFD"};

// The closed left display's record is free; the right display opens and takes it.
void RightTakesLeftsRecord(sim::Host& host) {
    sim::ScenarioReader block({"BEGIN_KX_MFD_INFO", "VESSEL GL-01", "MFD_ID 0",
                               "PARAMETERSMODE ENGINES", "END_KX_MFD_INFO", "END"});
    host.LoadState(block);
    host.OpenDisplay(MFD_RIGHT, "Kelvane");
}

TEST(ReadingTest, EveryAllocationFailingInTurnLeavesTheDisplayOnAWholeRecord) {
    RegistryView read;
    {
        Session s;
        RightTakesLeftsRecord(s.host);
        sim::ScenarioReader reader(kRightBlock);
        s.host.ReadStatus(MFD_RIGHT, reader);
        read = View(s.host);
        ASSERT_EQ(read.records.size(), 2u); // the display moved to a record of its own id
    }
    long n = 1;
    for (;; ++n) {
        const long liveBefore = LiveBeyondTombstones();
        bool done = false;
        {
            Session s;
            RightTakesLeftsRecord(s.host);
            const RegistryView before = View(s.host);
            Attempt attempt;
            {
                sim::ScenarioReader reader(kRightBlock);
                attempt = FailAllocation(n, [&] { s.host.ReadStatus(MFD_RIGHT, reader); });
            }
            done = !attempt.failureInjected;
            if (!done) {
                ASSERT_TRUE(attempt.badAlloc) << "allocation " << n << " failed silently";
                ASSERT_FALSE(attempt.otherException) << "allocation " << n;
                // The display holds a record of the registry, as its owner; the left display's
                // record keeps its settings.
                const RegistryView after = View(s.host);
                const KelvaneMfd* right =
                    static_cast<KelvaneMfd*>(s.host.DisplayAt(MFD_RIGHT)->mfd);
                ASSERT_TRUE(after.records.size() == 1 || after.records.size() == 2)
                    << "allocation " << n;
                EXPECT_NE(std::find(after.recordObjects.begin(), after.recordObjects.end(),
                                    right->Settings()),
                          after.recordObjects.end())
                    << "allocation " << n;
                EXPECT_EQ(gRegistry->OwnerOf(right->Settings()), right) << "allocation " << n;
                EXPECT_EQ(after.recordObjects[0], before.recordObjects[0]) << "allocation " << n;
                EXPECT_EQ(after.records[0].page, static_cast<int>(ENGINES)) << "allocation " << n;
                // Reading the block again with memory to spare ends where a clean read ends.
                sim::ScenarioReader again(kRightBlock);
                s.host.ReadStatus(MFD_RIGHT, again);
                EXPECT_TRUE(View(s.host) == read) << "allocation " << n;
                ExerciseEverything(s.host);
            }
        }
        const long neverGivenBack = LiveBeyondTombstones() - liveBefore;
        EXPECT_EQ(neverGivenBack, 0) << "allocation " << n;
        if (done || HasFatalFailure())
            break;
    }
    EXPECT_GT(n, 1);
}

// The counting itself: an allocation that fails is reported, the ones before it are not lost.
TEST(TestAllocator, FailsExactlyTheChosenAllocation) {
    std::vector<void*> kept;
    kept.reserve(3);
    const long liveBefore = gLive;
    const Attempt attempt = FailAllocation(3, [&] {
        kept.push_back(::operator new(8));
        kept.push_back(::operator new(8));
        kept.push_back(::operator new(8));
    });
    EXPECT_TRUE(attempt.failureInjected);
    EXPECT_TRUE(attempt.badAlloc);
    EXPECT_EQ(kept.size(), 2u);
    EXPECT_EQ(gLive, liveBefore + 2);
    for (void* p : kept)
        ::operator delete(p);
    EXPECT_EQ(gLive, liveBefore);
}

} // namespace
