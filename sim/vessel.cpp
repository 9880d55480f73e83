#include "sim/vessel.h"

#include "sim/host.h"
#include "sim/host_crash.h"

#include <cstdio>
#include <stdexcept>
#include <type_traits>

namespace sim {
namespace {

// The newest tombstone; each links to the one before it. Never freed while the process runs.
Vessel* g_newestTombstone = nullptr;
size_t g_tombstones = 0;

} // namespace

Vessel::Vessel(std::string name, const VesselClass& cls) : body_(std::make_unique<Body>()) {
    Body& b = *body_;
    b.name = std::move(name);
    b.className = cls.name;
    b.emptyMass = cls.emptyMass;
    b.pmi = cls.pmi;
    for (double capacity : cls.tankCapacities)
        b.tanks.push_back(Tank{capacity, 0.0});
    for (const ThrusterSpec& spec : cls.thrusters) {
        Thruster t;
        t.spec = spec;
        if (spec.tank >= 0 && static_cast<size_t>(spec.tank) < b.tanks.size())
            t.resource = &b.tanks[static_cast<size_t>(spec.tank)];
        b.thrusters.push_back(t);
    }
    for (const Tank& t : b.tanks)
        b.tankHandles.insert(&t);
    for (const Thruster& t : b.thrusters)
        b.thrusterHandles.insert(&t);
    b.nameText.assign(b.name.begin(), b.name.end());
    b.nameText.push_back('\0');
    b.classText.assign(b.className.begin(), b.className.end());
    b.classText.push_back('\0');
}

Vessel::~Vessel() = default;

bool Vessel::HandedOut(const void* handle, bool tank) const {
    if (!body_)
        return false;
    return (tank ? body_->tankHandles : body_->thrusterHandles).count(handle) != 0;
}

void Vessel::Bury(VesselFate fate) {
    if (body_) {
        std::snprintf(buriedName_, sizeof buriedName_, "%s", body_->name.c_str());
        body_.reset();
    }
    fate_ = fate;
}

void KeepTombstone(std::unique_ptr<Vessel> vessel, VesselFate fate) {
    if (!vessel)
        return;
    vessel->Bury(fate);
    vessel->callLog = nullptr;
    vessel->olderTombstone_ = g_newestTombstone;
    g_newestTombstone = vessel.release();
    ++g_tombstones;
}

const Vessel* FindTombstone(const void* handle) {
    for (const Vessel* v = g_newestTombstone; v; v = v->olderTombstone_)
        if (static_cast<const void*>(v) == handle)
            return v;
    return nullptr;
}

size_t TombstoneCount() {
    return g_tombstones;
}

void FreeTombstones() {
    if (Host::Current())
        return; // a host still runs, and its module may hold any of them
    while (Vessel* v = g_newestTombstone) {
        g_newestTombstone = v->olderTombstone_;
        delete v;
    }
    g_tombstones = 0;
}

void Vessel::CheckAlive(const char* call) const {
    if (fate_ == VesselFate::Deleted)
        HostCrash(call, std::string("on the vessel ") + buriedName_ + ", which has been deleted");
    if (fate_ == VesselFate::SessionEnded)
        HostCrash(call, std::string("on the vessel ") + buriedName_ + ", whose session has ended");
}

double Vessel::CurrentMass() const {
    if (body_->hasMassOverride)
        return body_->massOverride;
    double mass = body_->emptyMass;
    for (const Tank& t : body_->tanks)
        mass += t.mass;
    return mass;
}

PROPELLANT_HANDLE Vessel::TankHandle(size_t i) const {
    return i < body_->tanks.size() ? const_cast<Tank*>(&body_->tanks[i]) : nullptr;
}

THRUSTER_HANDLE Vessel::ThrusterHandle(size_t i) const {
    return i < body_->thrusters.size() ? const_cast<Thruster*>(&body_->thrusters[i]) : nullptr;
}

double Vessel::TankLevel(size_t i) const {
    const Tank& t = body_->tanks.at(i);
    return t.capacity > 0.0 ? t.mass / t.capacity : 0.0;
}

void Vessel::SetTankLevel(size_t i, double level) {
    if (!(level >= 0.0 && level <= 1.0))
        throw std::invalid_argument("tank level must be between 0 and 1");
    Tank& t = body_->tanks.at(i);
    t.mass = t.capacity * level;
}

void Vessel::SetAllTankLevels(double level) {
    for (size_t i = 0; i < body_->tanks.size(); ++i)
        SetTankLevel(i, level);
}

void Vessel::LogCall(const char* what) const {
    if (callLog)
        callLog->emplace_back(what);
}

template <class Record> const Record& Vessel::ReadThrough(const void* h, const char* call) const {
    constexpr bool tank = std::is_same<Record, Tank>::value;
    if (!h)
        HostCrash(call, "with a null handle");
    bool handedOut = HandedOut(h, tank);
    if (Host* host = Host::Current())
        for (size_t i = 0; !handedOut && i < host->Vessels().size(); ++i)
            handedOut = host->Vessels()[i]->HandedOut(h, tank);
    if (!handedOut)
        HostCrash(call, tank ? "with a handle that is no tank of a vessel that exists"
                             : "with a handle that is no thruster of a vessel that exists");
    return *static_cast<const Record*>(h);
}

} // namespace sim

