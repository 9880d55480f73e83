// The stand-in for a Windows device context: it keeps the state GDI keeps and records every text
// run drawn, so the display's output can be printed or painted afterwards.
#pragma once

#include "host/windows_api.h"

#include <string>
#include <vector>

struct TextRun {
    int x = 0;
    int y = 0;
    COLORREF colour = 0;
    std::string text; // as drawn: Windows-1252 bytes
    bool title = false;
};

struct HDC__ {
    int x = 0;
    int y = 0;
    UINT align = 0;
    int bkMode = 2; // OPAQUE, as a fresh Windows device context starts
    COLORREF textColour = 0;
    int cellWidth = 1; // advance per character when drawing at the current position
    std::vector<TextRun> runs;
    bool recording = true; // off: draw nothing, so a test can count the module's own allocations
};

namespace sim {
using DeviceContext = HDC__;
} // namespace sim
