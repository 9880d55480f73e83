// The parts of msvcrt.dll's <ctype.h> the plug-in calls.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

int __cdecl toupper(int c);
int __cdecl isspace(int c);
int __cdecl isdigit(int c);

#ifdef __cplusplus
}
#endif
