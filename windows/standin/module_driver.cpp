#include "standin/module_driver.h"

#include "standin/address_space.h"
#include "standin/display_capture.h"
#include "standin/type_information.h"
#include "standin/win32_extra.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace standin {

HMODULE gModule = nullptr;
const char* gFramesFolder = "frames";

namespace {
int gPictureCount = 0;
host_model::HostState& gHost = host_model::gHost;
using host_model::ExternalWindow;
using host_model::FirstWordIs;
using host_model::SkipBlanks;

// The window objects the host made, kept so that a window's id can be checked against the
// address it came from.
const int kMaxWindowObjects = 64;
const void* gWindowObjects[kMaxWindowObjects];
int gWindowObjectCount = 0;
} // namespace

} // namespace standin

// A window's id is the address of the host's window object: above 4 GiB on the 64-bit edition,
// where the host hands the module its low 32 bits. The objects stay for the run, so every window
// has an id of its own.
UINT host_model::NewWindowId() {
    standin::TakeMemoryBelow4GiB();
    const size_t kWindowObjectSize = 0x240; // the stand-in's guess at an ExternMFD's size
    void* window = malloc(kWindowObjectSize);
    if (!window)
        HostCrash("the host's own allocation", "without memory left");
    if (sizeof(void*) == 8 && !standin::Above4GiB(window))
        standin::Fail("a window object lies below 4 GiB, so its id is its whole address");
    if (standin::gWindowObjectCount < standin::kMaxWindowObjects)
        standin::gWindowObjects[standin::gWindowObjectCount++] = window;
    else
        standin::Fail("more than %d windows opened in one run", standin::kMaxWindowObjects);
    return static_cast<UINT>(reinterpret_cast<uintptr_t>(window));
}

