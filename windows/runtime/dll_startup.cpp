// The plug-in's entry point without a C runtime library: it runs the C++ initialisers before the
// module's DllMain sees the process attach, and the module's exit functions after it has seen
// the detach, as Microsoft's start-up code does for a DLL.
#include "module/module.h"
#include "runtime/cxx_runtime.h"

#include <stdlib.h>

namespace {

// atexit in a DLL registers with the DLL, not with the process: the functions run when the DLL
// is unloaded. Room for a fixed number is enough for the module's few static objects.
const int kMaxExitFunctions = 32;
void(__cdecl* exitFunctions[kMaxExitFunctions])();
int exitFunctionCount = 0;

void RunExitFunctions() {
    while (exitFunctionCount > 0)
        exitFunctions[--exitFunctionCount]();
}

} // namespace

extern "C" int __cdecl atexit(void(__cdecl* function)(void)) {
    if (exitFunctionCount == kMaxExitFunctions)
        return -1;
    exitFunctions[exitFunctionCount++] = function;
    return 0;
}

extern "C" BOOL WINAPI _DllMainCRTStartup(HINSTANCE module, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH)
        RunStaticInitialisers();
    const BOOL result = DllMain(module, reason, reserved);
    if (reason == DLL_PROCESS_DETACH)
        RunExitFunctions();
    return result;
}
