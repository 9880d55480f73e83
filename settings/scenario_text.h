// Small text helpers for reading and writing scenario lines without the C++ library.
#pragma once

#include "host/orbiter_api.h"

// True when text begins with keyword, ignoring case.
bool StartsWithNoCase(const char* text, const char* keyword);

// True when text is keyword and nothing more, ignoring case.
bool EqualsNoCase(const char* text, const char* keyword);

// The value of a line of the given item: the text after the item and one separator character,
// or "" when the line ends before it. Null when the line does not begin with the item.
const char* ItemValue(const char* line, const char* item);

// Reads a decimal integer as "%d" does (white space, optional sign, digits). Values beyond 32 bits
// wrap, so no input is undefined. False, and the target untouched, when no digit follows.
bool ReadDecimal(const char* text, int32_t& value);

// A vessel's name: the whole text, without white space at either end (names may hold blanks), in
// a 64-byte buffer. A name of more than 63 characters does not fit and gives the empty name.
void ReadVesselName(const char* text, char (&name)[64]);

// The host's writers take char* for texts they never change.
inline char* HostText(const char* text) {
    return const_cast<char*>(text);
}
