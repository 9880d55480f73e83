// The parts of msvcrt.dll's <stdlib.h> the plug-in's start-up code and the stand-in host call.
#pragma once

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

void* __cdecl malloc(size_t size);
void* __cdecl calloc(size_t count, size_t size);
void* __cdecl realloc(void* block, size_t size);
void __cdecl free(void* block);
__declspec(noreturn) void __cdecl abort(void);
__declspec(noreturn) void __cdecl exit(int status);
int __cdecl atoi(const char* text);
int __cdecl atexit(void(__cdecl* function)(void));

#ifdef __cplusplus
}
#endif
