// The stand-in simulator's run: it loads Modules/Plugin/Kelvane.dll from beside itself and drives
// it as the simulator does (entry point, message procedure, redraws, buttons, scenario streams
// taken from the scenario file, vessel deletion, closing displays, unloading), printing
// everything the display drew. With --expect FILE the printed transcript must equal the file;
// any difference or failed check makes the exit code non-zero. Drawn frames are saved as BMP
// pictures in the frames folder.
//
//   orbiter.exe --scenario FILE [--expect FILE] [--frames DIR]
//   orbiter.exe --play FILE [--frames DIR]
//   orbiter.exe --time-redraw COUNT
//   orbiter.exe --launchpad
// The second form starts a scenario as the simulator does and draws the Left and Right displays
// (see PlayScenario); the third only times redraws of each page (see TimeRedraws); the fourth
// lists Modules/Plugin as the Launchpad's Modules tab does (launchpad.cpp).
#include "runtime/standard_exceptions.h"
#include "standin/display_capture.h"
#include "standin/launchpad.h"
#include "standin/stand_in_host.h"
#include "standin/type_information.h"
#include "standin/win32_extra.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

using namespace standin;

namespace {

typedef void (*ModuleFunction)(HINSTANCE);
typedef int (*VersionFunction)();
typedef void (*VesselFunction)(OBJHANDLE);
typedef void (*StateFunction)(FILEHANDLE);

struct ModuleExports {
    ModuleFunction initModule, exitModule;
    VersionFunction getModuleVersion;
    VesselFunction deleteVessel;
    StateFunction saveState, loadState;
};

HMODULE gModule = nullptr;
ModuleExports gExports;
const char* gFramesFolder = "frames";
int gPictureCount = 0;

const int kDisplays = 2;
const char* const kDisplayNames[kDisplays] = {"Left", "Right"};
Instrument gInstruments[kDisplays];
HostClock gClock;

// Counts kept by the stand-in's MFD base class, to see what happens to a display object.
int gMfdConstructions = 0, gMfdDestructions = 0;
const void* gLastMfd = nullptr;

template <class T, int N> int CountOf(const T (&)[N]) {
    return N;
}

FARPROC Export(const char* name) {
    return GetProcAddress(gModule, name);
}

template <class F> F ExportAs(const char* name) {
    // Through the generic function type: FARPROC's own signature is not the export's.
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(Export(name)));
}

// --- Addresses above 4 GiB ---
// A 64-bit host hands the module pointers that do not fit 32 bits, and the message procedure
// must give back the display's address whole. Wine gives a new process its memory below 4 GiB,
// where a cut-off address would go unnoticed, so before the module loads and before each display
// opens the 64-bit host takes what is left of that range: address space until the system hands
// out ranges above it, then the C library's heap until it does (blocks freed in between, by the
// loader for one, come back there). What it takes stays taken for the whole run: a few MiB.
const uintptr_t kFourGiB = uintptr_t(0xFFFFFFFFu) + 1;

struct LowBlock {
    LowBlock* next;
};
LowBlock* gLowBlocks = nullptr;

bool Above4GiB(const void* p) {
    return reinterpret_cast<uintptr_t>(p) >= kFourGiB;
}

void TakeMemoryBelow4GiB() {
    if (sizeof(void*) < 8)
        return; // all of a 32-bit host's memory is below 4 GiB
    for (size_t size = size_t(1) << 30; size >= 64 * 1024; size /= 2) {
        for (int i = 0; i < 4096; ++i) {
            void* range = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS);
            if (range && !Above4GiB(range))
                continue;
            if (range)
                VirtualFree(range, 0, MEM_RELEASE);
            break;
        }
    }
    for (size_t size = 64 * 1024; size >= sizeof(LowBlock); size /= 2) {
        while (void* block = malloc(size)) {
            if (Above4GiB(block)) {
                free(block);
                break;
            }
            LowBlock* low = static_cast<LowBlock*>(block);
            low->next = gLowBlocks;
            gLowBlocks = low;
        }
    }
}

const MFDMODESPEC* FindMode(const char* name) {
    for (int i = 0; i < gModeCount; ++i)
        if (gModes[i].registered && gModes[i].spec.name && _stricmp(gModes[i].spec.name, name) == 0)
            return &gModes[i].spec;
    return nullptr;
}