namespace standin {

bool OpenDisplay(int id, DWORD width, DWORD height) {
    TakeMemoryBelow4GiB();
    const char* name = host_model::DisplayName(id);
    if (!host_model::FindMode("Kelvane") || !gHost.focus) {
        Fail("open %s: %s", name, gHost.focus ? "the mode Kelvane is not registered" : "no vessel");
        return false;
    }
    const host_model::OpenedDisplay opened =
        host_model::OpenDisplay(id, "Kelvane", width, height, host_model::OpenedBy::Pilot);
    Say("open %s on %s (%lux%lu): message 4 gives %s, message 1 gives %s", name,
        gHost.focus->Name(), static_cast<unsigned long>(width), static_cast<unsigned long>(height),
        opened.extended ? "a display" : "0", opened.plain ? "a display" : "0");
    MFD* mfd = opened.display;
    if (!mfd) {
        Fail("open %s: the module made no display", name);
        return false;
    }
    // The result carries the address of the display the module made, all of it.
    if (static_cast<const void*>(mfd) != gHost.lastDisplayMade) {
        Fail("open %s: the message procedure gave %p, the display is at %p", name,
             static_cast<void*>(mfd), static_cast<const void*>(gHost.lastDisplayMade));
        return false;
    }
    if (sizeof(void*) == 8 && !Above4GiB(mfd))
        Fail("open %s: the display lies below 4 GiB, so a cut-off address would pass", name);
    CheckDisplayType(mfd, gModule);
    return true;
}

void CloseDisplay(int id) {
    if (!host_model::IsOpen(id))
        return;
    const int before = gHost.displaysGone;
    host_model::CloseDisplay(id); // the module's deleting destructor frees it
    const char* name = host_model::DisplayName(id);
    Say("close %s: %s", name,
        gHost.displaysGone == before + 1 ? "the display destroyed itself and its base"
                                         : "the base destructor did not run");
    if (gHost.displaysGone != before + 1)
        Fail("close %s: MFD::~MFD ran %d times", name, gHost.displaysGone - before);
}

NamedDisplay CockpitDisplayNamed(int id) {
    NamedDisplay named = {host_model::CockpitDisplay(id), host_model::DisplayName(id), false};
    return named;
}

NamedDisplay WindowDisplayNamed(ExternalWindow& window) {
    NamedDisplay named = {window.shown, window.name, true};
    return named;
}

void Draw(const NamedDisplay& display, const char* pictureName) {
    const char* name = display.name;
    if (!display.display) {
        Fail("draw %s: no display is open there", name);
        return;
    }
    Instrument& in = *display.display;
    DWORD cw, ch;
    host_model::CellSizeFor(in.height, cw, ch);
    DisplaySurface surface;
    if (!CreateSurface(surface, static_cast<int>(in.width), static_cast<int>(in.height),
                       static_cast<int>(cw), static_cast<int>(ch))) {
        Fail("draw %s: no memory device context", name);
        DestroySurface(surface);
        return;
    }
    static DrawnFrame frame;
    memset(&frame, 0, sizeof frame);
    const int invalidations = in.buttonInvalidations;
    gRecording = &frame;
    in.mfd->Update(surface.dc);
    gRecording = nullptr;
    host_model::NoteRedraw(in);
    const char* labels[4];
    for (int b = 0; b < 4; ++b)
        labels[b] = in.mfd->ButtonLabel(b);
    char heading[48];
    host_model::FormatText(heading, sizeof heading, "%s %s", display.window ? "Window" : "MFD",
                           name);
    PrintFrame(frame, heading, static_cast<int>(cw), static_cast<int>(ch), labels);
    CheckInk(frame, surface, static_cast<int>(cw), static_cast<int>(ch));
    if (in.buttonInvalidations == invalidations)
        Fail("draw %s: the display did not renew its button labels", name);
    char path[260];
    _snprintf(path, sizeof path, "%s\\%02d-%s-%s.bmp", gFramesFolder, ++gPictureCount, name,
              pictureName);
    path[sizeof path - 1] = '\0';
    if (!SaveBitmap(surface, path))
        Fail("draw %s: cannot write %s", name, path);
    DestroySurface(surface);
}

void Draw(int id, const char* pictureName) {
    if (!host_model::IsOpen(id)) {
        Fail("draw %s: the display is not open", host_model::DisplayName(id));
        return;
    }
    Draw(CockpitDisplayNamed(id), pictureName);
}

void RunFrame() {
    host_model::AdvanceClock(host_model::kFrameSeconds);
    bool drawn = false;
    for (int id = 0; id < kDisplays; ++id) {
        if (!host_model::RedrawDue(id))
            continue;
        Say("frame: %s is redrawn%s", host_model::DisplayName(id),
            gHost.displays[id]->schedule.asked ? ", as it asked" : "");
        Draw(id, "frame");
        drawn = true;
    }
    for (int i = 0; i < gHost.windowCount; ++i) {
        ExternalWindow& window = gHost.windows[i];
        if (!window.shown || !host_model::RedrawDue(*window.shown))
            continue;
        Say("frame: window %s is redrawn%s", window.name,
            window.shown->schedule.asked ? ", as it asked" : "");
        Draw(WindowDisplayNamed(window), "frame");
        drawn = true;
    }
    if (!drawn)
        Say("frame: no display redrawn");
}

void Press(const NamedDisplay& display, int button) {
    const bool taken = display.display->mfd->ConsumeButton(button, PANEL_MOUSE_LBDOWN);
    Say("press %s %d: %s", display.name, button, taken ? "taken" : "not taken");
}

namespace {

// The window object whose address gave `id`; null when none did.
const void* WindowObjectOf(UINT id) {
    for (int i = gWindowObjectCount - 1; i >= 0; --i)
        if (static_cast<UINT>(reinterpret_cast<uintptr_t>(gWindowObjects[i])) == id)
            return gWindowObjects[i];
    return nullptr;
}

// The open window whose id the module writes as `id` (a signed int); null when none has it.
const ExternalWindow* WindowWithId(int32_t id) {
    for (int i = 0; i < gHost.windowCount; ++i)
        if (static_cast<int32_t>(gHost.windows[i].id) == id)
            return &gHost.windows[i];
    return nullptr;
}

// The value of a written "MFD_ID n" line (blanks skipped); false for any other line.
bool ReadIdLine(const char* text, int32_t& id) {
    if (!FirstWordIs(text, "MFD_ID"))
        return false;
    int value = 0;
    char after = '\0';
    if (sscanf(text + 6, "%d %c", &value, &after) != 1)
        return false;
    id = static_cast<int32_t>(value);
    return true;
}

// The display a window step left in the window is the one the module made last, with all of its
// address, and lies where a cut-off address would not pass unnoticed.
bool CheckWindowDisplay(const ExternalWindow& window, const char* step) {
    if (!window.shown) {
        Fail("%s: the window shows no display", step);
        return false;
    }
    const MFD* mfd = window.shown->mfd;
    if (static_cast<const void*>(mfd) != gHost.lastDisplayMade) {
        Fail("%s: the window shows %p, the display made last is at %p", step,
             static_cast<const void*>(mfd), static_cast<const void*>(gHost.lastDisplayMade));
        return false;
    }
    if (sizeof(void*) == 8 && !Above4GiB(mfd))
        Fail("%s: the display lies below 4 GiB, so a cut-off address would pass", step);
    return true;
}

// The blocks of the module's save from line `from` on: each open window's settings must have
// the block whose MFD_ID is the window's id and whose VESSEL is the vessel it shows. Blocks of
// its id for other vessels are the settings it had there. Each line printed begins with `step`.
void CheckWindowBlocksIn(const ScenarioStream& saved, int from, const char* step) {
    if (gHost.windowCount == 0)
        Fail("%sno window is open, so there is no window's block to look for", step);
    for (int w = 0; w < gHost.windowCount; ++w) {
        const ExternalWindow& window = gHost.windows[w];
        const char* shows = window.vessel ? window.vessel->Name() : "";
        int found = 0, forOthers = 0;
        const char* vessel = "";
        bool inBlock = false, hasId = false;
        int32_t id = 0;
        for (int i = from; i < saved.writtenCount; ++i) {
            const char* text = SkipBlanks(saved.written[i]);
            if (FirstWordIs(text, "BEGIN_KX_MFD_INFO")) {
                inBlock = true;
                hasId = false;
                vessel = "";
            } else if (!inBlock) {
                continue;
            } else if (FirstWordIs(text, "VESSEL")) {
                vessel = SkipBlanks(text + 6);
            } else if (ReadIdLine(text, id)) {
                hasId = true;
            } else if (FirstWordIs(text, "END_KX_MFD_INFO")) {
                if (hasId && id == static_cast<int32_t>(window.id) && strcmp(vessel, shows) == 0)
                    ++found;
                else if (hasId && id == static_cast<int32_t>(window.id))
                    ++forOthers;
                inBlock = false;
            }
        }
        if (found == 1)
            Say("%swindow %s: its settings are in the module's block: VESSEL %s, MFD_ID <id of %s>",
                step, window.name, shows, window.name);
        else if (found == 0)
            Fail("%swindow %s: the module's block has no block with the window's id for %s (%d "
                 "for other vessels)",
                 step, window.name, shows, forOthers);
        else
            Fail("%swindow %s: the module's block has %d blocks with the window's id for %s", step,
                 window.name, found, shows);
    }
}

// The names of the open displays, cockpit first, as "Left, W1"; how many there are.
int OpenDisplayNames(char* names, size_t size) {
    int count = 0;
    names[0] = '\0';
    const auto add = [&](const char* name) {
        const size_t used = strlen(names);
        host_model::FormatText(names + used, size - used, "%s%s", count++ ? ", " : "", name);
    };
    for (int id = 0; id < kDisplays; ++id)
        if (host_model::IsOpen(id))
            add(host_model::DisplayName(id));
    for (int i = 0; i < gHost.windowCount; ++i)
        if (gHost.windows[i].shown)
            add(gHost.windows[i].name);
    return count;
}

} // namespace

void OpenWindow(const char* name, DWORD width, DWORD height) {
    if (host_model::FindExternalWindow(name)) {
        Fail("window open %s: a window of that name is open already", name);
        return;
    }
    if (!host_model::FindMode("Kelvane") || !gHost.focus) {
        Fail("window open %s: %s", name,
             gHost.focus ? "the mode Kelvane is not registered" : "no vessel");
        return;
    }
    ExternalWindow* window = host_model::OpenExternalWindow(name, "Kelvane", width, height);
    if (!window) {
        Fail("window open %s: the host opened no window", name);
        return;
    }
    Say("window open %s on %s (%lux%lu): %s", name, window->vessel->Name(),
        static_cast<unsigned long>(width), static_cast<unsigned long>(height),
        window->shown ? "a display" : "no display");
    char step[64];
    host_model::FormatText(step, sizeof step, "window open %s", name);
    CheckWindowDisplay(*window, step);

    // The id: the window object's address (its low 32 bits on x64), never a cockpit display's,
    // and no other open window's. Nothing of it is printed.
    const void* object = WindowObjectOf(window->id);
    bool own = true;
    for (int i = 0; i < gHost.windowCount; ++i)
        own = own && (&gHost.windows[i] == window || gHost.windows[i].id != window->id);
    bool right = true;
    if (!object) {
        Fail("window %s: its id is no window object's address", name);
        right = false;
    } else if (sizeof(void*) == 8 && !Above4GiB(object)) {
        Fail("window %s: its object lies below 4 GiB, so the id is its whole address", name);
        right = false;
    }
    if (window->id < static_cast<UINT>(MAXMFD)) {
        Fail("window %s: its id is a cockpit display's", name);
        right = false;
    }
    if (!own) {
        Fail("window %s: another open window has the same id", name);
        right = false;
    }
    if (right)
        Say("window %s: its id is its object's address (the low 32 bits), not 0..11 and no other "
            "window's",
            name);
}

void ResizeWindow(ExternalWindow& window, DWORD width, DWORD height) {
    TakeMemoryBelow4GiB();
    const int made = gHost.displaysMade, gone = gHost.displaysGone;
    host_model::ResizeExternalWindow(window, width, height);
    char step[64];
    host_model::FormatText(step, sizeof step, "window size %s %lux%lu", window.name,
                           static_cast<unsigned long>(width), static_cast<unsigned long>(height));
    if (!CheckWindowDisplay(window, step))
        return;
    if (gHost.displaysGone != gone + 1 || gHost.displaysMade != made + 1)
        Fail("%s: %d displays destroyed and %d made, where one of each was due", step,
             gHost.displaysGone - gone, gHost.displaysMade - made);
    else if (window.shown->width != width || window.shown->height != height)
        Fail("%s: the new display is %lux%lu", step,
             static_cast<unsigned long>(window.shown->width),
             static_cast<unsigned long>(window.shown->height));
    else
        Say("%s: the old display destroyed itself, a new one shows the window at that size", step);
}

void ChooseWindowMode(ExternalWindow& window) {
    TakeMemoryBelow4GiB();
    const int made = gHost.displaysMade, gone = gHost.displaysGone;
    const UINT id = window.id;
    host_model::ChooseExternalWindowMode(window, "Kelvane");
    char step[64];
    host_model::FormatText(step, sizeof step, "window choose %s", window.name);
    if (!CheckWindowDisplay(window, step))
        return;
    if (gHost.displaysGone != gone + 1 || gHost.displaysMade != made + 1)
        Fail("%s: %d displays destroyed and %d made, where one of each was due", step,
             gHost.displaysGone - gone, gHost.displaysMade - made);
    else if (window.id != id || window.shown->id != id)
        Fail("%s: the new display has another id than the window had", step);
    else
        Say("%s: Kelvane again: a new display with the window's id, the old one destroyed", step);
}

void StickWindow(ExternalWindow& window, bool stuck) {
    host_model::StickExternalWindow(window, stuck);
    if (window.stuck != stuck || !window.shown || (!stuck && window.vessel != gHost.focus)) {
        Fail("window stick %s %s: the window is %s on %s%s", window.name, stuck ? "on" : "off",
             window.stuck ? "stuck" : "not stuck", window.vessel ? window.vessel->Name() : "-",
             window.shown ? "" : " without a display");
        return;
    }
    Say("window stick %s %s: %s %s", window.name, stuck ? "on" : "off",
        stuck ? "it stays on" : "it follows the focus, on", window.vessel->Name());
}

void CloseWindow(ExternalWindow& window) {
    char name[sizeof window.name];
    host_model::FormatText(name, sizeof name, "%s", window.name);
    const int gone = gHost.displaysGone;
    const bool shown = window.shown != nullptr;
    host_model::CloseExternalWindow(window); // `window` now holds the next one, if any
    if (host_model::FindExternalWindow(name))
        Fail("window close %s: the window is still open", name);
    else if (gHost.displaysGone != gone + (shown ? 1 : 0))
        Fail("window close %s: MFD::~MFD ran %d times", name, gHost.displaysGone - gone);
    else
        Say("window close %s: %s", name,
            shown ? "the display destroyed itself" : "it showed no display");
}

WindowVessels NoteWindowVessels() {
    WindowVessels noted;
    noted.count = gHost.windowCount;
    for (int i = 0; i < gHost.windowCount; ++i)
        noted.vessels[i] = gHost.windows[i].vessel;
    return noted;
}

void SayWindowMoves(const char* step, const WindowVessels& before) {
    if (before.count != gHost.windowCount) {
        Fail("%s: %d windows were open, now %d", step, before.count, gHost.windowCount);
        return;
    }
    for (int i = 0; i < gHost.windowCount; ++i) {
        const ExternalWindow& window = gHost.windows[i];
        const char* vessel = window.vessel ? window.vessel->Name() : "-";
        if (window.vessel != before.vessels[i])
            Say("%s: window %s moved to %s", step, window.name, vessel);
        else
            Say("%s: window %s stays on %s%s", step, window.name, vessel,
                window.stuck ? ", stuck to it" : "");
        if (!window.shown)
            Fail("%s: window %s shows no display", step, window.name);
    }
}

void PrintWritten(const ScenarioStream& stream) {
    for (int i = 0; i < stream.writtenCount; ++i)
        Say("%s", stream.written[i]);
}

void SaveState() {
    ScenarioStream stream;
    host_model::OpenWriter(stream);
    gHost.module.saveState(&stream);
    Say("opcSaveState: %d lines", stream.writtenCount);
    if (stream.writtenCount > 0) {
        Say("BEGIN_%s", gHost.moduleName);
        // A window's id is an address, other in every run and edition: its window's name stands
        // in for it.
        for (int i = 0; i < stream.writtenCount; ++i) {
            const char* line = stream.written[i];
            const char* text = SkipBlanks(line);
            int32_t id = 0;
            if (!ReadIdLine(text, id) || (id >= 0 && id < MAXMFD)) {
                Say("%s", line);
                continue;
            }
            const ExternalWindow* window = WindowWithId(id);
            Say("%.*sMFD_ID <id of %s>", static_cast<int>(text - line), line,
                window ? window->name : "no open window");
        }
        Say("END");
    }
    host_model::CloseStream(stream);
}

void CheckWindowBlocks() {
    ScenarioStream stream;
    host_model::OpenWriter(stream);
    gHost.module.saveState(&stream);
    CheckWindowBlocksIn(stream, 0, "");
    host_model::CloseStream(stream);
}

void Unload() {
    const int modeId = gHost.modeCount - 1;
    const BOOL freed = FreeLibrary(gModule);
    Say("FreeLibrary: %s; mode %s", freed ? "unloaded" : "failed",
        modeId >= 0 && !gHost.modes[modeId].registered ? "unregistered" : "still registered");
    if (modeId < 0 || gHost.modes[modeId].registered)
        Fail("ExitModule did not unregister the mode");
}

void QuitFast() {
    // The host's save on exit: each cockpit display's status, then the module's block, which
    // alone keeps the windows' settings.
    const int gone = gHost.displaysGone;
    ScenarioStream saved;
    host_model::OpenWriter(saved);
    for (int id = 0; id < kDisplays; ++id)
        if (host_model::IsOpen(id))
            gHost.displays[id]->mfd->WriteStatus(&saved);
    const int statusLines = saved.writtenCount;
    gHost.module.saveState(&saved);
    Say("quit fast: saved %d lines of the cockpit displays' status and %d of opcSaveState",
        statusLines, saved.writtenCount - statusLines);
    CheckWindowBlocksIn(saved, statusLines, "quit fast: ");
    host_model::CloseStream(saved);

    char names[160];
    const int open = OpenDisplayNames(names, sizeof names);
    if (open == 0)
        Fail("quit fast: no display is open, so none could be left open");
    host_model::CloseRenderViewportForShutdown();
    char after[160];
    if (OpenDisplayNames(after, sizeof after) != open || strcmp(after, names) != 0)
        Fail("quit fast: opcCloseRenderViewport began with %s open and ended with %s", names,
             after);
    else
        Say("quit fast: opcCloseRenderViewport with the displays open: %s", names);
    Unload(); // ExitModule runs with the displays open
    host_model::EndProcess();
    if (gHost.displaysGone != gone)
        Fail("quit fast: MFD::~MFD ran %d times", gHost.displaysGone - gone);
    else
        Say("quit fast: the process ends with %d displays open, none destroyed", open);
}

void EndSession() {
    const int vessels = gHost.vesselCount, closedBefore = gHost.displaysGone;
    host_model::EndSession();
    Say("end of session: %d displays closed, %d vessels destroyed without opcDeleteVessel, then "
        "opcCloseRenderViewport",
        gHost.displaysGone - closedBefore, vessels);
}

bool LoadModule(const char* exePath) {
    char path[260];
    const char* kRelative = "Modules\\Plugin\\Kelvane.dll";
    if (!BesideExecutable(exePath, kRelative, path, sizeof path))
        return false;

    gModule = LoadLibraryA(path);
    Say("LoadLibraryA %s: %s", kRelative, gModule ? "loaded" : "failed");
    if (!gModule)
        return false;
    if (gHost.moduleLoaded)
        host_model::LogModuleLoaded();
    for (int i = 0; i < gHost.logCount; ++i)
        Say("log: %s", gHost.log[i]);
    if (gHost.logCount == 0)
        Fail("the entry point did not call InitLib");

    const host_model::ModuleEntryPoints& entryPoints = gHost.module;
    for (int i = 0; i < host_model::kModuleEntryPointCount; ++i)
        if (!host_model::HasModuleEntryPoint(entryPoints, i))
            Fail("the module does not export %s", host_model::kModuleEntryPointNames[i]);
    if (!entryPoints.saveState || !entryPoints.loadState || !entryPoints.deleteVessel ||
        !entryPoints.closeRenderViewport)
        return false;
    Say("GetModuleVersion: %d", entryPoints.getModuleVersion ? entryPoints.getModuleVersion() : 0);

    for (int i = 0; i < gHost.modeCount; ++i)
        Say("mode %d: %s, key %lu, %s", i, gHost.modes[i].spec.name,
            static_cast<unsigned long>(gHost.modes[i].spec.key),
            gHost.modes[i].registered ? "registered" : "unregistered");
    if (!RouteModuleTextOut(gModule)) {
        Fail("the module imports no TextOutA from gdi32.dll");
        return false;
    }
    return true;
}

} // namespace standin
