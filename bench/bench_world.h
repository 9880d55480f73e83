// What the benchmarks share: a stand-in host with the module linked in, the allocation count of
// this program, and displays to draw.
#pragma once

#include "display/kelvane_mfd.h"
#include "module/module.h"
#include "settings/mfd_registry.h"
#include "sim/host.h"
#include "tests/linked_module.h"

#include <benchmark/benchmark.h>

#include <string>

namespace bench {

// Heap allocations made through operator new since the program started (counting_allocator.cpp).
long AllocationCount();

// One host for the whole program; Restart gives a fresh registry and no vessels.
inline sim::Host& TheHost() {
    static sim::Host host;
    return host;
}

inline void Restart() {
    sim::Host& host = TheHost();
    host.UnloadModule(); // first, so the vessels go without the module dropping their records
    host.EndSession();
    ResetModuleStateForTesting();
    host.LinkModule(LinkedExports());
}

inline KelvaneMfd* OpenDisplay(sim::Host& host, int id) {
    if (!host.OpenDisplay(id, "Kelvane"))
        return nullptr;
    return static_cast<KelvaneMfd*>(host.DisplayAt(id)->mfd);
}

// Redraws `display` once per iteration into a device context that records nothing, so that the
// figure is the module's own work and the host queries it makes; reports the heap allocations
// per redraw as the counter "allocs/redraw".
inline void TimeRedraws(benchmark::State& state, KelvaneMfd& display) {
    sim::DeviceContext dc;
    dc.recording = false;
    dc.cellWidth = 7;
    display.Update(&dc); // settles any index the page brings back into range
    const long before = AllocationCount();
    for (auto _ : state) {
        display.Update(&dc);
        benchmark::ClobberMemory();
    }
    const long allocations = AllocationCount() - before;
    state.counters["allocs/redraw"] =
        static_cast<double>(allocations) / static_cast<double>(state.iterations());
}

} // namespace bench