// The host's opening of a display: the extended message first, the plain one when that is
// refused; then the host sets the character cell.
bool OpenDisplay(int id, Vessel& vessel, DWORD width, DWORD height) {
    TakeMemoryBelow4GiB();
    Instrument& in = gInstruments[id];
    const MFDMODESPEC* mode = FindMode("Kelvane");
    if (!mode) {
        Fail("open %s: the mode Kelvane is not registered", kDisplayNames[id]);
        return false;
    }
    memset(&in, 0, sizeof in);
    in.schedule = RedrawSchedule(); // drawn at the next frame
    in.id = id;
    in.width = width;
    in.height = height;
    in.vessel = &vessel;
    const WPARAM size = (width & 0xFFFF) | ((height & 0xFFFF) << 16);
    const LPARAM pv = reinterpret_cast<LPARAM>(static_cast<VESSEL*>(&vessel));
    gOpeningInstrument = &in;
    const OAPI_MSGTYPE extended =
        mode->msgproc(OAPI_MSG_MFD_OPENEDEX, static_cast<UINT>(id), size, pv);
    OAPI_MSGTYPE plain = 0;
    if (!extended)
        plain = mode->msgproc(OAPI_MSG_MFD_OPENED, static_cast<UINT>(id), size, pv);
    gOpeningInstrument = nullptr;
    Say("open %s on %s (%lux%lu): message 4 gives %s, message 1 gives %s", kDisplayNames[id],
        vessel.name, static_cast<unsigned long>(width), static_cast<unsigned long>(height),
        extended ? "a display" : "0", plain ? "a display" : "0");
    MFD* mfd = reinterpret_cast<MFD*>(extended ? extended : plain);
    if (!mfd) {
        Fail("open %s: the module made no display", kDisplayNames[id]);
        return false;
    }
    // The result carries the address of the display the module made, all of it.
    if (static_cast<const void*>(mfd) != gLastMfd) {
        Fail("open %s: the message procedure gave %p, the display is at %p", kDisplayNames[id],
             static_cast<void*>(mfd), gLastMfd);
        return false;
    }
    if (sizeof(void*) == 8 && !Above4GiB(mfd))
        Fail("open %s: the display lies below 4 GiB, so a cut-off address would pass",
             kDisplayNames[id]);
    CheckDisplayType(mfd, gModule);
    DWORD cw, ch;
    CellSizeFor(height, cw, ch);
    SetCellSize(mfd, cw, ch);
    in.mfd = mfd;
    return true;
}

void CloseDisplay(int id) {
    Instrument& in = gInstruments[id];
    if (!in.mfd)
        return;
    const int before = gMfdDestructions;
    delete in.mfd; // through the virtual destructor: the module's deleting destructor frees it
    in.mfd = nullptr;
    Say("close %s: %s", kDisplayNames[id],
        gMfdDestructions == before + 1 ? "the display destroyed itself and its base"
                                       : "the base destructor did not run");
    if (gMfdDestructions != before + 1)
        Fail("close %s: MFD::~MFD ran %d times", kDisplayNames[id], gMfdDestructions - before);
}

void Draw(int id, const char* pictureName) {
    Instrument& in = gInstruments[id];
    if (!in.mfd) {
        Fail("draw %s: the display is not open", kDisplayNames[id]);
        return;
    }
    DWORD cw, ch;
    CellSizeFor(in.height, cw, ch);
    DisplaySurface surface;
    if (!CreateSurface(surface, static_cast<int>(in.width), static_cast<int>(in.height),
                       static_cast<int>(cw), static_cast<int>(ch))) {
        Fail("draw %s: no memory device context", kDisplayNames[id]);
        DestroySurface(surface);
        return;
    }
    static DrawnFrame frame;
    memset(&frame, 0, sizeof frame);
    const int invalidations = in.buttonInvalidations;
    gRecording = &frame;
    in.mfd->Update(surface.dc);
    gRecording = nullptr;
    NoteRedraw(in.schedule, gClock);
    const char* labels[4];
    for (int b = 0; b < 4; ++b)
        labels[b] = in.mfd->ButtonLabel(b);
    PrintFrame(frame, kDisplayNames[id], static_cast<int>(cw), static_cast<int>(ch), labels);
    CheckInk(frame, surface, static_cast<int>(cw), static_cast<int>(ch));
    if (in.buttonInvalidations == invalidations)
        Fail("draw %s: the display did not renew its button labels", kDisplayNames[id]);
    char path[260];
    _snprintf(path, sizeof path, "%s\\%02d-%s-%s.bmp", gFramesFolder, ++gPictureCount,
              kDisplayNames[id], pictureName);
    path[sizeof path - 1] = '\0';
    if (!SaveBitmap(surface, path))
        Fail("draw %s: cannot write %s", kDisplayNames[id], path);
    DestroySurface(surface);
}

// One frame of the host's clock: every open display that is due is redrawn.
void RunFrame() {
    AdvanceFrame(gClock, kFrameSeconds);
    bool drawn = false;
    for (int id = 0; id < kDisplays; ++id) {
        Instrument& in = gInstruments[id];
        if (!in.mfd || !RedrawDue(in.schedule, gClock))
            continue;
        Say("frame: %s is redrawn%s", kDisplayNames[id], in.schedule.asked ? ", as it asked" : "");
        Draw(id, "frame");
        drawn = true;
    }
    if (!drawn)
        Say("frame: no display redrawn");
}

void Press(int id, int button) {
    const bool taken = gInstruments[id].mfd->ConsumeButton(button, PANEL_MOUSE_LBDOWN);
    Say("press %s %d: %s", kDisplayNames[id], button, taken ? "taken" : "not taken");
}

