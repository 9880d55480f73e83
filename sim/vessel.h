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
    // The host's items MaxMainThrust, MaxRetroThrust and MaxHoverThrust act on the thrusters of
    // their kind that a vessel module or an earlier item made.
    enum class Group { Other, Main, Retro, Hover };
    Group group = Group::Other;
    int coverTank = -1; // the tank that feeds it once the ship's scenario opens its retro covers
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

// Whether a vessel still exists, and if not, how it went.
enum class VesselFate { Alive, Deleted, SessionEnded };

// One vessel. Tank and thruster handles are the addresses of their records, which never move
// while the vessel lives (std::deque keeps element addresses on push_back).
//
// A vessel the host has done with is not freed: it stays, as a tombstone without its figures,
// until the process ends (KeepTombstone), so that the module's call on a VESSEL* it should have
// let go of ends the run with a message instead of reading freed memory.
class Vessel : public VESSEL {
public:
    Vessel(std::string name, const VesselClass& cls);
    ~Vessel();
    Vessel(const Vessel&) = delete;
    Vessel& operator=(const Vessel&) = delete;

    VesselFate Fate() const { return fate_; }
    // Whether the vessel handed out `handle` for one of its tanks (or thrusters) and exists.
    bool HandedOut(const void* handle, bool tank) const;
    // The host's query `call` on this vessel: ends the run unless the vessel exists.
    void CheckAlive(const char* call) const;

    // What follows is there only while the vessel exists.
    const std::string& Name() const { return body_->name; }
    const std::string& ClassName() const { return body_->className; }
    double EmptyMass() const { return body_->emptyMass; }
    const VECTOR3& Pmi() const { return body_->pmi; }
    double CurrentMass() const;

    size_t TankCount() const { return body_->tanks.size(); }
    size_t ThrusterCount() const { return body_->thrusters.size(); }
    Tank& TankAt(size_t i) { return body_->tanks.at(i); }
    const Tank& TankAt(size_t i) const { return body_->tanks.at(i); }
    Thruster& ThrusterAt(size_t i) { return body_->thrusters.at(i); }
    const Thruster& ThrusterAt(size_t i) const { return body_->thrusters.at(i); }
    PROPELLANT_HANDLE TankHandle(size_t i) const;
    THRUSTER_HANDLE ThrusterHandle(size_t i) const;

    // Level as a fraction of capacity; 0 for a tank of no capacity.
    double TankLevel(size_t i) const;
    void SetTankLevel(size_t i, double level);
    void SetAllTankLevels(double level);

    // Test hooks: values the host would never produce on its own.
    void SetEmptyMass(double kg) { body_->emptyMass = kg; }
    void SetMassOverride(double kg) {
        body_->massOverride = kg;
        body_->hasMassOverride = true;
    }
    void SetPmi(const VECTOR3& pmi) { body_->pmi = pmi; }
    void SetThrusterResource(size_t i, PROPELLANT_HANDLE h) { body_->thrusters.at(i).resource = h; }

    // When set, every VESSEL query the module makes is appended by name.
    std::vector<std::string>* callLog = nullptr;
    void LogCall(const char* what) const;

private:
    friend class ::VESSEL;
    friend void KeepTombstone(std::unique_ptr<Vessel> vessel, VesselFate fate);
    friend const Vessel* FindTombstone(const void* handle);
    friend void FreeTombstones();

    struct Body {
        std::string name;
        std::string className;
        double emptyMass = 0.0;
        VECTOR3 pmi{};
        std::deque<Tank> tanks;
        std::deque<Thruster> thrusters;
        double massOverride = 0.0;
        bool hasMassOverride = false;
        // Buffers handed out by GetName/GetClassNameA, which return char*.
        std::vector<char> nameText;
        std::vector<char> classText;
        // The handles the vessel handed out, so that a handle is checked without reading it.
        std::unordered_set<const void*> tankHandles;
        std::unordered_set<const void*> thrusterHandles;
    };

    // The handle's Tank or Thruster, as the host reads through a handle: the vessel's own or
    // another existing vessel's. Ends the run for a null handle or one that is no such record.
    template <class Record> const Record& ReadThrough(const void* h, const char* call) const;
    // Gives back everything but the object itself; the vessel is a tombstone from now on.
    void Bury(VesselFate fate);

    VesselFate fate_ = VesselFate::Alive;
    std::unique_ptr<Body> body_;
    // A tombstone keeps its name for the message, and is one allocation: the object itself,
    // linked to the tombstone kept before it.
    char buriedName_[64] = {};
    Vessel* olderTombstone_ = nullptr;
};

// Keeps a vessel the host has deleted, or whose session has ended, as a tombstone until the
// process ends.
void KeepTombstone(std::unique_ptr<Vessel> vessel, VesselFate fate);
// The tombstone at that address; null when there is none.
const Vessel* FindTombstone(const void* handle);
// How many tombstones the process keeps: each is one allocation that is never given back.
size_t TombstoneCount();
// Frees every tombstone once no host runs any more, so that no module can hold a vessel's
// pointer; does nothing while one does. For a program that goes on after its hosts have gone:
// the fuzz targets between two inputs, whose leak check would otherwise scan the whole heap
// after every input.
void FreeTombstones();

} // namespace sim
