// The stand-in host's own state: the stock vessels, the mode table, scenario streams and the
// transcript it prints.
#include "standin/stand_in_host.h"

#include <stdio.h>
#include <string.h>

namespace standin {

// The host's stock vessels, with the figures of its own vessel code. The Delta-glider's retro
// thrusters are connected to the main tank, as with the retro covers open.
const VesselClassData kDeltaGlider = {
    "DeltaGlider",
    11000,
    {15.5, 22.1, 7.7},
    2,
    {12900, 600},
    21,
    {
        {{-1, 0, -7.7}, {0, 0, 1}, 160000, 40000, 0},
        {{1, 0, -7.7}, {0, 0, 1}, 160000, 40000, 0},
        {{-3, -0.236, 5.6}, {0, 0.0421, -0.9991}, 34000, 40000, 0},
        {{3, -0.236, 5.6}, {0, 0.0421, -0.9991}, 34000, 40000, 0},
        {{0, 0, 3}, {0, 1, 0}, 110000, 40000, 0},
        {{-3, 0, -4.55}, {0, 1, 0}, 36263.7, 40000, 0},
        {{3, 0, -4.55}, {0, 1, 0}, 36263.7, 40000, 0},
        // pitch
        {{0, 0, 8}, {0, 1, 0}, 2500, 40000, 1},
        {{0, 0, -8}, {0, -1, 0}, 2500, 40000, 1},
        {{0, 0, 8}, {0, -1, 0}, 2500, 40000, 1},
        {{0, 0, -8}, {0, 1, 0}, 2500, 40000, 1},
        // yaw
        {{0, 0, 6}, {1, 0, 0}, 2500, 40000, 1},
        {{0, 0, -6}, {-1, 0, 0}, 2500, 40000, 1},
        {{0, 0, 6}, {-1, 0, 0}, 2500, 40000, 1},
        {{0, 0, -6}, {1, 0, 0}, 2500, 40000, 1},
        // roll
        {{6, 0, 0}, {0, 1, 0}, 2500, 40000, 1},
        {{-6, 0, 0}, {0, -1, 0}, 2500, 40000, 1},
        {{6, 0, 0}, {0, -1, 0}, 2500, 40000, 1},
        {{-6, 0, 0}, {0, 1, 0}, 2500, 40000, 1},
        // linear
        {{0, 0, -7}, {0, 0, 1}, 5000, 40000, 1},
        {{0, 0, 7}, {0, 0, -1}, 5000, 40000, 1},
    },
};

const VesselClassData kShuttlePB = {
    "ShuttlePB",
    500,
    {2.28, 2.31, 0.79},
    1,
    {750},
    16,
    {
        {{0, 0, -4.35}, {0, 0, 1}, 30000, 50000, 0},
        {{0, -1.5, 0}, {0, 1, 0}, 15000, 50000, 0},
        {{0, 0, 3}, {0, 1, 0}, 200, 50000, 0},
        {{0, 0, -3}, {0, -1, 0}, 200, 50000, 0},
        {{0, 0, 3}, {0, -1, 0}, 200, 50000, 0},
        {{0, 0, -3}, {0, 1, 0}, 200, 50000, 0},
        {{0, 0, 3}, {1, 0, 0}, 200, 50000, 0},
        {{0, 0, -3}, {-1, 0, 0}, 200, 50000, 0},
        {{0, 0, 3}, {-1, 0, 0}, 200, 50000, 0},
        {{0, 0, -3}, {1, 0, 0}, 200, 50000, 0},
        {{1, 0, 0}, {0, 1, 0}, 200, 50000, 0},
        {{-1, 0, 0}, {0, -1, 0}, 200, 50000, 0},
        {{1, 0, 0}, {0, -1, 0}, 200, 50000, 0},
        {{-1, 0, 0}, {0, 1, 0}, 200, 50000, 0},
        {{0, 0, -3}, {0, 0, 1}, 200, 50000, 0},
        {{0, 0, 3}, {0, 0, -1}, 200, 50000, 0},
    },
};

// As the sample's ShuttleA.cfg (kelvane-sim's class), so that both hosts draw the same figures.
const VesselClassData kShuttleA = {
    "ShuttleA",
    13000,
    {86.6, 89.8, 5.5},
    2,
    {71500, 2700},
    20,
    {
        // main
        {{-1.7598, 0, -13.87}, {0, 0, 1}, 1064360, 33000, 0},
        {{1.7598, 0, -13.87}, {0, 0, 1}, 1064360, 33000, 0},
        // hover
        {{0, -1.8, 8.3}, {0, 1, 0}, 744975, 33000, 0},
        {{0, -1.8, -8.3}, {0, 1, 0}, 744975, 33000, 0},
        // pods
        {{-6.2, 0, 0.2}, {0, 0, 1}, 385000, 33000, 0},
        {{6.2, 0, 0.2}, {0, 0, 1}, 385000, 33000, 0},
        // pitch
        {{0, 0, 14}, {0, 1, 0}, 4500, 30000, 1},
        {{0, 0, -14}, {0, -1, 0}, 4500, 30000, 1},
        {{0, 0, 14}, {0, -1, 0}, 4500, 30000, 1},
        {{0, 0, -14}, {0, 1, 0}, 4500, 30000, 1},
        // yaw
        {{0, 0, 14}, {1, 0, 0}, 4500, 30000, 1},
        {{0, 0, -14}, {-1, 0, 0}, 4500, 30000, 1},
        {{0, 0, 14}, {-1, 0, 0}, 4500, 30000, 1},
        {{0, 0, -14}, {1, 0, 0}, 4500, 30000, 1},
        // roll
        {{3, 0, 0}, {0, 1, 0}, 4500, 30000, 1},
        {{-3, 0, 0}, {0, -1, 0}, 4500, 30000, 1},
        {{3, 0, 0}, {0, -1, 0}, 4500, 30000, 1},
        {{-3, 0, 0}, {0, 1, 0}, 4500, 30000, 1},
        // linear
        {{0, 0, -14}, {0, 0, 1}, 4500, 30000, 1},
        {{0, 0, 14}, {0, 0, -1}, 4500, 30000, 1},
    },
};

Vessel gVessels[kMaxVessels];

void Vessel::Make(const char* vesselName, const VesselClassData& cls, double level) {
    _snprintf(name, sizeof name, "%s", vesselName);
    name[sizeof name - 1] = '\0';
    _snprintf(className, sizeof className, "%s", cls.name);
    className[sizeof className - 1] = '\0';
    emptyMass = cls.emptyMass;
    for (int i = 0; i < 3; ++i)
        pmi[i] = cls.pmi[i];
    tankCount = cls.tankCount;
    for (int i = 0; i < tankCount; ++i) {
        tanks[i].capacity = cls.capacities[i];
        tanks[i].mass = cls.capacities[i] * level;
    }
    thrusterCount = cls.thrusterCount;
    for (int i = 0; i < thrusterCount; ++i) {
        thrusters[i].spec = cls.thrusters[i];
        const int tank = cls.thrusters[i].tank;
        thrusters[i].resource = tank >= 0 && tank < tankCount ? &tanks[tank] : nullptr;
    }
    exists = true;
}

Vessel* FindVessel(const char* name) {
    for (Vessel& v : gVessels)
        if (v.exists && _stricmp(v.name, name) == 0)
            return &v;
    return nullptr;
}

ModeSlot gModes[kMaxModes];
int gModeCount = 0;
Instrument* gOpeningInstrument = nullptr;
char gModuleName[64];
char gModuleFileName[64];

bool BesideExecutable(const char* exePath, const char* relative, char* path, size_t size) {
    _snprintf(path, size, "%s", exePath);
    path[size - 1] = '\0';
    char* slash = strrchr(path, '\\');
    if (slash)
        slash[1] = '\0';
    else
        path[0] = '\0';
    if (strlen(path) + strlen(relative) >= size)
        return false;
    memcpy(path + strlen(path), relative, strlen(relative) + 1);
    return true;
}
char gLog[8][128];
int gLogCount = 0;

namespace {
// The host writes a display's protected cell size after the message procedure returns. A member
// pointer named through a derived class is the standard way to reach it.
struct MfdCellAccess : MFD {
    static DWORD MFD::*Cw() { return &MfdCellAccess::cw; }
    static DWORD MFD::*Ch() { return &MfdCellAccess::ch; }
};
} // namespace

void SetCellSize(MFD* mfd, DWORD cw, DWORD ch) {
    mfd->*MfdCellAccess::Cw() = cw;
    mfd->*MfdCellAccess::Ch() = ch;
}

void ReaderLineText(const char* raw, char* text, size_t size) {
    size_t length = strlen(raw);
    if (const char* comment = strchr(raw, ';'))
        length = static_cast<size_t>(comment - raw);
    while (length > 0 && (raw[0] == ' ' || raw[0] == '\t')) {
        ++raw;
        --length;
    }
    while (length > 0 && (raw[length - 1] == ' ' || raw[length - 1] == '\t'))
        --length;
    if (length >= size)
        length = size - 1;
    memcpy(text, raw, length);
    text[length] = '\0';
}

void OpenWriter(ScenarioStream& stream) {
    memset(&stream, 0, sizeof stream);
}

void OpenReader(ScenarioStream& stream, const char* const* lines, int count) {
    memset(&stream, 0, sizeof stream);
    stream.source = lines;
    stream.sourceCount = count;
}

// --- Transcript ---
namespace {
char transcript[96 * 1024];
size_t transcriptLength = 0;
int failures = 0;

void Append(const char* prefix, const char* format, va_list args) {
    char line[512];
    const int p = _snprintf(line, sizeof line, "%s", prefix);
    _vsnprintf(line + p, sizeof line - static_cast<size_t>(p) - 1, format, args);
    line[sizeof line - 1] = '\0';
    const size_t length = strlen(line);
    if (transcriptLength + length + 2 < sizeof transcript) {
        memcpy(transcript + transcriptLength, line, length);
        transcriptLength += length;
        transcript[transcriptLength++] = '\n';
        transcript[transcriptLength] = '\0';
    }
    printf("%s\n", line);
}
} // namespace

void Say(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Append("", format, args);
    va_end(args);
}

void Fail(const char* format, ...) {
    ++failures;
    va_list args;
    va_start(args, format);
    Append("FAIL: ", format, args);
    va_end(args);
}

int FailureCount() {
    return failures;
}

const char* TranscriptText() {
    return transcript;
}

} // namespace standin
