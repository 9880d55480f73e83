// Where the simulator would crash, kelvane-sim ends the run loudly (host_model::HostCrash): one
// line on stderr, "kelvane-sim: the module called CALL REASON; the simulator would crash here",
// and the exit status kHostCrashStatus.
#pragma once

#include "host_model/host_crash.h"

#include <string>

namespace sim {

using host_model::kHostCrashStatus;

// Takes such a call in place of ending the run, with the line's text after "kelvane-sim: "; it
// must not return (the fuzz targets record the input, their replay test fails the case). Null
// restores the default.
using HostCrashHandler = void (*)(const std::string& message);
void SetHostCrashHandler(HostCrashHandler handler);

} // namespace sim
