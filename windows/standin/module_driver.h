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
// Redraws display `id` into a memory device context, prints the frame, checks its ink and saves
// its picture as NN-<display>-<pictureName>.bmp in the frames folder.
void Draw(int id, const char* pictureName);
extern const char* gFramesFolder;
// One frame of the host's clock: every open display that is due is redrawn.
void RunFrame();
void Press(int id, int button);
// opcSaveState, printed as the scenario's module block.
void SaveState();
// The session's end as the host ends one (host_model::EndSession), printed.
void EndSession();
void PrintWritten(const ScenarioStream& stream);

} // namespace standin
