#include "module/module.h"

#include "display/kelvane_mfd.h"
#include "settings/mfd_registry.h"

namespace {
char gModeName[] = "Kelvane";
typedef void (*ExitFunction)(HINSTANCE);
ExitFunction gExitFunction = nullptr;
int gVersion = 0;
// The date of the host's interface the module was written for, which the host turns into its
// version number.
char gInterfaceDate[] = "Apr 25 2006";
// Fixed with the release's version, never the build machine's clock, so that builds repeat.
char gReleaseDate[] = KELVANE_RELEASE_DATE;
} // namespace

MfdRegistry* gRegistry = nullptr;

BOOL WINAPI DllMain(HINSTANCE hModule, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        InitLib(hModule);
        FARPROC exit = GetProcAddress(hModule, "ExitModule");
        if (!exit)
            exit = GetProcAddress(hModule, "opcDLLExit");
        // Through the generic function type: FARPROC's own signature is not the export's.
        gExitFunction = reinterpret_cast<ExitFunction>(reinterpret_cast<void (*)()>(exit));
    } else if (reason == DLL_PROCESS_DETACH) {
        if (gExitFunction)
            gExitFunction(hModule);
    }
    return 1;
}

void InitModule(HINSTANCE) {
    if (gRegistry)
        return;
    MFDMODESPEC mode;
    mode.name = gModeName;
    mode.key = 0; // no keyboard shortcut
    mode.msgproc = MsgProc;
    // The registry's memory is allocated before the mode is registered: when it runs out,
    // nothing is registered.
    gRegistry = new MfdRegistry(oapiRegisterMFDMode(mode));
}

void ExitModule(HINSTANCE) {
    if (!gRegistry)
        return;
    const int modeId = gRegistry->ModeId();
    gRegistry->ReleaseRegistry();
    gRegistry = nullptr;
    oapiUnregisterMFDMode(modeId);
}

int GetModuleVersion(void) {
    if (gVersion == 0)
        gVersion = Date2Int(gInterfaceDate);
    return gVersion;
}

char* ModuleDate(void) {
    return gReleaseDate;
}

void opcDeleteVessel(OBJHANDLE hVessel) {
    // The host's interface look-up has no guard against a null handle, and a null one names no
    // vessel whose records could go.
    if (gRegistry && hVessel)
        gRegistry->DeleteVessel(oapiGetVesselInterface(hVessel));
}

void opcSaveState(FILEHANDLE scn) {
    if (gRegistry)
        gRegistry->SaveState(scn);
}

void opcLoadState(FILEHANDLE scn) {
    if (gRegistry)
        gRegistry->LoadState(scn);
}

// The session's vessels are gone (the host has saved them already): no record may outlive them.
void opcCloseRenderViewport() {
    if (gRegistry)
        gRegistry->EndSession();
}

OAPI_MSGTYPE MsgProc(UINT msg, UINT mfd, WPARAM wparam, LPARAM lparam) {
    if (msg != OAPI_MSG_MFD_OPENED || !gRegistry)
        return 0;
    const DWORD width = static_cast<DWORD>(wparam & 0xFFFF);
    const DWORD height = static_cast<DWORD>((wparam >> 16) & 0xFFFF);
    KelvaneMfd* display = new KelvaneMfd(*gRegistry, static_cast<int>(mfd), width, height,
                                         reinterpret_cast<VESSEL*>(lparam));
    return reinterpret_cast<OAPI_MSGTYPE>(display);
}

void ResetModuleStateForTesting() {
    gExitFunction = nullptr;
    gVersion = 0;
}
