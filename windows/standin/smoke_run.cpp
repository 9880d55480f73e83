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

host_model::HostState& gHost = host_model::gHost;

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
    const int id = word < step.wordCount ? host_model::DisplayIdNamed(step.words[word]) : -1;
    if (id >= 0 && id < kDisplays)
        return id;
    Fail("step on line %d: expected Left or Right", step.line);
    return -1;
}

// The same for a display that must be open.
int OpenDisplayOf(const Step& step, int word) {
    const int id = DisplayOf(step, word);
    if (id >= 0 && !host_model::IsOpen(id)) {
        Fail("step on line %d: %s is not open", step.line, host_model::DisplayName(id));
        return -1;
    }
    return id;
}

Vessel* VesselOf(const Step& step) {
    Vessel* vessel = step.wordCount > 1 ? host_model::FindVessel(step.words[1]) : nullptr;
    if (!vessel)
        Fail("step on line %d: no such vessel", step.line);
    return vessel;
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
        if (!host_model::IsOpen(id))
            continue;
        char begin[32];
        host_model::FormatText(begin, sizeof begin, "BEGIN_MFD %s", host_model::DisplayName(id));
        const int block = FindLine(0, begin);
        const int mode = block < 0 ? -1 : FindLine(block, "MODE ");
        if (mode < 0) {
            Fail("the scenario has no %s display block with a MODE line",
                 host_model::DisplayName(id));
            continue;
        }
        ScenarioStream stream;
        host_model::OpenReader(stream, gScenarioLines + mode + 1, gScenarioLineCount - mode - 1);
        gHost.displays[id]->mfd->ReadStatus(&stream);
        Say("lines read: %d, the last \"%s\"", stream.next, stream.current ? stream.current : "");
        host_model::CloseStream(stream);
    }
}

void DeleteVessel(const Step& step) {
    if (Vessel* vessel = VesselOf(step)) {
        Say("delete %s: %s", vessel->Name(),
            host_model::DeleteVessel(vessel) ? "opcDeleteVessel, then it went"
                                             : "the last vessel stays");
    }
}

void Unload() {
    const int modeId = gHost.modeCount - 1;
    const BOOL freed = FreeLibrary(gModule);
    Say("FreeLibrary: %s; mode %s", freed ? "unloaded" : "failed",
        modeId >= 0 && !gHost.modes[modeId].registered ? "unregistered" : "still registered");
    if (modeId < 0 || gHost.modes[modeId].registered)
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
        OpenWithoutMemory(*gHost.focus);
    } else if (strcmp(what, "release") == 0) {
        const int button = ButtonOf(rest, 2);
        if ((id = OpenDisplayOf(rest, 1)) >= 0 && button >= 0)
            Say("button %d released: %s", button,
                gHost.displays[id]->mfd->ConsumeButton(button, PANEL_MOUSE_LBUP) ? "taken"
                                                                                 : "not taken");
    } else if (strcmp(what, "write-status") == 0) {
        if ((id = OpenDisplayOf(rest, 1)) >= 0) {
            ScenarioStream stream;
            host_model::OpenWriter(stream);
            gHost.displays[id]->mfd->WriteStatus(&stream);
            PrintWritten(stream);
            host_model::CloseStream(stream);
        }
    } else if (strcmp(what, "save-state") == 0) {
        SaveState();
    } else if (strcmp(what, "invalidations") == 0) {
        if ((id = OpenDisplayOf(rest, 1)) >= 0)
            Say("InvalidateDisplay calls: %d", gHost.displays[id]->displayInvalidations);
    } else if (strcmp(what, "load-state") == 0) {
        char last[kScenarioLineSize];
        const int read = LoadModuleState(last, sizeof last);
        if (read >= 0)
            Say("lines read: %d, the last \"%s\"", read, last);
        else
            Fail("the scenario has no BEGIN_%s block", gHost.moduleName);
    } else if (strcmp(what, "delete") == 0) {
        DeleteVessel(rest);
    } else if (strcmp(what, "end-session") == 0) {
        EndSession();
    } else if (strcmp(what, "new-session") == 0) {
        MakeSmokeVessels();
        for (int i = 0; i < gHost.vesselCount; ++i)
            Say("new session: %s (%s)", gHost.vessels[i]->Name(), gHost.vessels[i]->ClassName());
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
            OpenDisplay(id, 256, 256);
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
            const int entries = gHost.displays[id]->mfd->ButtonMenu(&menu);
            for (int i = 0; menu && i < entries; ++i)
                Say("menu %d: %s", i, menu[i].line1 ? menu[i].line1 : "");
        }
    } else if (strcmp(verb, "pause") == 0 || strcmp(verb, "resume") == 0) {
        gHost.clock.paused = strcmp(verb, "pause") == 0;
    } else if (strcmp(verb, "frame") == 0) {
        RunFrame();
    } else if (strcmp(verb, "load") == 0) {
        ReadDisplayBlocks();
    } else if (strcmp(verb, "focus") == 0) {
        if (Vessel* vessel = VesselOf(step))
            host_model::SetFocus(vessel); // the open displays close and open again on it
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
    const struct {
        const char* name;
        const char* className;
        double level;
    } kShips[] = {{"GL-01", "DeltaGlider", 1.0},
                  {"PB-01", "ShuttlePB", 0.65},
                  {"CP-7", "CargoPod", 1.0},
                  {"FD-2", "FuelDepot", 0.5}};
    for (const auto& ship : kShips)
        host_model::AddVessel(ship.name, *FindStockClass(ship.className))
            ->SetAllTankLevels(ship.level);
}

int RunSmokeSteps(const char* expectPath) {
    const char* at = kSmokeSteps;
    for (int line = 1; *at; ++line) {
        const char* end = strchr(at, '\n');
        const size_t length = end ? static_cast<size_t>(end - at) : strlen(at);
        char text[kScenarioLineSize];
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