void PrintWritten(const ScenarioStream& stream) {
    for (int i = 0; i < stream.writtenCount; ++i)
        Say("%s", stream.written[i]);
}

void SaveState() {
    static ScenarioStream stream;
    OpenWriter(stream);
    gExports.saveState(&stream);
    Say("opcSaveState: %d lines", stream.writtenCount);
    if (stream.writtenCount > 0) {
        Say("BEGIN_%s", gModuleName);
        PrintWritten(stream);
        Say("END");
    }
}

// --- Loading ---

bool LoadModule(const char* exePath) {
    char path[260];
    const char* kRelative = "Modules\\Plugin\\Kelvane.dll";
    if (!BesideExecutable(exePath, kRelative, path, sizeof path))
        return false;

    gModule = LoadLibraryA(path);
    Say("LoadLibraryA %s: %s", kRelative, gModule ? "loaded" : "failed");
    if (!gModule)
        return false;
    for (int i = 0; i < gLogCount; ++i)
        Say("log: %s", gLog[i]);
    if (gLogCount == 0)
        Fail("the entry point did not call InitLib");

    const char* const kNames[] = {"ModuleDate",       "InitModule",      "ExitModule",
                                  "GetModuleVersion", "opcDeleteVessel", "opcSaveState",
                                  "opcLoadState"};
    for (const char* name : kNames)
        if (!Export(name))
            Fail("the module does not export %s", name);
    gExports.initModule = ExportAs<ModuleFunction>("InitModule");
    gExports.exitModule = ExportAs<ModuleFunction>("ExitModule");
    gExports.getModuleVersion = ExportAs<VersionFunction>("GetModuleVersion");
    gExports.deleteVessel = ExportAs<VesselFunction>("opcDeleteVessel");
    gExports.saveState = ExportAs<StateFunction>("opcSaveState");
    gExports.loadState = ExportAs<StateFunction>("opcLoadState");
    if (!gExports.saveState || !gExports.loadState || !gExports.deleteVessel)
        return false;
    Say("GetModuleVersion: %d", gExports.getModuleVersion ? gExports.getModuleVersion() : 0);

    for (int i = 0; i < gModeCount; ++i)
        Say("mode %d: %s, key %lu, %s", i, gModes[i].spec.name,
            static_cast<unsigned long>(gModes[i].spec.key),
            gModes[i].registered ? "registered" : "unregistered");
    if (!RouteModuleTextOut(gModule)) {
        Fail("the module imports no TextOutA from gdi32.dll");
        return false;
    }
    return true;
}

// --- Allocation failure ---
// The module lets an allocation failure pass to the host as std::bad_alloc. To provoke one for
// real, the host takes every free range of address space and then every block the C library's
// heap can still give, keeping back one block the size of the display object. The display's
// own allocation then gets that block and the module's next allocation fails.
//
// A 32-bit process has at most 4 GiB to take. A 64-bit one has 128 TiB, far more than Wine can
// reserve in reasonable time, so it runs under a limit on its address space (the smoke test
// gives it 4 GiB with ulimit -v). Without one the run stops taking memory at these caps and
// fails, rather than using up the machine's.
#if defined(_WIN64)
const size_t kMaxReservedBytes = size_t(1) << 36;
const size_t kMaxHeapBytes = size_t(1) << 32;
#else
const size_t kMaxReservedBytes = ~size_t(0);
const size_t kMaxHeapBytes = ~size_t(0);
#endif

struct HeapHog {
    HeapHog* next;
};
HeapHog* gHogs = nullptr;
void* gReservations[16384];
int gReservationCount = 0;

// False when a cap stopped it before the memory ran out.
bool TakeAllMemory(size_t keptBlockSize, void*& keptBlock) {
    keptBlock = malloc(keptBlockSize);
    size_t reserved = 0;
    for (size_t size = size_t(1) << 30; size >= 64 * 1024; size /= 2) {
        while (gReservationCount <
               static_cast<int>(sizeof gReservations / sizeof gReservations[0])) {
            if (size > kMaxReservedBytes - reserved)
                return false;
            void* range = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS);
            if (!range)
                break;
            gReservations[gReservationCount++] = range;
            reserved += size;
        }
    }
    size_t taken = 0;
    for (size_t size = 64 * 1024; size >= sizeof(HeapHog); size /= 2) {
        while (void* block = malloc(size)) {
            HeapHog* hog = static_cast<HeapHog*>(block);
            hog->next = gHogs;
            gHogs = hog;
            if (size > kMaxHeapBytes - taken)
                return false;
            taken += size;
        }
    }
    return true;
}

void GiveAllMemoryBack() {
    while (gHogs) {
        HeapHog* next = gHogs->next;
        free(gHogs);
        gHogs = next;
    }
    while (gReservationCount > 0)
        VirtualFree(gReservations[--gReservationCount], 0, MEM_RELEASE);
}

