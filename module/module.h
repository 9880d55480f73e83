// The module's boundary with the host: its exports, its message procedure and its module-wide
// state.
#pragma once

#include "host/orbiter_api.h"

#ifdef _WIN32
#define KELVANE_EXPORT extern "C" __declspec(dllexport)
#else
#define KELVANE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

KELVANE_EXPORT void InitModule(HINSTANCE hModule);
KELVANE_EXPORT void ExitModule(HINSTANCE hModule);
KELVANE_EXPORT int GetModuleVersion(void);
// The release date, "Mmm dd yyyy": the host logs it as the module's build.
KELVANE_EXPORT char* ModuleDate(void);
KELVANE_EXPORT void opcDeleteVessel(OBJHANDLE hVessel);
KELVANE_EXPORT void opcSaveState(FILEHANDLE scn);
KELVANE_EXPORT void opcLoadState(FILEHANDLE scn);
// The end of a session: the host has destroyed every vessel, without opcDeleteVessel.
KELVANE_EXPORT void opcCloseRenderViewport(void);

OAPI_MSGTYPE MsgProc(UINT msg, UINT mfd, WPARAM wparam, LPARAM lparam);

// The attach and detach steps of the library entry point, shared by DllMain and the load hook.
BOOL WINAPI DllMain(HINSTANCE hModule, DWORD reason, LPVOID reserved);

class MfdRegistry;
// The one registry: created by InitModule, null before it and after ExitModule.
extern MfdRegistry* gRegistry;

// For tests: forgets the remembered exit function and version, as a fresh load would.
void ResetModuleStateForTesting();
