// The stand-in for the simulator's 32-bit executable: what it owns (vessels, registered modes,
// cockpit displays, scenario streams) and the transcript it prints. Plain C++ on msvcrt.dll, no
// C++ library, like the plug-in it loads.
#pragma once

#include "host/orbiter_api.h"
#include "host_rules/display_rules.h"
#include "host_rules/module_rules.h"
#include "host_rules/redraw_schedule.h"
#include "host_rules/scenario_lines.h"

#include <stdarg.h>

namespace standin {

// --- Vessels ---
struct ThrusterSpec {
    double pos[3];
    double dir[3];
    double max0;
    double isp0;
    int tank; // feeding tank index, -1 when not connected
};

const int kMaxTanks = 4;
const int kMaxThrusters = 24;

struct VesselClassData {
    const char* name;
    double emptyMass;
    double pmi[3];
    int tankCount;
    double capacities[kMaxTanks];
    int thrusterCount;
    ThrusterSpec thrusters[kMaxThrusters];
};

// The stock classes, from the built-in sample's class files (windows/stock_class_table.py).
extern const VesselClassData kStockClasses[];
extern const int kStockClassCount;
// The stock class of that name in any case; null when there is none.
const VesselClassData* FindStockClass(const char* name);

struct TankRecord {
    double capacity;
    double mass;
};

struct ThrusterRecord {
    ThrusterSpec spec;
    TankRecord* resource;
};

// Whether a vessel slot holds a vessel, and if it held one that has gone, how it went. A slot is
// used once: a vessel that has gone stays as a tombstone until the process ends, so that the
// module's call on it is caught instead of reaching another vessel.
enum class VesselFate { Unused, Alive, Deleted, SessionEnded };

// Tank and thruster handles are the addresses of these records.
class Vessel : public VESSEL {
public:
    void Make(const char* vesselName, const VesselClassData& cls, double level);
    // The host's query `call` on this vessel: ends the run unless the vessel exists.
    void CheckAlive(const char* call) const;

    char name[32];
    char className[32];
    double emptyMass;
    double pmi[3];
    int tankCount;
    TankRecord tanks[kMaxTanks];
    int thrusterCount;
    ThrusterRecord thrusters[kMaxThrusters];
    VesselFate fate;
};

const int kMaxVessels = 12;
extern Vessel gVessels[kMaxVessels];
// A vessel in the next slot never used; null (with a failure) when every slot has been used.
Vessel* MakeVessel(const char* name, const VesselClassData& cls, double level);
// The existing vessel of that name in any case; null when there is none.
Vessel* FindVessel(const char* name);

// --- Where the simulator would crash ---
// The exit status of a run that the simulator would not have survived.
const int kHostCrashStatus = 3;
// Ends the run at once: the transcript so far is flushed, and one line goes to stderr,
// "orbiter.exe: the module called CALL REASON; the simulator would crash here".
[[noreturn]] void HostCrash(const char* call, const char* reason, const char* vesselName = nullptr);

// --- Display modes ---
const int kMaxModes = 4;
struct ModeSlot {
    MFDMODESPEC spec;
    bool registered;
};
extern ModeSlot gModes[kMaxModes];
extern int gModeCount;

// --- Cockpit displays ---
struct Instrument {
    int id;
    DWORD width, height;
    Vessel* vessel;
    MFD* mfd;
    int buttonInvalidations;
    int displayInvalidations; // MFD::InvalidateDisplay calls
    RedrawSchedule schedule;
};
// The MFD base class reports its construction and destruction, so the run can tell what became
// of a display object.
void NoteMfdConstructed(const void* mfd);
void NoteMfdDestroyed();

// --- Scenario streams (FILEHANDLE) ---
const int kMaxStreamLines = 48;
const int kStreamLineSize = 160;
struct ScenarioStream {
    // Writing: the lines oapiWriteScenario_* produced.
    char written[kMaxStreamLines][kStreamLineSize];
    int writtenCount;
    // Reading: raw scenario lines handed out by the host's rules.
    const char* const* source;
    int sourceCount;
    int next;
    char current[kStreamLineSize];
};
void OpenWriter(ScenarioStream& stream);
void OpenReader(ScenarioStream& stream, const char* const* lines, int count);

// --- Module loading ---
// The folder of this executable with `relative` appended; false when it does not fit `size`.
bool BesideExecutable(const char* exePath, const char* relative, char* path, size_t size);
extern char gModuleName[64];     // the file's name without its extension: BEGIN_<name>
extern char gModuleFileName[64]; // as the log names it
extern char gLog[8][128];
extern int gLogCount;

// --- Recording what reaches TextOutA ---
struct TextRunRecord {
    int x, y;
    COLORREF colour;
    int length;
    char text[256];
};
const int kMaxRuns = 64;
struct DrawnFrame {
    TextRunRecord runs[kMaxRuns];
    int runCount;
    bool overflow;
};
extern DrawnFrame* gRecording; // where TextOutA calls are recorded; null: not recording
BOOL WINAPI RecordingTextOutA(HDC hdc, int x, int y, LPCSTR text, int length);
// Points the module's import of gdi32's TextOutA at the recorder. False if there is none.
bool RouteModuleTextOut(HMODULE module);

// --- Transcript ---
void Say(const char* format, ...)
#if defined(__GNUC__) || defined(__clang__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
void Fail(const char* format, ...)
#if defined(__GNUC__) || defined(__clang__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
int FailureCount();
const char* TranscriptText();
// Compares the transcript with the file's text line by line and prints the first difference;
// 0 when they are the same.
int CompareWithExpected(const char* path);
// The end of a run: the number of failed checks when there are any, the comparison with the
// expected transcript when `expectPath` is not null, streams flushed. The run's exit code.
int FinishRun(const char* expectPath);

} // namespace standin
