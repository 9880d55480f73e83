// --play: a scenario started as the simulator starts it (host_model::StartScenario), with the
// stock classes this host knows; then the pilot's view: each of the two displays is switched to
// the Kelvane mode if it is not in it already, and drawn.
#include "standin/module_driver.h"
#include "standin/run_modes.h"
#include "standin/scenario_text.h"
#include "standin/win32_extra.h"

#include <stdio.h>

namespace standin {

namespace {

const host_model::VesselFigures* StockClassOf(void*, const char* className) {
    const host_model::VesselFigures* figures = FindStockClass(className);
    if (!figures)
        Say("class %s: not a stock class this host knows: no tanks, no thrusters, no mass",
            className);
    return figures;
}

void Warn(void*, const char* message) {
    Say("warning: %s", message);
}

} // namespace

int PlayScenario(const char* path) {
    host_model::ScenarioStart start = {};
    start.path = path;
    start.lines = gScenarioLines;
    start.lineCount = gScenarioLineCount;
    start.classOf = StockClassOf;
    start.warn = Warn;
    start.width = start.height = 256;
    host_model::StartScenario(start);
    if (!host_model::gHost.focus) {
        Fail("the scenario has no ships");
        return 1;
    }
    for (int id = 0; id < kDisplays; ++id) {
        if (host_model::IsOpen(id))
            Say("%s: opened from the scenario", host_model::DisplayName(id));
        else if (!OpenDisplay(id, 256, 256))
            return 1;
        Draw(id, "played");
    }
    for (int id = 0; id < kDisplays; ++id)
        CloseDisplay(id);
    const BOOL freed = FreeLibrary(gModule);
    Say("FreeLibrary: %s", freed ? "unloaded" : "failed");
    return FinishRun(nullptr);
}

} // namespace standin
