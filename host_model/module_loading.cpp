#include "host_model/host_model.h"

#include <stdio.h>
#include <string.h>

namespace host_model {

const char* const kModuleEntryPointNames[kModuleEntryPointCount] = {
    "ModuleDate",      "InitModule",   "ExitModule",   "GetModuleVersion",
    "opcDeleteVessel", "opcSaveState", "opcLoadState", "opcCloseRenderViewport"};

namespace {

// Through the generic function type: FARPROC's own signature is not the entry point's.
template <class F> void Take(F& to, FARPROC from) {
    to = reinterpret_cast<F>(reinterpret_cast<void (*)()>(from));
}

template <class F> FARPROC Give(F from) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(from));
}

FARPROC EntryPointAt(const ModuleEntryPoints& e, int index) {
    switch (index) {
    case 0:
        return Give(e.moduleDate);
    case 1:
        return Give(e.initModule);
    case 2:
        return Give(e.exitModule);
    case 3:
        return Give(e.getModuleVersion);
    case 4:
        return Give(e.deleteVessel);
    case 5:
        return Give(e.saveState);
    case 6:
        return Give(e.loadState);
    case 7:
        return Give(e.closeRenderViewport);
    default:
        return nullptr;
    }
}

} // namespace

ModuleEntryPoints FindModuleEntryPoints(HMODULE module) {
    ModuleEntryPoints e;
    Take(e.moduleDate, GetProcAddress(module, kModuleEntryPointNames[0]));
    Take(e.initModule, GetProcAddress(module, kModuleEntryPointNames[1]));
    Take(e.exitModule, GetProcAddress(module, kModuleEntryPointNames[2]));
    Take(e.getModuleVersion, GetProcAddress(module, kModuleEntryPointNames[3]));
    Take(e.deleteVessel, GetProcAddress(module, kModuleEntryPointNames[4]));
    Take(e.saveState, GetProcAddress(module, kModuleEntryPointNames[5]));
    Take(e.loadState, GetProcAddress(module, kModuleEntryPointNames[6]));
    Take(e.closeRenderViewport, GetProcAddress(module, kModuleEntryPointNames[7]));
    return e;
}

FARPROC ModuleEntryPointNamed(const ModuleEntryPoints& entryPoints, const char* name) {
    for (int i = 0; name && i < kModuleEntryPointCount; ++i)
        if (strcmp(name, kModuleEntryPointNames[i]) == 0)
            return EntryPointAt(entryPoints, i);
    return nullptr;
}

bool HasModuleEntryPoint(const ModuleEntryPoints& entryPoints, int index) {
    return EntryPointAt(entryPoints, index) != nullptr;
}

int ModuleDateNumber(const char* date) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char month[4] = {0};
    int day = 0, year = 0;
    if (!date || sscanf(date, "%3s %d %d", month, &day, &year) != 3)
        return 0;
    for (int m = 0; m < 12; ++m)
        if (strcmp(month, kMonths[m]) == 0)
            return (year % 100) * 10000 + (m + 1) * 100 + day;
    return 0;
}

void ModuleNameOf(const char* fileName, char* name, size_t size) {
    if (!name || size == 0)
        return;
    const char* base = fileName ? fileName : "";
    for (const char* p = base; *p; ++p)
        if (*p == '\\' || *p == '/')
            base = p + 1;
    size_t n = 0;
    while (base[n] && base[n] != '.' && n + 1 < size) {
        name[n] = base[n];
        ++n;
    }
    name[n] = '\0';
}

// --- The load line ---

namespace {

// Appends to a zero-terminated text within `size`, as far as it fits.
void Append(char* line, size_t size, size_t& used, const char* text) {
    for (; *text && used + 1 < size; ++text)
        line[used++] = *text;
    line[used] = '\0';
}

// Six digits at least, zero-padded, as "%06d" writes a number; ****** for none.
void AppendNumber(char* line, size_t size, size_t& used, bool present, int value) {
    if (!present) {
        Append(line, size, used, "******");
        return;
    }
    char digits[16];
    int n = 0;
    unsigned magnitude =
        value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    while (n < 6 - (value < 0 ? 1 : 0))
        digits[n++] = '0';
    if (value < 0)
        digits[n++] = '-';
    char text[16];
    for (int i = 0; i < n; ++i)
        text[i] = digits[n - 1 - i];
    text[n] = '\0';
    Append(line, size, used, text);
}

} // namespace

