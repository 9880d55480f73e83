#include "host_model/host_printf.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace host_model {

int FormatText(char* out, size_t size, const char* format, ...) {
    if (!out || size == 0)
        return 0;
    va_list args;
    va_start(args, format);
#ifdef _WIN32
    int n = _vsnprintf(out, size, format, args); // msvcrt.dll's: no C99 vsnprintf there
#else
    int n = vsnprintf(out, size, format, args);
#endif
    va_end(args);
    out[size - 1] = '\0';
    return n < 0 || static_cast<size_t>(n) >= size ? static_cast<int>(strlen(out)) : n;
}

} // namespace host_model
