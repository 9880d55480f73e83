#include "host_model/host_model.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

namespace host_model {
namespace {

Vessel* gNewestTombstone = nullptr;
size_t gTombstones = 0;

char* CopyText(const char* text) {
    const size_t n = text ? strlen(text) : 0;
    char* copy = static_cast<char*>(malloc(n + 1));
    if (!copy)
        HostCrash("the host's own allocation", "without memory left");
    if (n)
        memcpy(copy, text, n);
    copy[n] = '\0';
    return copy;
}

void* Allocate(size_t count, size_t size) {
    void* p = calloc(count ? count : 1, size);
    if (!p)
        HostCrash("the host's own allocation", "without memory left");
    return p;
}

// Whether `handle` is the address of one of `count` records of `size` bytes from `first`.
bool IsRecord(const void* handle, const void* first, size_t count, size_t size) {
    const uintptr_t at = reinterpret_cast<uintptr_t>(handle);
    const uintptr_t base = reinterpret_cast<uintptr_t>(first);
    return first && at >= base && at < base + count * size && (at - base) % size == 0;
}

} // namespace

Vessel* Vessel::Make(const char* name, const VesselFigures& figures) {
    Vessel* v = new Vessel;
    v->name_ = CopyText(name);
    v->className_ = CopyText(figures.className);
    v->emptyMass_ = figures.emptyMass;
    v->pmi_ = figures.pmi;
    v->tankCount_ = figures.tankCount > 0 ? static_cast<size_t>(figures.tankCount) : 0;
    v->tanks_ = static_cast<Tank*>(Allocate(v->tankCount_, sizeof(Tank)));
    for (size_t i = 0; i < v->tankCount_; ++i)
        v->tanks_[i].capacity = figures.capacities[i];
    v->thrusterCount_ = figures.thrusterCount > 0 ? static_cast<size_t>(figures.thrusterCount) : 0;
    v->thrusters_ = static_cast<Thruster*>(Allocate(v->thrusterCount_, sizeof(Thruster)));
    for (size_t i = 0; i < v->thrusterCount_; ++i) {
        Thruster& t = v->thrusters_[i];
        t.spec = figures.thrusters[i];
        t.resource = v->TankHandle(static_cast<size_t>(t.spec.tank));
    }
    return v;
}

void Vessel::Bury(VesselFate fate) {
    free(tanks_);
    free(thrusters_);
    free(className_);
    tanks_ = nullptr;
    thrusters_ = nullptr;
    className_ = nullptr;
    tankCount_ = thrusterCount_ = 0;
    callLog = nullptr;
    fate_ = fate;
}

void Vessel::Free() {
    Bury(fate_);
    free(name_);
    delete this;
}

void Vessel::CheckAlive(const char* call) const {
    if (fate_ == VesselFate::Deleted)
        HostCrash(call, "which has been deleted", name_);
    if (fate_ == VesselFate::SessionEnded)
        HostCrash(call, "whose session has ended", name_);
}

bool Vessel::HandedOut(const void* handle, bool tank) const {
    return tank ? IsRecord(handle, tanks_, tankCount_, sizeof(Tank))
                : IsRecord(handle, thrusters_, thrusterCount_, sizeof(Thruster));
}

double Vessel::CurrentMass() const {
    if (hasMassOverride_)
        return massOverride_;
    double mass = emptyMass_;
    for (size_t i = 0; i < tankCount_; ++i)
        mass += tanks_[i].mass;
    return mass;
}

// An index beyond the list gives a null handle, as the host's own lists do.
PROPELLANT_HANDLE Vessel::TankHandle(size_t i) const {
    return i < tankCount_ ? &tanks_[i] : nullptr;
}

THRUSTER_HANDLE Vessel::ThrusterHandle(size_t i) const {
    return i < thrusterCount_ ? &thrusters_[i] : nullptr;
}

double Vessel::TankLevel(size_t i) const {
    return tanks_[i].capacity > 0 ? tanks_[i].mass / tanks_[i].capacity : 0.0;
}

void Vessel::SetTankLevel(size_t i, double level) {
    const double mass = level * tanks_[i].capacity;
    tanks_[i].mass = mass < tanks_[i].capacity ? mass : tanks_[i].capacity;
}

void Vessel::SetAllTankLevels(double level) {
    for (size_t i = 0; i < tankCount_; ++i)
        SetTankLevel(i, level);
}

void Vessel::OpenCovers() {
    for (size_t i = 0; i < thrusterCount_; ++i)
        if (thrusters_[i].spec.coverTank >= 0)
            thrusters_[i].resource = TankHandle(static_cast<size_t>(thrusters_[i].spec.coverTank));
}

Vessel* AddVessel(const char* name, const VesselFigures& figures) {
    if (gHost.vesselCount == gHost.vesselCapacity) {
        const int capacity = gHost.vesselCapacity ? gHost.vesselCapacity * 2 : 16;
        Vessel** more =
            static_cast<Vessel**>(Allocate(static_cast<size_t>(capacity), sizeof(Vessel*)));
        for (int i = 0; i < gHost.vesselCount; ++i)
            more[i] = gHost.vessels[i];
        free(gHost.vessels);
        gHost.vessels = more;
        gHost.vesselCapacity = capacity;
    }
    Vessel* v = Vessel::Make(name, figures);
    gHost.vessels[gHost.vesselCount++] = v;
    if (!gHost.focus)
        gHost.focus = v;
    return v;
}

Vessel* FindVessel(const char* name) {
    for (int i = 0; name && i < gHost.vesselCount; ++i)
        if (EqualNoCase(gHost.vessels[i]->Name(), name))
            return gHost.vessels[i];
    return nullptr;
}

bool IsLiveVessel(const void* handle) {
    for (int i = 0; i < gHost.vesselCount; ++i)
        if (static_cast<const void*>(gHost.vessels[i]) == handle)
            return true;
    return false;
}

void RemoveVessel(Vessel* vessel, VesselFate fate) {
    int at = 0;
    while (at < gHost.vesselCount && gHost.vessels[at] != vessel)
        ++at;
    if (at == gHost.vesselCount)
        return;
    for (int i = at + 1; i < gHost.vesselCount; ++i)
        gHost.vessels[i - 1] = gHost.vessels[i];
    --gHost.vesselCount;
    if (gHost.focus == vessel)
        gHost.focus = nullptr;
    vessel->Bury(fate);
    vessel->olderTombstone = gNewestTombstone;
    gNewestTombstone = vessel;
    ++gTombstones;
}

const Vessel* FindTombstone(const void* handle) {
    for (const Vessel* v = gNewestTombstone; v; v = v->olderTombstone)
        if (static_cast<const void*>(v) == handle)
            return v;
    return nullptr;
}

size_t TombstoneCount() {
    return gTombstones;
}

void FreeTombstones() {
    if (gHost.running)
        return; // its module may hold any of them
    while (Vessel* v = gNewestTombstone) {
        gNewestTombstone = v->olderTombstone;
        v->Free();
    }
    gTombstones = 0;
}

} // namespace host_model

