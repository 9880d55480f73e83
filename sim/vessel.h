// Vessel classes as kelvane-sim reads them from class files or builds them in code; the vessels
// themselves are the host's (host_model/vessels.h).
#pragma once

#include "host_model/vessels.h"

#include <string>
#include <vector>

namespace sim {

using host_model::Tank;
using host_model::Thruster;
using host_model::Vessel;

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

// A class's figures as the host makes a vessel from them; they point into `cls` and `thrusters`.
host_model::VesselFigures FiguresOf(const VesselClass& cls,
                                    std::vector<host_model::ThrusterFigures>& thrusters);

} // namespace sim
