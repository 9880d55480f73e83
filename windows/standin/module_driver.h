// How the stand-in orbiter.exe drives the plug-in, as the simulator does: it loads the module,
// opens displays through the mode's message procedure, redraws them on its clock, presses their
// buttons, hands the module scenario streams and closes the displays again, printing each step.
#pragma once

#include "standin/stand_in_host.h"

namespace standin {

const int kDisplays = 2; // Left and Right
extern const char* const kDisplayNames[kDisplays];
extern Instrument gInstruments[kDisplays];
extern HostClock gClock;
extern HMODULE gModule;
extern ModuleEntryPoints gEntryPoints;

// Counts kept by the stand-in's MFD base class, to see what becomes of a display object.
extern int gMfdConstructions, gMfdDestructions;
extern const void* gLastMfd;

// Loads Modules\Plugin\Kelvane.dll from beside the executable and checks what it exports and
// registers. False when the run cannot go on.
bool LoadModule(const char* exePath);
// The registered mode of that name; null when there is none.
const MFDMODESPEC* FindMode(const char* name);

// Opens display `id` in the Kelvane mode on `vessel`, checks the display it made and sets its
// cell. False (with a failure in the transcript) when no display came of it.
bool OpenDisplay(int id, Vessel& vessel, DWORD width, DWORD height);
void CloseDisplay(int id);
// Redraws display `id` into a memory device context, prints the frame, checks its ink and saves
// its picture as NN-<display>-<pictureName>.bmp in the frames folder.
void Draw(int id, const char* pictureName);
extern const char* gFramesFolder;
// One frame of the host's clock: every open display that is due is redrawn.
void RunFrame();
void Press(int id, int button);
// opcSaveState, printed as the scenario's module block.
void SaveState();
// The session's end as the host ends one: the state is saved (each open display's status, then
// opcSaveState; the lines are counted, not kept), the displays close, every vessel is destroyed
// without opcDeleteVessel, and then the module's opcCloseRenderViewport runs.
void EndSession();
void PrintWritten(const ScenarioStream& stream);

} // namespace standin
