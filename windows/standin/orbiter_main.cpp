// The stand-in simulator's main: it loads Modules/Plugin/Kelvane.dll from beside itself and
// drives it as the simulator does, printing everything the display drew. Drawn frames are saved
// as BMP pictures in the frames folder. The runs:
//
//   orbiter.exe --scenario FILE [--expect FILE] [--frames DIR]   the smoke run (smoke_run.cpp);
//       with --expect the printed transcript must equal the file
//   orbiter.exe --play FILE [--frames DIR]     a scenario started and drawn (scenario_play.cpp)
//   orbiter.exe --time-redraw COUNT            each page's redraw timed (redraw_timing.cpp)
//   orbiter.exe --launchpad                    Modules/Plugin listed as the Launchpad's Modules
//                                              tab does (launchpad.cpp)
//
// Any failed check makes the exit code 1; a command line it cannot use, 2.
#include "standin/address_space.h"
#include "standin/launchpad.h"
#include "standin/module_driver.h"
#include "standin/run_modes.h"
#include "standin/scenario_text.h"
#include "standin/win32_extra.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

using namespace standin;

namespace {

enum class Run { None, Smoke, Play, TimeRedraw, Launchpad };

struct RunOptions {
    Run run = Run::None;
    const char* scenarioPath = nullptr;
    const char* expectPath = nullptr;
    const char* framesFolder = nullptr;
    int redraws = 0;
};

// One run and the options it takes; false for anything else.
bool ParseOptions(int argc, char** argv, RunOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        Run run = Run::None;
        if (strcmp(option, "--launchpad") == 0) {
            run = Run::Launchpad;
        } else if (!value) {
            return false;
        } else if (strcmp(option, "--scenario") == 0 || strcmp(option, "--play") == 0) {
            run = option[2] == 's' ? Run::Smoke : Run::Play;
            options.scenarioPath = value;
            ++i;
        } else if (strcmp(option, "--time-redraw") == 0) {
            run = Run::TimeRedraw;
            options.redraws = atoi(value);
            if (options.redraws <= 0)
                return false;
            ++i;
        } else if (strcmp(option, "--expect") == 0) {
            options.expectPath = value;
            ++i;
        } else if (strcmp(option, "--frames") == 0) {
            options.framesFolder = value;
            ++i;
        } else {
            return false;
        }
        if (run != Run::None) {
            if (options.run != Run::None)
                return false; // one run at a time
            options.run = run;
        }
    }
    switch (options.run) {
    case Run::Smoke:
        return true;
    case Run::Play:
        return !options.expectPath;
    case Run::TimeRedraw:
    case Run::Launchpad:
        return !options.expectPath && !options.framesFolder;
    case Run::None:
        break;
    }
    return false;
}

} // namespace

int OrbiterMain(int argc, char** argv) {
    _setmode(1, 0x8000); // stdout in binary: the transcript's line ends stay "\n"
    RunOptions options;
    if (!ParseOptions(argc, argv, options)) {
        printf("usage: orbiter.exe --scenario FILE [--expect FILE] [--frames DIR]\n"
               "       orbiter.exe --play FILE [--frames DIR]\n"
               "       orbiter.exe --time-redraw COUNT\n"
               "       orbiter.exe --launchpad\n");
        return 2;
    }
    if (options.run == Run::Launchpad)
        return ListModules(argv[0]);
    if (options.framesFolder)
        gFramesFolder = options.framesFolder;
    if (options.scenarioPath && !ReadScenario(options.scenarioPath)) {
        printf("FAIL: cannot read the scenario %s (at most %d lines)\n", options.scenarioPath,
               kMaxScenarioLines - 1);
        return 2;
    }

    host_model::StartHost("orbiter.exe", kDisplays);
    TakeMemoryBelow4GiB();
    Say("== loading the plug-in");
    if (!LoadModule(argv[0])) {
        Fail("the plug-in could not be loaded");
        return 1;
    }

    if (options.run == Run::Play)
        return PlayScenario(options.scenarioPath);
    MakeSmokeVessels();
    if (options.run == Run::TimeRedraw)
        return TimeRedraws(options.redraws);
    return RunSmokeSteps(options.expectPath);
}
