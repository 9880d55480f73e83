// Vessels as the host owns them and hands them to a module as VESSEL. Tank and thruster handles
// are the addresses of their records, which never move while the vessel lives. A vessel the host
// has done with is not freed: it stays, as a tombstone with only its name, until the process
// ends, so that a module's call on a VESSEL* it should have let go of stops the run loudly
// instead of reading freed memory.
#pragma once

#include "host/orbiter_api.h"

#include <stddef.h>

namespace host_model {

struct ThrusterFigures {
    VECTOR3 pos;
    VECTOR3 dir;
    double max0;
    double isp0;
    int tank;      // feeding tank index; -1: not connected
    int coverTank; // the tank that feeds it once the ship's RCOVER line opens its covers; -1: none
};

// What a vessel is made from: its class's figures.
struct VesselFigures {
    const char* className;
    double emptyMass;
    VECTOR3 pmi;
    int tankCount;
    const double* capacities;
    int thrusterCount;
    const ThrusterFigures* thrusters;
};

struct Tank {
    double capacity;
    double mass;
};

struct Thruster {
    ThrusterFigures spec;
    PROPELLANT_HANDLE resource;
};

enum class VesselFate { Alive, Deleted, SessionEnded };

// Hears every VESSEL query the module makes on a vessel (for tests).
struct CallObserver {
    virtual void Heard(const char* call) = 0;

protected:
    ~CallObserver() {}
};

class Vessel : public VESSEL {
public:
    // Made with empty tanks; null names count as empty.
    static Vessel* Make(const char* name, const VesselFigures& figures);
    // The host has done with it: only the name stays, and any query on it stops the run.
    void Bury(VesselFate fate);
    // Frees it for good (only once no module can hold it).
    void Free();

    VesselFate Fate() const { return fate_; }
    // The host's query `call` on this vessel: stops the run unless the vessel exists.
    void CheckAlive(const char* call) const;
    // Whether the vessel exists and handed out `handle` for a tank (or a thruster).
    bool HandedOut(const void* handle, bool tank) const;

    const char* Name() const { return name_; }
    const char* ClassName() const { return className_; }
    double EmptyMass() const { return emptyMass_; }
    const VECTOR3& Pmi() const { return pmi_; }
    double CurrentMass() const;
    size_t TankCount() const { return tankCount_; }
    size_t ThrusterCount() const { return thrusterCount_; }
    Tank& TankAt(size_t i) { return tanks_[i]; }
    const Tank& TankAt(size_t i) const { return tanks_[i]; }
    Thruster& ThrusterAt(size_t i) { return thrusters_[i]; }
    const Thruster& ThrusterAt(size_t i) const { return thrusters_[i]; }
    PROPELLANT_HANDLE TankHandle(size_t i) const;
    THRUSTER_HANDLE ThrusterHandle(size_t i) const;

    // Level as a fraction of the capacity; 0 for a tank of no capacity.
    double TankLevel(size_t i) const;
    // min(level * capacity, capacity), as the host sets a level it reads.
    void SetTankLevel(size_t i, double level);
    void SetAllTankLevels(double level);
    // The covers of thrusters that have a cover tank open: they draw from it from now on.
    void OpenCovers();

    // Test hooks: values the host would never produce on its own.
    void SetEmptyMass(double kg) { emptyMass_ = kg; }
    void SetMassOverride(double kg) {
        massOverride_ = kg;
        hasMassOverride_ = true;
    }
    void SetPmi(const VECTOR3& pmi) { pmi_ = pmi; }
    void SetThrusterResource(size_t i, PROPELLANT_HANDLE h) { thrusters_[i].resource = h; }
    CallObserver* callLog = nullptr;

    // The next older tombstone (for the list of them).
    Vessel* olderTombstone = nullptr;

private:
    friend class ::VESSEL;
    Vessel() {}
    ~Vessel() {}
    Vessel(const Vessel&);
    Vessel& operator=(const Vessel&);

    char* name_ = nullptr;
    char* className_ = nullptr;
    double emptyMass_ = 0;
    VECTOR3 pmi_{};
    Tank* tanks_ = nullptr;
    size_t tankCount_ = 0;
    Thruster* thrusters_ = nullptr;
    size_t thrusterCount_ = 0;
    double massOverride_ = 0;
    bool hasMassOverride_ = false;
    VesselFate fate_ = VesselFate::Alive;
};

// A vessel made and added to the host's live vessels; the first becomes the focus.
Vessel* AddVessel(const char* name, const VesselFigures& figures);
// The live vessel of that name in any case, as oapiGetVesselByName finds one; null for none.
Vessel* FindVessel(const char* name);
// Whether the handle is a live vessel.
bool IsLiveVessel(const void* handle);
// Takes a vessel out of the live ones and keeps it as a tombstone.
void RemoveVessel(Vessel* vessel, VesselFate fate);

// The tombstone at that address; null when there is none.
const Vessel* FindTombstone(const void* handle);
size_t TombstoneCount();
// Frees every tombstone once no host runs, so that no module can hold one: for a program that
// goes on after its hosts (the fuzz targets between two inputs). Does nothing while one runs.
void FreeTombstones();

} // namespace host_model
