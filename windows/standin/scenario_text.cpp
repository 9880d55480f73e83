#include "standin/scenario_text.h"

#include "standin/module_driver.h"
#include "standin/win32_extra.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

namespace standin {

namespace {
char gScenarioText[kMaxScenarioLines][kStreamLineSize];
} // namespace

const char* gScenarioLines[kMaxScenarioLines];
int gScenarioLineCount = 0;

bool ReadScenario(const char* path) {
    FILE* file = fopen(path, "rb");
    if (!file)
        return false;
    while (gScenarioLineCount < kMaxScenarioLines &&
           fgets(gScenarioText[gScenarioLineCount], kStreamLineSize, file)) {
        char* line = gScenarioText[gScenarioLineCount];
        size_t n = strlen(line);
        while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r'))
            line[--n] = '\0';
        gScenarioLines[gScenarioLineCount] = line;
        ++gScenarioLineCount;
    }
    fclose(file);
    return gScenarioLineCount > 0 && gScenarioLineCount < kMaxScenarioLines;
}

const char* SkipBlanks(const char* line) {
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}

bool StartsWithNoCase(const char* text, const char* prefix) {
    for (; *prefix; ++text, ++prefix)
        if (toupper(static_cast<unsigned char>(*text)) !=
            toupper(static_cast<unsigned char>(*prefix)))
            return false;
    return true;
}

int FindLine(int from, const char* prefix) {
    for (int i = from; i < gScenarioLineCount; ++i)
        if (strncmp(SkipBlanks(gScenarioLines[i]), prefix, strlen(prefix)) == 0)
            return i;
    return -1;
}

const ScenarioStream* LoadModuleState() {
    char begin[80];
    _snprintf(begin, sizeof begin, "BEGIN_%s", gModuleName);
    begin[sizeof begin - 1] = '\0';
    const int block = FindLine(0, begin);
    if (block < 0)
        return nullptr;
    static ScenarioStream state;
    OpenReader(state, gScenarioLines + block + 1, gScenarioLineCount - block - 1);
    gEntryPoints.loadState(&state);
    return &state;
}

} // namespace standin
