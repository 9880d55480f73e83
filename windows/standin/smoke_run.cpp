// The smoke run: the steps of windows/smoke/steps.txt, built into the executable, run one by one.
// Each step is a kelvane-sim script command, which this host runs its own way with the same
// effect on the display, or a "host" check that only this host makes.
#include "standin/module_driver.h"
#include "standin/run_modes.h"
#include "standin/scenario_text.h"
#include "standin/win32_extra.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

extern const char kSmokeSteps[]; // smoke_steps.cpp, written by the build from steps.txt

namespace standin {

namespace {

Vessel* gFocus = nullptr;

const int kMaxWords = 4;
struct Step {
    int line;
    const char* words[kMaxWords];
    int wordCount;
    const char* comment; // the first word after '#', or ""
};

// The start-up code's 64-bit division helper, which the display needs for its thruster list;
// the operands pass through volatile so the compiler cannot divide them itself.
void CheckDivision() {
    struct Case {
        unsigned long long dividend, divisor, quotient;
    };
    const Case kCases[] = {
        {10, 10, 1},
        {21, 10, 2},
        {5, 7, 0},
        {1000000000000000007ull, 1000000000ull, 1000000000ull},
        {0xFFFFFFFFFFFFFFFFull, 10, 1844674407370955161ull},
        {0xFFFFFFFFFFFFFFFFull, 0x100000001ull, 0xFFFFFFFFull},
        {0x123456789ABCDEF0ull, 0x12345ull, 17592281465349ull},
    };
    const int count = static_cast<int>(sizeof kCases / sizeof kCases[0]);
    int right = 0;
    for (const Case& c : kCases) {
        volatile unsigned long long dividend = c.dividend, divisor = c.divisor;
        const unsigned long long quotient = dividend / divisor;
        if (quotient == c.quotient)
            ++right;
        else
            Fail("%llu / %llu gave %llu", c.dividend, c.divisor, quotient);
    }
    Say("64-bit division: %d of %d cases right", right, count);
}

// The display a step names; -1 (with a failure) when it names none.
int DisplayOf(const Step& step, int word) {
    for (int id = 0; id < kDisplays && word < step.wordCount; ++id)
        if (_stricmp(step.words[word], kDisplayNames[id]) == 0)
            return id;
    Fail("step on line %d: expected Left or Right", step.line);
    return -1;
}

// The same for a display that must be open.
int OpenDisplayOf(const Step& step, int word) {
    const int id = DisplayOf(step, word);
    if (id >= 0 && !gInstruments[id].mfd) {
        Fail("step on line %d: %s is not open", step.line, kDisplayNames[id]);
        return -1;
    }
    return id;
}

int ButtonOf(const Step& step, int word) {
    const int button = word < step.wordCount ? atoi(step.words[word]) : -1;
    if (button < 0 || button > 3)
        Fail("step on line %d: expected a button from 0 to 3", step.line);
    return button >= 0 && button <= 3 ? button : -1;
}

// ReadStatus of each open display from the rest of the scenario's block for it after MODE.
void ReadDisplayBlocks() {
    for (int id = 0; id < kDisplays; ++id) {
        if (!gInstruments[id].mfd)
            continue;
        char begin[32];
        _snprintf(begin, sizeof begin, "BEGIN_MFD %s", kDisplayNames[id]);
        begin[sizeof begin - 1] = '\0';
        const int block = FindLine(0, begin);
        const int mode = block < 0 ? -1 : FindLine(block, "MODE ");
        if (mode < 0) {
            Fail("the scenario has no %s display block with a MODE line", kDisplayNames[id]);
            continue;
        }
        static ScenarioStream stream;
        OpenReader(stream, gScenarioLines + mode + 1, gScenarioLineCount - mode - 1);
        gInstruments[id].mfd->ReadStatus(&stream);
        Say("lines read: %d, the last \"%s\"", stream.next, stream.current);
    }
}

void DeleteVessel(const Step& step) {
    Vessel* vessel = step.wordCount > 1 ? FindVessel(step.words[1]) : nullptr;
    if (!vessel) {
        Fail("step on line %d: no such vessel", step.line);
        return;
    }
    Say("opcDeleteVessel %s, then its displays close", vessel->name);
    gEntryPoints.deleteVessel(static_cast<OBJHANDLE>(vessel));
    // The host closes a deleted vessel's displays after telling the module.
    for (int id = 0; id < kDisplays; ++id)
        if (gInstruments[id].mfd && gInstruments[id].vessel == vessel)
            CloseDisplay(id);
    vessel->fate = VesselFate::Deleted;
}

void Unload() {
    const int modeId = gModeCount - 1;
    const BOOL freed = FreeLibrary(gModule);
    Say("FreeLibrary: %s; mode %s", freed ? "unloaded" : "failed",
        modeId >= 0 && !gModes[modeId].registered ? "unregistered" : "still registered");
    if (modeId < 0 || gModes[modeId].registered)
        Fail("ExitModule did not unregister the mode");
}

void RunHostStep(const Step& step) {
    const char* what = step.wordCount > 1 ? step.words[1] : "";
    Step rest = step; // the step's words after "host"
    for (int i = 1; i < step.wordCount; ++i)
        rest.words[i - 1] = step.words[i];
    --rest.wordCount;
    int id = -1;
    if (strcmp(what, "division") == 0) {
        CheckDivision();
    } else if (strcmp(what, "open-without-memory") == 0) {
        OpenWithoutMemory(*gFocus);
    } else if (strcmp(what, "release") == 0) {
        const int button = ButtonOf(rest, 2);
        if ((id = OpenDisplayOf(rest, 1)) >= 0 && button >= 0)
            Say("button %d released: %s", button,
                gInstruments[id].mfd->ConsumeButton(button, PANEL_MOUSE_LBUP) ? "taken"
                                                                              : "not taken");
    } else if (strcmp(what, "write-status") == 0) {
        if ((id = OpenDisplayOf(rest, 1)) >= 0) {
            static ScenarioStream stream;
            OpenWriter(stream);
            gInstruments[id].mfd->WriteStatus(&stream);
            PrintWritten(stream);
        }
    } else if (strcmp(what, "save-state") == 0) {
        SaveState();
    } else if (strcmp(what, "invalidations") == 0) {
        if ((id = OpenDisplayOf(rest, 1)) >= 0)
            Say("InvalidateDisplay calls: %d", gInstruments[id].displayInvalidations);
    } else if (strcmp(what, "load-state") == 0) {
        if (const ScenarioStream* state = LoadModuleState())
            Say("lines read: %d, the last \"%s\"", state->next, state->current);
        else
            Fail("the scenario has no BEGIN_%s block", gModuleName);
    } else if (strcmp(what, "delete") == 0) {
        DeleteVessel(rest);
    } else if (strcmp(what, "end-session") == 0) {
        EndSession();
    } else if (strcmp(what, "new-session") == 0) {
        MakeSmokeVessels();
        for (const Vessel& v : gVessels)
            if (v.fate == VesselFate::Alive)
                Say("new session: %s (%s), vessel slot %d", v.name, v.className,
                    static_cast<int>(&v - gVessels));
    } else if (strcmp(what, "unload") == 0) {
        Unload();
    } else {
        Fail("step on line %d: no host step '%s'", step.line, what);
    }
}

void RunStep(const Step& step) {
    const char* verb = step.words[0];
    int id = -1;
    if (strcmp(verb, "host") == 0) {
        RunHostStep(step);
    } else if (strcmp(verb, "open") == 0) {
        if ((id = DisplayOf(step, 1)) >= 0)
            OpenDisplay(id, *gFocus, 256, 256);
    } else if (strcmp(verb, "close") == 0) {
        if ((id = DisplayOf(step, 1)) >= 0)
            CloseDisplay(id);
    } else if (strcmp(verb, "draw") == 0) {
        if ((id = OpenDisplayOf(step, 1)) >= 0)
            Draw(id, *step.comment ? step.comment : "frame");
    } else if (strcmp(verb, "press") == 0) {
        const int button = ButtonOf(step, 2);
        if ((id = OpenDisplayOf(step, 1)) >= 0 && button >= 0)
            Press(id, button);
    } else if (strcmp(verb, "menu") == 0) {
        if ((id = OpenDisplayOf(step, 1)) >= 0) {
            const MFDBUTTONMENU* menu = nullptr;
            const int entries = gInstruments[id].mfd->ButtonMenu(&menu);
            for (int i = 0; menu && i < entries; ++i)
                Say("menu %d: %s", i, menu[i].line1 ? menu[i].line1 : "");
        }
    } else if (strcmp(verb, "pause") == 0 || strcmp(verb, "resume") == 0) {
        gClock.paused = strcmp(verb, "pause") == 0;
    } else if (strcmp(verb, "frame") == 0) {
        RunFrame();
    } else if (strcmp(verb, "load") == 0) {
        ReadDisplayBlocks();
    } else if (strcmp(verb, "focus") == 0) {
        Vessel* vessel = step.wordCount > 1 ? FindVessel(step.words[1]) : nullptr;
        if (vessel)
            gFocus = vessel;
        else
            Fail("step on line %d: no such vessel", step.line);
    } else {
        Fail("step on line %d: no step '%s'", step.line, verb);
    }
}

// Splits one line of the steps, in place, into its words and its comment.
bool ParseStep(char* text, int line, Step& step) {
    step.line = line;
    step.wordCount = 0;
    step.comment = "";
    if (char* hash = strchr(text, '#')) {
        *hash = '\0';
        char* comment = hash + 1;
        while (*comment == ' ')
            ++comment;
        char* end = comment;
        while (*end && *end != ' ')
            ++end;
        *end = '\0';
        step.comment = comment;
    }
    for (char* at = text;;) {
        while (*at == ' ' || *at == '\t')
            *at++ = '\0';
        if (!*at)
            return step.wordCount > 0;
        if (step.wordCount == kMaxWords) {
            Fail("step on line %d: more than %d words", line, kMaxWords);
            return false;
        }
        step.words[step.wordCount++] = at;
        while (*at && *at != ' ' && *at != '\t')
            ++at;
    }
}

} // namespace

void MakeSmokeVessels() {
    gFocus = MakeVessel("GL-01", *FindStockClass("DeltaGlider"), 1.0);
    MakeVessel("PB-01", *FindStockClass("ShuttlePB"), 0.65);
    MakeVessel("CP-7", *FindStockClass("CargoPod"), 1.0);
    MakeVessel("FD-2", *FindStockClass("FuelDepot"), 0.5);
}

int RunSmokeSteps(const char* expectPath) {
    const char* at = kSmokeSteps;
    for (int line = 1; *at; ++line) {
        const char* end = strchr(at, '\n');
        const size_t length = end ? static_cast<size_t>(end - at) : strlen(at);
        char text[kStreamLineSize];
        if (length >= sizeof text) {
            Fail("step on line %d: longer than %d characters", line,
                 static_cast<int>(sizeof text) - 1);
        } else {
            memcpy(text, at, length);
            text[length] = '\0';
            Step step;
            if (strncmp(text, "== ", 3) == 0)
                Say("%s", text);
            else if (ParseStep(text, line, step))
                RunStep(step);
        }
        at += length + (end ? 1 : 0);
    }

    return FinishRun(expectPath);
}

} // namespace standin
