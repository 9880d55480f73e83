#include "settings/scenario_words.h"

#include <ctype.h>
#include <string.h>

// --- Values ---

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

// --- Items ---

namespace {

struct ItemName {
    const char* item;
    ScenarioItem kind;
};

// No item begins with another, so the order does not matter.
const ItemName kItems[] = {
    {"PARAMETERSMODE", ScenarioItem::ParametersMode},
    {"TANK_INDEX", ScenarioItem::TankIndex},
    {"ENGINE_INDEX", ScenarioItem::EngineIndex},
    {"NOTATION", ScenarioItem::Notation},
    {"MASSDISPLAY", ScenarioItem::MassDisplay},
    {"ENGINESDISPLAY", ScenarioItem::EnginesDisplay},
    {"MFD_ID", ScenarioItem::MfdId},
    {"VESSEL", ScenarioItem::Vessel},
    {"END_MFD", ScenarioItem::StatusEnd},
    {"BEGIN_KX_MFD_INFO", ScenarioItem::StateBlockBegin},
    {"END_KX_MFD_INFO", ScenarioItem::StateBlockEnd},
};

void ReadIndex(const char* value, uint32_t& index) {
    int32_t number = 0;
    if (ReadDecimal(value, number))
        index = static_cast<uint32_t>(number);
}

} // namespace

ScenarioItem ReadScenarioItem(const char* line, const char*& value) {
    for (const ItemName& name : kItems) {
        if (const char* found = ItemValue(line, name.item)) {
            value = found;
            return name.kind;
        }
    }
    return ScenarioItem::Other;
}

void ReadSettingsItem(ScenarioItem item, const char* value, MfdSettings& record,
                      MetricTonsMatch metricTons) {
    switch (item) {
    case ScenarioItem::ParametersMode:
        record.parametersMode = ReadParametersMode(value);
        break;
    case ScenarioItem::TankIndex:
        ReadIndex(value, record.tankIndex);
        break;
    case ScenarioItem::EngineIndex:
        ReadIndex(value, record.engineIndex);
        break;
    case ScenarioItem::Notation:
        record.notation = ReadNotation(value);
        break;
    case ScenarioItem::MassDisplay:
        record.massDisplay = ReadMassDisplay(value, metricTons);
        break;
    case ScenarioItem::EnginesDisplay:
        record.enginesDisplay = ReadEnginesDisplay(value);
        break;
    default:
        break;
    }
}

// --- Reading a line's text ---

bool StartsWithNoCase(const char* text, const char* keyword) {
    for (; *keyword != '\0'; ++text, ++keyword) {
        const unsigned char a = static_cast<unsigned char>(*text);
        const unsigned char b = static_cast<unsigned char>(*keyword);
        if (toupper(a) != toupper(b))
            return false; // also where the text ends first
    }
    return true;
}

bool EqualsNoCase(const char* text, const char* keyword) {
    return StartsWithNoCase(text, keyword) && text[strlen(keyword)] == '\0';
}

const char* ItemValue(const char* line, const char* item) {
    if (!StartsWithNoCase(line, item))
        return nullptr;
    const char* after = line + strlen(item);
    return *after == '\0' ? after : after + 1;
}

bool ReadDecimal(const char* text, int32_t& value) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (isspace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (!isdigit(*p))
        return false;
    uint32_t magnitude = 0;
    for (; isdigit(*p); ++p)
        magnitude = magnitude * 10u + static_cast<uint32_t>(*p - '0');
    const uint32_t bits = negative ? 0u - magnitude : magnitude;
    memcpy(&value, &bits, sizeof value);
    return true;
}

void ReadVesselName(const char* text, char (&name)[64]) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (isspace(*p))
        ++p;
    size_t n = strlen(reinterpret_cast<const char*>(p));
    while (n > 0 && isspace(p[n - 1]))
        --n;
    if (n >= sizeof name)
        n = 0;
    memcpy(name, p, n);
    name[n] = '\0';
}
