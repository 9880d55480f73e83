#include "settings/scenario_text.h"

#include <ctype.h>
#include <string.h>

bool StartsWithNoCase(const char* text, const char* keyword) {
    for (; *keyword != '\0'; ++text, ++keyword) {
        const unsigned char a = static_cast<unsigned char>(*text);
        const unsigned char b = static_cast<unsigned char>(*keyword);
        if (toupper(a) != toupper(b))
            return false; // also where the text ends first
    }
    return true;
}

bool EqualsNoCase(const char* text, const char* keyword) {
    return StartsWithNoCase(text, keyword) && text[strlen(keyword)] == '\0';
}

const char* ItemValue(const char* line, const char* item) {
    if (!StartsWithNoCase(line, item))
        return nullptr;
    const char* after = line + strlen(item);
    return *after == '\0' ? after : after + 1;
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
