// Small text helpers for reading and writing scenario lines without the C++ library.
#pragma once

#include "host/orbiter_api.h"

// True when the first n characters of text equal those of keyword, ignoring case. A text shorter
// than n matches only if keyword ends at the same place.
bool StartsWithNoCase(const char* text, const char* keyword, size_t n);

// The value of an item line: the text from the given 1-based character on, or "" when the line
// ends before it.
const char* ValueAt(const char* line, size_t position);

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
