// What the host's dynamic_cast finds of a display the message procedure returned.
#pragma once

#include "standin/stand_in_host.h"

namespace standin {

// Follows the display's complete-object locator as Microsoft's runtime does and checks that it
// names KelvaneMfd, derived from MFD and not from MFD2, so that the host draws it through its
// HDC. Says what it found the first time; a failure is a failed check.
void CheckDisplayType(const MFD* display, HMODULE module);

} // namespace standin
