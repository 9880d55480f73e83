// The items of both scenario formats (a display's status and the module's own block), read by
// one reader. A line is an item followed by one separator character and its value.
#pragma once

#include "settings/mfd_settings.h"

enum class ScenarioItem {
    ParametersMode,
    TankIndex,
    EngineIndex,
    Notation,
    MassDisplay,
    EnginesDisplay,
    MfdId,
    Vessel,
    StatusEnd,       // the host's end of a display's block
    StateBlockBegin, // the module's own block
    StateBlockEnd,
    Other,
};

// Which item the line holds (ignoring case, so also when the line goes on after the item), and
// its value; `value` is set for every item but Other.
ScenarioItem ReadScenarioItem(const char* line, const char*& value);

// Sets the record's field for one of the six settings items. An unrecognised keyword value
// gives that setting's default reading; an index without a number leaves the index as it was.
// Any other item changes nothing.
void ReadSettingsItem(ScenarioItem item, const char* value, MfdSettings& record,
                      MetricTonsMatch metricTons);
