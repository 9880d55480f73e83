#include "host_rules/scenario_lines.h"

#include <string.h>

void ReaderLineText(const char* raw, char* text, size_t size) {
    if (!text || size == 0)
        return;
    if (!raw)
        raw = "";
    size_t length = strlen(raw);
    if (const char* comment = strchr(raw, ';'))
        length = static_cast<size_t>(comment - raw);
    while (length > 0 && (raw[length - 1] == '\r' || raw[length - 1] == '\n'))
        --length;
    while (length > 0 && (raw[0] == ' ' || raw[0] == '\t')) {
        ++raw;
        --length;
    }
    while (length > 0 && (raw[length - 1] == ' ' || raw[length - 1] == '\t'))
        --length;
    if (length >= size)
        length = size - 1;
    memcpy(text, raw, length);
    text[length] = '\0';
}

bool EndsReading(const char* text) {
    return text && (text[0] == 'E' || text[0] == 'e') && (text[1] == 'N' || text[1] == 'n') &&
           (text[2] == 'D' || text[2] == 'd') && text[3] == '\0';
}
