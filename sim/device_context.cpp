// The Windows calls the module makes on a display's device context, as kelvane-sim records them.
#include "sim/device_context.h"

#include <string.h>

extern "C" {

UINT WINAPI SetTextAlign(HDC hdc, UINT align) {
    UINT previous = hdc->align;
    hdc->align = align;
    return previous;
}

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT previous) {
    if (previous) {
        previous->x = hdc->x;
        previous->y = hdc->y;
    }
    hdc->x = x;
    hdc->y = y;
    return 1;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
    int previous = hdc->bkMode;
    hdc->bkMode = mode;
    return previous;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF colour) {
    COLORREF previous = hdc->textColour;
    hdc->textColour = colour;
    return previous;
}

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR text, int length) {
    if (!text || length < 0)
        return 0;
    if (!hdc->recording) {
        if (hdc->align & TA_UPDATECP)
            hdc->x += length * hdc->cellWidth;
        return 1;
    }
    TextRun run;
    run.colour = hdc->textColour;
    run.text.assign(text, static_cast<size_t>(length));
    if (hdc->align & TA_UPDATECP) {
        run.x = hdc->x;
        run.y = hdc->y;
        hdc->x += length * hdc->cellWidth;
    } else {
        run.x = x;
        run.y = y;
    }
    hdc->runs.push_back(std::move(run));
    return 1;
}

int WINAPI lstrlenA(LPCSTR text) {
    return text ? static_cast<int>(strlen(text)) : 0;
}

} // extern "C"
