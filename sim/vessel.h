// Vessels of the stand-in host: what the simulator would own and hand to the module as VESSEL.
#pragma once

#include "host/orbiter_api.h"

#include <deque>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace sim {

struct ThrusterSpec {
    VECTOR3 pos{};
    VECTOR3 dir{};
    double max0 = 0.0;
    double isp0 = 0.0;
    int tank = -1; // feeding tank index; -1: not connected
};

// A vessel class as read from a class file or built in code.
struct VesselClass {
    std::string name;
    double emptyMass = 0.0;
    VECTOR3 pmi{};
    std::vector<double> tankCapacities;
    std::vector<ThrusterSpec> thrusters;
};

struct Tank {
    double capacity = 0.0;
    double mass = 0.0;
};

struct Thruster {
    ThrusterSpec spec;
    PROPELLANT_HANDLE resource = nullptr;
};

// One vessel. Tank and thruster handles are the addresses of their records, which never move
// while the vessel lives (std::deque keeps element addresses on push_back).
class Vessel : public VESSEL {
public:
    Vessel(std::string name, const VesselClass& cls);
    Vessel(const Vessel&) = delete;
    Vessel& operator=(const Vessel&) = delete;

    const std::string& Name() const { return name_; }
    const std::string& ClassName() const { return className_; }
    double EmptyMass() const { return emptyMass_; }
    const VECTOR3& Pmi() const { return pmi_; }
    double CurrentMass() const;

    size_t TankCount() const { return tanks_.size(); }
    size_t ThrusterCount() const { return thrusters_.size(); }
    Tank& TankAt(size_t i) { return tanks_.at(i); }
    const Tank& TankAt(size_t i) const { return tanks_.at(i); }
    Thruster& ThrusterAt(size_t i) { return thrusters_.at(i); }
    const Thruster& ThrusterAt(size_t i) const { return thrusters_.at(i); }
    PROPELLANT_HANDLE TankHandle(size_t i) const;
    THRUSTER_HANDLE ThrusterHandle(size_t i) const;

    // Level as a fraction of capacity; 0 for a tank of no capacity.
    double TankLevel(size_t i) const;
    void SetTankLevel(size_t i, double level);
    void SetAllTankLevels(double level);

    // Test hooks: values the host would never produce on its own.
    void SetEmptyMass(double kg) { emptyMass_ = kg; }
    void SetMassOverride(double kg) {
        massOverride_ = kg;
        hasMassOverride_ = true;
    }
    void SetPmi(const VECTOR3& pmi) { pmi_ = pmi; }
    void SetThrusterResource(size_t i, PROPELLANT_HANDLE h) { thrusters_.at(i).resource = h; }

    // When set, every VESSEL query the module makes is appended by name.
    std::vector<std::string>* callLog = nullptr;
    void LogCall(const char* what) const;

private:
    friend class ::VESSEL;
    const Tank* FindTank(PROPELLANT_HANDLE h) const;
    const Thruster* FindThruster(THRUSTER_HANDLE h) const;

    std::string name_;
    std::string className_;
    double emptyMass_ = 0.0;
    VECTOR3 pmi_{};
    std::deque<Tank> tanks_;
    std::deque<Thruster> thrusters_;
    // Known handles, so that a stray handle reads as zero instead of touching memory.
    std::unordered_set<const void*> tankHandles_;
    std::unordered_set<const void*> thrusterHandles_;
    double massOverride_ = 0.0;
    bool hasMassOverride_ = false;
    // Buffers handed out by GetName/GetClassNameA, which return char*.
    mutable std::vector<char> nameText_;
    mutable std::vector<char> classText_;
};

} // namespace sim
