// A display's own status lines inside the host's block for that display.
#include "display/kelvane_mfd.h"
#include "module/module.h"
#include "settings/mfd_registry.h"
#include "settings/scenario_text.h"

void KelvaneMfd::WriteStatus(FILEHANDLE scn) const {
    const MfdSettings& s = *settings;
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

namespace {

// Displays 0 and 1 recognise their id line by the value's first character, as stored files have
// always been read; the other displays by the id's whole value.
bool IsOwnIdLine(const char* line, int32_t mfdId) {
    if (!StartsWithNoCase(line, "MFD_ID", 6))
        return false;
    const char* value = ValueAt(line, 8);
    if (mfdId == 0 || mfdId == 1)
        return value[0] == (mfdId == 0 ? '0' : '1');
    int32_t id = 0;
    return ReadDecimal(value, id) && id == mfdId;
}

bool IsBlockEnd(const char* line) {
    return StartsWithNoCase(line, "END_MFD", 7);
}

} // namespace

// The host's reader runs on past this display's END_MFD into the next block, so both phases stop
// there: a display never takes another display's settings.
void KelvaneMfd::ReadStatus(FILEHANDLE scn) {
    char* line = nullptr;
    // Phase 1: skip to this display's id line. Settings before it belong to no one.
    while (oapiReadScenario_nextline(scn, line)) {
        if (IsBlockEnd(line))
            return;
        if (IsOwnIdLine(line, settings->mfdId))
            break;
        // The block is this display's own, but it was saved from the record of another id: on
        // opening, the display took a free record that belongs to another display (the module's
        // block is read before the displays open). Move to the record of the block's id, so
        // neither display loses its settings to the other.
        int32_t blockId = 0;
        if (gRegistry && StartsWithNoCase(line, "MFD_ID", 6) &&
            ReadDecimal(ValueAt(line, 8), blockId)) {
            settings = gRegistry->RebindDisplay(this, blockId);
            break;
        }
    }

    MfdSettings& s = *settings;
    while (oapiReadScenario_nextline(scn, line)) {
        int32_t number = 0;
        if (StartsWithNoCase(line, "PARAMETERSMODE", 14)) {
            s.parametersMode = ReadParametersMode(ValueAt(line, 16));
        } else if (StartsWithNoCase(line, "TANK_INDEX", 10)) {
            if (ReadDecimal(ValueAt(line, 12), number))
                s.tankIndex = static_cast<uint32_t>(number);
        } else if (StartsWithNoCase(line, "ENGINE_INDEX", 12)) {
            if (ReadDecimal(ValueAt(line, 14), number))
                s.engineIndex = static_cast<uint32_t>(number);
        } else if (StartsWithNoCase(line, "NOTATION", 8)) {
            s.notation = ReadNotation(ValueAt(line, 10));
        } else if (StartsWithNoCase(line, "MASSDISPLAY", 11)) {
            s.massDisplay = ReadMassDisplay(ValueAt(line, 13), false);
        } else if (StartsWithNoCase(line, "ENGINESDISPLAY", 14)) {
            s.enginesDisplay = ReadEnginesDisplay(ValueAt(line, 16));
        } else if (IsBlockEnd(line)) {
            return;
        }
    }
}
