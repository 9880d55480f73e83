// What the simulator does the same way in both stand-in hosts, kelvane-sim's and the Windows
// orbiter.exe: the display's character cell and the MFD base class's default behaviour. Plain
// C++ on the host interface alone, so that the Windows stand-in, built without a C++ library,
// compiles it too.
#pragma once

#include "host/orbiter_api.h"

// The display's character cell as the host computes it from the display's height.
void CellSizeFor(DWORD height, DWORD& cw, DWORD& ch);
