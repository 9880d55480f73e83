// The host's state, from its start to its stop.
#include "host_model/host_model.h"

#include <stdlib.h>

namespace host_model {

HostState gHost;

void StartHost(const char* program, int displayCount) {
    if (gHost.running)
        HostCrash("StartHost", "while a host runs already");
    gHost = HostState();
    gHost.running = true;
    gHost.program = program;
    gHost.displayCount = displayCount;
}

// Displays are only made after the host has started, and never after the process has ended.
void RequireRunning(const char* step) {
    if (!gHost.running || gHost.processEnded)
        HostCrash(step, gHost.processEnded ? "after the process ended (a fast shutdown)"
                                           : "before the host started");
}

void StopHost() {
    CloseAllDisplays();
    while (gHost.vesselCount > 0)
        RemoveVessel(gHost.vessels[gHost.vesselCount - 1], VesselFate::SessionEnded);
    free(gHost.vessels);
    gHost.vessels = nullptr;
    gHost.vesselCapacity = 0;
    gHost.running = false;
}

} // namespace host_model
