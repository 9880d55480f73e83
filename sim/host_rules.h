// What the simulator does the same way in both stand-in hosts, kelvane-sim's and the Windows
// orbiter.exe: the display's character cell, the line the host logs when it loads a module, the
// schedule of a display's redraws and the MFD base class's default behaviour. Plain C++ on the
// host interface alone, so that the Windows stand-in, built without a C++ library, compiles it
// too.
#pragma once

#include "host/orbiter_api.h"

#include <stddef.h>

// The display's character cell as the host computes it from the display's height.
void CellSizeFor(DWORD height, DWORD& cw, DWORD& ch);

// The line InitLib writes to the host's log for a module file: "Module " + the file name + " ",
// padded with dots to 30 characters, then " [Build yymmdd, API yymmdd]", where the build is the
// date that the module's ModuleDate export gives and the API its GetModuleVersion; an export the
// module lacks shows as "******". `line` always ends in a zero within `size`.
void FormatModuleLogLine(char* line, size_t size, const char* fileName, bool hasBuild, int build,
                         bool hasApi, int api);

// The host's redraw schedule of one display. The host redraws a display when the simulation
// time has advanced by the update interval since its last redraw, at most ten times a second of
// real time; while the simulation is paused that never comes. A display that asks for a redraw
// (MFD::InvalidateDisplay), or has just opened, is redrawn at the next frame, paused or not.
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
bool RedrawDue(const RedrawSchedule& schedule, const HostClock& clock);
void NoteRedraw(RedrawSchedule& schedule, const HostClock& clock);
