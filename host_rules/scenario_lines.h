// How the host's scenario reader hands a module the lines of a block (oapiReadScenario_nextline).
// Both stand-in hosts build this; it needs no C++ library.
#pragma once

#include <stddef.h>

// A raw scenario line as the reader hands it out: cut at a ';', without line ends and without
// blanks and tabs at either end, at most size - 1 characters; `text` always ends in a zero.
void ReaderLineText(const char* raw, char* text, size_t size);

// The reader stops, handing out nothing, at a line that is exactly END in any case; END_MFD and
// the like do not stop it.
bool EndsReading(const char* text);
