#include "display/text_layout.h"

#include "display/text_format.h"

// One cell size for all displays: each redraw sets it before it draws anything, and redraws
// never interleave.
static int cellWidth = 0;
static int cellHeight = 0;

void SetCharSize(HDC hdc, int width, int height) {
    cellWidth = width;
    cellHeight = height;
    SetTextAlign(hdc, TA_UPDATECP);
    MoveToCell(hdc, 0, 0);
}

POINT GetCursor(HDC hdc) {
    POINT previous = {0, 0};
    MoveToEx(hdc, 0, 0, &previous);
    MoveToEx(hdc, previous.x, previous.y, nullptr);
    return previous;
}

CellPosition MoveToCell(HDC hdc, int column, int row) {
    const POINT here = GetCursor(hdc);
    const int x = column >= 0 ? column * cellWidth + cellWidth / 2 : static_cast<int>(here.x);
    const int y = row >= 0 ? row * cellHeight : static_cast<int>(here.y);
    MoveToEx(hdc, x, y, nullptr);
    CellPosition previous = {0, 0};
    // A zero cell size only occurs before the first redraw set it; never divide by it.
    if (cellWidth != 0)
        previous.column = (static_cast<int>(here.x) - cellWidth / 2) / cellWidth;
    if (cellHeight != 0)
        previous.row = static_cast<int>(here.y) / cellHeight;
    return previous;
}

void SetTextColour(HDC hdc, COLORREF colour) {
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, colour);
}

CellPosition PrintAt(HDC hdc, int column, int row, const char* format, ...) {
    char line[252];
    va_list args;
    va_start(args, format);
    FormatTextV(line, sizeof line, format, args);
    va_end(args);
    const CellPosition previous = MoveToCell(hdc, column, row);
    TextOutA(hdc, 0, 0, line, lstrlenA(line));
    return previous;
}
