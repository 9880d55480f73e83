// A session: its start from a scenario's lines in the host's order, a focus change, a vessel
// deleted, and both kinds of end.
#include "host_model/host_model.h"

#include <stdlib.h>
#include <string.h>

namespace host_model {
namespace {

struct Reading {
    const ScenarioStart& start;
    char* text; // the current line, cleaned
    size_t size;
};

void Clean(Reading& r, int line) {
    const char* raw = line < r.start.lineCount ? r.start.lines[line] : "";
    const size_t size = strlen(raw) + 1;
    if (size > r.size) {
        char* bigger = static_cast<char*>(realloc(r.text, size));
        if (!bigger)
            HostCrash("the host's own allocation", "without memory left");
        r.text = bigger;
        r.size = size;
    }
    ReaderLineText(raw, r.text, r.size);
}

void Warn(const ScenarioStart& start, int line, const char* what) {
    char message[768];
    FormatText(message, sizeof message, "%s:%d: %s", start.path, line + 1, what);
    if (start.warn)
        start.warn(start.context, message);
}

// The first line at or after `from` whose cleaned text starts with the word `word`; -1 for none.
int FindLine(Reading& r, int from, const char* word) {
    for (int i = from; i < r.start.lineCount; ++i) {
        Clean(r, i);
        if (FirstWordIs(r.text, word))
            return i;
    }
    return -1;
}

// The text without blanks and tabs at either end, cut in place.
char* Trimmed(char* text) {
    text = const_cast<char*>(SkipBlanks(text));
    size_t n = strlen(text);
    while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '\t'))
        text[--n] = '\0';
    return text;
}

// Applies a ship's level line to its vessel, whose tanks the host has emptied.
void ApplyLevels(const ScenarioStart& start, int line, const char* clean, Vessel& vessel) {
    const int max = static_cast<int>(strlen(clean) / 2 + 1);
    LevelPair* pairs = static_cast<LevelPair*>(calloc(static_cast<size_t>(max), sizeof(LevelPair)));
    if (!pairs)
        HostCrash("the host's own allocation", "without memory left");
    const int count = ReadLevelLine(clean, pairs, max);
    for (int i = 0; i < count; ++i) {
        const LevelPair& p = pairs[i];
        if (!p.read || (!p.allTanks && (p.tank < 0 || p.tank >= int(vessel.TankCount()))))
            continue; // the host passes over a pair it cannot read or a tank the vessel lacks
        if (p.level < 0) {
            char what[256];
            FormatText(what, sizeof what,
                       "ship %s: the level '%.*s' is negative, which the host would take as "
                       "a negative mass: the tank is empty",
                       vessel.Name(), p.length, p.text);
            Warn(start, line, what);
        }
        const double level = p.level < 0 ? 0 : p.level;
        if (p.allTanks)
            vessel.SetAllTankLevels(level);
        else
            vessel.SetTankLevel(static_cast<size_t>(p.tank), level);
    }
    free(pairs);
}

// One ship block from its NAME:CLASS line to its END; the line after it.
int ReadShip(Reading& r, int header) {
    const ScenarioStart& start = r.start;
    Clean(r, header);
    char* colon = strchr(r.text, ':');
    if (colon)
        *colon = '\0';
    // Both are copied before the next line is read. NAME alone is its own class.
    const char* name = Trimmed(r.text);
    const char* className = colon ? Trimmed(colon + 1) : name;
    const VesselFigures* figures =
        start.classOf ? start.classOf(start.context, className) : nullptr;
    VesselFigures none = {className, 0, {{0, 0, 0}}, 0, nullptr, 0, nullptr};
    Vessel* vessel = AddVessel(name, figures ? *figures : none);
    int levels = -1; // the last level line: it replaces the earlier ones
    bool coversOpen = false;
    int line = header + 1;
    for (; line < start.lineCount; ++line) {
        Clean(r, line);
        if (EqualNoCase(r.text, "END") || EqualNoCase(r.text, "END_SHIPS"))
            break;
        if (ReadLevelLine(r.text, nullptr, 0) >= 0)
            levels = line;
        // The DeltaGlider's retro covers: "RCOVER 1 …" has them open.
        if (StartsNoCase(r.text, "RCOVER ") && atoi(r.text + 7) == 1)
            coversOpen = true;
    }
    if (levels >= 0) {
        Clean(r, levels);
        ApplyLevels(start, levels, r.text, *vessel);
    }
    if (coversOpen)
        vessel->OpenCovers();
    return line + 1;
}

