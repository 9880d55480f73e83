#include "sim/host_rules.h"

void CellSizeFor(DWORD height, DWORD& cw, DWORD& ch) {
    ch = height * 9 / 200;
    if (ch < 1)
        ch = 1;
    cw = (ch * 2 + 1) / 3;
    if (cw < 1)
        cw = 1;
}

// --- The load line ---

namespace {

// Appends to a zero-terminated text within `size`, as far as it fits.
void Append(char* line, size_t size, size_t& used, const char* text) {
    for (; *text && used + 1 < size; ++text)
        line[used++] = *text;
    line[used] = '\0';
}

// Six digits at least, zero-padded, as "%06d" writes a non-negative number; ****** for none.
void AppendNumber(char* line, size_t size, size_t& used, bool present, int value) {
    if (!present) {
        Append(line, size, used, "******");
        return;
    }
    char digits[16];
    int n = 0;
    unsigned magnitude =
        value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    while (n < 6 - (value < 0 ? 1 : 0))
        digits[n++] = '0';
    if (value < 0)
        digits[n++] = '-';
    char text[16];
    for (int i = 0; i < n; ++i)
        text[i] = digits[n - 1 - i];
    text[n] = '\0';
    Append(line, size, used, text);
}

} // namespace

void FormatModuleLogLine(char* line, size_t size, const char* fileName, bool hasBuild, int build,
                         bool hasApi, int api) {
    if (!line || size == 0)
        return;
    size_t used = 0;
    line[0] = '\0';
    Append(line, size, used, "Module ");
    Append(line, size, used, fileName ? fileName : "");
    Append(line, size, used, " ");
    while (used < 30 && used + 1 < size)
        Append(line, size, used, ".");
    Append(line, size, used, " [Build ");
    AppendNumber(line, size, used, hasBuild, build);
    Append(line, size, used, ", API ");
    AppendNumber(line, size, used, hasApi, api);
    Append(line, size, used, "]");
}

// --- The redraw schedule ---

void AdvanceFrame(HostClock& clock, double seconds) {
    clock.realTime += seconds;
    if (!clock.paused)
        clock.simTime += seconds;
}

bool RedrawDue(const RedrawSchedule& schedule, const HostClock& clock) {
    // Times summed from frames carry rounding: 25 frames of 0.02 s are an interval.
    const double kSlack = 1e-9;
    if (schedule.asked)
        return true;
    return clock.simTime - schedule.lastSimTime >= kMfdUpdateInterval - kSlack &&
           clock.realTime - schedule.lastRealTime >= kMinRedrawSpacing - kSlack;
}

void NoteRedraw(RedrawSchedule& schedule, const HostClock& clock) {
    schedule.lastSimTime = clock.simTime;
    schedule.lastRealTime = clock.realTime;
    schedule.asked = false;
}

// --- MFD base class: what a display that does not override an operation gets ---
// (Each host builds the constructor, the destructor, InvalidateDisplay, InvalidateButtons and
// Title on its own records of the instrument.)

bool MFD::ConsumeKeyBuffered(DWORD) {
    return false;
}
bool MFD::ConsumeKeyImmediate(char*) {
    return false;
}
bool MFD::ConsumeButton(int, int) {
    return false;
}
char* MFD::ButtonLabel(int) {
    return nullptr;
}
int MFD::ButtonMenu(const MFDBUTTONMENU**) const {
    return 0;
}
void MFD::WriteStatus(FILEHANDLE) const {}
void MFD::ReadStatus(FILEHANDLE) {}
void MFD::StoreStatus() const {}
void MFD::RecallStatus() {}
