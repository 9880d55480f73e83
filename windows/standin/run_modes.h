// The stand-in orbiter.exe's runs, one file each; orbiter_main.cpp picks one from the command line.
#pragma once

#include "standin/stand_in_host.h"

namespace standin {

// The smoke run (smoke_run.cpp): the steps of windows/smoke/steps.txt on GL-01 and PB-01, then
// the transcript compared with `expectPath` when it is not null.
void MakeSmokeVessels();
int RunSmokeSteps(const char* expectPath);

// A scenario started as the simulator starts it, and its displays drawn (scenario_play.cpp).
int PlayScenario(const char* path);

// How long each page's redraw takes on the focus vessel (redraw_timing.cpp).
int TimeRedraws(int count);

// The first display opened with no memory left for the module (allocation_failure_run.cpp).
void OpenWithoutMemory(Vessel& vessel);

} // namespace standin