// The host's VESSEL queries. Each is made on a vessel that must exist; those that take a handle
// read straight through it, as the host does: a null handle, or one that is no tank (thruster)
// of an existing vessel, stops the run.
using host_model::HostCrash;
using host_model::Vessel;

namespace {

const Vessel& Self(const VESSEL* v, const char* call) {
    const Vessel& self = *static_cast<const Vessel*>(v);
    self.CheckAlive(call);
    if (self.callLog)
        self.callLog->Heard(call + sizeof "VESSEL::" - 1);
    return self;
}

const void* ReadThrough(const VESSEL* v, const void* handle, bool tank, const char* call) {
    const Vessel& self = Self(v, call);
    if (!handle)
        HostCrash(call, "with a null handle");
    bool handedOut = self.HandedOut(handle, tank);
    for (int i = 0; !handedOut && i < host_model::gHost.vesselCount; ++i)
        handedOut = host_model::gHost.vessels[i]->HandedOut(handle, tank);
    if (!handedOut)
        HostCrash(call, tank ? "with a handle that is no tank of a vessel that exists"
                             : "with a handle that is no thruster of a vessel that exists");
    return handle;
}

const host_model::Tank& TankOf(const VESSEL* v, const void* h, const char* call) {
    return *static_cast<const host_model::Tank*>(ReadThrough(v, h, true, call));
}

const host_model::Thruster& ThrusterOf(const VESSEL* v, const void* h, const char* call) {
    return *static_cast<const host_model::Thruster*>(ReadThrough(v, h, false, call));
}

} // namespace

