// What the simulator's executable exports to modules, as the stand-in implements it. The class
// and function declarations are the module's own (host/orbiter_api.h, exporting here), so the
// decorated names this executable exports are exactly the ones the plug-in imports.
#include "standin/stand_in_host.h"
#include "standin/win32_extra.h"

#include <stdio.h>

#include <string.h>

using namespace standin;

namespace {

// Each query is made on a vessel that must exist.
const Vessel& Self(const VESSEL* vessel, const char* call) {
    const Vessel& v = *static_cast<const Vessel*>(vessel);
    v.CheckAlive(call);
    return v;
}

// The host reads straight through a handle: that of any existing vessel's tank or thruster
// answers, a null one or any other ends the run.
template <class Record, int N>
const Record& ReadThrough(void* handle, const char* call, int Vessel::*count,
                          Record (Vessel::*records)[N], const char* none) {
    if (!handle)
        HostCrash(call, "with a null handle");
    for (const Vessel& v : gVessels)
        for (int i = 0; v.fate == VesselFate::Alive && i < v.*count; ++i)
            if (handle == &(v.*records)[i])
                return (v.*records)[i];
    HostCrash(call, none);
}

const TankRecord& TankOf(void* handle, const char* call) {
    return ReadThrough(handle, call, &Vessel::tankCount, &Vessel::tanks,
                       "with a handle that is no tank of a vessel that exists");
}

const ThrusterRecord& ThrusterOf(void* handle, const char* call) {
    return ReadThrough(handle, call, &Vessel::thrusterCount, &Vessel::thrusters,
                       "with a handle that is no thruster of a vessel that exists");
}

void SetVector(VECTOR3& to, const double (&from)[3]) {
    to.x = from[0];
    to.y = from[1];
    to.z = from[2];
}

// The host reaches its instrument through the display's private pointer, with no check.
Instrument& InstrumentOf(const MFD& display, const char* call) {
    void* instrument = MfdHostAccess::InstrumentOf(display);
    if (!instrument)
        HostCrash(call, "before the host wrote its private pointer into the display (as from "
                        "the display's constructor)");
    return *static_cast<Instrument*>(instrument);
}

} // namespace

// --- VESSEL ---

char* VESSEL::GetName() const {
    return const_cast<char*>(Self(this, "VESSEL::GetName").name);
}
char* VESSEL::GetClassNameA() const {
    return const_cast<char*>(Self(this, "VESSEL::GetClassNameA").className);
}
double VESSEL::GetMass() const {
    const Vessel& v = Self(this, "VESSEL::GetMass");
    double mass = v.emptyMass;
    for (int i = 0; i < v.tankCount; ++i)
        mass += v.tanks[i].mass;
    return mass;
}
double VESSEL::GetEmptyMass() const {
    return Self(this, "VESSEL::GetEmptyMass").emptyMass;
}
void VESSEL::GetPMI(VECTOR3& pmi) const {
    SetVector(pmi, Self(this, "VESSEL::GetPMI").pmi);
}
DWORD VESSEL::GetPropellantCount() const {
    return static_cast<DWORD>(Self(this, "VESSEL::GetPropellantCount").tankCount);
}
DWORD VESSEL::GetThrusterCount() const {
    return static_cast<DWORD>(Self(this, "VESSEL::GetThrusterCount").thrusterCount);
}
// An index beyond the list gives a null handle, as the host's own lists do.
PROPELLANT_HANDLE VESSEL::GetPropellantHandleByIndex(DWORD index) const {
    const Vessel& v = Self(this, "VESSEL::GetPropellantHandleByIndex");
    return index < static_cast<DWORD>(v.tankCount) ? const_cast<TankRecord*>(&v.tanks[index])
                                                   : nullptr;
}
THRUSTER_HANDLE VESSEL::GetThrusterHandleByIndex(DWORD index) const {
    const Vessel& v = Self(this, "VESSEL::GetThrusterHandleByIndex");
    return index < static_cast<DWORD>(v.thrusterCount)
               ? const_cast<ThrusterRecord*>(&v.thrusters[index])
               : nullptr;
}
double VESSEL::GetPropellantMass(PROPELLANT_HANDLE tank) const {
    const char* call = "VESSEL::GetPropellantMass";
    Self(this, call);
    return TankOf(tank, call).mass;
}
double VESSEL::GetPropellantMaxMass(PROPELLANT_HANDLE tank) const {
    const char* call = "VESSEL::GetPropellantMaxMass";
    Self(this, call);
    return TankOf(tank, call).capacity;
}
double VESSEL::GetThrusterMax0(THRUSTER_HANDLE thruster) const {
    const char* call = "VESSEL::GetThrusterMax0";
    Self(this, call);
    return ThrusterOf(thruster, call).spec.max0;
}
double VESSEL::GetThrusterIsp0(THRUSTER_HANDLE thruster) const {
    const char* call = "VESSEL::GetThrusterIsp0";
    Self(this, call);
    return ThrusterOf(thruster, call).spec.isp0;
}
void VESSEL::GetThrusterRef(THRUSTER_HANDLE thruster, VECTOR3& pos) const {
    const char* call = "VESSEL::GetThrusterRef";
    Self(this, call);
    SetVector(pos, ThrusterOf(thruster, call).spec.pos);
}
void VESSEL::GetThrusterDir(THRUSTER_HANDLE thruster, VECTOR3& dir) const {
    const char* call = "VESSEL::GetThrusterDir";
    Self(this, call);
    SetVector(dir, ThrusterOf(thruster, call).spec.dir);
}
PROPELLANT_HANDLE VESSEL::GetThrusterResource(THRUSTER_HANDLE thruster) const {
    const char* call = "VESSEL::GetThrusterResource";
    Self(this, call);
    return ThrusterOf(thruster, call).resource;
}

// --- MFD ---

// The host writes its private pointer only after the message procedure has returned the new
// display (module_driver.cpp).
MFD::MFD(DWORD w, DWORD h, VESSEL* vessel)
    : W(w), H(h), cw(0), ch(0), pV(vessel), instrument(nullptr) {
    NoteMfdConstructed(this);
}

MFD::~MFD() {
    NoteMfdDestroyed();
}

void MFD::InvalidateDisplay() {
    Instrument& in = InstrumentOf(*this, "MFD::InvalidateDisplay");
    ++in.displayInvalidations;
    in.schedule.asked = true;
}

void MFD::InvalidateButtons() {
    ++InstrumentOf(*this, "MFD::InvalidateButtons").buttonInvalidations;
}

// The title at (cw / 2, 0) in the host's colour; the device context's alignment, colour and
// background mode are left as they were.
void MFD::Title(HDC hDC, const char* title) const {
    InstrumentOf(*this, "MFD::Title");
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

// The host calls a virtual function through the handle.
VESSEL* oapiGetVesselInterface(OBJHANDLE hVessel) {
    const char* call = "oapiGetVesselInterface";
    if (!hVessel)
        HostCrash(call, "with a null handle");
    for (Vessel& v : gVessels)
        if (hVessel == static_cast<void*>(&v)) {
            v.CheckAlive(call);
            return &v;
        }
    HostCrash(call, "with a handle that is no vessel of the session");
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
