// What a pilot reads of the text a display draws: the host draws TextOutA's bytes in the Windows
// code page (Windows-1252), which the stand-ins show as UTF-8. Both stand-in hosts build this; it
// needs no C++ library.
#pragma once

#include <stddef.h>

namespace host_model {

// The UTF-8 of `length` bytes of drawn text, written to `out` as far as whole characters fit
// within `size`; `out` always ends in a zero. Bytes the code page leaves undefined show as U+FFFD.
// Returns the number of bytes written before the zero.
size_t DrawnTextToUtf8(const char* text, size_t length, char* out, size_t size);

// The most bytes the UTF-8 of one drawn byte takes.
const size_t kUtf8BytesPerDrawnByte = 3;

} // namespace host_model
