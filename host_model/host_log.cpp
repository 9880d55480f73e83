// The host's log (Orbiter.log), as far as a module's loading writes to it.
#include "host_model/host_model.h"

namespace host_model {

void WriteLog(const char* line) {
    if (gHost.logCount < kMaxLogLines)
        FormatText(gHost.log[gHost.logCount++], kLogLineSize, "%s", line);
}

void LogModuleLoaded() {
    char line[kLogLineSize];
    FormatText(line, sizeof line, "Loading module %s (legacy interface)", gHost.moduleName);
    WriteLog(line);
}

} // namespace host_model