// The host's VESSEL queries. Each one is made on a vessel that must exist; the queries that take
// a handle read straight through it, as the host does.
namespace {
const sim::Vessel& Self(const VESSEL* v, const char* call) {
    const sim::Vessel& self = *static_cast<const sim::Vessel*>(v);
    self.CheckAlive(call);
    self.LogCall(call + sizeof "VESSEL::" - 1);
    return self;
}
} // namespace

char* VESSEL::GetName() const {
    return Self(this, "VESSEL::GetName").body_->nameText.data();
}

char* VESSEL::GetClassNameA() const {
    return Self(this, "VESSEL::GetClassNameA").body_->classText.data();
}

double VESSEL::GetMass() const {
    return Self(this, "VESSEL::GetMass").CurrentMass();
}

double VESSEL::GetEmptyMass() const {
    return Self(this, "VESSEL::GetEmptyMass").body_->emptyMass;
}

void VESSEL::GetPMI(VECTOR3& pmi) const {
    pmi = Self(this, "VESSEL::GetPMI").body_->pmi;
}

DWORD VESSEL::GetPropellantCount() const {
    return static_cast<DWORD>(Self(this, "VESSEL::GetPropellantCount").body_->tanks.size());
}

DWORD VESSEL::GetThrusterCount() const {
    return static_cast<DWORD>(Self(this, "VESSEL::GetThrusterCount").body_->thrusters.size());
}

// An index beyond the list gives a null handle, as the host's own lists do.
PROPELLANT_HANDLE VESSEL::GetPropellantHandleByIndex(DWORD index) const {
    return Self(this, "VESSEL::GetPropellantHandleByIndex").TankHandle(index);
}

THRUSTER_HANDLE VESSEL::GetThrusterHandleByIndex(DWORD index) const {
    return Self(this, "VESSEL::GetThrusterHandleByIndex").ThrusterHandle(index);
}

double VESSEL::GetPropellantMass(PROPELLANT_HANDLE tank) const {
    const char* call = "VESSEL::GetPropellantMass";
    return Self(this, call).ReadThrough<sim::Tank>(tank, call).mass;
}

double VESSEL::GetPropellantMaxMass(PROPELLANT_HANDLE tank) const {
    const char* call = "VESSEL::GetPropellantMaxMass";
    return Self(this, call).ReadThrough<sim::Tank>(tank, call).capacity;
}

double VESSEL::GetThrusterMax0(THRUSTER_HANDLE thruster) const {
    const char* call = "VESSEL::GetThrusterMax0";
    return Self(this, call).ReadThrough<sim::Thruster>(thruster, call).spec.max0;
}

double VESSEL::GetThrusterIsp0(THRUSTER_HANDLE thruster) const {
    const char* call = "VESSEL::GetThrusterIsp0";
    return Self(this, call).ReadThrough<sim::Thruster>(thruster, call).spec.isp0;
}

void VESSEL::GetThrusterRef(THRUSTER_HANDLE thruster, VECTOR3& pos) const {
    const char* call = "VESSEL::GetThrusterRef";
    pos = Self(this, call).ReadThrough<sim::Thruster>(thruster, call).spec.pos;
}

void VESSEL::GetThrusterDir(THRUSTER_HANDLE thruster, VECTOR3& dir) const {
    const char* call = "VESSEL::GetThrusterDir";
    dir = Self(this, call).ReadThrough<sim::Thruster>(thruster, call).spec.dir;
}

PROPELLANT_HANDLE VESSEL::GetThrusterResource(THRUSTER_HANDLE thruster) const {
    const char* call = "VESSEL::GetThrusterResource";
    return Self(this, call).ReadThrough<sim::Thruster>(thruster, call).resource;
}
