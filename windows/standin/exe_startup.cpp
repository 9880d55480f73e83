// The stand-in host's entry point without a C runtime library: run the C++ initialisers, take
// the command line from msvcrt.dll, and leave through msvcrt's exit so its streams are flushed.
#include "runtime/cxx_runtime.h"

#include <stdlib.h>

int OrbiterMain(int argc, char** argv); // orbiter_main.cpp

extern "C" {
struct StartupInfo {
    int newMode;
};
int __cdecl __getmainargs(int* argc, char*** argv, char*** environment, int expandWildcards,
                          StartupInfo* info);

void mainCRTStartup() {
    RunStaticInitialisers();
    int argc = 0;
    char** argv = nullptr;
    char** environment = nullptr;
    StartupInfo info = {0};
    if (__getmainargs(&argc, &argv, &environment, 0, &info) < 0)
        exit(3);
    exit(OrbiterMain(argc, argv));
}
}
