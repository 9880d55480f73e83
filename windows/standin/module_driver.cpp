#include "standin/module_driver.h"

#include "standin/address_space.h"
#include "standin/display_capture.h"
#include "standin/type_information.h"
#include "standin/win32_extra.h"

#include <stdio.h>
#include <string.h>

namespace standin {

const char* const kDisplayNames[kDisplays] = {"Left", "Right"};
Instrument gInstruments[kDisplays];
HostClock gClock;
HMODULE gModule = nullptr;
ModuleEntryPoints gEntryPoints;
const char* gFramesFolder = "frames";
int gMfdConstructions = 0, gMfdDestructions = 0;
const void* gLastMfd = nullptr;

namespace {
int gPictureCount = 0;
} // namespace

// The stand-in MFD base class counts its objects (host_exports.cpp calls these).
void NoteMfdConstructed(const void* mfd) {
    ++gMfdConstructions;
    gLastMfd = mfd;
}
void NoteMfdDestroyed() {
    ++gMfdDestructions;
}

const MFDMODESPEC* FindMode(const char* name) {
    for (int i = 0; i < gModeCount; ++i)
        if (gModes[i].registered && gModes[i].spec.name && _stricmp(gModes[i].spec.name, name) == 0)
            return &gModes[i].spec;
    return nullptr;
}

bool OpenDisplay(int id, Vessel& vessel, DWORD width, DWORD height) {
    TakeMemoryBelow4GiB();
    Instrument& in = gInstruments[id];
    const MFDMODESPEC* mode = FindMode("Kelvane");
    if (!mode) {
        Fail("open %s: the mode Kelvane is not registered", kDisplayNames[id]);
        return false;
    }
    memset(&in, 0, sizeof in);
    in.schedule = RedrawSchedule(); // drawn at the next frame
    in.id = id;
    in.width = width;
    in.height = height;
    in.vessel = &vessel;
    const OpenedDisplay opened = OpenModeDisplay(*mode, id, width, height, &vessel);
    Say("open %s on %s (%lux%lu): message 4 gives %s, message 1 gives %s", kDisplayNames[id],
        vessel.name, static_cast<unsigned long>(width), static_cast<unsigned long>(height),
        opened.extended ? "a display" : "0", opened.plain ? "a display" : "0");
    MFD* mfd = opened.display;
    if (!mfd) {
        Fail("open %s: the module made no display", kDisplayNames[id]);
        return false;
    }
    // The result carries the address of the display the module made, all of it.
    if (static_cast<const void*>(mfd) != gLastMfd) {
        Fail("open %s: the message procedure gave %p, the display is at %p", kDisplayNames[id],
             static_cast<void*>(mfd), gLastMfd);
        return false;
    }
    if (sizeof(void*) == 8 && !Above4GiB(mfd))
        Fail("open %s: the display lies below 4 GiB, so a cut-off address would pass",
             kDisplayNames[id]);
    CheckDisplayType(mfd, gModule);
    MfdHostAccess::AttachToInstrument(*mfd, &in, height);
    in.mfd = mfd;
    return true;
}

void CloseDisplay(int id) {
    Instrument& in = gInstruments[id];
    if (!in.mfd)
        return;
    const int before = gMfdDestructions;
    delete in.mfd; // through the virtual destructor: the module's deleting destructor frees it
    in.mfd = nullptr;
    Say("close %s: %s", kDisplayNames[id],
        gMfdDestructions == before + 1 ? "the display destroyed itself and its base"
                                       : "the base destructor did not run");
    if (gMfdDestructions != before + 1)
        Fail("close %s: MFD::~MFD ran %d times", kDisplayNames[id], gMfdDestructions - before);
}

void Draw(int id, const char* pictureName) {
    Instrument& in = gInstruments[id];
    if (!in.mfd) {
        Fail("draw %s: the display is not open", kDisplayNames[id]);
        return;
    }
    DWORD cw, ch;
    CellSizeFor(in.height, cw, ch);
    DisplaySurface surface;
    if (!CreateSurface(surface, static_cast<int>(in.width), static_cast<int>(in.height),
                       static_cast<int>(cw), static_cast<int>(ch))) {
        Fail("draw %s: no memory device context", kDisplayNames[id]);
        DestroySurface(surface);
        return;
    }
    static DrawnFrame frame;
    memset(&frame, 0, sizeof frame);
    const int invalidations = in.buttonInvalidations;
    gRecording = &frame;
    in.mfd->Update(surface.dc);
    gRecording = nullptr;
    NoteRedraw(in.schedule, gClock);
    const char* labels[4];
    for (int b = 0; b < 4; ++b)
        labels[b] = in.mfd->ButtonLabel(b);
    PrintFrame(frame, kDisplayNames[id], static_cast<int>(cw), static_cast<int>(ch), labels);
    CheckInk(frame, surface, static_cast<int>(cw), static_cast<int>(ch));
    if (in.buttonInvalidations == invalidations)
        Fail("draw %s: the display did not renew its button labels", kDisplayNames[id]);
    char path[260];
    _snprintf(path, sizeof path, "%s\\%02d-%s-%s.bmp", gFramesFolder, ++gPictureCount,
              kDisplayNames[id], pictureName);
    path[sizeof path - 1] = '\0';
    if (!SaveBitmap(surface, path))
        Fail("draw %s: cannot write %s", kDisplayNames[id], path);
    DestroySurface(surface);
}

void RunFrame() {
    AdvanceFrame(gClock, kFrameSeconds);
    bool drawn = false;
    for (int id = 0; id < kDisplays; ++id) {
        Instrument& in = gInstruments[id];
        if (!in.mfd || !RedrawDue(in.schedule, gClock))
            continue;
        Say("frame: %s is redrawn%s", kDisplayNames[id], in.schedule.asked ? ", as it asked" : "");
        Draw(id, "frame");
        drawn = true;
    }
    if (!drawn)
        Say("frame: no display redrawn");
}

void Press(int id, int button) {
    const bool taken = gInstruments[id].mfd->ConsumeButton(button, PANEL_MOUSE_LBDOWN);
    Say("press %s %d: %s", kDisplayNames[id], button, taken ? "taken" : "not taken");
}

void PrintWritten(const ScenarioStream& stream) {
    for (int i = 0; i < stream.writtenCount; ++i)
        Say("%s", stream.written[i]);
}

void SaveState() {
    static ScenarioStream stream;
    OpenWriter(stream);
    gEntryPoints.saveState(&stream);
    Say("opcSaveState: %d lines", stream.writtenCount);
    if (stream.writtenCount > 0) {
        Say("BEGIN_%s", gModuleName);
        PrintWritten(stream);
        Say("END");
    }
}

void EndSession() {
    static ScenarioStream stream;
    OpenWriter(stream);
    for (int id = 0; id < kDisplays; ++id)
        if (gInstruments[id].mfd)
            gInstruments[id].mfd->WriteStatus(&stream);
    const int statusLines = stream.writtenCount;
    OpenWriter(stream);
    gEntryPoints.saveState(&stream);
    Say("end of session: saved %d status lines and %d lines of the module's block", statusLines,
        stream.writtenCount);
    for (int id = 0; id < kDisplays; ++id)
        CloseDisplay(id);
    int destroyed = 0;
    for (Vessel& v : gVessels)
        if (v.fate == VesselFate::Alive) {
            v.fate = VesselFate::SessionEnded;
            ++destroyed;
        }
    Say("end of session: %d vessels destroyed without opcDeleteVessel", destroyed);
    gEntryPoints.closeRenderViewport();
    Say("end of session: opcCloseRenderViewport returned");
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
    for (int i = 0; i < gLogCount; ++i)
        Say("log: %s", gLog[i]);
    if (gLogCount == 0)
        Fail("the entry point did not call InitLib");

    gEntryPoints = FindModuleEntryPoints(gModule);
    for (int i = 0; i < kModuleEntryPointCount; ++i)
        if (!HasModuleEntryPoint(gEntryPoints, i))
            Fail("the module does not export %s", kModuleEntryPointNames[i]);
    if (!gEntryPoints.saveState || !gEntryPoints.loadState || !gEntryPoints.deleteVessel ||
        !gEntryPoints.closeRenderViewport)
        return false;
    Say("GetModuleVersion: %d",
        gEntryPoints.getModuleVersion ? gEntryPoints.getModuleVersion() : 0);

    for (int i = 0; i < gModeCount; ++i)
        Say("mode %d: %s, key %lu, %s", i, gModes[i].spec.name,
            static_cast<unsigned long>(gModes[i].spec.key),
            gModes[i].registered ? "registered" : "unregistered");
    if (!RouteModuleTextOut(gModule)) {
        Fail("the module imports no TextOutA from gdi32.dll");
        return false;
    }
    return true;
}

} // namespace standin
