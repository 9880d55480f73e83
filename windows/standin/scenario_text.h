// The scenario file the stand-in orbiter.exe was started with, as raw lines, and the streams the
// host opens on it: after a display block's MODE line for ReadStatus, after BEGIN_<module> for
// opcLoadState.
#pragma once

#include "standin/stand_in_host.h"

namespace standin {

const int kMaxScenarioLines = 160;
const int kScenarioLineSize = 160;
extern const char* gScenarioLines[kMaxScenarioLines];
extern int gScenarioLineCount;

// Reads the file's lines without their line ends. False when it cannot be read, is empty or has
// kMaxScenarioLines lines or more.
bool ReadScenario(const char* path);

// The first line at or after `from` whose text (blanks skipped) starts with `prefix`; -1 when
// there is none.
int FindLine(int from, const char* prefix);

// opcLoadState with the lines after the scenario's BEGIN_<module> line: how many lines it read,
// and the last in `last`; -1 when the scenario has no such block.
int LoadModuleState(char* last, size_t size);

} // namespace standin
