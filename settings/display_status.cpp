#include "settings/display_status.h"

#include "settings/scenario_words.h"

void WriteDisplayStatus(ScenarioHandle scn, const MfdSettings& s) {
    oapiWriteScenario_int(scn, HostText("MFD_ID"), s.mfdId);
    oapiWriteScenario_string(scn, HostText("PARAMETERSMODE"),
                             HostText(ParametersModeKeyword(s.parametersMode)));
    oapiWriteScenario_int(scn, HostText("TANK_INDEX"), static_cast<int>(s.tankIndex));
    oapiWriteScenario_int(scn, HostText("ENGINE_INDEX"), static_cast<int>(s.engineIndex));
    oapiWriteScenario_string(scn, HostText("NOTATION"), HostText(NotationKeyword(s.notation)));
    oapiWriteScenario_string(scn, HostText("MASSDISPLAY"),
                             HostText(MassDisplayKeyword(s.massDisplay)));
    oapiWriteScenario_string(scn, HostText("ENGINESDISPLAY"),
                             HostText(EnginesDisplayKeyword(s.enginesDisplay)));
}

// The host's reader runs on past the display's END_MFD into the next block, so both steps stop
// there: a display never takes another display's settings.
StatusIdSearch FindStatusIdLine(ScenarioHandle scn, int32_t mfdId) {
    char* line = nullptr;
    while (oapiReadScenario_nextline(scn, line)) {
        const char* value = nullptr;
        const ScenarioItem item = ReadScenarioItem(line, value);
        if (item == ScenarioItem::StatusEnd)
            return {StatusIdLine::BlockEnded, 0};
        if (item != ScenarioItem::MfdId)
            continue;
        // Displays 0 and 1 recognise their id line by the value's first character, as stored
        // files have always been read; the other displays by the id's whole value.
        int32_t id = 0;
        const bool readable = ReadDecimal(value, id);
        const bool own =
            mfdId == 0 || mfdId == 1 ? value[0] == '0' + mfdId : readable && id == mfdId;
        if (own)
            return {StatusIdLine::Own, id};
        if (readable)
            return {StatusIdLine::OtherId, id};
    }
    return {StatusIdLine::Own, mfdId};
}

void ReadDisplayStatus(ScenarioHandle scn, MfdSettings& settings) {
    char* line = nullptr;
    while (oapiReadScenario_nextline(scn, line)) {
        const char* value = nullptr;
        const ScenarioItem item = ReadScenarioItem(line, value);
        if (item == ScenarioItem::StatusEnd)
            return;
        ReadSettingsItem(item, value, settings, MetricTonsMatch::Prefix);
    }
}
