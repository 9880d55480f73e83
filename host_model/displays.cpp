// The host's displays, in the cockpit and in external windows: how they open, close, move and
// are redrawn, and the MFD base class the module's displays derive from.
#include "host_model/host_model.h"

#include <stdlib.h>
#include <string.h>

namespace host_model {

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

Instrument* CockpitDisplay(int id) {
    return id >= 0 && id < gHost.displayCount ? gHost.displays[id] : nullptr;
}

bool IsOpen(int id) {
    return CockpitDisplay(id) != nullptr;
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
namespace {

// The open sequence for one display, in a record of its own. Null (and no record taken) when
// the module made no display.
Instrument* OpenInstrument(UINT id, int modeIndex, DWORD width, DWORD height, Vessel* vessel,
                           OpenedBy by, FILEHANDLE status, OpenedDisplay& opened) {
    opened = OpenedDisplay{0, 0, nullptr};
    Instrument* in = nullptr;
    for (int i = 0; i < kMaxInstruments && !in; ++i)
        if (!gHost.instruments[i].used)
            in = &gHost.instruments[i];
    if (!in)
        HostCrash("the host's display table", "with every record in use");
    *in = Instrument();
    in->id = id;
    in->width = width;
    in->height = height;
    in->mode = modeIndex;
    in->vessel = vessel;
    in->schedule = RedrawSchedule(); // drawn at the next frame
    const MFDMODESPEC& spec = gHost.modes[modeIndex].spec;
    OpenSpec record = {width, height, &spec};
    const LPARAM pv = reinterpret_cast<LPARAM>(static_cast<VESSEL*>(vessel));
    opened.extended =
        spec.msgproc(OAPI_MSG_MFD_OPENEDEX, id, reinterpret_cast<WPARAM>(&record), pv);
    if (!opened.extended) {
        // The size word: the width in the low half, the height in the high one.
        const WPARAM size = (width & 0xFFFF) | ((height & 0xFFFF) << 16);
        opened.plain = spec.msgproc(OAPI_MSG_MFD_OPENED, id, size, pv);
    }
    opened.display = reinterpret_cast<MFD*>(opened.extended ? opened.extended : opened.plain);
    if (!opened.display)
        return nullptr;
    in->used = true;
    in->mfd = opened.display;
    MfdHostAccess::Attach(*opened.display, *in);
    if (by == OpenedBy::Pilot)
        in->mfd->RecallStatus();
    else if (status)
        in->mfd->ReadStatus(status);
    return in;
}

// The close sequence: StoreStatus, the closing message to the mode, delete.
void CloseInstrument(Instrument* in) {
    MFD* mfd = in->mfd;
    mfd->StoreStatus();
    const MFDMODESPEC& spec = gHost.modes[in->mode].spec;
    // The host does not say what the closing message carries beyond the display's id.
    spec.msgproc(OAPI_MSG_MFD_CLOSED, in->id, 0, 0);
    in->mfd = nullptr;
    in->used = false;
    delete mfd; // through its virtual destructor
}

} // namespace

void ReplaceWindowDisplay(ExternalWindow& window, Vessel* vessel, int modeIndex) {
    Instrument* old = window.shown;
    OpenedDisplay opened;
    window.vessel = vessel;
    window.mode = modeIndex;
    window.shown = OpenInstrument(window.id, modeIndex, window.width, window.height, vessel,
                                  OpenedBy::Pilot, nullptr, opened);
    if (old)
        CloseInstrument(old);
}

OpenedDisplay OpenDisplay(int id, const char* mode, DWORD width, DWORD height, OpenedBy by,
                          FILEHANDLE status) {
    OpenedDisplay opened = {0, 0, nullptr};
    RequireRunning("the host's OpenDisplay");
    const int modeIndex = FindModeIndex(mode);
    if (id < 0 || id >= gHost.displayCount || modeIndex < 0 || !gHost.focus)
        return opened;
    CloseDisplay(id);
    gHost.displays[id] = OpenInstrument(static_cast<UINT>(id), modeIndex, width, height,
                                        gHost.focus, by, status, opened);
    return opened;
}

OpenedDisplay ChooseMode(int id, const char* mode, DWORD width, DWORD height) {
    OpenedDisplay opened = {0, 0, nullptr};
    RequireRunning("the host's ChooseMode");
    const int modeIndex = FindModeIndex(mode);
    if (id < 0 || id >= gHost.displayCount || modeIndex < 0 || !gHost.focus)
        return opened;
    Instrument* old = gHost.displays[id];
    if (old && old->mode == modeIndex) {
        opened.display = old->mfd;
        return opened;
    }
    gHost.displays[id] = OpenInstrument(static_cast<UINT>(id), modeIndex, width, height,
                                        gHost.focus, OpenedBy::Pilot, nullptr, opened);
    if (old)
        CloseInstrument(old);
    return opened;
}

void CloseDisplay(int id) {
    Instrument* in = CockpitDisplay(id);
    if (!in)
        return;
    gHost.displays[id] = nullptr;
    CloseInstrument(in);
}

void CloseAllDisplays() {
    if (gHost.processEnded)
        return; // the process is gone: nothing is ever closed
    for (int id = 0; id < gHost.displayCount; ++id)
        CloseDisplay(id);
    while (gHost.windowCount > 0)
        CloseExternalWindow(gHost.windows[0]);
}

// --- External windows ---

ExternalWindow* FindExternalWindow(const char* name) {
    for (int i = 0; name && i < gHost.windowCount; ++i)
        if (strcmp(gHost.windows[i].name, name) == 0)
            return &gHost.windows[i];
    return nullptr;
}

ExternalWindow* OpenExternalWindow(const char* name, const char* mode, DWORD width, DWORD height) {
    RequireRunning("the host's OpenExternalWindow");
    const int modeIndex = FindModeIndex(mode);
    if (modeIndex < 0 || !gHost.focus || gHost.windowCount == kMaxWindows)
        return nullptr;
    ExternalWindow& window = gHost.windows[gHost.windowCount++];
    window = ExternalWindow();
    FormatText(window.name, sizeof window.name, "%s", name ? name : "");
    window.id = NewWindowId();
    if (window.id < static_cast<UINT>(MAXMFD))
        HostCrash("the host's OpenExternalWindow", "with a window id of a cockpit display");
    window.width = width;
    window.height = height;
    ReplaceWindowDisplay(window, gHost.focus, modeIndex);
    return &window;
}

void ResizeExternalWindow(ExternalWindow& window, DWORD width, DWORD height) {
    RequireRunning("the host's ResizeExternalWindow");
    if (window.shown)
        CloseInstrument(window.shown);
    window.shown = nullptr;
    window.width = width;
    window.height = height;
    OpenedDisplay opened;
    window.shown = OpenInstrument(window.id, window.mode, width, height, window.vessel,
                                  OpenedBy::Pilot, nullptr, opened);
}

void ChooseExternalWindowMode(ExternalWindow& window, const char* mode) {
    RequireRunning("the host's ChooseExternalWindowMode");
    const int modeIndex = FindModeIndex(mode);
    if (modeIndex >= 0)
        ReplaceWindowDisplay(window, window.vessel, modeIndex);
}

void StickExternalWindow(ExternalWindow& window, bool stuck) {
    RequireRunning("the host's StickExternalWindow");
    window.stuck = stuck;
    if (!stuck && window.vessel != gHost.focus && gHost.focus)
        ReplaceWindowDisplay(window, gHost.focus, window.mode);
}

void CloseExternalWindow(ExternalWindow& window) {
    const int at = static_cast<int>(&window - gHost.windows);
    if (window.shown)
        CloseInstrument(window.shown);
    // The others keep the order they were opened in.
    memmove(&gHost.windows[at], &gHost.windows[at + 1],
            sizeof(ExternalWindow) * static_cast<size_t>(gHost.windowCount - at - 1));
    --gHost.windowCount;
}

namespace {
// The displays a fast shutdown left open: the process has ended, so the host never deletes them.
// They are kept here, where a leak check finds them reachable, as the host's own records are.
MFD** gAbandonedDisplays = nullptr;
size_t gAbandonedCount = 0;
} // namespace

void EndProcess() {
    RequireRunning("the host's EndProcess");
    for (int i = 0; i < kMaxInstruments; ++i) {
        Instrument& in = gHost.instruments[i];
        if (!in.used)
            continue;
        MFD** more =
            static_cast<MFD**>(realloc(gAbandonedDisplays, sizeof(MFD*) * (gAbandonedCount + 1)));
        if (!more)
            HostCrash("the host's own allocation", "without memory left");
        gAbandonedDisplays = more;
        gAbandonedDisplays[gAbandonedCount++] = in.mfd;
        in = Instrument();
    }
    for (int id = 0; id < MAXMFD; ++id)
        gHost.displays[id] = nullptr;
    gHost.windowCount = 0;
    gHost.processEnded = true;
}

void AdvanceClock(double seconds) {
    AdvanceFrame(gHost.clock, seconds);
}

bool RedrawDue(const Instrument& display) {
    return display.used && ScheduleDue(display.schedule, gHost.clock);
}

void NoteRedraw(Instrument& display) {
    NoteRedrawInSchedule(display.schedule, gHost.clock);
}

bool RedrawDue(int id) {
    return IsOpen(id) && RedrawDue(*gHost.displays[id]);
}

void NoteRedraw(int id) {
    if (Instrument* in = CockpitDisplay(id))
        NoteRedraw(*in);
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
