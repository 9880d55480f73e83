// How the simulator shows a module's display: the character cell it gives a display, the title it
// draws, the messages it sends when a display opens, and what the MFD base class does for an
// operation a display does not override. Both stand-in hosts build this; it needs no C++ library.
#pragma once

#include "host/orbiter_api.h"

// The display's character cell, from the display's height.
void CellSizeFor(DWORD height, DWORD& cw, DWORD& ch);

// The host's title: in its own colour (COLORREF 0x00BBGGRR, a bright green), at half a cell from
// the left of the top row.
const COLORREF kTitleColour = 0x0040FF40;
inline int TitleX(DWORD cw) {
    return static_cast<int>(cw / 2);
}

// The host's opening of a display in a mode: the extended message first, the plain one only when
// that gives 0; the display is the one that answered. The host then writes its private pointer
// and the display's cell (MfdHostAccess).
struct OpenedDisplay {
    OAPI_MSGTYPE extended; // what OAPI_MSG_MFD_OPENEDEX gave
    OAPI_MSGTYPE plain;    // what OAPI_MSG_MFD_OPENED gave; 0 when it was not sent
    MFD* display;          // null when both gave 0
};
OpenedDisplay OpenModeDisplay(const MFDMODESPEC& mode, int id, DWORD width, DWORD height,
                              VESSEL* vessel);

// What the host writes into a display after the message procedure has returned it: its private
// pointer to the instrument that shows the display, and the character cell. Until then the
// display must not call MFD::Title, InvalidateDisplay or InvalidateButtons.
struct MfdHostAccess {
    static void AttachToInstrument(MFD& display, void* instrument, DWORD height);
    static void* InstrumentOf(const MFD& display) { return display.instrument; }
};
