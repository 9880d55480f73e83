// Outside Windows there is no DllMain: the shared library's load and unload hooks run the same
// attach and detach steps. The module's handle is an address inside its own image, which the
// host's GetProcAddress resolves back to the library.
#include "module/module.h"

extern "C" void* __dso_handle;

namespace {

HINSTANCE OwnHandle() {
    return reinterpret_cast<HINSTANCE>(&__dso_handle);
}

__attribute__((constructor)) void OnLoad() {
    DllMain(OwnHandle(), DLL_PROCESS_ATTACH, nullptr);
}

__attribute__((destructor)) void OnUnload() {
    DllMain(OwnHandle(), DLL_PROCESS_DETACH, nullptr);
}

} // namespace
