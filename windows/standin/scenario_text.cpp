#include "standin/scenario_text.h"

#include "standin/module_driver.h"
#include "standin/win32_extra.h"

#include <stdio.h>
#include <string.h>

namespace standin {

namespace {
char gScenarioText[kMaxScenarioLines][kScenarioLineSize];
} // namespace

const char* gScenarioLines[kMaxScenarioLines];
int gScenarioLineCount = 0;

bool ReadScenario(const char* path) {
    FILE* file = fopen(path, "rb");
    if (!file)
        return false;
    while (gScenarioLineCount < kMaxScenarioLines &&
           fgets(gScenarioText[gScenarioLineCount], kScenarioLineSize, file)) {
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

int FindLine(int from, const char* prefix) {
    for (int i = from; i < gScenarioLineCount; ++i)
        if (strncmp(host_model::SkipBlanks(gScenarioLines[i]), prefix, strlen(prefix)) == 0)
            return i;
    return -1;
}

int LoadModuleState(char* last, size_t size) {
    char begin[80];
    host_model::FormatText(begin, sizeof begin, "BEGIN_%s", host_model::gHost.moduleName);
    const int block = FindLine(0, begin);
    if (block < 0)
        return -1;
    ScenarioStream state;
    host_model::OpenReader(state, gScenarioLines + block + 1, gScenarioLineCount - block - 1);
    host_model::gHost.module.loadState(&state);
    const int read = state.next;
    host_model::FormatText(last, size, "%s", state.current ? state.current : "");
    host_model::CloseStream(state);
    return read;
}

} // namespace standin
