// The module's own block in a scenario: the settings of every record no open display holds.
#include "module/module.h"
#include "settings/mfd_registry.h"
#include "settings/scenario_text.h"

void MfdRegistry::SaveState(ScenarioHandle scn) const {
    for (size_t i = 0; i < records.Size(); ++i) {
        const MfdSettings& s = *records.At(i);
        if (s.owner || !s.vessel)
            continue;
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
}

namespace {

// Reads one block's items into the record. Returns false when the block ended because the host
// has no line left.
bool ReadBlockItems(ScenarioHandle scn, MfdSettings& record, char*& line) {
    while (oapiReadScenario_nextline(scn, line)) {
        int32_t number = 0;
        if (StartsWithNoCase(line, "VESSEL", 6)) {
            char name[64];
            ReadVesselName(ValueAt(line, 8), name);
            // The host's interface look-up has no guard against a null handle: ask only for a
            // vessel that is there.
            const OBJHANDLE handle = name[0] ? oapiGetVesselByName(name) : nullptr;
            record.vessel = handle ? oapiGetVesselInterface(handle) : nullptr;
            if (!record.vessel)
                return true; // a block for a vessel that is not here is abandoned
        } else if (StartsWithNoCase(line, "TANK_INDEX", 10)) {
            if (ReadDecimal(ValueAt(line, 12), number))
                record.tankIndex = static_cast<uint32_t>(number);
        } else if (StartsWithNoCase(line, "ENGINE_INDEX", 12)) {
            if (ReadDecimal(ValueAt(line, 14), number))
                record.engineIndex = static_cast<uint32_t>(number);
        } else if (StartsWithNoCase(line, "MFD_ID", 6)) {
            if (ReadDecimal(ValueAt(line, 8), number))
                record.mfdId = number;
        } else if (StartsWithNoCase(line, "NOTATION", 8)) {
            record.notation = ReadNotation(ValueAt(line, 10));
        } else if (StartsWithNoCase(line, "PARAMETERSMODE", 14)) {
            record.parametersMode = ReadParametersMode(ValueAt(line, 16));
        } else if (StartsWithNoCase(line, "MASSDISPLAY", 11)) {
            record.massDisplay = ReadMassDisplay(ValueAt(line, 13), true);
        } else if (StartsWithNoCase(line, "ENGINESDISPLAY", 14)) {
            record.enginesDisplay = ReadEnginesDisplay(ValueAt(line, 16));
        } else if (StartsWithNoCase(line, "END_KX_MFD_INFO", 15)) {
            return true;
        }
    }
    return false;
}

} // namespace

void MfdRegistry::LoadState(ScenarioHandle scn) {
    char* line = nullptr;
    while (oapiReadScenario_nextline(scn, line)) {
        if (!StartsWithNoCase(line, "BEGIN_KX_MFD_INFO", 17))
            continue;
        // The block is read into a record on the stack: the host's reader and its vessel look-up
        // may run out of memory, and nothing may be left allocated when they do.
        MfdSettings block(nullptr, nullptr, 0);
        const bool lineLeft = ReadBlockItems(scn, block, line);
        if (block.vessel) {
            // Room is made before the record exists, so the record can always be appended.
            records.Reserve(records.Size() + 1);
            records.Append(new MfdSettings(block));
        }
        // The host's reader reports no line left at the scenario block's END: the load is over.
        if (!lineLeft)
            return;
    }
}

KELVANE_EXPORT void opcSaveState(FILEHANDLE scn) {
    if (gRegistry)
        gRegistry->SaveState(scn);
}

KELVANE_EXPORT void opcLoadState(FILEHANDLE scn) {
    if (gRegistry)
        gRegistry->LoadState(scn);
}

// The session's vessels are gone (the host has saved them already): no record may outlive them.
KELVANE_EXPORT void opcCloseRenderViewport() {
    if (gRegistry)
        gRegistry->EndSession();
}
