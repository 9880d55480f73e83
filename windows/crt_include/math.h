// The parts of msvcrt.dll's <math.h> the plug-in calls. The classification macros are the
// compiler's own, so they need nothing from the C library.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

double __cdecl sqrt(double x);
double __cdecl log(double x);
double __cdecl fabs(double x);

#ifdef __cplusplus
}
#endif

#define isnan(x) __builtin_isnan(x)
#define isinf(x) __builtin_isinf(x)
