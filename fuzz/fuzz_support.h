// What the fuzz checks share: a stand-in host with the module linked in, input split into
// scenario lines, and a check that aborts with a message.
#pragma once

#include "fuzz/fuzz_checks.h"

#include "display/kelvane_mfd.h"
#include "module/module.h"
#include "settings/mfd_registry.h"
#include "sim/host.h"
#include "sim/host_crash.h"
#include "sim/vessel_class_file.h"
#include "tests/linked_module.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzz {

[[noreturn]] inline void Fail(const char* what, const std::string& detail = std::string()) {
    const std::string message = std::string(what) + (detail.empty() ? "" : ": ") + detail;
    if (FailureHandler handler = OnFailure())
        handler(message); // a test's handler throws, so that one input fails one test case
    std::fprintf(stderr, "fuzz check failed: %s\n", message.c_str());
    std::abort();
}

inline void Check(bool holds, const char* what, const std::string& detail = std::string()) {
    if (!holds)
        Fail(what, detail);
}

// A call the simulator would not survive is a broken promise like any other: the fuzzer keeps
// the input, the replay test fails the case.
[[noreturn]] inline void SimulatorWouldCrash(const std::string& message) {
    Fail("the simulator would crash", message);
}

// Frees the vessels the host kept as tombstones once the host below has gone: the module is
// unloaded by then and holds no vessel, and the fuzzer's leak check counts what an input leaves.
struct TombstoneSweep {
    ~TombstoneSweep() { host_model::FreeTombstones(); }
};

// A host with the module linked in, unloaded (and every record released) when it goes.
struct LinkedHost : TombstoneSweep {
    LinkedHost() {
        sim::SetHostCrashHandler(SimulatorWouldCrash);
        ResetModuleStateForTesting();
        host.LinkModule(LinkedExports());
    }
    ~LinkedHost() { host.UnloadModule(); }
    sim::Host host;
};

// Lines as a file holds them: split at '\n' only, so '\r', ';', NUL and any other byte reach the
// host's line reader.
inline std::vector<std::string> SplitLines(const uint8_t* data, size_t size) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line.push_back(static_cast<char>(data[i]));
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

// The stock DeltaGlider, from the built-in sample's class file: two tanks, 21 thrusters on them.
inline sim::VesselClass GliderClass() {
    static const sim::VesselClass glider = *sim::StockModuleClass("DeltaGlider");
    return glider;
}

// A vessel with nothing to select: every index is beyond its lists.
inline sim::VesselClass BareClass() {
    sim::VesselClass c;
    c.name = "Probe";
    c.emptyMass = 250;
    c.pmi = VECTOR3{{1, 1, 1}};
    return c;
}

inline bool ValidSettings(const MfdSettings& s) {
    return (s.parametersMode == MASS || s.parametersMode == TANKS || s.parametersMode == ENGINES) &&
           (s.massDisplay == KILOGRAMS || s.massDisplay == METRIC_TONS ||
            s.massDisplay == PERCENTAGE) &&
           (s.enginesDisplay == DEGREES || s.enginesDisplay == RADIANS) &&
           (s.notation == EXP || s.notation == SI);
}

inline bool SameSettings(const MfdSettings& a, const MfdSettings& b) {
    return a.parametersMode == b.parametersMode && a.massDisplay == b.massDisplay &&
           a.enginesDisplay == b.enginesDisplay && a.notation == b.notation &&
           a.tankIndex == b.tankIndex && a.engineIndex == b.engineIndex;
}

inline std::string Describe(const MfdSettings& s) {
    char text[160];
    std::snprintf(text, sizeof text, "page %d mass %d angle %d notation %d tank %u engine %u id %d",
                  static_cast<int>(s.parametersMode), static_cast<int>(s.massDisplay),
                  static_cast<int>(s.enginesDisplay), static_cast<int>(s.notation), s.tankIndex,
                  s.engineIndex, s.mfdId);
    return text;
}

// Draws each page with the record's settings, as a pilot paging through would; an index beyond
// the vessel's lists must come back to 0 on the page that uses it. Any open display: a cockpit
// display or a window's.
inline void DrawEveryPage(sim::Host& host, sim::Instrument& shown) {
    KelvaneMfd* display = static_cast<KelvaneMfd*>(shown.mfd);
    MfdSettings& s = *display->Settings();
    const ParametersMode kept = s.parametersMode;
    for (ParametersMode page : {MASS, TANKS, ENGINES}) {
        s.parametersMode = page;
        host.Draw(shown);
    }
    const sim::Vessel& vessel = *shown.vessel;
    Check(s.tankIndex == 0 || s.tankIndex < vessel.TankCount(), "tank index left out of range");
    Check(s.engineIndex == 0 || s.engineIndex < vessel.ThrusterCount(),
          "engine index left out of range");
    s.parametersMode = kept;
}

inline void DrawEveryPage(sim::Host& host, int id) {
    DrawEveryPage(host, *host.DisplayAt(id));
}

} // namespace fuzz