__attribute__((noinline)) void ThrowAndCatchOnce() {
    try {
        throw std::bad_alloc();
    } catch (const std::exception&) {
    }
}

void OpenWithoutMemory(Vessel& vessel) {
    // The C library sets up its per-thread exception state on first use; do that while memory
    // is there, so the failure below is the module's alone.
    ThrowAndCatchOnce();
    TakeMemoryBelow4GiB();
    const MFDMODESPEC* mode = FindMode("Kelvane");
    if (!mode) {
        Fail("allocation failure: the mode is not registered");
        return;
    }
    // The display object: the host's MFD part and the module's one pointer to its settings.
    const size_t kDisplayObjectSize = sizeof(MFD) + sizeof(void*);
    const int constructionsBefore = gMfdConstructions, destructionsBefore = gMfdDestructions;
    const WPARAM size = 256 | (256 << 16);
    const LPARAM pv = reinterpret_cast<LPARAM>(static_cast<VESSEL*>(&vessel));

    void* kept = nullptr;
    if (!TakeAllMemory(kDisplayObjectSize, kept)) {
        GiveAllMemoryBack();
        free(kept);
        Fail("allocation failure: memory did not run out within %lu MiB of address space and "
             "%lu MiB of heap; run the host under a limit (ulimit -v)",
             static_cast<unsigned long>(kMaxReservedBytes >> 20),
             static_cast<unsigned long>(kMaxHeapBytes >> 20));
        return;
    }
    const bool exhausted = malloc(sizeof(HeapHog)) == nullptr;
    free(kept);
    bool caught = false, otherException = false, returned = false;
    char what[64] = "";
    gOpeningInstrument = &gInstruments[0];
    try {
        returned = mode->msgproc(OAPI_MSG_MFD_OPENED, MFD_LEFT, size, pv) != 0;
    } catch (const std::bad_alloc& e) {
        caught = true;
        _snprintf(what, sizeof what, "%s", e.what());
        what[sizeof what - 1] = '\0';
    } catch (...) {
        otherException = true;
    }
    gOpeningInstrument = nullptr;
    void* again = malloc(kDisplayObjectSize);
    const bool sameBlock = again == kept;
    free(again);
    GiveAllMemoryBack();

    if (!exhausted || !kept) {
        Fail("allocation failure: the heap could not be used up");
        return;
    }
    Say("allocation failure while Left opens: %s", caught ? "std::bad_alloc reached the host"
                                                   : otherException
                                                       ? "another exception reached the host"
                                                   : returned ? "a display was made"
                                                              : "0 was returned");
    if (!caught)
        Fail("allocation failure: no std::bad_alloc reached the host");
    Say("what(): %s", what);
    Say("display object: %s, base part destroyed: %s, its memory given back: %s",
        gMfdConstructions == constructionsBefore + 1 && gLastMfd == kept ? "made" : "not made",
        gMfdDestructions == destructionsBefore + 1 ? "yes" : "no", sameBlock ? "yes" : "no");
}

// The start-up code's 64-bit division helper, which the display needs for its thruster list;
// the operands pass through volatile so the compiler cannot divide them itself.
void CheckDivision() {
    struct Case {
        unsigned long long dividend, divisor, quotient;
    };
    const Case kCases[] = {
        {10, 10, 1},
        {21, 10, 2},
        {5, 7, 0},
        {1000000000000000007ull, 1000000000ull, 1000000000ull},
        {0xFFFFFFFFFFFFFFFFull, 10, 1844674407370955161ull},
        {0xFFFFFFFFFFFFFFFFull, 0x100000001ull, 0xFFFFFFFFull},
        {0x123456789ABCDEF0ull, 0x12345ull, 17592281465349ull},
    };
    int right = 0;
    for (const Case& c : kCases) {
        volatile unsigned long long dividend = c.dividend, divisor = c.divisor;
        const unsigned long long quotient = dividend / divisor;
        if (quotient == c.quotient)
            ++right;
        else
            Fail("%llu / %llu gave %llu", c.dividend, c.divisor, quotient);
    }
    Say("64-bit division: %d of %d cases right", right, CountOf(kCases));
}

// --- Scenario streams ---

// The scenario file's lines, and where the streams the host hands the module start: after the
// Left display's MODE line for its ReadStatus, after BEGIN_<module> for opcLoadState.
const int kMaxScenarioLines = 160;
char gScenarioText[kMaxScenarioLines][kStreamLineSize];
const char* gScenarioLines[kMaxScenarioLines];
int gScenarioLineCount = 0;

