// The Windows calls the stand-in host makes beyond those the module uses (host/windows_api.h):
// loading the plug-in, reserving address space, a memory device context to draw into, and what
// the Launchpad reads of a module file (its string resources and version record).
#pragma once

#include "host/windows_api.h"

typedef void* HANDLE;
typedef void* HGDIOBJ;
typedef HGDIOBJ HBITMAP;
typedef HGDIOBJ HFONT;
typedef unsigned short WORD;
typedef unsigned char BYTE;

#define MEM_RESERVE 0x2000
#define MEM_RELEASE 0x8000
#define PAGE_NOACCESS 0x01
#define PAGE_READWRITE 0x04
#define DIB_RGB_COLORS 0
#define BI_RGB 0
#define FW_NORMAL 400
#define ANSI_CHARSET 0
#define NONANTIALIASED_QUALITY 3
#define FIXED_PITCH 1
#define FF_MODERN 0x30
#define MAX_PATH 260
#define LOAD_LIBRARY_AS_DATAFILE 0x00000002
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))
#define STD_ERROR_HANDLE (static_cast<DWORD>(-12))

struct FILETIME {
    DWORD dwLowDateTime, dwHighDateTime;
};

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime, ftLastAccessTime, ftLastWriteTime;
    DWORD nFileSizeHigh, nFileSizeLow;
    DWORD dwReserved0, dwReserved1;
    char cFileName[MAX_PATH];
    char cAlternateFileName[14];
};

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

struct RGBQUAD {
    BYTE rgbBlue, rgbGreen, rgbRed, rgbReserved;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

extern "C" {
HMODULE WINAPI LoadLibraryA(LPCSTR path);
HMODULE WINAPI LoadLibraryExA(LPCSTR path, HANDLE file, DWORD flags);
HANDLE WINAPI FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* found);
BOOL WINAPI FindNextFileA(HANDLE search, WIN32_FIND_DATAA* found);
BOOL WINAPI FindClose(HANDLE search);
int WINAPI LoadStringA(HMODULE module, UINT id, char* buffer, int size);
DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR path, DWORD* handle);
BOOL WINAPI GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, void* data);
BOOL WINAPI VerQueryValueA(const void* record, LPCSTR subBlock, void** value, UINT* length);
BOOL WINAPI FreeLibrary(HMODULE module);
HANDLE WINAPI GetStdHandle(DWORD which);
BOOL WINAPI WriteFile(HANDLE file, const void* data, DWORD size, DWORD* written, void* overlapped);
HANDLE WINAPI GetCurrentProcess();
BOOL WINAPI TerminateProcess(HANDLE process, UINT status);
DWORD WINAPI GetModuleFileNameA(HMODULE module, char* path, DWORD size);
LPVOID WINAPI VirtualAlloc(LPVOID address, size_t size, DWORD type, DWORD protect);
BOOL WINAPI VirtualFree(LPVOID address, size_t size, DWORD type);
BOOL WINAPI VirtualProtect(LPVOID address, size_t size, DWORD protect, DWORD* oldProtect);
// LARGE_INTEGER is a union around one 64-bit count.
BOOL WINAPI QueryPerformanceCounter(long long* count);
BOOL WINAPI QueryPerformanceFrequency(long long* frequency);

UINT WINAPI GetTextAlign(HDC hdc);
BOOL WINAPI GetCurrentPositionEx(HDC hdc, LPPOINT position);
COLORREF WINAPI GetTextColor(HDC hdc);
HDC WINAPI CreateCompatibleDC(HDC hdc);
HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits,
                                HANDLE section, DWORD offset);
HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight,
                         DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                         DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                         DWORD pitchAndFamily, LPCSTR face);
HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ object);
BOOL WINAPI DeleteObject(HGDIOBJ object);
BOOL WINAPI DeleteDC(HDC hdc);
BOOL WINAPI GdiFlush();

int __cdecl _setmode(int fd, int mode);
}
