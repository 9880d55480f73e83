// The simulator as both stand-in hosts run it: kelvane-sim's host library and the stand-in
// orbiter.exe compile this one model of the host, in the C++ that both toolchains build (no C++
// library, as the module). Each stand-in adds only what must differ: how it loads a library, how
// it draws text, and how it ends a run where the simulator would crash.
//
// Modelled, as the host does it:
// - vessels and their VESSEL queries, with the host's lack of guards turned into a loud stop;
// - the MFD base class, its private pointer, Title, InvalidateDisplay and InvalidateButtons;
// - the oapi functions, InitLib and its log (with the notice for the obsolete registration),
//   Date2Int, and the module's callbacks;
// - the displays: the open sequence (OPENEDEX, OPENED, private pointer and cell, RecallStatus or
//   ReadStatus), the close sequence (StoreStatus, CLOSED, delete), a mode chosen by the pilot
//   (the same mode: nothing; another: the new display first, then the old one closes);
// - external windows of the stock ExtMFD plug-in: ids that are addresses, any size, a resize,
//   a mode chosen again, following the focus or stuck to a vessel, moved off a deleted vessel,
//   closed, never saved;
// - the session: its start from a scenario's lines (display blocks read by the host's rules), a
//   focus change, deleting a vessel (the focus moves first; the last vessel stays), its end, and
//   the fast shutdown (saved, opcCloseRenderViewport and unloaded with the displays open);
// - the scenario stream's reading and writing rules, and tank levels as read and written;
// - the redraw schedule.
//
// Not modelled: positions, orbits and physics (so "the nearest other vessel" is the first other
// vessel in the scenario's order), time beyond the redraw clock, keyboard input, panels and
// virtual cockpits, other display modes (their blocks stay off), MFDMODESPECEX, vessel modules
// beyond the figures a stand-in hands over, the Launchpad's settings, and the windows' own
// buttons and keys.
#pragma once

#include "host/orbiter_api.h"
#include "host_model/host_crash.h"
#include "host_model/host_printf.h"
#include "host_model/module_loading.h"
#include "host_model/redraw_schedule.h"
#include "host_model/scenario_streams.h"
#include "host_model/vessels.h"

#include <stddef.h>

