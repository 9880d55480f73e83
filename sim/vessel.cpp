#include "sim/vessel.h"

#include <stdexcept>

namespace sim {

Vessel::Vessel(std::string name, const VesselClass& cls)
    : name_(std::move(name)), className_(cls.name), emptyMass_(cls.emptyMass), pmi_(cls.pmi) {
    for (double capacity : cls.tankCapacities)
        tanks_.push_back(Tank{capacity, 0.0});
    for (const ThrusterSpec& spec : cls.thrusters) {
        Thruster t;
        t.spec = spec;
        thrusters_.push_back(t);
    }
    for (const Tank& t : tanks_)
        tankHandles_.insert(&t);
    for (Thruster& t : thrusters_) {
        thrusterHandles_.insert(&t);
        if (t.spec.tank >= 0 && static_cast<size_t>(t.spec.tank) < tanks_.size())
            t.resource = &tanks_[static_cast<size_t>(t.spec.tank)];
    }
    nameText_.assign(name_.begin(), name_.end());
    nameText_.push_back('\0');
    classText_.assign(className_.begin(), className_.end());
    classText_.push_back('\0');
}

double Vessel::CurrentMass() const {
    if (hasMassOverride_)
        return massOverride_;
    double mass = emptyMass_;
    for (const Tank& t : tanks_)
        mass += t.mass;
    return mass;
}

PROPELLANT_HANDLE Vessel::TankHandle(size_t i) const {
    return i < tanks_.size() ? const_cast<Tank*>(&tanks_[i]) : nullptr;
}

THRUSTER_HANDLE Vessel::ThrusterHandle(size_t i) const {
    return i < thrusters_.size() ? const_cast<Thruster*>(&thrusters_[i]) : nullptr;
}

double Vessel::TankLevel(size_t i) const {
    const Tank& t = tanks_.at(i);
    return t.capacity > 0.0 ? t.mass / t.capacity : 0.0;
}

void Vessel::SetTankLevel(size_t i, double level) {
    if (!(level >= 0.0 && level <= 1.0))
        throw std::invalid_argument("tank level must be between 0 and 1");
    Tank& t = tanks_.at(i);
    t.mass = t.capacity * level;
}

void Vessel::SetAllTankLevels(double level) {
    for (size_t i = 0; i < tanks_.size(); ++i)
        SetTankLevel(i, level);
}

void Vessel::LogCall(const char* what) const {
    if (callLog)
        callLog->emplace_back(what);
}

const Tank* Vessel::FindTank(PROPELLANT_HANDLE h) const {
    return tankHandles_.count(h) ? static_cast<const Tank*>(h) : nullptr;
}

const Thruster* Vessel::FindThruster(THRUSTER_HANDLE h) const {
    return thrusterHandles_.count(h) ? static_cast<const Thruster*>(h) : nullptr;
}

} // namespace sim

// The host's VESSEL queries. A handle the vessel does not know (null, or past its lists) gives
// zero values, as the simulator's own lists do for an index beyond their end.
namespace {
const sim::Vessel& Self(const VESSEL* v) {
    return *static_cast<const sim::Vessel*>(v);
}
} // namespace

char* VESSEL::GetName() const {
    Self(this).LogCall("GetName");
    return Self(this).nameText_.data();
}

char* VESSEL::GetClassNameA() const {
    Self(this).LogCall("GetClassNameA");
    return Self(this).classText_.data();
}

double VESSEL::GetMass() const {
    Self(this).LogCall("GetMass");
    return Self(this).CurrentMass();
}

double VESSEL::GetEmptyMass() const {
    Self(this).LogCall("GetEmptyMass");
    return Self(this).emptyMass_;
}

void VESSEL::GetPMI(VECTOR3& pmi) const {
    Self(this).LogCall("GetPMI");
    pmi = Self(this).pmi_;
}

DWORD VESSEL::GetPropellantCount() const {
    Self(this).LogCall("GetPropellantCount");
    return static_cast<DWORD>(Self(this).tanks_.size());
}

DWORD VESSEL::GetThrusterCount() const {
    Self(this).LogCall("GetThrusterCount");
    return static_cast<DWORD>(Self(this).thrusters_.size());
}

PROPELLANT_HANDLE VESSEL::GetPropellantHandleByIndex(DWORD index) const {
    Self(this).LogCall("GetPropellantHandleByIndex");
    return Self(this).TankHandle(index);
}

THRUSTER_HANDLE VESSEL::GetThrusterHandleByIndex(DWORD index) const {
    Self(this).LogCall("GetThrusterHandleByIndex");
    return Self(this).ThrusterHandle(index);
}

double VESSEL::GetPropellantMass(PROPELLANT_HANDLE tank) const {
    Self(this).LogCall("GetPropellantMass");
    const sim::Tank* t = Self(this).FindTank(tank);
    return t ? t->mass : 0.0;
}

double VESSEL::GetPropellantMaxMass(PROPELLANT_HANDLE tank) const {
    Self(this).LogCall("GetPropellantMaxMass");
    const sim::Tank* t = Self(this).FindTank(tank);
    return t ? t->capacity : 0.0;
}

double VESSEL::GetThrusterMax0(THRUSTER_HANDLE thruster) const {
    Self(this).LogCall("GetThrusterMax0");
    const sim::Thruster* t = Self(this).FindThruster(thruster);
    return t ? t->spec.max0 : 0.0;
}

double VESSEL::GetThrusterIsp0(THRUSTER_HANDLE thruster) const {
    Self(this).LogCall("GetThrusterIsp0");
    const sim::Thruster* t = Self(this).FindThruster(thruster);
    return t ? t->spec.isp0 : 0.0;
}

void VESSEL::GetThrusterRef(THRUSTER_HANDLE thruster, VECTOR3& pos) const {
    Self(this).LogCall("GetThrusterRef");
    const sim::Thruster* t = Self(this).FindThruster(thruster);
    pos = t ? t->spec.pos : VECTOR3{};
}

void VESSEL::GetThrusterDir(THRUSTER_HANDLE thruster, VECTOR3& dir) const {
    Self(this).LogCall("GetThrusterDir");
    const sim::Thruster* t = Self(this).FindThruster(thruster);
    dir = t ? t->spec.dir : VECTOR3{};
}

PROPELLANT_HANDLE VESSEL::GetThrusterResource(THRUSTER_HANDLE thruster) const {
    Self(this).LogCall("GetThrusterResource");
    const sim::Thruster* t = Self(this).FindThruster(thruster);
    return t ? t->resource : nullptr;
}
