// Any class file, in either form: the reader either warns, naming the file, that it cannot use it,
// or gives a class whose figures a vessel can carry; a vessel of that class then draws every page
// for every tank and thruster with the module. Every BaseClass line leads to the same text under
// the name it gives, so that chains, loops and the depth limit are read too.
#include "fuzz/fuzz_checks.h"
#include "fuzz/fuzz_support.h"

#include "sim/frame_text.h"
#include "sim/vessel_class_file.h"

#include <algorithm>
#include <cmath>

namespace fuzz {
namespace {

bool Finite(const VECTOR3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

void CheckClass(const sim::VesselClass& c) {
    Check(std::isfinite(c.emptyMass) && c.emptyMass >= 0, "empty mass not a mass");
    Check(Finite(c.pmi) && c.pmi.x >= 0 && c.pmi.y >= 0 && c.pmi.z >= 0,
          "moments of inertia not 0 or more");
    for (double capacity : c.tankCapacities)
        Check(std::isfinite(capacity) && capacity >= 0, "tank capacity not a mass");
    for (const sim::ThrusterSpec& t : c.thrusters) {
        Check(Finite(t.pos) && Finite(t.dir), "thruster vector not finite");
        Check(t.dir.x != 0 || t.dir.y != 0 || t.dir.z != 0, "thruster without a direction");
        Check(std::isfinite(t.max0) && t.max0 >= 0 && std::isfinite(t.isp0) && t.isp0 >= 0,
              "thruster figures not 0 or more");
        Check(t.tank >= -1 && t.tank < static_cast<int>(c.tankCapacities.size()),
              "thruster fed by a tank the class does not have");
    }
}

// Every row a redraw produced fits the module's line buffer.
void DrawChecked(sim::Host& host, int id) {
    const sim::Frame frame = host.Draw(id);
    for (const TextRun& run : frame.runs)
        Check(run.text.size() <= 251, "a drawn line longer than the line buffer");
}

} // namespace

void CheckVesselClass(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const sim::BaseClassSource sameText = [&text](const std::string& name) {
        return std::optional<sim::ClassFileText>(
            sim::ClassFileText{"Base-" + name + ".cfg", text, std::string()});
    };
    sim::ClassLookup read;
    try {
        read = sim::ReadClassFile({"Fuzz.cfg", text, std::string()}, "Fuzz", sameText);
    } catch (const std::exception& e) {
        Fail("a class file fault reported as something else than a warning", e.what());
    }
    for (const std::string& warning : read.warnings)
        Check(warning.rfind("Fuzz.cfg:", 0) == 0 || warning.rfind("Base-", 0) == 0,
              "a warning that names no file", warning);
    if (!read.cls) {
        Check(read.warnings.size() == 1, "a class file refused without one warning");
        return;
    }
    const sim::VesselClass& cls = *read.cls;
    CheckClass(cls);

    LinkedHost world;
    sim::Vessel& vessel = world.host.AddVessel("Fuzz-1", cls);
    vessel.SetAllTankLevels(0.5);
    Check(world.host.OpenDisplay(MFD_LEFT, "Kelvane"), "display did not open");
    MfdSettings& s = *static_cast<KelvaneMfd*>(world.host.DisplayAt(MFD_LEFT)->mfd)->Settings();
    const uint32_t tanks = static_cast<uint32_t>(std::min<size_t>(cls.tankCapacities.size(), 4));
    const uint32_t thrusters = static_cast<uint32_t>(std::min<size_t>(cls.thrusters.size(), 8));
    for (Notation notation : {EXP, SI}) {
        s.notation = notation;
        s.parametersMode = MASS;
        for (MassDisplay unit : {KILOGRAMS, METRIC_TONS}) {
            s.massDisplay = unit;
            DrawChecked(world.host, MFD_LEFT);
        }
        s.parametersMode = TANKS;
        for (MassDisplay unit : {KILOGRAMS, PERCENTAGE})
            for (uint32_t tank = 0; tank <= tanks; ++tank) {
                s.massDisplay = unit;
                s.tankIndex = tank;
                DrawChecked(world.host, MFD_LEFT);
            }
        s.parametersMode = ENGINES;
        for (EnginesDisplay angle : {RADIANS, DEGREES})
            for (uint32_t engine = 0; engine <= thrusters; ++engine) {
                s.enginesDisplay = angle;
                s.engineIndex = engine;
                DrawChecked(world.host, MFD_LEFT);
            }
    }
}

} // namespace fuzz
