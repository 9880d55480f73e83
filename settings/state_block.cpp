#include "settings/state_block.h"

#include "settings/scenario_words.h"

void WriteStateBlock(ScenarioHandle scn, const MfdSettings& s) {
    oapiWriteScenario_string(scn, HostText("BEGIN_KX_MFD_INFO"), HostText(""));
    oapiWriteScenario_string(scn, HostText("  VESSEL"), s.vessel->GetName());
    oapiWriteScenario_int(scn, HostText("TANK_INDEX"), static_cast<int>(s.tankIndex));
    oapiWriteScenario_int(scn, HostText("ENGINE_INDEX"), static_cast<int>(s.engineIndex));
    oapiWriteScenario_int(scn, HostText("  MFD_ID"), s.mfdId);
    oapiWriteScenario_string(scn, HostText("NOTATION"), HostText(NotationKeyword(s.notation)));
    oapiWriteScenario_string(scn, HostText("  PARAMETERSMODE"),
                             HostText(ParametersModeKeyword(s.parametersMode)));
    oapiWriteScenario_string(scn, HostText("  MASSDISPLAY"),
                             HostText(MassDisplayKeyword(s.massDisplay)));
    oapiWriteScenario_string(scn, HostText("  ENGINESDISPLAY"),
                             HostText(EnginesDisplayKeyword(s.enginesDisplay)));
    oapiWriteScenario_string(scn, HostText("END_KX_MFD_INFO"), HostText(""));
}

namespace {

// The vessel a block names, or null when no vessel here has that name.
VESSEL* NamedVessel(const char* value) {
    char name[64];
    ReadVesselName(value, name);
    // The host's interface look-up has no guard against a null handle: ask only for a vessel
    // that is there.
    const OBJHANDLE handle = name[0] ? oapiGetVesselByName(name) : nullptr;
    return handle ? oapiGetVesselInterface(handle) : nullptr;
}

// Reads one block's items into the record. False when the block ended because the host has no
// line left.
bool ReadBlockItems(ScenarioHandle scn, MfdSettings& record) {
    char* line = nullptr;
    while (oapiReadScenario_nextline(scn, line)) {
        const char* value = nullptr;
        const ScenarioItem item = ReadScenarioItem(line, value);
        switch (item) {
        case ScenarioItem::Vessel:
            record.vessel = NamedVessel(value);
            if (!record.vessel)
                return true; // a block for a vessel that is not here is abandoned
            break;
        case ScenarioItem::MfdId:
            ReadDecimal(value, record.mfdId);
            break;
        case ScenarioItem::StateBlockEnd:
            return true;
        default:
            ReadSettingsItem(item, value, record, MetricTonsMatch::WholeValue);
            break;
        }
    }
    return false;
}

} // namespace

StateBlockRead ReadStateBlock(ScenarioHandle scn, MfdSettings& record) {
    char* line = nullptr;
    while (oapiReadScenario_nextline(scn, line)) {
        const char* value = nullptr;
        if (ReadScenarioItem(line, value) != ScenarioItem::StateBlockBegin)
            continue;
        // The host's reader reports no line left at the scenario block's END: the load is over.
        return ReadBlockItems(scn, record) ? StateBlockRead::Read : StateBlockRead::LastRead;
    }
    return StateBlockRead::NoBlock;
}