namespace host_model {

// --- What each stand-in supplies (EndRunAtCrash too: host_crash.h) ---
// Draws the host's own text (the title) on a display's device context.
void DrawHostText(HDC dc, int x, int y, const char* text, int length);
// The file name (no folder) of a loaded module, as the host's log names it.
void ModuleFileNameOf(HINSTANCE module, char* name, size_t size);

// --- Displays ---
// The host's title colour, light grey (COLORREF 0x00BBGGRR), whatever the display's own.
const COLORREF kTitleColour = 0x00E0E0E0;
inline int TitleX(DWORD cw) {
    return static_cast<int>(cw / 2);
}
// The display's character cell: a fixed-width font H * 9 / 200 pixels high.
void CellSizeFor(DWORD height, DWORD& cw, DWORD& ch);

// The host's record of one display it shows (it calls it an instrument), in the cockpit or in
// an external window. Every display the module makes has one of its own: for a moment, while
// the host opens a display's replacement before closing it, two stand for the same place.
struct Instrument {
    bool used;
    UINT id; // what the host hands the module: 0 … 11 in the cockpit, a window's address otherwise
    DWORD width, height;
    int mode; // index into HostState::modes
    Vessel* vessel;
    MFD* mfd;
    int buttonInvalidations;
    int displayInvalidations;
    RedrawSchedule schedule;
};

// An external MFD window of the stock ExtMFD plug-in.
struct ExternalWindow {
    char name[32]; // the stand-in's own name for it
    UINT id;       // the window object's address; its low 32 bits on a 64-bit host
    DWORD width, height;
    int mode;
    bool stuck;        // stays with its vessel when the focus moves
    Vessel* vessel;    // the vessel it shows
    Instrument* shown; // its display; null when the module made none
};

struct Mode {
    MFDMODESPEC spec;
    bool registered;
};

// How a display came to be opened: the pilot (or a focus change) recalls its status, a
// scenario's block reads it.
enum class OpenedBy { Pilot, Scenario };

// What the open sequence gave: each message's answer, and the display that answered.
struct OpenedDisplay {
    OAPI_MSGTYPE extended; // OAPI_MSG_MFD_OPENEDEX
    OAPI_MSGTYPE plain;    // OAPI_MSG_MFD_OPENED; 0 when it was not sent
    MFD* display;          // null when both gave 0
};

// The record the host hands with OAPI_MSG_MFD_OPENEDEX.
struct OpenSpec {
    DWORD w, h;
    const MFDMODESPEC* spec;
};

const int kMaxModes = 8;
const int kMaxLogLines = 32;
const int kLogLineSize = 160;
const int kMaxWindows = 16;
// Every cockpit display and every window, each with room for its replacement.
const int kMaxInstruments = 2 * (MAXMFD + kMaxWindows);

struct HostState {
    bool running;
    bool processEnded;   // a fast shutdown ended the process: no display is ever closed
    const char* program; // the first word of the crash line
    int displayCount;    // kelvane-sim: all 12; orbiter.exe: the generic cockpit's Left and Right
    ModuleEntryPoints module;
    bool moduleLoaded;
    char moduleFileName[64];
    char moduleName[64]; // the file name without its extension: BEGIN_<name>
    char log[kMaxLogLines][kLogLineSize];
    int logCount;
    bool obsoleteNoticeWritten;
    int date2IntCalls;
    Mode modes[kMaxModes];
    int modeCount;
    Vessel** vessels; // the live ones, in the order they were made
    int vesselCount;
    int vesselCapacity;
    Vessel* focus;
    Instrument instruments[kMaxInstruments];
    Instrument* displays[MAXMFD];        // the cockpit's, by id; null: off
    ExternalWindow windows[kMaxWindows]; // the open windows, in the order they were opened
    int windowCount;
    HostClock clock;
    int displaysMade, displaysGone; // MFD constructions and destructions
    const MFD* lastDisplayMade;
};
extern HostState gHost;

// Starts the host: nothing loaded, no vessel, every display off. Fails loudly when one runs.
void StartHost(const char* program, int displayCount);
// Stops it: the displays close (unless the process ended, when they never do), the vessels go
// (as at a session's end, without the module's callbacks); the module must be unloaded first.
void StopHost();
// Fails loudly unless the host runs and its process has not ended: `step` names the call.
void RequireRunning(const char* step);

void WriteLog(const char* line);
// What the 2024 edition logs once a module's library has loaded and InitLib has run:
// "Loading module NAME (legacy interface)".
void LogModuleLoaded();

const MFDMODESPEC* FindMode(const char* name); // registered, name in any case
int FindModeIndex(const char* name);

// --- The cockpit's displays, by id ---
bool IsOpen(int id);
// The open cockpit display `id`; null when it is off.
Instrument* CockpitDisplay(int id);
// The open sequence on the focus vessel, after the display's old mode (if any) has closed, as on
// a focus change or from a scenario; `status` is the stream for ReadStatus from a scenario.
OpenedDisplay OpenDisplay(int id, const char* mode, DWORD width, DWORD height, OpenedBy by,
                          FILEHANDLE status = nullptr);
// The pilot picks a mode: nothing happens when the display shows it already; otherwise the new
// mode's display opens first and the old one closes after.
OpenedDisplay ChooseMode(int id, const char* mode, DWORD width, DWORD height);
void CloseDisplay(int id);
// Every display: the cockpit's, then the windows (which close with them).
void CloseAllDisplays();

// --- External windows ---
// What each stand-in supplies: the id of a window about to open, its object's address (the low
// 32 bits of it on a 64-bit host); never 0 … 11.
UINT NewWindowId();
ExternalWindow* FindExternalWindow(const char* name); // null when no open window has that name
// A new window in `mode`, on the focus vessel, following the focus. Null when there is no focus
// or no such mode, or kMaxWindows are open; a window whose display the module refused stays
// open without one.
ExternalWindow* OpenExternalWindow(const char* name, const char* mode, DWORD width, DWORD height);
// The pilot drags it to a new size: its display closes, then opens at that size.
void ResizeExternalWindow(ExternalWindow& window, DWORD width, DWORD height);
// The pilot picks a mode on it, the one it shows included: the new display opens, then the old
// one closes, both with the window's one id.
void ChooseExternalWindowMode(ExternalWindow& window, const char* mode);
// Sticks it to its vessel, or lets it follow the focus again (which moves it to the focus).
void StickExternalWindow(ExternalWindow& window, bool stuck);
void CloseExternalWindow(ExternalWindow& window);
// A window's display moves to another vessel or mode: the new one opens, then the old one
// closes, with the window's one id (a focus change, a deleted vessel, a mode chosen again).
void ReplaceWindowDisplay(ExternalWindow& window, Vessel* vessel, int modeIndex);

// --- The session ---
// The focus moves: every open cockpit display closes and opens again, in its mode, on the new
// focus; then each window that follows the focus moves there (its new display opens, then the
// old one closes), in the order they were opened.
void SetFocus(Vessel* vessel);
// Deletes a vessel as the host does: the focus moves away from it first, then opcDeleteVessel,
// then each window showing it moves to the focus, then it goes. False when it is the last
// vessel: the host keeps it.
bool DeleteVessel(Vessel* vessel);
// The session's end: the state is saved (display statuses, then the module's block, both
// dropped), every display closes, every vessel goes without opcDeleteVessel, and the module's
// opcCloseRenderViewport runs.
void EndSession();
// A fast shutdown, once the state is saved: the module's opcCloseRenderViewport runs with every
// display still open. The stand-in then unloads the module without closing any (FreeLibrary,
// so ExitModule runs with them open) and calls EndProcess.
void CloseRenderViewportForShutdown();
// The process ends after a fast shutdown: the open displays are left as they are, never closed
// nor deleted, and the host takes no further step.
void EndProcess();

// --- Redraws ---
// One frame of the host's clock; then RedrawDue says which displays the host redraws.
void AdvanceClock(double seconds);
bool RedrawDue(const Instrument& display);
void NoteRedraw(Instrument& display);
bool RedrawDue(int id);
void NoteRedraw(int id);
// "Left", "Right", "3" … "12"; -1 from DisplayIdNamed for any other name.
const char* DisplayName(int id);
int DisplayIdNamed(const char* name);

// --- A display block as the host reads it ---
// From the line after BEGIN_MFD: lines are passed over until one begins TYPE (END_MFD leaves the
// display off); the rest of that line must begin "User", and the very next line MODE, the rest of
// which names the mode. Every line is read into the host's 256-byte buffer.
enum class DisplayBlockHead { UserMode, NoType, OtherType, NoMode, LineTooLong };
const size_t kHostLineSize = 256;
// `mode` receives the mode's name for UserMode (kHostLineSize bytes are enough); `modeLine` the
// index of the MODE line.
DisplayBlockHead ReadDisplayBlockHead(const char* const* lines, int count, int begin, char* mode,
                                      size_t modeSize, int& modeLine);

// --- A session's start from a scenario ---
struct ScenarioStart {
    const char* path; // names the file in warnings
    const char* const* lines;
    int lineCount;
    // The figures of a class; null for a class the stand-in cannot make (no tanks, no thrusters,
    // no mass).
    const VesselFigures* (*classOf)(void* context, const char* className);
    void (*warn)(void* context, const char* message);
    void* context;
    DWORD width, height; // of each display
    // Told of each BEGIN_MFD block (the index of its line) and whether the host opened its
    // display; may be null.
    void (*displayBlock)(void* context, int line, bool opened);
};
// The host's order: every ship (tanks emptied, then its last level line; the DeltaGlider's retro
// covers opened by RCOVER), the focus (the BEGIN_FOCUS ship, matched with regard to case, else the
// first), the module's block through opcLoadState, then each display block in a registered mode.
void StartScenario(const ScenarioStart& start);

} // namespace host_model
