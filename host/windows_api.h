// The few Windows types and calls the module uses, declared here because the plug-in is built
// without Microsoft's headers. Names and signatures match the Windows API so that the same code
// links against gdi32/kernel32 on Windows and against the stand-in host elsewhere.
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef _WIN32
#define WINAPI __stdcall
typedef unsigned long DWORD;
typedef long LONG;
#else
#define WINAPI
typedef uint32_t DWORD;
typedef int32_t LONG;
#endif

typedef int BOOL;
typedef unsigned int UINT;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef DWORD COLORREF;
typedef void* LPVOID;
typedef const char* LPCSTR;

struct HDC__;
typedef HDC__* HDC;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;

typedef intptr_t(WINAPI* FARPROC)();

struct tagPOINT {
    LONG x;
    LONG y;
};
typedef tagPOINT POINT;
typedef tagPOINT* LPPOINT;

#define TA_UPDATECP 1
#define TRANSPARENT 1
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1

extern "C" {
UINT WINAPI SetTextAlign(HDC hdc, UINT align);
BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT previous);
int WINAPI SetBkMode(HDC hdc, int mode);
COLORREF WINAPI SetTextColor(HDC hdc, COLORREF colour);
BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR text, int length);
int WINAPI lstrlenA(LPCSTR text);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
}
