// The stand-in for the simulator's executable: the host's model (host_model/) with what only
// this stand-in has, the stock classes it flies, the text it records and the transcript it
// prints. Plain C++ on msvcrt.dll, no C++ library, like the plug-in it loads.
#pragma once

#include "host_model/host_model.h"

#include <stdarg.h>

namespace standin {

using host_model::CellSizeFor;
using host_model::Instrument;
using host_model::ScenarioStream;
using host_model::Vessel;

// The stock classes, from the built-in sample's class files (windows/stock_class_table.py).
extern const host_model::VesselFigures kStockClasses[];
extern const int kStockClassCount;
// The stock class of that name in any case; null when there is none.
const host_model::VesselFigures* FindStockClass(const char* name);

// --- Module loading ---
// The folder of this executable with `relative` appended; false when it does not fit `size`.
bool BesideExecutable(const char* exePath, const char* relative, char* path, size_t size);

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
