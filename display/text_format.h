// Bounded formatting that always leaves a terminated text, also with a C library whose
// snprintf does not terminate a cut text.
#pragma once

#include <stdarg.h>
#include <stddef.h>

int FormatTextV(char* buffer, size_t size, const char* format, va_list args);
int FormatText(char* buffer, size_t size, const char* format, ...)
#if defined(__GNUC__) || defined(__clang__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
