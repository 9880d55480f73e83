// The stand-in host's own state: its vessels, the mode table and scenario streams.
#include "standin/stand_in_host.h"
#include "standin/win32_extra.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace standin {

Vessel gVessels[kMaxVessels];

void Vessel::Make(const char* vesselName, const VesselClassData& cls, double level) {
    _snprintf(name, sizeof name, "%s", vesselName);
    name[sizeof name - 1] = '\0';
    _snprintf(className, sizeof className, "%s", cls.name);
    className[sizeof className - 1] = '\0';
    emptyMass = cls.emptyMass;
    for (int i = 0; i < 3; ++i)
        pmi[i] = cls.pmi[i];
    tankCount = cls.tankCount;
    for (int i = 0; i < tankCount; ++i) {
        tanks[i].capacity = cls.capacities[i];
        tanks[i].mass = cls.capacities[i] * level;
    }
    thrusterCount = cls.thrusterCount;
    for (int i = 0; i < thrusterCount; ++i) {
        thrusters[i].spec = cls.thrusters[i];
        const int tank = cls.thrusters[i].tank;
        thrusters[i].resource = tank >= 0 && tank < tankCount ? &tanks[tank] : nullptr;
    }
    fate = VesselFate::Alive;
}

void Vessel::CheckAlive(const char* call) const {
    if (fate == VesselFate::Deleted)
        HostCrash(call, "which has been deleted", name);
    if (fate == VesselFate::SessionEnded)
        HostCrash(call, "whose session has ended", name);
    if (fate != VesselFate::Alive)
        HostCrash(call, "on a pointer that is no vessel");
}

Vessel* MakeVessel(const char* name, const VesselClassData& cls, double level) {
    for (Vessel& v : gVessels)
        if (v.fate == VesselFate::Unused) {
            v.Make(name, cls, level);
            return &v;
        }
    Fail("vessel %s: all %d vessel slots have been used", name, kMaxVessels);
    return nullptr;
}

void HostCrash(const char* call, const char* reason, const char* vesselName) {
    char line[256];
    if (vesselName)
        _snprintf(line, sizeof line,
                  "orbiter.exe: the module called %s on the vessel %s, %s; the simulator would "
                  "crash here\n",
                  call, vesselName, reason);
    else
        _snprintf(line, sizeof line,
                  "orbiter.exe: the module called %s %s; the simulator would crash here\n", call,
                  reason);
    line[sizeof line - 1] = '\0';
    fflush(nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, static_cast<DWORD>(strlen(line)), &written,
              nullptr);
    // At once: no exit handler, no module detach step.
    TerminateProcess(GetCurrentProcess(), kHostCrashStatus);
    abort();
}

const VesselClassData* FindStockClass(const char* name) {
    for (int i = 0; i < kStockClassCount; ++i)
        if (_stricmp(kStockClasses[i].name, name) == 0)
            return &kStockClasses[i];
    return nullptr;
}

Vessel* FindVessel(const char* name) {
    for (Vessel& v : gVessels)
        if (v.fate == VesselFate::Alive && _stricmp(v.name, name) == 0)
            return &v;
    return nullptr;
}

ModeSlot gModes[kMaxModes];
int gModeCount = 0;
char gModuleName[64];
char gModuleFileName[64];

bool BesideExecutable(const char* exePath, const char* relative, char* path, size_t size) {
    _snprintf(path, size, "%s", exePath);
    path[size - 1] = '\0';
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
char gLog[8][128];
int gLogCount = 0;

void OpenWriter(ScenarioStream& stream) {
    memset(&stream, 0, sizeof stream);
}

void OpenReader(ScenarioStream& stream, const char* const* lines, int count) {
    memset(&stream, 0, sizeof stream);
    stream.source = lines;
    stream.sourceCount = count;
}

} // namespace standin
