// The Launchpad's Modules tab as the simulator fills it: every Modules/Plugin/*.dll beside the
// executable, opened as a data file (nothing of it runs), listed by its string resources: 1001
// is the category, 1000 the description shown when the entry is selected. A module without a
// category is listed under "Miscellaneous", without a description. The file properties Windows
// shows for each (its version record) follow the tree.
#include "standin/launchpad.h"

#include "standin/stand_in_host.h"
#include "standin/win32_extra.h"

#include <stdio.h>
#include <string.h>

namespace standin {
namespace {

const UINT kDescriptionString = 1000;
const UINT kCategoryString = 1001;
const int kMaxEntries = 32;

struct ModuleEntry {
    char file[MAX_PATH];
    char name[MAX_PATH];
    char category[128];
    char description[1024];
};
ModuleEntry gEntries[kMaxEntries];
int gEntryCount = 0;

// The description's line ends written out, so that the entry stays on one line.
void PrintEscaped(const char* text) {
    for (; *text; ++text) {
        if (*text == '\r')
            printf("\\r");
        else if (*text == '\n')
            printf("\\n");
        else
            printf("%c", *text);
    }
}

void ReadEntry(const char* folder, const char* file, ModuleEntry& entry) {
    _snprintf(entry.file, sizeof entry.file, "%s", file);
    entry.file[sizeof entry.file - 1] = '\0';
    _snprintf(entry.name, sizeof entry.name, "%s", file);
    entry.name[sizeof entry.name - 1] = '\0';
    if (char* dot = strrchr(entry.name, '.'))
        *dot = '\0';
    entry.category[0] = entry.description[0] = '\0';

    char path[MAX_PATH];
    _snprintf(path, sizeof path, "%s%s", folder, file);
    path[sizeof path - 1] = '\0';
    HMODULE data = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (data) {
        if (LoadStringA(data, kCategoryString, entry.category, sizeof entry.category) > 0)
            LoadStringA(data, kDescriptionString, entry.description, sizeof entry.description);
        FreeLibrary(data);
    }
    if (!entry.category[0]) {
        _snprintf(entry.category, sizeof entry.category, "Miscellaneous");
        entry.description[0] = '\0';
    }
}

bool Before(const ModuleEntry& a, const ModuleEntry& b) {
    const int category = _stricmp(a.category, b.category);
    return category != 0 ? category < 0 : _stricmp(a.name, b.name) < 0;
}

void SortEntries() {
    for (int i = 1; i < gEntryCount; ++i)
        for (int j = i; j > 0 && Before(gEntries[j], gEntries[j - 1]); --j) {
            static ModuleEntry swap;
            swap = gEntries[j];
            gEntries[j] = gEntries[j - 1];
            gEntries[j - 1] = swap;
        }
}

// One value of the version record's English (United States, Unicode) string table.
void PrintVersionValue(const void* record, const char* key, bool& first) {
    char query[96];
    _snprintf(query, sizeof query, "\\StringFileInfo\\040904B0\\%s", key);
    query[sizeof query - 1] = '\0';
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(record, query, &value, &length) || !value || length == 0)
        return;
    printf("%s%s \"%s\"", first ? " " : ", ", key, static_cast<const char*>(value));
    first = false;
}

void PrintFileProperties(const char* folder, const ModuleEntry& entry) {
    char path[MAX_PATH];
    _snprintf(path, sizeof path, "%s%s", folder, entry.file);
    path[sizeof path - 1] = '\0';
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    static unsigned char record[8192];
    printf("file properties of %s:", entry.file);
    if (size == 0 || size > sizeof record || !GetFileVersionInfoA(path, 0, size, record)) {
        printf(" no version record\n");
        return;
    }
    const char* const kKeys[] = {"FileVersion",     "ProductVersion", "ProductName",
                                 "FileDescription", "LegalCopyright", "OriginalFilename"};
    bool first = true;
    for (const char* key : kKeys)
        PrintVersionValue(record, key, first);
    printf("\n");
}

} // namespace

int ListModules(const char* exePath) {
    char folder[MAX_PATH], pattern[MAX_PATH];
    if (!BesideExecutable(exePath, "Modules\\Plugin\\", folder, sizeof folder) ||
        !BesideExecutable(exePath, "Modules\\Plugin\\*.dll", pattern, sizeof pattern)) {
        printf("FAIL: the path of the executable is too long\n");
        return 2;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            if (gEntryCount == kMaxEntries) {
                printf("FAIL: more than %d modules in Modules\\Plugin\n", kMaxEntries);
                FindClose(search);
                return 1;
            }
            ReadEntry(folder, found.cFileName, gEntries[gEntryCount++]);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    SortEntries();
    printf("Modules tab: %d modules\n", gEntryCount);
    for (int i = 0; i < gEntryCount; ++i) {
        const ModuleEntry& e = gEntries[i];
        if (i == 0 || _stricmp(e.category, gEntries[i - 1].category) != 0)
            printf("category \"%s\"\n", e.category);
        printf("  module \"%s\": ", e.name);
        if (e.description[0]) {
            printf("\"");
            PrintEscaped(e.description);
            printf("\"\n");
        } else {
            printf("no description\n");
        }
    }
    for (int i = 0; i < gEntryCount; ++i)
        PrintFileProperties(folder, gEntries[i]);
    fflush(nullptr);
    return 0;
}

} // namespace standin
