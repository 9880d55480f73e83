#include "sim/host_crash.h"

#include "host_model/host_model.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace sim {
namespace {
HostCrashHandler g_handler = nullptr;
} // namespace

void SetHostCrashHandler(HostCrashHandler handler) {
    g_handler = handler;
}

} // namespace sim

void host_model::EndRunAtCrash(const char* message) {
    if (sim::g_handler)
        sim::g_handler(message);
    std::cout.flush();
    std::fflush(nullptr);
    std::fprintf(stderr, "%s: %s\n", gHost.program ? gHost.program : "kelvane-sim", message);
    std::fflush(stderr);
    // At once: nothing of the session may run on, not even the module's unload step.
    std::_Exit(kHostCrashStatus);
}
