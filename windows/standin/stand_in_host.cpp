// What only the stand-in orbiter.exe supplies to the host's model: how it ends a run where the
// simulator would crash, how it draws the host's own text, and the name of a loaded module.
#include "standin/stand_in_host.h"
#include "standin/win32_extra.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

void host_model::EndRunAtCrash(const char* message) {
    char line[640];
    FormatText(line, sizeof line, "orbiter.exe: %s\n", message);
    fflush(nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, static_cast<DWORD>(strlen(line)), &written,
              nullptr);
    // At once: no exit handler, no module detach step.
    TerminateProcess(GetCurrentProcess(), kHostCrashStatus);
    abort();
}

void host_model::DrawHostText(HDC dc, int x, int y, const char* text, int length) {
    standin::RecordingTextOutA(dc, x, y, text, length);
}

void host_model::ModuleFileNameOf(HINSTANCE module, char* name, size_t size) {
    char path[260];
    const DWORD length = GetModuleFileNameA(reinterpret_cast<HMODULE>(module), path, sizeof path);
    path[length < sizeof path ? length : sizeof path - 1] = '\0';
    const char* base = strrchr(path, '\\');
    FormatText(name, size, "%s", base ? base + 1 : path);
}

namespace standin {

const host_model::VesselFigures* FindStockClass(const char* name) {
    for (int i = 0; i < kStockClassCount; ++i)
        if (_stricmp(kStockClasses[i].className, name) == 0)
            return &kStockClasses[i];
    return nullptr;
}

bool BesideExecutable(const char* exePath, const char* relative, char* path, size_t size) {
    host_model::FormatText(path, size, "%s", exePath);
    char* slash = strrchr(path, '\\');
    if (slash)
        slash[1] = '\0';
    else
        path[0] = '\0';
    if (strlen(path) + strlen(relative) >= size)
        return false;
    memcpy(path + strlen(path), relative, strlen(relative) + 1);
    return true;
}

} // namespace standin
