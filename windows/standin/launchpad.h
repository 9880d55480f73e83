// The stand-in's Launchpad: the Modules tab's list of plug-ins beside the executable.
#pragma once

namespace standin {

// Prints the Modules tab's tree (one line per category and module) and each module's file
// properties. The exit code: 0 when listed.
int ListModules(const char* exePath);

} // namespace standin
