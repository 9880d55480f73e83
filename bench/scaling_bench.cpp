// How the module's costs grow: the tank page with the thrusters of the vessel, LoadState with the
// blocks of the module's scenario block, AttachDisplay with the records in the registry, and
// DeleteVessel with the records of the vessel. Each reports the time per item.
#include "bench_world.h"

#include "sim/scenario_stream.h"

#include <chrono>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

void PerItem(benchmark::State& state, const char* name) {
    state.SetComplexityN(state.range(0));
    state.counters[name] = benchmark::Counter(static_cast<double>(state.range(0)),
                                              benchmark::Counter::kIsIterationInvariantRate |
                                                  benchmark::Counter::kInvert);
}

// One tank feeding every thruster: the tank page lists them all.
sim::VesselClass ManyThrusters(long count) {
    sim::VesselClass c;
    c.name = "Thrusters";
    c.emptyMass = 1000;
    c.pmi = VECTOR3{{1, 1, 1}};
    c.tankCapacities = {5000};
    for (long i = 0; i < count; ++i) {
        sim::ThrusterSpec t;
        t.pos = VECTOR3{{0, 0, -1}};
        t.dir = VECTOR3{{0, 0, 1}};
        t.max0 = 1000;
        t.isp0 = 3000 + static_cast<double>(i);
        t.tank = 0;
        c.thrusters.push_back(t);
    }
    return c;
}

void BM_TankPageThrusters(benchmark::State& state) {
    bench::Restart();
    sim::Host& host = bench::TheHost();
    host.AddVessel("T-1", ManyThrusters(state.range(0))).SetAllTankLevels(0.5);
    KelvaneMfd* display = bench::OpenDisplay(host, 0);
    display->Settings()->parametersMode = TANKS;
    bench::TimeRedraws(state, *display);
    PerItem(state, "per_thruster");
}
BENCHMARK(BM_TankPageThrusters)
    ->RangeMultiplier(10)
    ->Range(1, 10000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

const char* const kBlockVessels[] = {"GL-01", "PB-01", "SH-01", "CP-7"};

// `blocks` blocks as SaveState writes them, on four vessels in turn, then the host's END.
std::vector<std::string> ModuleBlock(long blocks, const char* onlyVessel = nullptr) {
    std::vector<std::string> lines;
    for (long i = 0; i < blocks; ++i) {
        const std::string vessel = onlyVessel ? onlyVessel : kBlockVessels[i % 4];
        const std::vector<std::string> block = {"  BEGIN_KX_MFD_INFO ",
                                                "    VESSEL " + vessel,
                                                "  TANK_INDEX " + std::to_string(i % 3),
                                                "  ENGINE_INDEX " + std::to_string(i % 21),
                                                "    MFD_ID " + std::to_string(i % 12),
                                                "  NOTATION SI",
                                                "    PARAMETERSMODE TANKS",
                                                "    MASSDISPLAY KILOGRAMS",
                                                "    ENGINESDISPLAY RADIANS",
                                                "  END_KX_MFD_INFO "};
        lines.insert(lines.end(), block.begin(), block.end());
    }
    lines.push_back("END");
    return lines;
}

void AddBlockVessels(sim::Host& host) {
    sim::VesselClass c;
    c.name = "Probe";
    c.emptyMass = 100;
    c.pmi = VECTOR3{{1, 1, 1}};
    for (const char* name : kBlockVessels)
        host.AddVessel(name, c);
}

// Times LoadState alone: the reader's copy of the lines and the release of the loaded records
// happen outside the measured time.
void BM_LoadStateBlocks(benchmark::State& state) {
    const std::vector<std::string> lines = ModuleBlock(state.range(0));
    sim::Host& host = bench::TheHost();
    for (auto _ : state) {
        bench::Restart();
        AddBlockVessels(host);
        sim::ScenarioReader reader(lines);
        const Clock::time_point start = Clock::now();
        host.LoadState(reader);
        const Clock::time_point end = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        if (gRegistry->RecordCount() != static_cast<size_t>(state.range(0))) {
            state.SkipWithError("the load kept another number of records");
            break;
        }
    }
    PerItem(state, "per_block");
}
BENCHMARK(BM_LoadStateBlocks)
    ->RangeMultiplier(10)
    ->Range(1, 100000)
    ->UseManualTime()
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

// N free records of other vessels, then the one record of CP-7 that a display opened there
// takes: the registry's search passes all of them. Gives CP-7 and that record's display id.
sim::Vessel* LoadRecordsBeforeOwn(long count, int& id) {
    bench::Restart();
    sim::Host& host = bench::TheHost();
    AddBlockVessels(host);
    std::vector<std::string> lines = ModuleBlock(count, "GL-01");
    lines.pop_back();
    const std::vector<std::string> own = ModuleBlock(1, "CP-7");
    lines.insert(lines.end(), own.begin(), own.end());
    sim::ScenarioReader reader(lines);
    host.LoadState(reader);
    id = gRegistry->RecordAt(gRegistry->RecordCount() - 1)->mfdId;
    return host.FindVessel("CP-7");
}

// N records of other vessels, then the one the display takes: the search passes all of them.
void BM_AttachDisplayRecords(benchmark::State& state) {
    int id = 0;
    sim::Vessel* last = LoadRecordsBeforeOwn(state.range(0), id);
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        KelvaneMfd* display = new KelvaneMfd(*gRegistry, id, 256, 256, last);
        const Clock::time_point end = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        if (display->Settings() != gRegistry->RecordAt(gRegistry->RecordCount() - 1)) {
            state.SkipWithError("the display took another record");
            delete display;
            break;
        }
        delete display;
    }
    PerItem(state, "per_record");
}
BENCHMARK(BM_AttachDisplayRecords)
    ->RangeMultiplier(10)
    ->Range(1, 100000)
    ->UseManualTime()
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

// The same display opened and closed, as the host does it: AttachDisplay and DetachDisplay.
void BM_AttachDetachRecords(benchmark::State& state) {
    int id = 0;
    sim::Vessel* last = LoadRecordsBeforeOwn(state.range(0), id);
    for (auto _ : state)
        delete new KelvaneMfd(*gRegistry, id, 256, 256, last);
    PerItem(state, "per_record");
}
BENCHMARK(BM_AttachDetachRecords)
    ->RangeMultiplier(10)
    ->Range(1, 100000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

// A vessel with N records goes (opcDeleteVessel), with the records of three other vessels
// interleaved.
void BM_DeleteVesselRecords(benchmark::State& state) {
    const std::vector<std::string> lines = ModuleBlock(state.range(0) * 4);
    sim::Host& host = bench::TheHost();
    for (auto _ : state) {
        bench::Restart();
        AddBlockVessels(host);
        sim::ScenarioReader reader(lines);
        host.LoadState(reader);
        sim::Vessel* vessel = host.FindVessel("GL-01");
        const Clock::time_point start = Clock::now();
        host.Module().deleteVessel(static_cast<OBJHANDLE>(vessel));
        const Clock::time_point end = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    PerItem(state, "per_record");
}
// Each iteration loads four times N blocks untimed: a short minimum time keeps the run short.
BENCHMARK(BM_DeleteVesselRecords)
    ->RangeMultiplier(10)
    ->Range(1, 10000)
    ->MinTime(0.02)
    ->UseManualTime()
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
