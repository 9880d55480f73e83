// How the simulator loads a plug-in module: the functions it looks up by name, the date format of
// a module's build date, and what it logs.
#pragma once

#include "host/orbiter_api.h"

#include <stddef.h>

namespace host_model {

// What the host finds in a module by name, looked up before the module's InitModule runs.
struct ModuleEntryPoints {
    char* (*moduleDate)() = nullptr;
    void (*initModule)(HINSTANCE) = nullptr;
    void (*exitModule)(HINSTANCE) = nullptr;
    int (*getModuleVersion)() = nullptr;
    void (*deleteVessel)(OBJHANDLE) = nullptr;
    void (*saveState)(FILEHANDLE) = nullptr;
    void (*loadState)(FILEHANDLE) = nullptr;
    // Called at a session's end, after every vessel of it is gone.
    void (*closeRenderViewport)() = nullptr;
};
const int kModuleEntryPointCount = 8;
// The names, in the order of ModuleEntryPoints' members.
extern const char* const kModuleEntryPointNames[kModuleEntryPointCount];

// Each entry point through GetProcAddress(module, name); null where the module has none.
ModuleEntryPoints FindModuleEntryPoints(HMODULE module);
// The entry point called `name`, as GetProcAddress would give it; null for any other name.
FARPROC ModuleEntryPointNamed(const ModuleEntryPoints& entryPoints, const char* name);
// Whether the entry point kModuleEntryPointNames[index] is there.
bool HasModuleEntryPoint(const ModuleEntryPoints& entryPoints, int index);

// The number Date2Int makes of a date such as "Dec  9 2026" (the compiler's __DATE__): yymmdd;
// 0 for text that is no such date.
int ModuleDateNumber(const char* date);

// The module's name as scenario files know it (BEGIN_<name>): its file name without the folder
// ('\' or '/') and from the first '.' on. `name` always ends in a zero within `size`.
void ModuleNameOf(const char* fileName, char* name, size_t size);

// The line InitLib writes to the host's log for a module file: "Module " + the file name + " ",
// padded with dots to 30 characters, then " [Build yymmdd, API yymmdd]", where the build is the
// date that the module's ModuleDate export gives and the API its GetModuleVersion; an export the
// module lacks shows as "******". `line` always ends in a zero within `size`.
void FormatModuleLogLine(char* line, size_t size, const char* fileName, bool hasBuild, int build,
                         bool hasApi, int api);
// The same line for a module whose entry points are known.
void FormatModuleLogLine(char* line, size_t size, const char* fileName,
                         const ModuleEntryPoints& entryPoints);

// The notice the 2024 edition logs at the first registration through MFDMODESPEC, one line each.
extern const char* const kObsoleteRegistrationNotice[];
const int kObsoleteRegistrationNoticeLines = 6;

} // namespace host_model
