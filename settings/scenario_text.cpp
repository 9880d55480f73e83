#include "settings/scenario_text.h"

#include <ctype.h>
#include <string.h>

bool StartsWithNoCase(const char* text, const char* keyword, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const unsigned char a = static_cast<unsigned char>(text[i]);
        const unsigned char b = static_cast<unsigned char>(keyword[i]);
        if (toupper(a) != toupper(b))
            return false;
        if (a == '\0')
            return true;
    }
    return true;
}

const char* ValueAt(const char* line, size_t position) {
    const size_t length = strlen(line);
    return length >= position - 1 ? line + position - 1 : line + length;
}

bool ReadDecimal(const char* text, int32_t& value) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (isspace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (!isdigit(*p))
        return false;
    uint32_t magnitude = 0;
    for (; isdigit(*p); ++p)
        magnitude = magnitude * 10u + static_cast<uint32_t>(*p - '0');
    const uint32_t bits = negative ? 0u - magnitude : magnitude;
    memcpy(&value, &bits, sizeof value);
    return true;
}

void ReadVesselName(const char* text, char (&name)[64]) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (isspace(*p))
        ++p;
    size_t n = strlen(reinterpret_cast<const char*>(p));
    while (n > 0 && isspace(p[n - 1]))
        --n;
    if (n >= sizeof name)
        n = 0;
    memcpy(name, p, n);
    name[n] = '\0';
}
