// What the simulator's executable exports to modules, as the stand-in implements it. The class
// and function declarations are the module's own (host/orbiter_api.h, exporting here), so the
// decorated names this executable exports are exactly the ones the plug-in imports.
#include "standin/stand_in_host.h"
#include "standin/win32_extra.h"

#include <stdio.h>

#include <string.h>

using namespace standin;

namespace {

const Vessel& Self(const VESSEL* vessel) {
    return *static_cast<const Vessel*>(vessel);
}

const TankRecord* TankOf(const Vessel& v, void* handle) {
    for (int i = 0; i < v.tankCount; ++i)
        if (handle == &v.tanks[i])
            return &v.tanks[i];
    return nullptr;
}

const ThrusterRecord* ThrusterOf(const Vessel& v, void* handle) {
    for (int i = 0; i < v.thrusterCount; ++i)
        if (handle == &v.thrusters[i])
            return &v.thrusters[i];
    return nullptr;
}

void SetVector(VECTOR3& to, const double (&from)[3]) {
    to.x = from[0];
    to.y = from[1];
    to.z = from[2];
}

} // namespace

// --- VESSEL ---

char* VESSEL::GetName() const {
    return const_cast<char*>(Self(this).name);
}
char* VESSEL::GetClassNameA() const {
    return const_cast<char*>(Self(this).className);
}
double VESSEL::GetMass() const {
    const Vessel& v = Self(this);
    double mass = v.emptyMass;
    for (int i = 0; i < v.tankCount; ++i)
        mass += v.tanks[i].mass;
    return mass;
}
double VESSEL::GetEmptyMass() const {
    return Self(this).emptyMass;
}
void VESSEL::GetPMI(VECTOR3& pmi) const {
    SetVector(pmi, Self(this).pmi);
}
DWORD VESSEL::GetPropellantCount() const {
    return static_cast<DWORD>(Self(this).tankCount);
}
DWORD VESSEL::GetThrusterCount() const {
    return static_cast<DWORD>(Self(this).thrusterCount);
}
PROPELLANT_HANDLE VESSEL::GetPropellantHandleByIndex(DWORD index) const {
    const Vessel& v = Self(this);
    return index < static_cast<DWORD>(v.tankCount) ? const_cast<TankRecord*>(&v.tanks[index])
                                                   : nullptr;
}
THRUSTER_HANDLE VESSEL::GetThrusterHandleByIndex(DWORD index) const {
    const Vessel& v = Self(this);
    return index < static_cast<DWORD>(v.thrusterCount)
               ? const_cast<ThrusterRecord*>(&v.thrusters[index])
               : nullptr;
}
double VESSEL::GetPropellantMass(PROPELLANT_HANDLE tank) const {
    const TankRecord* t = TankOf(Self(this), tank);
    return t ? t->mass : 0.0;
}
double VESSEL::GetPropellantMaxMass(PROPELLANT_HANDLE tank) const {
    const TankRecord* t = TankOf(Self(this), tank);
    return t ? t->capacity : 0.0;
}
double VESSEL::GetThrusterMax0(THRUSTER_HANDLE thruster) const {
    const ThrusterRecord* t = ThrusterOf(Self(this), thruster);
    return t ? t->spec.max0 : 0.0;
}
double VESSEL::GetThrusterIsp0(THRUSTER_HANDLE thruster) const {
    const ThrusterRecord* t = ThrusterOf(Self(this), thruster);
    return t ? t->spec.isp0 : 0.0;
}
void VESSEL::GetThrusterRef(THRUSTER_HANDLE thruster, VECTOR3& pos) const {
    const ThrusterRecord* t = ThrusterOf(Self(this), thruster);
    pos.x = pos.y = pos.z = 0.0;
    if (t)
        SetVector(pos, t->spec.pos);
}
void VESSEL::GetThrusterDir(THRUSTER_HANDLE thruster, VECTOR3& dir) const {
    const ThrusterRecord* t = ThrusterOf(Self(this), thruster);
    dir.x = dir.y = dir.z = 0.0;
    if (t)
        SetVector(dir, t->spec.dir);
}
PROPELLANT_HANDLE VESSEL::GetThrusterResource(THRUSTER_HANDLE thruster) const {
    const ThrusterRecord* t = ThrusterOf(Self(this), thruster);
    return t ? t->resource : nullptr;
}

// --- MFD ---

