// The settings of one display, kept in a record that outlives the display itself.
#pragma once

#include "host/orbiter_api.h"

// Enumerator names double as the keywords the values are saved under (settings/scenario_words).
enum ParametersMode : int32_t { MASS = 0, TANKS = 1, ENGINES = 2 };
enum MassDisplay : int32_t { KILOGRAMS = 0, METRIC_TONS = 1, PERCENTAGE = 2 };
enum EnginesDisplay : int32_t { DEGREES = 0, RADIANS = 1 };
enum Notation : int32_t { EXP = 0, SI = 1 };

struct MfdSettings {
    MfdSettings(VESSEL* vessel, int32_t mfdId) : vessel(vessel), mfdId(mfdId) {}

    ParametersMode parametersMode = MASS;
    MassDisplay massDisplay = KILOGRAMS;
    EnginesDisplay enginesDisplay = RADIANS;
    Notation notation = SI;
    uint32_t tankIndex = 0; // compared as unsigned: a negative value read back wraps
    uint32_t engineIndex = 0;
    VESSEL* vessel; // not owned
    int32_t mfdId;  // the host's display id the record was made or loaded for
};
