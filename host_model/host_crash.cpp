#include "host_model/host_crash.h"

#include "host_model/host_printf.h"

namespace host_model {

void HostCrash(const char* call, const char* reason, const char* vesselName) {
    char message[512];
    if (vesselName)
        FormatText(message, sizeof message,
                   "the module called %s on the vessel %s, %s; the simulator would crash here",
                   call, vesselName, reason);
    else
        FormatText(message, sizeof message,
                   "the module called %s %s; the simulator would crash here", call, reason);
    EndRunAtCrash(message);
}

} // namespace host_model
