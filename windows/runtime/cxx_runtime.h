// What the start-up code of the plug-in and of the stand-in host share.
#pragma once

// Runs the C++ dynamic initialisers of the image this is linked into, in link order.
void RunStaticInitialisers();
