// A plug-in that carries no resources at all: the stand-in Launchpad must list it under
// "Miscellaneous", without a description. It is only ever opened as a data file.
extern "C" __declspec(dllexport) int GetModuleVersion() {
    return 60425;
}
