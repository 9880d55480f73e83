#include "sim/host_crash.h"

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

void HostCrash(const char* call, const std::string& reason) {
    const std::string message = std::string("the module called ") + call + " " + reason +
                                "; the simulator would crash here";
    if (g_handler)
        g_handler(message);
    std::cout.flush();
    std::fflush(nullptr);
    std::fprintf(stderr, "kelvane-sim: %s\n", message.c_str());
    std::fflush(stderr);
    // At once: nothing of the session may run on, not even the module's unload step.
    std::_Exit(kHostCrashStatus);
}

} // namespace sim
