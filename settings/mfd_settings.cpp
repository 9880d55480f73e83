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
    if (StartsWithNoCase(value, "TANKS", 5))
        return TANKS;
    if (StartsWithNoCase(value, "ENGINES", 7))
        return ENGINES;
    return MASS;
}

MassDisplay ReadMassDisplay(const char* value, bool keywordMustEndLine) {
    // Comparing the terminating zero as a twelfth character demands the end of the line.
    if (StartsWithNoCase(value, "METRIC_TONS", keywordMustEndLine ? 12 : 11))
        return METRIC_TONS;
    if (StartsWithNoCase(value, "PERCENTAGE", 10))
        return PERCENTAGE;
    return KILOGRAMS;
}

EnginesDisplay ReadEnginesDisplay(const char* value) {
    return StartsWithNoCase(value, "DEGREES", 7) ? DEGREES : RADIANS;
}

Notation ReadNotation(const char* value) {
    return StartsWithNoCase(value, "EXP", 3) ? EXP : SI;
}
