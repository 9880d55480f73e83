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

void Draw(int id, const char* pictureName) {
    const char* name = host_model::DisplayName(id);
    if (!host_model::IsOpen(id)) {
        Fail("draw %s: the display is not open", name);
        return;
    }
    Instrument& in = *gHost.displays[id];
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
    host_model::NoteRedraw(id);
    const char* labels[4];
    for (int b = 0; b < 4; ++b)
        labels[b] = in.mfd->ButtonLabel(b);
    PrintFrame(frame, name, static_cast<int>(cw), static_cast<int>(ch), labels);
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

void RunFrame() {
    host_model::AdvanceClock(kFrameSeconds);
    bool drawn = false;
    for (int id = 0; id < kDisplays; ++id) {
        if (!host_model::RedrawDue(id))
            continue;
        Say("frame: %s is redrawn%s", host_model::DisplayName(id),
            gHost.displays[id]->schedule.asked ? ", as it asked" : "");
        Draw(id, "frame");
        drawn = true;
    }
    if (!drawn)
        Say("frame: no display redrawn");
}

void Press(int id, int button) {
    const bool taken = gHost.displays[id]->mfd->ConsumeButton(button, PANEL_MOUSE_LBDOWN);
    Say("press %s %d: %s", host_model::DisplayName(id), button, taken ? "taken" : "not taken");
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
        PrintWritten(stream);
        Say("END");
    }
    host_model::CloseStream(stream);
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

    const ModuleEntryPoints& entryPoints = gHost.module;
    for (int i = 0; i < kModuleEntryPointCount; ++i)
        if (!HasModuleEntryPoint(entryPoints, i))
            Fail("the module does not export %s", kModuleEntryPointNames[i]);
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
