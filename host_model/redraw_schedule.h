// The host's redraw schedule of one display. The host redraws a display when the simulation time
// has advanced by the update interval since its last redraw, at most ten times a second of real
// time; while the simulation is paused that never comes. A display that asks for a redraw
// (MFD::InvalidateDisplay), or has just opened, is redrawn at the next frame, paused or not.
// Both stand-in hosts build this; it needs no C++ library.
#pragma once

namespace host_model {

const double kMfdUpdateInterval = 0.5; // simulation seconds, the Launchpad's default
const double kMinRedrawSpacing = 0.1;  // real seconds
const double kFrameSeconds = 0.02;     // one frame of the stand-ins' clock

struct RedrawSchedule {
    double lastSimTime = 0;
    double lastRealTime = 0;
    bool asked = true; // a new display is drawn at the next frame
};

// The host's clock: real time always runs; simulation time runs unless paused.
struct HostClock {
    double simTime = 0;
    double realTime = 0;
    bool paused = false;
};

void AdvanceFrame(HostClock& clock, double seconds);
// Whether the schedule has a redraw due at the clock's time. RedrawDue asks it of a display.
bool ScheduleDue(const RedrawSchedule& schedule, const HostClock& clock);
// A redraw at the clock's time: the interval starts again from it, and a request is answered.
void NoteRedrawInSchedule(RedrawSchedule& schedule, const HostClock& clock);

} // namespace host_model