char* VESSEL::GetName() const {
    return Self(this, "VESSEL::GetName").name_;
}
char* VESSEL::GetClassNameA() const {
    return Self(this, "VESSEL::GetClassNameA").className_;
}
double VESSEL::GetMass() const {
    return Self(this, "VESSEL::GetMass").CurrentMass();
}
double VESSEL::GetEmptyMass() const {
    return Self(this, "VESSEL::GetEmptyMass").EmptyMass();
}
void VESSEL::GetPMI(VECTOR3& pmi) const {
    pmi = Self(this, "VESSEL::GetPMI").Pmi();
}
DWORD VESSEL::GetPropellantCount() const {
    return static_cast<DWORD>(Self(this, "VESSEL::GetPropellantCount").TankCount());
}
DWORD VESSEL::GetThrusterCount() const {
    return static_cast<DWORD>(Self(this, "VESSEL::GetThrusterCount").ThrusterCount());
}
PROPELLANT_HANDLE VESSEL::GetPropellantHandleByIndex(DWORD index) const {
    return Self(this, "VESSEL::GetPropellantHandleByIndex").TankHandle(index);
}
THRUSTER_HANDLE VESSEL::GetThrusterHandleByIndex(DWORD index) const {
    return Self(this, "VESSEL::GetThrusterHandleByIndex").ThrusterHandle(index);
}
double VESSEL::GetPropellantMass(PROPELLANT_HANDLE tank) const {
    return TankOf(this, tank, "VESSEL::GetPropellantMass").mass;
}
double VESSEL::GetPropellantMaxMass(PROPELLANT_HANDLE tank) const {
    return TankOf(this, tank, "VESSEL::GetPropellantMaxMass").capacity;
}
double VESSEL::GetThrusterMax0(THRUSTER_HANDLE thruster) const {
    return ThrusterOf(this, thruster, "VESSEL::GetThrusterMax0").spec.max0;
}
double VESSEL::GetThrusterIsp0(THRUSTER_HANDLE thruster) const {
    return ThrusterOf(this, thruster, "VESSEL::GetThrusterIsp0").spec.isp0;
}
void VESSEL::GetThrusterRef(THRUSTER_HANDLE thruster, VECTOR3& pos) const {
    pos = ThrusterOf(this, thruster, "VESSEL::GetThrusterRef").spec.pos;
}
void VESSEL::GetThrusterDir(THRUSTER_HANDLE thruster, VECTOR3& dir) const {
    dir = ThrusterOf(this, thruster, "VESSEL::GetThrusterDir").spec.dir;
}
PROPELLANT_HANDLE VESSEL::GetThrusterResource(THRUSTER_HANDLE thruster) const {
    return ThrusterOf(this, thruster, "VESSEL::GetThrusterResource").resource;
}

OBJHANDLE oapiGetVesselByName(char* name) {
    return static_cast<OBJHANDLE>(host_model::FindVessel(name));
}

// The host calls a virtual function through the handle.
VESSEL* oapiGetVesselInterface(OBJHANDLE hVessel) {
    const char* call = "oapiGetVesselInterface";
    if (!hVessel)
        HostCrash(call, "with a null handle");
    if (!host_model::IsLiveVessel(hVessel)) {
        if (const Vessel* gone = host_model::FindTombstone(hVessel))
            gone->CheckAlive(call);
        HostCrash(call, "with a handle that is no vessel of the session");
    }
    return static_cast<Vessel*>(hVessel);
}
