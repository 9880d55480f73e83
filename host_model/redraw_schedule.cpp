#include "host_model/redraw_schedule.h"

void AdvanceFrame(HostClock& clock, double seconds) {
    clock.realTime += seconds;
    if (!clock.paused)
        clock.simTime += seconds;
}

bool RedrawDue(const RedrawSchedule& schedule, const HostClock& clock) {
    // Times summed from frames carry rounding: 25 frames of 0.02 s are an interval.
    const double kSlack = 1e-9;
    if (schedule.asked)
        return true;
    return clock.simTime - schedule.lastSimTime >= kMfdUpdateInterval - kSlack &&
           clock.realTime - schedule.lastRealTime >= kMinRedrawSpacing - kSlack;
}

void NoteRedraw(RedrawSchedule& schedule, const HostClock& clock) {
    schedule.lastSimTime = clock.simTime;
    schedule.lastRealTime = clock.realTime;
    schedule.asked = false;
}
