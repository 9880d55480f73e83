// Drawing a display the way the host does: into a real GDI memory device context with the
// display's fixed-width font, recording every text that reaches TextOutA, then printing the
// frame as rows of character cells and saving it as a BMP picture.
#pragma once

#include "standin/stand_in_host.h"

namespace standin {

struct DisplaySurface {
    HDC dc;
    void* bitmap;
    void* font;
    void* previousBitmap;
    void* previousFont;
    unsigned* pixels; // 32-bit 0x00RRGGBB, top row first
    int width, height;
};

bool CreateSurface(DisplaySurface& surface, int width, int height, int cw, int ch);
void DestroySurface(DisplaySurface& surface);

// Prints the frame as "[heading]" ("MFD Left", "Window W1"), its rows, "[buttons]" and the four
// labels (the stand-in simulator's listing), then every run at its pixel position.
void PrintFrame(const DrawnFrame& frame, const char* heading, int cw, int ch,
                const char* const (&labels)[4]);
// Every run left pixels of its own colour on the surface within its row of cells.
void CheckInk(const DrawnFrame& frame, const DisplaySurface& surface, int cw, int ch);
bool SaveBitmap(const DisplaySurface& surface, const char* path);

} // namespace standin
