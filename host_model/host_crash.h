// The host's crash stop: where the simulator would crash, the run ends loudly instead.
#pragma once

namespace host_model {

// The exit status of a run that the simulator would not have survived.
const int kHostCrashStatus = 3;
// "the module called CALL [on the vessel NAME, ]REASON; the simulator would crash here".
[[noreturn]] void HostCrash(const char* call, const char* reason, const char* vesselName = nullptr);

// What each stand-in supplies. Ends the run where the simulator would crash: `message` goes to
// stderr after the program's name, and the run stops at once with kHostCrashStatus.
[[noreturn]] void EndRunAtCrash(const char* message);

} // namespace host_model
