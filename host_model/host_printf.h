// Formatted text as the host writes it, the same with both stand-ins' C libraries.
#pragma once

#include <stddef.h>

namespace host_model {

// snprintf as both C libraries have it: `out` always ends in a zero; the length written.
int FormatText(char* out, size_t size, const char* format, ...)
#if defined(__GNUC__) || defined(__clang__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

} // namespace host_model
