// --play: a scenario started as the simulator starts it: its ships (stock classes, tanks full as
// the simulator makes them; a PRPLEVEL line gives every level, tanks it does not list empty), its
// focus, the module's block through opcLoadState, then each Left or Right display block in the
// Kelvane mode opened on the focus vessel and handed the rest of its block through ReadStatus. Then
// the pilot's view: each of the two displays is switched to the Kelvane mode if it is not in it
// already, and drawn.
#include "standin/module_driver.h"
#include "standin/run_modes.h"
#include "standin/scenario_text.h"
#include "standin/win32_extra.h"

#include <stdio.h>
#include <string.h>

namespace standin {

namespace {

// The ship's PRPLEVEL pairs "TANK:LEVEL", set on the vessel.
bool SetLevels(Vessel& vessel, const char* pairs, int lineNumber) {
    for (;;) {
        pairs = SkipBlanks(pairs);
        if (!*pairs)
            return true;
        int tank = -1, used = 0;
        double level = -1;
        if (sscanf(pairs, "%d:%lf%n", &tank, &level, &used) != 2 || tank < 0 ||
            tank >= vessel.tankCount || !(level >= 0 && level <= 1)) {
            Fail("scenario line %d: PRPLEVEL of %s: '%s' is no TANK:LEVEL pair of its tanks",
                 lineNumber, vessel.name, pairs);
            return false;
        }
        vessel.tanks[tank].mass = vessel.tanks[tank].capacity * level;
        pairs += used;
    }
}

} // namespace

bool ReadShips() {
    const int begin = FindLine(0, "BEGIN_SHIPS");
    if (begin < 0) {
        Fail("the scenario has no BEGIN_SHIPS block");
        return false;
    }
    int count = 0;
    Vessel* ship = nullptr;
    bool shipHasLevels = false;
    char text[kStreamLineSize];
    for (int i = begin + 1; i < gScenarioLineCount; ++i) {
        ReaderLineText(gScenarioLines[i], text, sizeof text);
        if (_stricmp(text, "END_SHIPS") == 0)
            return true;
        if (!*text)
            continue;
        if (ship) {
            if (_stricmp(text, "END") == 0)
                ship = nullptr;
            else if (StartsWithNoCase(text, "PRPLEVEL ")) {
                if (!shipHasLevels)
                    for (int t = 0; t < ship->tankCount; ++t)
                        ship->tanks[t].mass = 0.0;
                shipHasLevels = true;
                if (!SetLevels(*ship, text + 9, i + 1))
                    return false;
            }
            continue;
        }
        // The name is the whole text before the ':', blanks trimmed: it may hold blanks.
        char* colon = strchr(text, ':');
        char* nameEnd = colon;
        while (nameEnd && nameEnd > text && (nameEnd[-1] == ' ' || nameEnd[-1] == '\t'))
            --nameEnd;
        if (!colon || nameEnd == text || nameEnd - text >= static_cast<int>(sizeof ship->name)) {
            Fail("scenario line %d: '%s' is no NAME:CLASS line", i + 1, text);
            return false;
        }
        *nameEnd = '\0';
        const VesselClassData* cls = FindStockClass(SkipBlanks(colon + 1));
        if (!cls || count == kMaxVessels) {
            Fail("scenario line %d: ship %s: %s", i + 1, text,
                 cls ? "too many ships" : "not a stock class this host knows");
            return false;
        }
        ship = MakeVessel(text, *cls, 1.0);
        ++count;
        shipHasLevels = false;
    }
    Fail("the scenario's BEGIN_SHIPS block has no END_SHIPS");
    return false;
}

namespace {

Vessel* FocusVessel() {
    const int begin = FindLine(0, "BEGIN_FOCUS");
    char text[kStreamLineSize];
    for (int i = begin < 0 ? gScenarioLineCount : begin + 1; i < gScenarioLineCount; ++i) {
        ReaderLineText(gScenarioLines[i], text, sizeof text);
        if (_stricmp(text, "END_FOCUS") == 0)
            break;
        if (StartsWithNoCase(text, "Ship "))
            return FindVessel(SkipBlanks(text + 5));
    }
    return gVessels[0].fate == VesselFate::Alive ? &gVessels[0] : nullptr; // the first ship
}

} // namespace

int PlayScenario() {
    Vessel* focus = FocusVessel();
    if (!focus) {
        Fail("the scenario's focus names no ship");
        return 1;
    }
    if (const ScenarioStream* state = LoadModuleState())
        Say("opcLoadState: lines read: %d", state->next);
    char text[kStreamLineSize];
    for (int i = 0; i < gScenarioLineCount; ++i) {
        ReaderLineText(gScenarioLines[i], text, sizeof text);
        if (!StartsWithNoCase(text, "BEGIN_MFD "))
            continue;
        int id = -1;
        for (int d = 0; d < kDisplays; ++d)
            if (_stricmp(SkipBlanks(text + 10), kDisplayNames[d]) == 0)
                id = d;
        if (id < 0) {
            Fail("scenario line %d: '%s': this host has the Left and Right displays only", i + 1,
                 text);
            return 1;
        }
        // TYPE User, and the MODE line right after it, name the mode.
        char type[kStreamLineSize], mode[kStreamLineSize] = "";
        ReaderLineText(i + 1 < gScenarioLineCount ? gScenarioLines[i + 1] : "", type, sizeof type);
        ReaderLineText(i + 2 < gScenarioLineCount ? gScenarioLines[i + 2] : "", mode, sizeof mode);
        if (_stricmp(type, "TYPE User") != 0 || !StartsWithNoCase(mode, "MODE ") ||
            _stricmp(SkipBlanks(mode + 5), "Kelvane") != 0)
            continue;
        if (!OpenDisplay(id, *focus, 256, 256))
            return 1;
        static ScenarioStream status;
        OpenReader(status, gScenarioLines + i + 3, gScenarioLineCount - i - 3);
        gInstruments[id].mfd->ReadStatus(&status);
        Say("ReadStatus %s: lines read: %d", kDisplayNames[id], status.next);
    }
    for (int id = 0; id < kDisplays; ++id) {
        if (!gInstruments[id].mfd && !OpenDisplay(id, *focus, 256, 256))
            return 1;
        Draw(id, "played");
    }
    for (int id = 0; id < kDisplays; ++id)
        CloseDisplay(id);
    const BOOL freed = FreeLibrary(gModule);
    Say("FreeLibrary: %s", freed ? "unloaded" : "failed");
    return FinishRun(nullptr);
}

} // namespace standin
