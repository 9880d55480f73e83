// Where the simulator would crash. The host trusts a module to pass back only what it handed out:
// a null handle, a vessel that has gone or a display that calls the host before the host has
// finished opening it ends the simulator with no message a pilot can act on. The stand-in ends
// the run at that call instead, loudly, so that a test, a fuzzer or a pilot's scenario finds the
// fault here and not in the cockpit.
#pragma once

#include <string>

namespace sim {

// The exit status of a run that the simulator would not have survived.
constexpr int kHostCrashStatus = 3;

// Ends the run: one line on stderr, "kelvane-sim: the module called CALL REASON; the simulator
// would crash here", and the exit status kHostCrashStatus. What was printed before is flushed.
[[noreturn]] void HostCrash(const char* call, const std::string& reason);

// Takes such a call in place of ending the run, with the line's text after "kelvane-sim: "; it
// must not return (the fuzz targets record the input, their replay test fails the case). Null
// restores the default.
using HostCrashHandler = void (*)(const std::string& message);
void SetHostCrashHandler(HostCrashHandler handler);

} // namespace sim
