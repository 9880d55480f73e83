// The host's cockpit displays and the session around them.
#include "host_model/host_model.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace host_model {

HostState gHost;

int FormatText(char* out, size_t size, const char* format, ...) {
    if (!out || size == 0)
        return 0;
    va_list args;
    va_start(args, format);
#ifdef _WIN32
    int n = _vsnprintf(out, size, format, args); // msvcrt.dll's: no C99 vsnprintf there
#else
    int n = vsnprintf(out, size, format, args);
#endif
    va_end(args);
    out[size - 1] = '\0';
    return n < 0 || static_cast<size_t>(n) >= size ? static_cast<int>(strlen(out)) : n;
}

void HostCrash(const char* call, const char* reason, const char* vesselName) {
    char message[512];
    if (vesselName)
        FormatText(message, sizeof message,
                   "the module called %s on the vessel %s, %s; the simulator would crash here",
                   call, vesselName, reason);
    else
        FormatText(message, sizeof message,
                   "the module called %s %s; the simulator would crash here", call, reason);
    EndRunAtCrash(message);
}

void StartHost(const char* program, int displayCount) {
    if (gHost.running)
        HostCrash("StartHost", "while a host runs already");
    gHost = HostState();
    gHost.running = true;
    gHost.program = program;
    gHost.displayCount = displayCount;
}

void StopHost() {
    CloseAllDisplays();
    while (gHost.vesselCount > 0)
        RemoveVessel(gHost.vessels[gHost.vesselCount - 1], VesselFate::SessionEnded);
    free(gHost.vessels);
    gHost.vessels = nullptr;
    gHost.vesselCapacity = 0;
    gHost.running = false;
}

void WriteLog(const char* line) {
    if (gHost.logCount < kMaxLogLines)
        FormatText(gHost.log[gHost.logCount++], kLogLineSize, "%s", line);
}

void LogModuleLoaded() {
    char line[kLogLineSize];
    FormatText(line, sizeof line, "Loading module %s (legacy interface)", gHost.moduleName);
    WriteLog(line);
}

void CellSizeFor(DWORD height, DWORD& cw, DWORD& ch) {
    ch = height * 9 / 200;
    if (ch < 1)
        ch = 1;
    cw = (ch * 2 + 1) / 3;
    if (cw < 1)
        cw = 1;
}

const char* DisplayName(int id) {
    static const char* const kNames[MAXMFD] = {"Left", "Right", "3", "4",  "5",  "6",
                                               "7",    "8",     "9", "10", "11", "12"};
    return id >= 0 && id < MAXMFD ? kNames[id] : "?";
}

int DisplayIdNamed(const char* name) {
    for (int id = 0; id < MAXMFD; ++id)
        if (EqualNoCase(name, DisplayName(id)))
            return id;
    return -1;
}

int FindModeIndex(const char* name) {
    for (int i = 0; name && i < gHost.modeCount; ++i)
        if (gHost.modes[i].registered && gHost.modes[i].spec.name &&
            EqualNoCase(gHost.modes[i].spec.name, name))
            return i;
    return -1;
}

const MFDMODESPEC* FindMode(const char* name) {
    const int i = FindModeIndex(name);
    return i < 0 ? nullptr : &gHost.modes[i].spec;
}

bool IsOpen(int id) {
    return id >= 0 && id < gHost.displayCount && gHost.displays[id].mfd != nullptr;
}

} // namespace host_model

// What the host writes into a display once the message procedure has returned it.
struct MfdHostAccess {
    static void Attach(MFD& display, host_model::Instrument& instrument) {
        display.instrument = &instrument;
        host_model::CellSizeFor(instrument.height, display.cw, display.ch);
    }
    static host_model::Instrument* InstrumentOf(const MFD& display) {
        return static_cast<host_model::Instrument*>(display.instrument);
    }
};

