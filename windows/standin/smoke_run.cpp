// The smoke run: the steps of windows/smoke/steps.txt, built into the executable, run one by one.
// Each step is a kelvane-sim script command, which this host runs its own way with the same
// effect on the display, or a "host" check that only this host makes; a "sim" step is
// kelvane-sim's alone. The run ends with the fast shutdown, after which no step may follow.
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
using host_model::ExternalWindow;

// Each display's size, in the cockpit and in a new window, as kelvane-sim is run with.
const DWORD kDisplaySize = 256;

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

// The display a step's word names: an open window's, else an open cockpit display. Its display
// is null (with a failure) when it names none.
NamedDisplay NamedOf(const Step& step, int word) {
    const char* name = word < step.wordCount ? step.words[word] : "";
    NamedDisplay none = {nullptr, name, false};
    if (ExternalWindow* window = host_model::FindExternalWindow(name)) {
        if (!window->shown)
            Fail("step on line %d: window %s shows no display", step.line, name);
        return WindowDisplayNamed(*window);
    }
    if (host_model::DisplayIdNamed(name) < 0) {
        Fail("step on line %d: expected Left, Right or an open window's name", step.line);
        return none;
    }
    const int id = OpenDisplayOf(step, word);
    return id >= 0 ? CockpitDisplayNamed(id) : none;
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
        char what[80];
        host_model::FormatText(what, sizeof what, "delete %s", vessel->Name());
        const WindowVessels before = NoteWindowVessels();
        Say("%s: %s", what,
            host_model::DeleteVessel(vessel) ? "opcDeleteVessel, then it went"
                                             : "the last vessel stays");
        SayWindowMoves(what, before); // the windows that showed it are on the focus now
    }
}

// "WxH", each side 128 to 1024 pixels, as kelvane-sim takes a window's size.
bool ReadSize(const char* text, DWORD& width, DWORD& height) {
    unsigned w = 0, h = 0;
    char after = '\0';
    if (sscanf(text, "%ux%u%c", &w, &h, &after) != 2 || w < 128 || w > 1024 || h < 128 || h > 1024)
        return false;
    width = static_cast<DWORD>(w);
    height = static_cast<DWORD>(h);
    return true;
}

// kelvane-sim's "window VERB NAME ...": the stock ExtMFD plug-in's windows.
void RunWindowStep(const Step& step) {
    const char* what = step.wordCount > 1 ? step.words[1] : "";
    const char* name = step.wordCount > 2 ? step.words[2] : "";
    const bool twoMore = strcmp(what, "size") == 0 || strcmp(what, "stick") == 0;
    if (step.wordCount != (twoMore ? 4 : 3)) {
        Fail("step on line %d: expected 'window %s NAME%s'", step.line, what,
             strcmp(what, "size") == 0    ? " WxH"
             : strcmp(what, "stick") == 0 ? " on|off"
                                          : "");
        return;
    }
    if (strcmp(what, "open") == 0) {
        OpenWindow(name, kDisplaySize, kDisplaySize);
        return;
    }
    ExternalWindow* window = host_model::FindExternalWindow(name);
    if (!window) {
        Fail("step on line %d: no open window %s", step.line, name);
        return;
    }
    DWORD width = 0, height = 0;
    if (strcmp(what, "size") == 0) {
        if (ReadSize(step.words[3], width, height))
            ResizeWindow(*window, width, height);
        else
            Fail("step on line %d: expected WxH, each side 128 to 1024", step.line);
    } else if (strcmp(what, "choose") == 0) {
        ChooseWindowMode(*window);
    } else if (strcmp(what, "stick") == 0) {
        const bool on = strcmp(step.words[3], "on") == 0;
        if (on || strcmp(step.words[3], "off") == 0)
            StickWindow(*window, on);
        else
            Fail("step on line %d: expected on or off", step.line);
    } else if (strcmp(what, "close") == 0) {
        CloseWindow(*window);
    } else {
        Fail("step on line %d: no window step '%s'", step.line, what);
    }
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
    } else if (strcmp(what, "window-blocks") == 0) {
        CheckWindowBlocks();
    } else {
        Fail("step on line %d: no host step '%s'", step.line, what);
    }
}

void RunStep(const Step& step) {
    const char* verb = step.words[0];
    int id = -1;
    if (strcmp(verb, "host") == 0) {
        RunHostStep(step);
    } else if (strcmp(verb, "sim") == 0) {
        // kelvane-sim's alone: it reaches what this host's own steps did.
    } else if (strcmp(verb, "open") == 0) {
        if ((id = DisplayOf(step, 1)) >= 0)
            OpenDisplay(id, kDisplaySize, kDisplaySize);
    } else if (strcmp(verb, "close") == 0) {
        if ((id = DisplayOf(step, 1)) >= 0)
            CloseDisplay(id);
    } else if (strcmp(verb, "draw") == 0) {
        const NamedDisplay display = NamedOf(step, 1);
        if (display.display)
            Draw(display, *step.comment ? step.comment : "frame");
    } else if (strcmp(verb, "press") == 0) {
        const NamedDisplay display = NamedOf(step, 1);
        const int button = ButtonOf(step, 2);
        if (display.display && button >= 0)
            Press(display, button);
    } else if (strcmp(verb, "menu") == 0) {
        const NamedDisplay display = NamedOf(step, 1);
        if (display.display) {
            const MFDBUTTONMENU* menu = nullptr;
            const int entries = display.display->mfd->ButtonMenu(&menu);
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
        if (Vessel* vessel = VesselOf(step)) {
            char what[80];
            host_model::FormatText(what, sizeof what, "focus %s", vessel->Name());
            const WindowVessels before = NoteWindowVessels();
            host_model::SetFocus(vessel); // the open displays close and open again on it
            SayWindowMoves(what, before); // then the windows that follow the focus move
        }
    } else if (strcmp(verb, "delete") == 0) {
        DeleteVessel(step);
    } else if (strcmp(verb, "window") == 0) {
        RunWindowStep(step);
    } else if (strcmp(verb, "quit") == 0) {
        if (step.wordCount == 2 && strcmp(step.words[1], "fast") == 0)
            QuitFast();
        else
            Fail("step on line %d: expected 'quit fast' (this host saves into no file)", step.line);
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
            const bool heading = strncmp(text, "== ", 3) == 0;
            if (heading || ParseStep(text, line, step)) {
                if (gHost.processEnded)
                    Fail("step on line %d: the fast shutdown ended the process before it", line);
                else if (heading)
                    Say("%s", text);
                else
                    RunStep(step);
            }
        }
        at += length + (end ? 1 : 0);
    }

    return FinishRun(expectPath);
}

} // namespace standin
