#include "settings/scenario_items.h"

#include "settings/scenario_text.h"

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
