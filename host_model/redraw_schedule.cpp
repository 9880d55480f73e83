#include "host_model/redraw_schedule.h"

namespace host_model {

void AdvanceFrame(HostClock& clock, double seconds) {
    clock.realTime += seconds;
    if (!clock.paused)
        clock.simTime += seconds;
}

bool ScheduleDue(const RedrawSchedule& schedule, const HostClock& clock) {
    // Times summed from frames carry rounding: 25 frames of 0.02 s are an interval.
    const double kSlack = 1e-9;
    if (schedule.asked)
        return true;
    return clock.simTime - schedule.lastSimTime >= kMfdUpdateInterval - kSlack &&
           clock.realTime - schedule.lastRealTime >= kMinRedrawSpacing - kSlack;
}

void NoteRedrawInSchedule(RedrawSchedule& schedule, const HostClock& clock) {
    schedule.lastSimTime = clock.simTime;
    schedule.lastRealTime = clock.realTime;
    schedule.asked = false;
}

} // namespace host_model
