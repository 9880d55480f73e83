// Every word the module puts into a scenario and reads back: the items of both formats (a
// display's status and the module's own block), the keywords of their values, and how a line's
// item and value are read. A line is an item followed by one separator character and its value.
#pragma once

#include "host/orbiter_api.h"
#include "settings/mfd_settings.h"

// --- Values ---
// The keyword each setting is saved under, in both formats.
const char* ParametersModeKeyword(int32_t value);
const char* MassDisplayKeyword(int32_t value);
const char* EnginesDisplayKeyword(int32_t value);
const char* NotationKeyword(int32_t value);

// How much of "METRIC_TONS" a mass unit value must match: the display status takes any value
// that begins with it, the module's own block only the keyword with nothing after it.
enum class MetricTonsMatch { Prefix, WholeValue };

// A keyword read back: a value that begins with a keyword, in any case, is that keyword (for
// METRIC_TONS as `metricTons` says); any other value is the setting's default.
ParametersMode ReadParametersMode(const char* value);
MassDisplay ReadMassDisplay(const char* value, MetricTonsMatch metricTons);
EnginesDisplay ReadEnginesDisplay(const char* value);
Notation ReadNotation(const char* value);

// --- Items ---
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

// --- Reading a line's text, without the C++ library ---
// True when text begins with keyword, ignoring case.
bool StartsWithNoCase(const char* text, const char* keyword);

// True when text is keyword and nothing more, ignoring case.
bool EqualsNoCase(const char* text, const char* keyword);

// The value of a line of the given item: the text after the item and one separator character,
// or "" when the line ends before it. Null when the line does not begin with the item.
const char* ItemValue(const char* line, const char* item);

// Reads a decimal integer as "%d" does (white space, optional sign, digits). Values beyond 32 bits
// wrap, so no input is undefined. False, and the target untouched, when no digit follows.
bool ReadDecimal(const char* text, int32_t& value);

// A vessel's name: the whole text, without white space at either end (names may hold blanks), in
// a 64-byte buffer. A name of more than 63 characters does not fit and gives the empty name.
void ReadVesselName(const char* text, char (&name)[64]);

// The host's writers take char* for texts they never change.
inline char* HostText(const char* text) {
    return const_cast<char*>(text);
}