void ReadShips(Reading& r) {
    const int begin = FindLine(r, 0, "BEGIN_SHIPS");
    for (int line = begin < 0 ? r.start.lineCount : begin + 1; line < r.start.lineCount;) {
        Clean(r, line);
        if (EqualNoCase(r.text, "END_SHIPS"))
            return;
        line = *r.text ? ReadShip(r, line) : line + 1;
    }
}

// The ship that BEGIN_FOCUS names, with regard to case; else the first (silently when the
// scenario has no focus block).
void TakeFocus(Reading& r) {
    gHost.focus = gHost.vesselCount > 0 ? gHost.vessels[0] : nullptr;
    const int begin = FindLine(r, 0, "BEGIN_FOCUS");
    if (begin < 0)
        return;
    const char* name = "";
    for (int line = begin + 1; line < r.start.lineCount; ++line) {
        Clean(r, line);
        if (EqualNoCase(r.text, "END_FOCUS"))
            break;
        if (FirstWordIs(r.text, "Ship")) {
            name = SkipBlanks(r.text + 4);
            break;
        }
    }
    for (int i = 0; *name && i < gHost.vesselCount; ++i)
        if (strcmp(gHost.vessels[i]->Name(), name) == 0) {
            gHost.focus = gHost.vessels[i];
            return;
        }
    char what[640];
    FormatText(what, sizeof what, "%s%.256s%s%s%.256s%s", *name ? "the focus ship " : "", name,
               *name ? " is not among the ships" : "BEGIN_FOCUS names no ship",
               gHost.focus ? ": the first ship, " : ", and the scenario has no ships",
               gHost.focus ? gHost.focus->Name() : "",
               gHost.focus ? ", is the focus, as in the host" : "");
    Warn(r.start, begin, what);
}

void LoadModuleState(Reading& r) {
    if (!gHost.moduleLoaded || !gHost.module.loadState)
        return;
    char begin[80];
    FormatText(begin, sizeof begin, "BEGIN_%s", gHost.moduleName);
    const int block = FindLine(r, 0, begin);
    if (block < 0)
        return;
    ScenarioStream stream;
    OpenReader(stream, r.start.lines + block + 1, r.start.lineCount - block - 1);
    gHost.module.loadState(&stream);
    CloseStream(stream);
}

// Each BEGIN_MFD block, found by the start of its raw line, read as the host reads it: a block
// in a registered User mode opens its display, whose ReadStatus reads on after the MODE line.
void OpenDisplays(Reading& r) {
    const ScenarioStart& start = r.start;
    char mode[kHostLineSize];
    for (int line = 0; line < start.lineCount; ++line) {
        if (!StartsNoCase(start.lines[line], "BEGIN_MFD "))
            continue;
        bool opened = false;
        Clean(r, line);
        const int id = DisplayIdNamed(SkipBlanks(r.text + 9));
        int modeLine = -1;
        const DisplayBlockHead head =
            strlen(start.lines[line]) >= kHostLineSize
                ? DisplayBlockHead::LineTooLong
                : ReadDisplayBlockHead(start.lines, start.lineCount, line + 1, mode, sizeof mode,
                                       modeLine);
        char what[160];
        what[0] = '\0';
        if (id < 0 || id >= gHost.displayCount) {
            // No such display in this cockpit.
        } else if (head == DisplayBlockHead::LineTooLong) {
            FormatText(what, sizeof what,
                       "display %s stays off: a line of its block is longer than the %d "
                       "characters the host reads",
                       DisplayName(id), static_cast<int>(kHostLineSize - 1));
        } else if (head == DisplayBlockHead::NoType) {
            FormatText(what, sizeof what, "display %s stays off: its block has no TYPE line",
                       DisplayName(id));
        } else if (head == DisplayBlockHead::NoMode) {
            FormatText(what, sizeof what,
                       "display %s stays off: the line after its TYPE line does not begin MODE",
                       DisplayName(id));
        } else if (head == DisplayBlockHead::UserMode && FindMode(mode) && !gHost.focus) {
            FormatText(what, sizeof what, "display %s stays off: the scenario has no vessel",
                       DisplayName(id));
        } else if (head == DisplayBlockHead::UserMode && FindMode(mode)) {
            ScenarioStream status;
            OpenReader(status, start.lines + modeLine + 1, start.lineCount - modeLine - 1);
            opened = OpenDisplay(id, mode, start.width, start.height, OpenedBy::Scenario, &status)
                         .display != nullptr;
            CloseStream(status);
            if (!opened)
                FormatText(what, sizeof what, "the module did not open display %s",
                           DisplayName(id));
        }
        if (what[0])
            Warn(start, line, what);
        if (start.displayBlock)
            start.displayBlock(start.context, line, opened);
    }
}

} // namespace

