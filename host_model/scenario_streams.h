// Scenario files as the host reads and writes them: the stream it hands a module (FILEHANDLE),
// its line rules, and tank levels.
#pragma once

#include "host/orbiter_api.h"

#include <stddef.h>

namespace host_model {

class Vessel;

// A raw scenario line as the reader hands it out: cut at a ';', without line ends and without
// blanks and tabs at either end, at most size - 1 characters; `text` always ends in a zero.
void ReaderLineText(const char* raw, char* text, size_t size);

// The reader stops, handing out nothing, at a line that is exactly END in any case; END_MFD and
// the like do not stop it.
bool EndsReading(const char* text);

bool EqualNoCase(const char* a, const char* b);
bool StartsNoCase(const char* text, const char* prefix);
const char* SkipBlanks(const char* text);
// Whether a cleaned line's first word is `word`, in any case.
bool FirstWordIs(const char* text, const char* word);

// A stream over a scenario: the lines a module writes, or raw lines it reads from `next` on.
struct ScenarioStream {
    char** written;
    int writtenCount;
    int writtenCapacity;
    const char* const* source;
    int sourceCount;
    int next;
    int requests; // how often the module asked for a line
    char* current;
    size_t currentSize;
};
void OpenWriter(ScenarioStream& stream);
void OpenReader(ScenarioStream& stream, const char* const* lines, int count);
// Gives back what the stream holds; it may be opened again.
void CloseStream(ScenarioStream& stream);

// --- Tank levels ---
// One pair of a level line: PRPLEVEL's "i:level", or FUEL's level for every tank.
struct LevelPair {
    bool allTanks;
    int tank;
    double level;
    bool read;        // false: no number where the host reads one; it passes the pair over
    const char* text; // the pair as written, in the line
    int length;
};
// The pairs of a cleaned level line as the host reads them, at most `max` (0 only asks whether
// it is one); -1 when the line is no PRPLEVEL or FUEL line.
int ReadLevelLine(const char* clean, LevelPair* pairs, int max);
// The host's level line for the vessel's tanks ("  PRPLEVEL 0:1.000000 1:0.500000", six
// decimals, tanks at level 0 left out); empty when every tank is empty. Its length; 16 bytes
// and 24 per tank are enough.
size_t FormatLevelLine(const Vessel& vessel, char* line, size_t size);
// Where the host writes its level line among a ship's items: after these items...
bool WrittenBeforeLevels(const char* keyword);
// ...and before these.
bool WrittenAfterLevels(const char* keyword);

} // namespace host_model