bool ReadScenario(const char* path) {
    FILE* file = fopen(path, "rb");
    if (!file)
        return false;
    while (gScenarioLineCount < kMaxScenarioLines &&
           fgets(gScenarioText[gScenarioLineCount], kStreamLineSize, file)) {
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

const char* SkipBlanks(const char* line) {
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}

// Index of the first line at or after `from` whose text (blanks skipped) starts with `prefix`.
int FindLine(int from, const char* prefix) {
    for (int i = from; i < gScenarioLineCount; ++i)
        if (strncmp(SkipBlanks(gScenarioLines[i]), prefix, strlen(prefix)) == 0)
            return i;
    return -1;
}

// opcLoadState with the lines after the scenario's BEGIN_<module> line; null when it has none.
const ScenarioStream* LoadModuleState() {
    char begin[80];
    _snprintf(begin, sizeof begin, "BEGIN_%s", gModuleName);
    begin[sizeof begin - 1] = '\0';
    const int block = FindLine(0, begin);
    if (block < 0)
        return nullptr;
    static ScenarioStream state;
    OpenReader(state, gScenarioLines + block + 1, gScenarioLineCount - block - 1);
    gExports.loadState(&state);
    return &state;
}

bool ReadExpected(const char* path, char* text, size_t size) {
    FILE* file = fopen(path, "rb");
    if (!file)
        return false;
    size_t n = fread(text, 1, size - 1, file);
    fclose(file);
    text[n] = '\0';
    // Tolerate a file checked out with Windows line ends.
    size_t out = 0;
    for (size_t i = 0; i < n; ++i)
        if (text[i] != '\r')
            text[out++] = text[i];
    text[out] = '\0';
    return n < size - 1;
}

int CompareWithExpected(const char* path) {
    static char expected[96 * 1024];
    if (!ReadExpected(path, expected, sizeof expected)) {
        printf("FAIL: cannot read the expected transcript %s\n", path);
        return 1;
    }
    const char* a = TranscriptText();
    const char* b = expected;
    int line = 1;
    while (*a && *b) {
        const char* aEnd = strchr(a, '\n');
        const char* bEnd = strchr(b, '\n');
        const size_t aLength = aEnd ? static_cast<size_t>(aEnd - a) : strlen(a);
        const size_t bLength = bEnd ? static_cast<size_t>(bEnd - b) : strlen(b);
        if (aLength != bLength || memcmp(a, b, aLength) != 0) {
            printf("FAIL: transcript line %d differs from %s\n  expected: %.*s\n  drawn:    %.*s\n",
                   line, path, static_cast<int>(bLength), b, static_cast<int>(aLength), a);
            return 1;
        }
        a += aLength + (aEnd ? 1 : 0);
        b += bLength + (bEnd ? 1 : 0);
        ++line;
    }
    if (*a || *b) {
        printf("FAIL: transcript line %d: %s ends early\n", line,
               *a ? "the expected text" : "the run");
        return 1;
    }
    printf("transcript matches %s (%d lines)\n", path, line - 1);
    return 0;
}

// --- Redraw timing ---
// How long a redraw of each page takes with real GDI drawing into a memory device context, and
// how long the same text runs take drawn by TextOutA alone; the difference is the module's own
// work with the host queries it makes and the host's title. A figure to report, not a check:
// rounds of redraws and of bare TextOutA calls alternate, and the medians are printed.
double Median(double* values, int count) {
    for (int i = 1; i < count; ++i)
        for (int j = i; j > 0 && values[j - 1] > values[j]; --j) {
            const double t = values[j];
            values[j] = values[j - 1];
            values[j - 1] = t;
        }
    return count % 2 ? values[count / 2] : (values[count / 2 - 1] + values[count / 2]) / 2;
}

int TimeRedraws(Vessel& vessel, int count) {
    const int kSize = 256;
    if (!OpenDisplay(MFD_LEFT, vessel, kSize, kSize))
        return 1;
    MFD* mfd = gInstruments[MFD_LEFT].mfd;
    DWORD cw, ch;
    CellSizeFor(kSize, cw, ch);
    DisplaySurface surface;
    if (!CreateSurface(surface, kSize, kSize, static_cast<int>(cw), static_cast<int>(ch))) {
        DestroySurface(surface);
        printf("FAIL: no memory device context\n");
        return 1;
    }
    long long frequency = 0;
    QueryPerformanceFrequency(&frequency);
    const double nsPerTick = 1e9 / static_cast<double>(frequency);
    const int kRounds = 7;
    printf("redraw timing: %d-bit host, %s, %dx%d memory device context, median of %d rounds "
           "of %d\n",
           static_cast<int>(sizeof(void*) * 8), vessel.name, kSize, kSize, kRounds, count);
    printf("%-8s %12s %16s %15s\n", "page", "redraw ns", "TextOutA ns", "module's share");
    const char* const kPages[] = {"Mass", "Tanks", "Engines"};
    static DrawnFrame frame;
    for (const char* page : kPages) {
        memset(&frame, 0, sizeof frame);
        gRecording = &frame;
        mfd->Update(surface.dc);
        gRecording = nullptr;
        double redraw[kRounds], textOnly[kRounds];
        for (int round = 0; round < kRounds; ++round) {
            long long start = 0, middle = 0, end = 0;
            QueryPerformanceCounter(&start);
            for (int i = 0; i < count; ++i)
                mfd->Update(surface.dc);
            QueryPerformanceCounter(&middle);
            SetTextAlign(surface.dc, 0); // each run at its own position, as the module put it
            for (int i = 0; i < count; ++i)
                for (int r = 0; r < frame.runCount; ++r)
                    TextOutA(surface.dc, frame.runs[r].x, frame.runs[r].y, frame.runs[r].text,
                             frame.runs[r].length);
            QueryPerformanceCounter(&end);
            redraw[round] = static_cast<double>(middle - start) * nsPerTick / count;
            textOnly[round] = static_cast<double>(end - middle) * nsPerTick / count;
        }
        const double r = Median(redraw, kRounds), t = Median(textOnly, kRounds);
        printf("%-8s %12.0f %16.0f %14.0f%%\n", page, r, t, 100.0 * (r - t) / r);
        mfd->ConsumeButton(0, PANEL_MOUSE_LBDOWN); // the next page
    }
    DestroySurface(surface);
    CloseDisplay(MFD_LEFT);
    return 0;
}

// --- Playing a scenario ---
// A scenario started as the simulator starts it: its ships (stock classes, tanks full as the
// simulator makes them; a PRPLEVEL line gives every level, tanks it does not list empty), its
// focus, the module's block through opcLoadState, then each Left or Right display block in the
// Kelvane mode opened on the focus vessel and handed the rest of its block through ReadStatus. Then
// the pilot's view: each of the two displays is switched to the Kelvane mode if it is not in it
// already, and drawn.

bool StartsWithNoCase(const char* text, const char* prefix) {
    for (; *prefix; ++text, ++prefix)
        if (toupper(static_cast<unsigned char>(*text)) !=
            toupper(static_cast<unsigned char>(*prefix)))
            return false;
    return true;
}

const VesselClassData* FindClass(const char* name) {
    const VesselClassData* const kClasses[] = {&kDeltaGlider, &kShuttlePB, &kShuttleA};
    for (const VesselClassData* c : kClasses)
        if (_stricmp(c->name, name) == 0)
            return c;
    return nullptr;
}

// The ship's PRPLEVEL pairs "TANK:LEVEL", set on the vessel.
bool SetLevels(Vessel& vessel, const char* pairs, int lineNumber) {
    for (;;) {
        pairs = SkipBlanks(pairs);
        if (!*pairs)
            return true;
        int tank = -1, used = 0;
        double level = -1;
        if (sscanf(pairs, "%d:%lf%n", &tank, &level, &used) != 2 || tank < 0 ||
            tank >= vessel.tankCount || !(level >= 0 && level <= 1)) {
            Fail("scenario line %d: PRPLEVEL of %s: '%s' is no TANK:LEVEL pair of its tanks",
                 lineNumber, vessel.name, pairs);
            return false;
        }
        vessel.tanks[tank].mass = vessel.tanks[tank].capacity * level;
        pairs += used;
    }
}

bool ReadShips() {
    const int begin = FindLine(0, "BEGIN_SHIPS");
    if (begin < 0) {
        Fail("the scenario has no BEGIN_SHIPS block");
        return false;
    }
    int count = 0;
    Vessel* ship = nullptr;
    bool shipHasLevels = false;
    char text[kStreamLineSize];
    for (int i = begin + 1; i < gScenarioLineCount; ++i) {
        ReaderLineText(gScenarioLines[i], text, sizeof text);
        if (_stricmp(text, "END_SHIPS") == 0)
            return true;
        if (!*text)
            continue;
        if (ship) {
            if (_stricmp(text, "END") == 0)
                ship = nullptr;
            else if (StartsWithNoCase(text, "PRPLEVEL ")) {
                if (!shipHasLevels)
                    for (int t = 0; t < ship->tankCount; ++t)
                        ship->tanks[t].mass = 0.0;
                shipHasLevels = true;
                if (!SetLevels(*ship, text + 9, i + 1))
                    return false;
            }
            continue;
        }
        char* colon = strchr(text, ':');
        if (!colon || colon == text || colon - text >= static_cast<int>(sizeof ship->name)) {
            Fail("scenario line %d: '%s' is no NAME:CLASS line", i + 1, text);
            return false;
        }
        *colon = '\0';
        const VesselClassData* cls = FindClass(colon + 1);
        if (!cls || count == kMaxVessels) {
            Fail("scenario line %d: ship %s: %s", i + 1, text,
                 cls ? "too many ships" : "not a stock class this host knows");
            return false;
        }
        ship = &gVessels[count++];
        ship->Make(text, *cls, 1.0);
        shipHasLevels = false;
    }
    Fail("the scenario's BEGIN_SHIPS block has no END_SHIPS");
    return false;
}

Vessel* FocusVessel() {
    const int begin = FindLine(0, "BEGIN_FOCUS");
    char text[kStreamLineSize];
    for (int i = begin < 0 ? gScenarioLineCount : begin + 1; i < gScenarioLineCount; ++i) {
        ReaderLineText(gScenarioLines[i], text, sizeof text);
        if (_stricmp(text, "END_FOCUS") == 0)
            break;
        if (StartsWithNoCase(text, "Ship "))
            return FindVessel(SkipBlanks(text + 5));
    }
    return gVessels[0].exists ? &gVessels[0] : nullptr; // the host's first ship
}

int PlayScenario() {
    Vessel* focus = FocusVessel();
    if (!focus) {
        Fail("the scenario's focus names no ship");
        return 1;
    }
    if (const ScenarioStream* state = LoadModuleState())
        Say("opcLoadState: lines read: %d", state->next);
    char text[kStreamLineSize];
    for (int i = 0; i < gScenarioLineCount; ++i) {
        ReaderLineText(gScenarioLines[i], text, sizeof text);
        if (!StartsWithNoCase(text, "BEGIN_MFD "))
            continue;
        int id = -1;
        for (int d = 0; d < kDisplays; ++d)
            if (_stricmp(SkipBlanks(text + 10), kDisplayNames[d]) == 0)
                id = d;
        if (id < 0) {
            Fail("scenario line %d: '%s': this host has the Left and Right displays only", i + 1,
                 text);
            return 1;
        }
        // TYPE User, and the MODE line right after it, name the mode.
        char type[kStreamLineSize], mode[kStreamLineSize] = "";
        ReaderLineText(i + 1 < gScenarioLineCount ? gScenarioLines[i + 1] : "", type, sizeof type);
        ReaderLineText(i + 2 < gScenarioLineCount ? gScenarioLines[i + 2] : "", mode, sizeof mode);
        if (_stricmp(type, "TYPE User") != 0 || !StartsWithNoCase(mode, "MODE ") ||
            _stricmp(SkipBlanks(mode + 5), "Kelvane") != 0)
            continue;
        if (!OpenDisplay(id, *focus, 256, 256))
            return 1;
        static ScenarioStream status;
        OpenReader(status, gScenarioLines + i + 3, gScenarioLineCount - i - 3);
        gInstruments[id].mfd->ReadStatus(&status);
        Say("ReadStatus %s: lines read: %d", kDisplayNames[id], status.next);
    }
    for (int id = 0; id < kDisplays; ++id) {
        if (!gInstruments[id].mfd && !OpenDisplay(id, *focus, 256, 256))
            return 1;
        Draw(id, "played");
    }
    for (int id = 0; id < kDisplays; ++id)
        CloseDisplay(id);
    const BOOL freed = FreeLibrary(gModule);
    Say("FreeLibrary: %s", freed ? "unloaded" : "failed");
    if (FailureCount() > 0)
        printf("%d checks failed\n", FailureCount());
    fflush(nullptr);
    return FailureCount() > 0 ? 1 : 0;
}

} // namespace

// The stand-in MFD base class counts its objects (host_exports.cpp calls these).
namespace standin {
void NoteMfdConstructed(const void* mfd) {
    ++gMfdConstructions;
    gLastMfd = mfd;
}
void NoteMfdDestroyed() {
    ++gMfdDestructions;
}
} // namespace standin

int RunStandInHost(int argc, char** argv) {
    _setmode(1, 0x8000); // stdout in binary: the transcript's line ends stay "\n"
    const char* expectPath = nullptr;
    const char* scenarioPath = nullptr;
    int timedRedraws = 0;
    bool play = false;
    if (argc == 2 && strcmp(argv[1], "--launchpad") == 0)
        return ListModules(argv[0]);
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--time-redraw") == 0 && i + 1 < argc) {
            timedRedraws = atoi(argv[++i]);
            if (timedRedraws <= 0) {
                scenarioPath = nullptr;
                break;
            }
        } else if (strcmp(argv[i], "--scenario") == 0 && i + 1 < argc) {
            scenarioPath = argv[++i];
            play = false;
        } else if (strcmp(argv[i], "--play") == 0 && i + 1 < argc) {
            scenarioPath = argv[++i];
            play = true;
        } else if (strcmp(argv[i], "--expect") == 0 && i + 1 < argc) {
            expectPath = argv[++i];
        } else if (strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            gFramesFolder = argv[++i];
        } else {
            scenarioPath = nullptr;
            break;
        }
    }
    if (!scenarioPath && timedRedraws <= 0) {
        printf("usage: orbiter.exe --scenario FILE [--expect FILE] [--frames DIR]\n"
               "       orbiter.exe --play FILE [--frames DIR]\n"
               "       orbiter.exe --time-redraw COUNT\n"
               "       orbiter.exe --launchpad\n");
        return 2;
    }
    if (scenarioPath && !ReadScenario(scenarioPath)) {
        printf("FAIL: cannot read the scenario %s (at most %d lines)\n", scenarioPath,
               kMaxScenarioLines - 1);
        return 2;
    }

    Vessel& glider = gVessels[0];
    Vessel& shuttle = gVessels[1];
    if (play) {
        if (!ReadShips())
            return 1;
    } else {
        glider.Make("GL-01", kDeltaGlider, 1.0);
        shuttle.Make("PB-01", kShuttlePB, 0.65);
    }

    TakeMemoryBelow4GiB();

    Say("== loading the plug-in");
    if (!LoadModule(argv[0])) {
        Fail("the plug-in could not be loaded");
        return 1;
    }

    if (timedRedraws > 0)
        return TimeRedraws(glider, timedRedraws);
    if (play)
        return PlayScenario();

    CheckDivision();

    Say("== allocation failure while the first display opens");
    OpenWithoutMemory(glider);

    Say("== the pages of GL-01");
    if (OpenDisplay(MFD_LEFT, glider, 256, 256)) {
        Draw(MFD_LEFT, "mass");
        Press(MFD_LEFT, 0);
        Draw(MFD_LEFT, "tanks");
        Press(MFD_LEFT, 3);
        Press(MFD_LEFT, 1);
        Draw(MFD_LEFT, "tank-2-percent");
        Press(MFD_LEFT, 0);
        Draw(MFD_LEFT, "engines");
        Press(MFD_LEFT, 3);
        Press(MFD_LEFT, 3);
        Press(MFD_LEFT, 1);
        Press(MFD_LEFT, 2);
        Draw(MFD_LEFT, "engine-3-degrees-exp");
        Press(MFD_LEFT, 0);
        Press(MFD_LEFT, 1);
        Draw(MFD_LEFT, "mass-tons-exp");
        Say("button 0 released: %s",
            gInstruments[MFD_LEFT].mfd->ConsumeButton(0, PANEL_MOUSE_LBUP) ? "taken" : "not taken");
        const MFDBUTTONMENU* menu = nullptr;
        const int entries = gInstruments[MFD_LEFT].mfd->ButtonMenu(&menu);
        for (int i = 0; menu && i < entries; ++i)
            Say("menu %d: %s", i, menu[i].line1 ? menu[i].line1 : "");

        Say("== WriteStatus, close, opcSaveState, reopen");
        static ScenarioStream stream;
        OpenWriter(stream);
        gInstruments[MFD_LEFT].mfd->WriteStatus(&stream);
        PrintWritten(stream);
        CloseDisplay(MFD_LEFT);
        SaveState();
        if (OpenDisplay(MFD_LEFT, glider, 256, 256))
            Draw(MFD_LEFT, "reopened");

        // The host redraws on simulation time only: while paused, a press shows because the
        // display asks for the redraw.
        Say("== a press while the simulation is paused");
        gClock.paused = true;
        RunFrame();
        Press(MFD_LEFT, 0);
        Say("InvalidateDisplay calls: %d", gInstruments[MFD_LEFT].displayInvalidations);
        RunFrame();
        RunFrame();
        gClock.paused = false;

        Say("== ReadStatus from the scenario's Left display block");
        const int block = FindLine(0, "BEGIN_MFD Left");
        const int mode = block < 0 ? -1 : FindLine(block, "MODE ");
        if (mode < 0) {
            Fail("the scenario has no Left display block with a MODE line");
        } else {
            OpenReader(stream, gScenarioLines + mode + 1, gScenarioLineCount - mode - 1);
            gInstruments[MFD_LEFT].mfd->ReadStatus(&stream);
            Say("lines read: %d, the last \"%s\"", stream.next, stream.current);
            Draw(MFD_LEFT, "read-status");
        }
    }

    Say("== opcLoadState, a display on PB-01, opcDeleteVessel");
    if (const ScenarioStream* state = LoadModuleState())
        Say("lines read: %d, the last \"%s\"", state->next, state->current);
    else
        Fail("the scenario has no BEGIN_%s block", gModuleName);
    if (OpenDisplay(MFD_RIGHT, shuttle, 256, 256)) {
        Draw(MFD_RIGHT, "loaded-state");
        SaveState();
        Say("opcDeleteVessel PB-01, then its displays close");
        gExports.deleteVessel(static_cast<OBJHANDLE>(&shuttle));
        CloseDisplay(
            MFD_RIGHT); // the host closes a deleted vessel's displays after telling the module
        shuttle.exists = false;
        SaveState();
    }

    Say("== unloading");
    CloseDisplay(MFD_LEFT);
    SaveState();
    const int modeId = gModeCount - 1;
    const BOOL freed = FreeLibrary(gModule);
    Say("FreeLibrary: %s; mode %s", freed ? "unloaded" : "failed",
        modeId >= 0 && !gModes[modeId].registered ? "unregistered" : "still registered");
    if (modeId < 0 || gModes[modeId].registered)
        Fail("ExitModule did not unregister the mode");

    int result = FailureCount() > 0 ? 1 : 0;
    if (FailureCount() > 0)
        printf("%d checks failed\n", FailureCount());
    if (expectPath && CompareWithExpected(expectPath) != 0)
        result = 1;
    fflush(nullptr);
    return result;
}