DisplayBlockHead ReadDisplayBlockHead(const char* const* lines, int count, int begin, char* mode,
                                      size_t modeSize, int& modeLine) {
    modeLine = -1;
    if (mode && modeSize)
        mode[0] = '\0';
    char text[kHostLineSize];
    // The host's buffer takes 255 characters and the zero: a longer line fails the read.
    const auto read = [&](int line) {
        if (line >= count || strlen(lines[line]) >= kHostLineSize)
            return false;
        ReaderLineText(lines[line], text, sizeof text);
        return true;
    };
    int line = begin;
    for (;; ++line) {
        if (line >= count)
            return DisplayBlockHead::NoType;
        if (!read(line))
            return DisplayBlockHead::LineTooLong;
        if (StartsNoCase(text, "TYPE"))
            break;
        if (EqualNoCase(text, "END_MFD"))
            return DisplayBlockHead::NoType;
    }
    if (!StartsNoCase(SkipBlanks(text + 4), "User"))
        return DisplayBlockHead::OtherType;
    if (line + 1 >= count)
        return DisplayBlockHead::NoMode;
    if (!read(line + 1))
        return DisplayBlockHead::LineTooLong;
    if (!StartsNoCase(text, "MODE"))
        return DisplayBlockHead::NoMode;
    modeLine = line + 1;
    FormatText(mode, modeSize, "%s", SkipBlanks(text + 4));
    return DisplayBlockHead::UserMode;
}

void StartScenario(const ScenarioStart& start) {
    Reading r = {start, nullptr, 0};
    ReadShips(r);
    TakeFocus(r);
    LoadModuleState(r);
    OpenDisplays(r);
    free(r.text);
}

// --- The session's steps ---

void SetFocus(Vessel* vessel) {
    RequireRunning("the host's SetFocus");
    int modes[MAXMFD];
    DWORD widths[MAXMFD], heights[MAXMFD];
    for (int id = 0; id < gHost.displayCount; ++id) {
        const Instrument* in = CockpitDisplay(id);
        modes[id] = in ? in->mode : -1;
        widths[id] = in ? in->width : 0;
        heights[id] = in ? in->height : 0;
    }
    for (int id = 0; id < gHost.displayCount; ++id)
        CloseDisplay(id);
    gHost.focus = vessel;
    for (int id = 0; id < gHost.displayCount; ++id)
        if (modes[id] >= 0 && gHost.modes[modes[id]].registered)
            OpenDisplay(id, gHost.modes[modes[id]].spec.name, widths[id], heights[id],
                        OpenedBy::Pilot);
    for (int i = 0; i < gHost.windowCount; ++i) {
        ExternalWindow& window = gHost.windows[i];
        if (!window.stuck && window.vessel != vessel)
            ReplaceWindowDisplay(window, vessel, window.mode);
    }
}

bool DeleteVessel(Vessel* vessel) {
    RequireRunning("the host's DeleteVessel");
    if (vessel == gHost.focus) {
        Vessel* next = nullptr;
        for (int i = 0; i < gHost.vesselCount && !next; ++i)
            if (gHost.vessels[i] != vessel)
                next = gHost.vessels[i];
        if (!next)
            return false; // nothing else could take the focus
        SetFocus(next);
    }
    if (gHost.moduleLoaded && gHost.module.deleteVessel)
        gHost.module.deleteVessel(static_cast<OBJHANDLE>(vessel));
    // A window may show a vessel that is not the focus: it moves to the focus, its old display
    // closing only now, after the module was told.
    for (int i = 0; i < gHost.windowCount; ++i)
        if (gHost.windows[i].vessel == vessel)
            ReplaceWindowDisplay(gHost.windows[i], gHost.focus, gHost.windows[i].mode);
    RemoveVessel(vessel, VesselFate::Deleted);
    return true;
}

void EndSession() {
    RequireRunning("the host's EndSession");
    if (gHost.moduleLoaded) {
        ScenarioStream saved;
        OpenWriter(saved);
        for (int id = 0; id < gHost.displayCount; ++id)
            if (Instrument* in = CockpitDisplay(id))
                in->mfd->WriteStatus(&saved);
        if (gHost.module.saveState)
            gHost.module.saveState(&saved);
        CloseStream(saved);
    }
    CloseAllDisplays();
    while (gHost.vesselCount > 0)
        RemoveVessel(gHost.vessels[0], VesselFate::SessionEnded);
    if (gHost.moduleLoaded && gHost.module.closeRenderViewport)
        gHost.module.closeRenderViewport();
}

void CloseRenderViewportForShutdown() {
    RequireRunning("the host's fast shutdown");
    if (gHost.moduleLoaded && gHost.module.closeRenderViewport)
        gHost.module.closeRenderViewport();
}

} // namespace host_model
