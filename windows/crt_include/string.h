// The parts of msvcrt.dll's <string.h> the plug-in and the stand-in host call.
#pragma once

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

void* __cdecl memcpy(void* to, const void* from, size_t size);
void* __cdecl memmove(void* to, const void* from, size_t size);
void* __cdecl memset(void* to, int value, size_t size);
int __cdecl memcmp(const void* a, const void* b, size_t size);
size_t __cdecl strlen(const char* text);
int __cdecl strcmp(const char* a, const char* b);
int __cdecl strncmp(const char* a, const char* b, size_t n);
int __cdecl _stricmp(const char* a, const char* b);
char* __cdecl strrchr(const char* text, int c);

#ifdef __cplusplus
// C++ gives strchr the two const-correct overloads.
const char* __cdecl strchr(const char* text, int c);
}
inline char* strchr(char* text, int c) {
    return const_cast<char*>(strchr(static_cast<const char*>(text), c));
}
#else
char* __cdecl strchr(const char* text, int c);
#endif
