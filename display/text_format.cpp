#include "display/text_format.h"

#include <stdio.h>

int FormatTextV(char* buffer, size_t size, const char* format, va_list args) {
    if (size == 0)
        return 0;
#ifdef _WIN32
    int n = _vsnprintf(buffer, size, format, args);
#else
    int n = vsnprintf(buffer, size, format, args);
#endif
    buffer[size - 1] = '\0';
    if (n < 0) {
        buffer[0] = '\0';
        return 0;
    }
    return static_cast<size_t>(n) < size ? n : static_cast<int>(size - 1);
}

int FormatText(char* buffer, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int n = FormatTextV(buffer, size, format, args);
    va_end(args);
    return n;
}
