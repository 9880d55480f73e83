#include "settings/mfd_settings.h"

#include "settings/scenario_text.h"

const char* ParametersModeKeyword(int32_t value) {
    return value == TANKS ? "TANKS" : value == ENGINES ? "ENGINES" : "MASS";
}

const char* MassDisplayKeyword(int32_t value) {
    return value == METRIC_TONS ? "METRIC_TONS" : value == PERCENTAGE ? "PERCENTAGE" : "KILOGRAMS";
}

const char* EnginesDisplayKeyword(int32_t value) {
    return value == DEGREES ? "DEGREES" : "RADIANS";
}

const char* NotationKeyword(int32_t value) {
    return value == SI ? "SI" : "EXP";
}

ParametersMode ReadParametersMode(const char* value) {
    if (StartsWithNoCase(value, "TANKS"))
        return TANKS;
    if (StartsWithNoCase(value, "ENGINES"))
        return ENGINES;
    return MASS;
}

MassDisplay ReadMassDisplay(const char* value, MetricTonsMatch metricTons) {
    if (metricTons == MetricTonsMatch::WholeValue ? EqualsNoCase(value, "METRIC_TONS")
                                                  : StartsWithNoCase(value, "METRIC_TONS"))
        return METRIC_TONS;
    if (StartsWithNoCase(value, "PERCENTAGE"))
        return PERCENTAGE;
    return KILOGRAMS;
}

EnginesDisplay ReadEnginesDisplay(const char* value) {
    return StartsWithNoCase(value, "DEGREES") ? DEGREES : RADIANS;
}

Notation ReadNotation(const char* value) {
    return StartsWithNoCase(value, "EXP") ? EXP : SI;
}