namespace host_model {

OpenedDisplay OpenDisplay(int id, const char* mode, DWORD width, DWORD height, OpenedBy by,
                          FILEHANDLE status) {
    OpenedDisplay opened = {0, 0, nullptr};
    const int modeIndex = FindModeIndex(mode);
    if (id < 0 || id >= gHost.displayCount || modeIndex < 0 || !gHost.focus)
        return opened;
    CloseDisplay(id);
    Instrument& in = gHost.displays[id];
    in = Instrument();
    in.id = id;
    in.width = width;
    in.height = height;
    in.mode = modeIndex;
    in.vessel = gHost.focus;
    in.schedule = RedrawSchedule(); // drawn at the next frame
    const MFDMODESPEC& spec = gHost.modes[modeIndex].spec;
    OpenSpec record = {width, height, &spec};
    const LPARAM vessel = reinterpret_cast<LPARAM>(static_cast<VESSEL*>(gHost.focus));
    opened.extended = spec.msgproc(OAPI_MSG_MFD_OPENEDEX, static_cast<UINT>(id),
                                   reinterpret_cast<WPARAM>(&record), vessel);
    if (!opened.extended) {
        // The size word: the width in the low half, the height in the high one.
        const WPARAM size = (width & 0xFFFF) | ((height & 0xFFFF) << 16);
        opened.plain = spec.msgproc(OAPI_MSG_MFD_OPENED, static_cast<UINT>(id), size, vessel);
    }
    opened.display = reinterpret_cast<MFD*>(opened.extended ? opened.extended : opened.plain);
    if (!opened.display)
        return opened;
    MfdHostAccess::Attach(*opened.display, in);
    in.mfd = opened.display;
    if (by == OpenedBy::Pilot)
        in.mfd->RecallStatus();
    else if (status)
        in.mfd->ReadStatus(status);
    return opened;
}

void CloseDisplay(int id) {
    if (!IsOpen(id))
        return;
    Instrument& in = gHost.displays[id];
    MFD* mfd = in.mfd;
    mfd->StoreStatus();
    const MFDMODESPEC& spec = gHost.modes[in.mode].spec;
    // The host does not say what the closing message carries beyond the display's id.
    spec.msgproc(OAPI_MSG_MFD_CLOSED, static_cast<UINT>(id), 0, 0);
    in.mfd = nullptr;
    delete mfd; // through its virtual destructor
}

void CloseAllDisplays() {
    for (int id = 0; id < gHost.displayCount; ++id)
        CloseDisplay(id);
}

void SetFocus(Vessel* vessel) {
    int modes[MAXMFD];
    for (int id = 0; id < gHost.displayCount; ++id)
        modes[id] = IsOpen(id) ? gHost.displays[id].mode : -1;
    CloseAllDisplays();
    gHost.focus = vessel;
    for (int id = 0; id < gHost.displayCount; ++id)
        if (modes[id] >= 0 && gHost.modes[modes[id]].registered)
            OpenDisplay(id, gHost.modes[modes[id]].spec.name, gHost.displays[id].width,
                        gHost.displays[id].height, OpenedBy::Pilot);
}

bool DeleteVessel(Vessel* vessel) {
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
    for (int id = 0; id < gHost.displayCount; ++id)
        if (IsOpen(id) && gHost.displays[id].vessel == vessel)
            CloseDisplay(id);
    RemoveVessel(vessel, VesselFate::Deleted);
    return true;
}

void EndSession() {
    if (gHost.moduleLoaded) {
        ScenarioStream saved;
        OpenWriter(saved);
        for (int id = 0; id < gHost.displayCount; ++id)
            if (IsOpen(id))
                gHost.displays[id].mfd->WriteStatus(&saved);
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

void AdvanceClock(double seconds) {
    AdvanceFrame(gHost.clock, seconds);
}

bool RedrawDue(int id) {
    return IsOpen(id) && ::RedrawDue(gHost.displays[id].schedule, gHost.clock);
}

void NoteRedraw(int id) {
    ::NoteRedraw(gHost.displays[id].schedule, gHost.clock);
}

} // namespace host_model

// --- The MFD base class ---

using host_model::gHost;

namespace {

// The host reaches its instrument through the display's private pointer, with no check.
host_model::Instrument& InstrumentOf(const MFD& display, const char* call) {
    host_model::Instrument* in = MfdHostAccess::InstrumentOf(display);
    if (!in)
        host_model::HostCrash(call, "before the host wrote its private pointer into the display "
                                    "(as from the display's constructor)");
    return *in;
}

} // namespace

// The host writes its private pointer only after the message procedure has returned the display.
MFD::MFD(DWORD w, DWORD h, VESSEL* vessel)
    : W(w), H(h), cw(0), ch(0), pV(vessel), instrument(nullptr) {
    ++gHost.displaysMade;
    gHost.lastDisplayMade = this;
}

MFD::~MFD() {
    ++gHost.displaysGone;
}

void MFD::InvalidateDisplay() {
    host_model::Instrument& in = InstrumentOf(*this, "MFD::InvalidateDisplay");
    ++in.displayInvalidations;
    in.schedule.asked = true;
}

void MFD::InvalidateButtons() {
    ++InstrumentOf(*this, "MFD::InvalidateButtons").buttonInvalidations;
}

// The title at (cw / 2, 0) in the host's colour; the device context's alignment, colour and
// background are left as they were.
void MFD::Title(HDC hDC, const char* title) const {
    InstrumentOf(*this, "MFD::Title");
    if (!hDC || !title)
        return;
    const UINT align = SetTextAlign(hDC, 0);
    const COLORREF colour = SetTextColor(hDC, host_model::kTitleColour);
    const int mode = SetBkMode(hDC, TRANSPARENT);
    host_model::DrawHostText(hDC, host_model::TitleX(cw), 0, title,
                             static_cast<int>(strlen(title)));
    SetBkMode(hDC, mode);
    SetTextColor(hDC, colour);
    SetTextAlign(hDC, align);
}

// What a display that does not override an operation gets.
bool MFD::ConsumeKeyBuffered(DWORD) {
    return false;
}
bool MFD::ConsumeKeyImmediate(char*) {
    return false;
}
bool MFD::ConsumeButton(int, int) {
    return false;
}
char* MFD::ButtonLabel(int) {
    return nullptr;
}
int MFD::ButtonMenu(const MFDBUTTONMENU**) const {
    return 0;
}
void MFD::WriteStatus(FILEHANDLE) const {}
void MFD::ReadStatus(FILEHANDLE) {}
void MFD::StoreStatus() const {}
void MFD::RecallStatus() {}
