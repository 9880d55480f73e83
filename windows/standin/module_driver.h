// How the stand-in orbiter.exe drives the plug-in, as the simulator does: it loads the module,
// opens displays through the mode's message procedure, redraws them on its clock, presses their
// buttons, hands the module scenario streams and closes the displays again, printing each step.
#pragma once

#include "standin/stand_in_host.h"

namespace standin {

const int kDisplays = 2; // the generic cockpit's Left and Right
extern HMODULE gModule;

// Loads Modules\Plugin\Kelvane.dll from beside the executable and checks what it exports and
// registers. False when the run cannot go on.
bool LoadModule(const char* exePath);
// Opens display `id` in the Kelvane mode on the focus vessel, as a pilot does, and checks the
// display it made. False (with a failure in the transcript) when no display came of it.
bool OpenDisplay(int id, DWORD width, DWORD height);
void CloseDisplay(int id);

// A display as the steps name it: a cockpit display ("Left") or an external window's ("W1").
struct NamedDisplay {
    Instrument* display; // null when the name shows none
    const char* name;
    bool window;
};
NamedDisplay CockpitDisplayNamed(int id);
NamedDisplay WindowDisplayNamed(host_model::ExternalWindow& window);

// Redraws the display into a memory device context, prints the frame under "[MFD Left]" or
// "[Window W1]", checks its ink and saves its picture as NN-<name>-<pictureName>.bmp in the
// frames folder.
void Draw(const NamedDisplay& display, const char* pictureName);
void Draw(int id, const char* pictureName); // a cockpit display
extern const char* gFramesFolder;
// One frame of the host's clock: every open display that is due, in the cockpit and in the
// windows, is redrawn.
void RunFrame();
void Press(const NamedDisplay& display, int button);

// External windows of the stock ExtMFD plug-in, each step printed and checked. A window's id is
// never printed: it is an address, other in every run and edition.
void OpenWindow(const char* name, DWORD width, DWORD height);
void ResizeWindow(host_model::ExternalWindow& window, DWORD width, DWORD height);
void ChooseWindowMode(host_model::ExternalWindow& window);
void StickWindow(host_model::ExternalWindow& window, bool stuck);
void CloseWindow(host_model::ExternalWindow& window);
// The vessel each open window shows, noted before a step that may move them; afterwards
// SayWindowMoves prints where each went and checks that it shows a display there.
struct WindowVessels {
    const Vessel* vessels[host_model::kMaxWindows];
    int count;
};
WindowVessels NoteWindowVessels();
void SayWindowMoves(const char* step, const WindowVessels& before);

// opcSaveState, printed as the scenario's module block, with the windows' ids masked.
void SaveState();
// Saves the module's state and checks that each open window's settings have a block of their own
// there: the one whose MFD_ID is the window's id, for the vessel the window shows.
void CheckWindowBlocks();
// The fast shutdown, the run's last step: the host's save, opcCloseRenderViewport with every
// display open, FreeLibrary (ExitModule unregisters the mode) and the process's end, with no
// display destroyed.
void QuitFast();
// FreeLibrary on the module; ExitModule must unregister the mode.
void Unload();
// The session's end as the host ends one (host_model::EndSession), printed.
void EndSession();
void PrintWritten(const ScenarioStream& stream);

} // namespace standin
