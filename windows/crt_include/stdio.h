// The parts of msvcrt.dll's <stdio.h> the plug-in and the stand-in host call. There are no
// Microsoft headers here; names and types are msvcrt's own.
#pragma once

#include <stdarg.h>
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct _iobuf FILE;

int __cdecl _vsnprintf(char* buffer, size_t size, const char* format, va_list args);
int __cdecl _snprintf(char* buffer, size_t size, const char* format, ...);
int __cdecl sscanf(const char* text, const char* format, ...);
int __cdecl printf(const char* format, ...);
int __cdecl puts(const char* text);
int __cdecl fflush(FILE* stream);
FILE* __cdecl fopen(const char* path, const char* mode);
int __cdecl fclose(FILE* stream);
size_t __cdecl fread(void* data, size_t size, size_t count, FILE* stream);
size_t __cdecl fwrite(const void* data, size_t size, size_t count, FILE* stream);
char* __cdecl fgets(char* line, int size, FILE* stream);

#ifdef __cplusplus
}
#endif
