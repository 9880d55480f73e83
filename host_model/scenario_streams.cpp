#include "host_model/scenario_streams.h"

#include "host_model/host_crash.h"
#include "host_model/host_printf.h"
#include "host_model/vessels.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace host_model {

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
    return text && EqualNoCase(text, "END");
}

bool StartsNoCase(const char* text, const char* prefix) {
    for (; *prefix; ++text, ++prefix)
        if (toupper(static_cast<unsigned char>(*text)) !=
            toupper(static_cast<unsigned char>(*prefix)))
            return false;
    return true;
}

bool EqualNoCase(const char* a, const char* b) {
    return StartsNoCase(a, b) && a[strlen(b)] == '\0';
}

bool FirstWordIs(const char* text, const char* word) {
    const size_t n = strlen(word);
    return StartsNoCase(text, word) && (text[n] == '\0' || text[n] == ' ' || text[n] == '\t');
}

const char* SkipBlanks(const char* text) {
    while (*text == ' ' || *text == '\t')
        ++text;
    return text;
}

void OpenWriter(ScenarioStream& stream) {
    memset(&stream, 0, sizeof stream);
}

void OpenReader(ScenarioStream& stream, const char* const* lines, int count) {
    memset(&stream, 0, sizeof stream);
    stream.source = lines;
    stream.sourceCount = count;
}

void CloseStream(ScenarioStream& stream) {
    for (int i = 0; i < stream.writtenCount; ++i)
        free(stream.written[i]);
    free(stream.written);
    free(stream.current);
    memset(&stream, 0, sizeof stream);
}

namespace {

void WriteLine(ScenarioStream& s, const char* item, const char* value) {
    if (s.writtenCount == s.writtenCapacity) {
        const int capacity = s.writtenCapacity ? s.writtenCapacity * 2 : 16;
        char** more = static_cast<char**>(realloc(s.written, sizeof(char*) * capacity));
        if (!more)
            HostCrash("the host's own allocation", "without memory left");
        s.written = more;
        s.writtenCapacity = capacity;
    }
    const size_t size = strlen(item) + strlen(value) + 4;
    char* line = static_cast<char*>(malloc(size));
    if (!line)
        HostCrash("the host's own allocation", "without memory left");
    FormatText(line, size, "  %s %s", item, value);
    s.written[s.writtenCount++] = line;
}

bool AmongNoCase(const char* keyword, const char* const* list, int count) {
    for (int i = 0; i < count; ++i)
        if (EqualNoCase(keyword, list[i]))
            return true;
    return false;
}

} // namespace

int ReadLevelLine(const char* clean, LevelPair* pairs, int max) {
    const bool fuel = FirstWordIs(clean, "FUEL");
    if (!fuel && !FirstWordIs(clean, "PRPLEVEL"))
        return -1;
    int count = 0;
    for (const char* at = SkipBlanks(clean + (fuel ? 4 : 8)); *at && count < max;) {
        int length = 0;
        while (at[length] && at[length] != ' ' && at[length] != '\t')
            ++length;
        char pair[64];
        FormatText(pair, sizeof pair, "%.*s", length, at);
        LevelPair& p = pairs[count++];
        p.text = at;
        p.length = length;
        p.allTanks = fuel;
        p.tank = 0;
        p.level = 0;
        char separator = 0;
        p.read = fuel ? sscanf(pair, "%lf", &p.level) == 1
                      : sscanf(pair, "%d%c%lf", &p.tank, &separator, &p.level) == 3;
        // A level that is no finite number would make the vessel's mass one too.
        p.read = p.read && p.level - p.level == 0;
        at = SkipBlanks(at + length);
        if (fuel)
            break; // FUEL has one level
    }
    return count;
}

size_t FormatLevelLine(const Vessel& vessel, char* line, size_t size) {
    size_t used = 0;
    line[0] = '\0';
    for (size_t i = 0; i < vessel.TankCount(); ++i) {
        const double level = vessel.TankLevel(i);
        if (level == 0)
            continue;
        used +=
            static_cast<size_t>(FormatText(line + used, size - used, "%s %d:%.6f",
                                           used ? "" : "  PRPLEVEL", static_cast<int>(i), level));
    }
    return used;
}

bool WrittenBeforeLevels(const char* keyword) {
    static const char* const kBefore[] = {"STATUS", "BASE",     "POS",     "HEADING",
                                          "ALT",    "RPOS",     "RVEL",    "AROT",
                                          "VROT",   "ATTACHED", "RCSMODE", "AFCMODE"};
    return AmongNoCase(keyword, kBefore, sizeof kBefore / sizeof kBefore[0]);
}

bool WrittenAfterLevels(const char* keyword) {
    static const char* const kAfter[] = {"THLEVEL", "DOCKINFO", "IDS", "NAVFREQ", "XPDR"};
    return AmongNoCase(keyword, kAfter, sizeof kAfter / sizeof kAfter[0]);
}

} // namespace host_model

// --- What the host exports for scenario streams ---

using host_model::ScenarioStream;

// "  ITEM VALUE"
void oapiWriteScenario_string(FILEHANDLE scn, char* item, char* string) {
    host_model::WriteLine(*static_cast<ScenarioStream*>(scn), item ? item : "",
                          string ? string : "");
}

void oapiWriteScenario_int(FILEHANDLE scn, char* item, int value) {
    char text[16];
    host_model::FormatText(text, sizeof text, "%d", value);
    oapiWriteScenario_string(scn, item, text);
}

bool oapiReadScenario_nextline(FILEHANDLE scn, char*& line) {
    ScenarioStream& s = *static_cast<ScenarioStream*>(scn);
    ++s.requests;
    if (s.next >= s.sourceCount)
        return false;
    const char* raw = s.source[s.next++];
    const size_t size = strlen(raw) + 1;
    if (size > s.currentSize) {
        char* bigger = static_cast<char*>(realloc(s.current, size));
        if (!bigger)
            host_model::HostCrash("the host's own allocation", "without memory left");
        s.current = bigger;
        s.currentSize = size;
    }
    host_model::ReaderLineText(raw, s.current, s.currentSize);
    line = s.current;
    return !host_model::EndsReading(line);
}