MFD::MFD(DWORD w, DWORD h, VESSEL* vessel)
    : W(w), H(h), cw(0), ch(0), pV(vessel), instrument(gOpeningInstrument) {
    NoteMfdConstructed(this);
}

MFD::~MFD() {
    NoteMfdDestroyed();
}

void MFD::InvalidateDisplay() {
    if (Instrument* in = static_cast<Instrument*>(instrument)) {
        ++in->displayInvalidations;
        in->schedule.asked = true;
    }
}

void MFD::InvalidateButtons() {
    if (instrument)
        ++static_cast<Instrument*>(instrument)->buttonInvalidations;
}

// The title at (cw / 2, 0) in the host's colour; the device context's alignment, colour and
// background mode are left as they were.
void MFD::Title(HDC hDC, const char* title) const {
    if (!hDC || !title)
        return;
    const UINT align = SetTextAlign(hDC, 0);
    const COLORREF colour = SetTextColor(hDC, kTitleColour);
    const int mode = SetBkMode(hDC, TRANSPARENT);
    RecordingTextOutA(hDC, TitleX(cw), 0, title, static_cast<int>(strlen(title)));
    SetBkMode(hDC, mode);
    SetTextColor(hDC, colour);
    SetTextAlign(hDC, align);
}

// --- oapi functions ---

int oapiRegisterMFDMode(MFDMODESPEC& spec) {
    if (gModeCount == kMaxModes)
        return -1;
    gModes[gModeCount].spec = spec;
    gModes[gModeCount].registered = true;
    return gModeCount++;
}

bool oapiUnregisterMFDMode(int mode) {
    if (mode < 0 || mode >= gModeCount || !gModes[mode].registered)
        return false;
    gModes[mode].registered = false;
    return true;
}

OBJHANDLE oapiGetVesselByName(char* name) {
    return name ? static_cast<OBJHANDLE>(FindVessel(name)) : nullptr;
}

VESSEL* oapiGetVesselInterface(OBJHANDLE hVessel) {
    for (Vessel& v : gVessels)
        if (v.exists && hVessel == static_cast<void*>(&v))
            return &v;
    return nullptr;
}

void oapiWriteScenario_string(FILEHANDLE scn, char* item, char* string) {
    ScenarioStream& s = *static_cast<ScenarioStream*>(scn);
    if (s.writtenCount == kMaxStreamLines) {
        Fail("scenario writer: more than %d lines", kMaxStreamLines);
        return;
    }
    _snprintf(s.written[s.writtenCount], kStreamLineSize, "  %s %s", item ? item : "",
              string ? string : "");
    s.written[s.writtenCount][kStreamLineSize - 1] = '\0';
    ++s.writtenCount;
}

void oapiWriteScenario_int(FILEHANDLE scn, char* item, int value) {
    char text[16];
    _snprintf(text, sizeof text, "%d", value);
    text[sizeof text - 1] = '\0';
    oapiWriteScenario_string(scn, item, text);
}

// The host's reader (host_rules/scenario_lines.h) over the block's lines.
bool oapiReadScenario_nextline(FILEHANDLE scn, char*& line) {
    ScenarioStream& s = *static_cast<ScenarioStream*>(scn);
    if (s.next >= s.sourceCount)
        return false;
    ReaderLineText(s.source[s.next++], s.current, sizeof s.current);
    if (EndsReading(s.current))
        return false;
    line = s.current;
    return true;
}

int Date2Int(char* date) {
    return ModuleDateNumber(date);
}

// Called by the plug-in's entry point at process attach: log the module with its version, then
// hand it to the module's InitModule.
void InitLib(HINSTANCE hModule) {
    char path[260];
    const DWORD length = GetModuleFileNameA(reinterpret_cast<HMODULE>(hModule), path, sizeof path);
    path[length < sizeof path ? length : sizeof path - 1] = '\0';
    const char* base = strrchr(path, '\\');
    _snprintf(gModuleFileName, sizeof gModuleFileName, "%s", base ? base + 1 : path);
    gModuleFileName[sizeof gModuleFileName - 1] = '\0';
    ModuleNameOf(gModuleFileName, gModuleName, sizeof gModuleName);

    const ModuleEntryPoints entryPoints = FindModuleEntryPoints(reinterpret_cast<HMODULE>(hModule));
    if (gLogCount < 8)
        FormatModuleLogLine(gLog[gLogCount++], sizeof gLog[0], gModuleFileName, entryPoints);
    if (entryPoints.initModule)
        entryPoints.initModule(hModule);
}
