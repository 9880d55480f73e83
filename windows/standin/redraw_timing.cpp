// --time-redraw: how long a redraw of each page takes with real GDI drawing into a memory device
// context, and how long the same text runs take drawn by TextOutA alone; the difference is the
// module's own work with the host queries it makes and the host's title. A figure to report, not a
// check: rounds of redraws and of bare TextOutA calls alternate, and the medians are printed.
#include "standin/display_capture.h"
#include "standin/module_driver.h"
#include "standin/run_modes.h"
#include "standin/win32_extra.h"

#include <stdio.h>
#include <string.h>

namespace standin {

namespace {

double Median(double* values, int count) {
    for (int i = 1; i < count; ++i)
        for (int j = i; j > 0 && values[j - 1] > values[j]; --j) {
            const double t = values[j];
            values[j] = values[j - 1];
            values[j - 1] = t;
        }
    return count % 2 ? values[count / 2] : (values[count / 2 - 1] + values[count / 2]) / 2;
}

} // namespace

int TimeRedraws(int count) {
    const int kSize = 256;
    if (!OpenDisplay(MFD_LEFT, kSize, kSize))
        return 1;
    MFD* mfd = host_model::gHost.displays[MFD_LEFT]->mfd;
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
           static_cast<int>(sizeof(void*) * 8), host_model::gHost.focus->Name(), kSize, kSize,
           kRounds, count);
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

} // namespace standin