void FormatModuleLogLine(char* line, size_t size, const char* fileName, bool hasBuild, int build,
                         bool hasApi, int api) {
    if (!line || size == 0)
        return;
    size_t used = 0;
    line[0] = '\0';
    Append(line, size, used, "Module ");
    Append(line, size, used, fileName ? fileName : "");
    Append(line, size, used, " ");
    while (used < 30 && used + 1 < size)
        Append(line, size, used, ".");
    Append(line, size, used, " [Build ");
    AppendNumber(line, size, used, hasBuild, build);
    Append(line, size, used, ", API ");
    AppendNumber(line, size, used, hasApi, api);
    Append(line, size, used, "]");
}

void FormatModuleLogLine(char* line, size_t size, const char* fileName,
                         const ModuleEntryPoints& entryPoints) {
    FormatModuleLogLine(line, size, fileName, entryPoints.moduleDate != nullptr,
                        entryPoints.moduleDate ? ModuleDateNumber(entryPoints.moduleDate()) : 0,
                        entryPoints.getModuleVersion != nullptr,
                        entryPoints.getModuleVersion ? entryPoints.getModuleVersion() : 0);
}

const char* const kObsoleteRegistrationNotice[kObsoleteRegistrationNoticeLines] = {
    "-------------------------- OBSOLETE: --------------------------",
    "Obsolete API function used: oapiRegisterMFDMode",
    "At least one active module is accessing an obsolete interface function.",
    "Addons which rely on obsolete functions may not be compatible with",
    "future versions of Orbiter.",
    "---------------------------------------------------------------"};

} // namespace host_model

// --- What the host exports for loading and registration ---

using host_model::gHost;

int Date2Int(char* date) {
    ++gHost.date2IntCalls; // counted, so that tests see how often the module asks
    return host_model::ModuleDateNumber(date);
}

// Called by the module's entry point at process attach: the host looks up the module's exports,
// logs the module with its version, then hands it to InitModule.
void InitLib(HINSTANCE hModule) {
    host_model::ModuleFileNameOf(hModule, gHost.moduleFileName, sizeof gHost.moduleFileName);
    host_model::ModuleNameOf(gHost.moduleFileName, gHost.moduleName, sizeof gHost.moduleName);
    gHost.module = host_model::FindModuleEntryPoints(reinterpret_cast<HMODULE>(hModule));
    gHost.moduleLoaded = true;
    char line[host_model::kLogLineSize];
    host_model::FormatModuleLogLine(line, sizeof line, gHost.moduleFileName, gHost.module);
    host_model::WriteLog(line);
    if (gHost.module.initModule)
        gHost.module.initModule(hModule);
}

// Still works, but the first call logs the host's notice that it is obsolete.
int oapiRegisterMFDMode(MFDMODESPEC& spec) {
    if (!gHost.obsoleteNoticeWritten)
        for (int i = 0; i < host_model::kObsoleteRegistrationNoticeLines; ++i)
            host_model::WriteLog(host_model::kObsoleteRegistrationNotice[i]);
    gHost.obsoleteNoticeWritten = true;
    int id = gHost.modeCount < host_model::kMaxModes ? gHost.modeCount++ : -1;
    for (int i = 0; id < 0 && i < gHost.modeCount; ++i)
        if (!gHost.modes[i].registered)
            id = i; // a full table takes the place of an unregistered mode
    if (id >= 0) {
        gHost.modes[id].spec = spec;
        gHost.modes[id].registered = true;
    }
    return id;
}

bool oapiUnregisterMFDMode(int mode) {
    if (mode < 0 || mode >= gHost.modeCount || !gHost.modes[mode].registered)
        return false;
    gHost.modes[mode].registered = false;
    return true;
}
