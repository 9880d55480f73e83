// The module linked into the program instead of loaded from its file: its exports as the host
// would find them by name. For the test, fuzz and benchmark programs that link kelvane_module.
#pragma once

#include "module/module.h"
#include "sim/host.h"

inline sim::ModuleExports LinkedExports() {
    sim::ModuleExports e;
    e.moduleDate = ModuleDate;
    e.initModule = InitModule;
    e.exitModule = ExitModule;
    e.getModuleVersion = GetModuleVersion;
    e.deleteVessel = opcDeleteVessel;
    e.saveState = opcSaveState;
    e.loadState = opcLoadState;
    e.closeRenderViewport = opcCloseRenderViewport;
    return e;
}
