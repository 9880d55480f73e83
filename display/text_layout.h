// Text on a grid of character cells, drawn with GDI at the device context's current position.
#pragma once

#include "host/orbiter_api.h"

struct CellPosition {
    int column;
    int row;
};

void SetCharSize(HDC hdc, int width, int height);
POINT GetCursor(HDC hdc);
// A negative column or row keeps that coordinate. Returns the cell the position was in before.
CellPosition MoveToCell(HDC hdc, int column, int row);
void SetTextColour(HDC hdc, COLORREF colour);
// Formats one line (at most 251 characters; longer lines are cut) and draws it at the cell.
CellPosition PrintAt(HDC hdc, int column, int row, const char* format, ...)
#if defined(__GNUC__) || defined(__clang__)
    __attribute__((format(printf, 4, 5)))
#endif
    ;

// The text colour of everything the module draws below the title: light grey.
const COLORREF kTextColour = 0xC0C0C0;
