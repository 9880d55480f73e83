#include "standin/display_capture.h"
#include "standin/win32_extra.h"

#include "host_model/drawn_text.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

namespace standin {

DrawnFrame* gRecording = nullptr;

// The host's own text and the module's both pass through here: record the text and where GDI
// puts it (the current position when the device context updates it), then draw it for real.
BOOL WINAPI RecordingTextOutA(HDC hdc, int x, int y, LPCSTR text, int length) {
    if (gRecording && text && length >= 0) {
        if (gRecording->runCount == kMaxRuns) {
            gRecording->overflow = true;
        } else {
            TextRunRecord& run = gRecording->runs[gRecording->runCount++];
            POINT at = {x, y};
            if (GetTextAlign(hdc) & TA_UPDATECP)
                GetCurrentPositionEx(hdc, &at);
            run.x = static_cast<int>(at.x);
            run.y = static_cast<int>(at.y);
            run.colour = GetTextColor(hdc);
            run.length = length < static_cast<int>(sizeof run.text) ? length : sizeof run.text - 1;
            memcpy(run.text, text, static_cast<size_t>(run.length));
            run.text[run.length] = '\0';
        }
    }
    return TextOutA(hdc, x, y, text, length);
}

namespace {

// The parts of the PE format needed to walk a loaded image's import table.
struct ImageImportDescriptor {
    uint32_t originalFirstThunk;
    uint32_t timeDateStamp;
    uint32_t forwarderChain;
    uint32_t name;
    uint32_t firstThunk;
};

uint32_t ReadU32(const unsigned char* at) {
    uint32_t value;
    memcpy(&value, at, sizeof value);
    return value;
}

} // namespace

bool RouteModuleTextOut(HMODULE module) {
    const unsigned char* image = reinterpret_cast<const unsigned char*>(module);
    const unsigned char* nt = image + ReadU32(image + 0x3C);
    // The optional header at +24 starts with its magic: PE32 for 32-bit images, PE32+ for 64-bit
    // ones, whose data directories start 16 bytes later and whose import thunks are 64 bits. The
    // plug-in has this host's bitness.
    uint16_t magic;
    memcpy(&magic, nt + 24, sizeof magic);
    const uint16_t kExpectedMagic = sizeof(void*) == 8 ? 0x20B : 0x10B;
    if (magic != kExpectedMagic)
        return false;
    const size_t dataDirectories = sizeof(void*) == 8 ? 112 : 96;
    // The import directory is data directory 1.
    const uint32_t importRva = ReadU32(nt + 24 + dataDirectories + 8);
    if (!importRva)
        return false;
    const uintptr_t kByOrdinal = uintptr_t(1) << (sizeof(uintptr_t) * 8 - 1);
    for (const ImageImportDescriptor* d =
             reinterpret_cast<const ImageImportDescriptor*>(image + importRva);
         d->name; ++d) {
        if (_stricmp(reinterpret_cast<const char*>(image + d->name), "gdi32.dll") != 0)
            continue;
        const uintptr_t* names = reinterpret_cast<const uintptr_t*>(image + d->originalFirstThunk);
        uintptr_t* slots =
            reinterpret_cast<uintptr_t*>(const_cast<unsigned char*>(image) + d->firstThunk);
        for (int i = 0; names[i]; ++i) {
            if (names[i] & kByOrdinal)
                continue;
            const char* name =
                reinterpret_cast<const char*>(image + static_cast<uint32_t>(names[i]) + 2);
            if (strcmp(name, "TextOutA") != 0)
                continue;
            DWORD old = 0;
            if (!VirtualProtect(&slots[i], sizeof slots[i], PAGE_READWRITE, &old))
                return false;
            slots[i] = reinterpret_cast<uintptr_t>(&RecordingTextOutA);
            VirtualProtect(&slots[i], sizeof slots[i], old, &old);
            return true;
        }
    }
    return false;
}

bool CreateSurface(DisplaySurface& surface, int width, int height, int cw, int ch) {
    memset(&surface, 0, sizeof surface);
    surface.width = width;
    surface.height = height;
    surface.dc = CreateCompatibleDC(nullptr);
    if (!surface.dc)
        return false;
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    surface.bitmap = CreateDIBSection(surface.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!surface.bitmap || !bits)
        return false;
    surface.pixels = static_cast<unsigned*>(bits); // starts black
    surface.previousBitmap = SelectObject(surface.dc, surface.bitmap);
    // The display's fixed-width font, one character cell high, without smoothing so that every
    // text pixel has the text's own colour.
    surface.font = CreateFontA(ch, cw, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0,
                               NONANTIALIASED_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New");
    if (!surface.font)
        return false;
    surface.previousFont = SelectObject(surface.dc, surface.font);
    return true;
}

void DestroySurface(DisplaySurface& surface) {
    if (surface.dc) {
        if (surface.previousFont)
            SelectObject(surface.dc, surface.previousFont);
        if (surface.previousBitmap)
            SelectObject(surface.dc, surface.previousBitmap);
        DeleteDC(surface.dc);
    }
    if (surface.font)
        DeleteObject(surface.font);
    if (surface.bitmap)
        DeleteObject(surface.bitmap);
    memset(&surface, 0, sizeof surface);
}

namespace {

unsigned PixelOf(COLORREF colour) {
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

} // namespace

void PrintFrame(const DrawnFrame& frame, const char* heading, int cw, int ch,
                const char* const (&labels)[4]) {
    const int kRows = 40, kColumns = 128;
    static char cells[kRows][kColumns + 1];
    int rowCount = 0;
    for (int r = 0; r < kRows; ++r) {
        memset(cells[r], ' ', kColumns);
        cells[r][kColumns] = '\0';
    }
    for (int i = 0; i < frame.runCount; ++i) {
        const TextRunRecord& run = frame.runs[i];
        if (run.x < 0 || run.y < 0)
            continue;
        const int row = run.y / ch, column = run.x / cw;
        if (row >= kRows || column + run.length > kColumns) {
            Fail("run \"%s\" at (%d,%d) lies outside the listing", run.text, run.x, run.y);
            continue;
        }
        memcpy(&cells[row][column], run.text, static_cast<size_t>(run.length));
        if (row + 1 > rowCount)
            rowCount = row + 1;
    }
    Say("[%s]", heading);
    for (int r = 0; r < rowCount; ++r) {
        int end = kColumns;
        while (end > 0 && cells[r][end - 1] == ' ')
            --end;
        char line[kColumns * host_model::kUtf8BytesPerDrawnByte + 1];
        host_model::DrawnTextToUtf8(cells[r], static_cast<size_t>(end), line, sizeof line);
        Say("%s", line);
    }
    Say("[buttons] %s %s %s %s", labels[0] ? labels[0] : "-", labels[1] ? labels[1] : "-",
        labels[2] ? labels[2] : "-", labels[3] ? labels[3] : "-");
    for (int i = 0; i < frame.runCount; ++i) {
        const TextRunRecord& run = frame.runs[i];
        char text[sizeof run.text * host_model::kUtf8BytesPerDrawnByte];
        host_model::DrawnTextToUtf8(run.text, static_cast<size_t>(run.length), text, sizeof text);
        Say("  TextOutA (%d,%d) #%06lX \"%s\"", run.x, run.y,
            static_cast<unsigned long>(run.colour), text);
    }
    if (frame.overflow)
        Fail("more than %d texts drawn in one frame", kMaxRuns);
}

void CheckInk(const DrawnFrame& frame, const DisplaySurface& surface, int cw, int ch) {
    GdiFlush();
    int inked = 0;
    for (int i = 0; i < frame.runCount; ++i) {
        const TextRunRecord& run = frame.runs[i];
        bool blank = true;
        for (int c = 0; c < run.length; ++c)
            blank = blank && run.text[c] == ' ';
        if (blank) {
            ++inked;
            continue;
        }
        const unsigned want = PixelOf(run.colour);
        const int x1 = run.x + (run.length + 1) * cw;
        const int y1 = run.y + ch;
        int count = 0;
        for (int y = run.y < 0 ? 0 : run.y; y < y1 && y < surface.height; ++y)
            for (int x = run.x < 0 ? 0 : run.x; x < x1 && x < surface.width; ++x)
                count += (surface.pixels[y * surface.width + x] & 0xFFFFFF) == want;
        if (count > 0)
            ++inked;
        else
            Fail("\"%s\" at (%d,%d) left no pixel of colour #%06lX", run.text, run.x, run.y,
                 static_cast<unsigned long>(run.colour));
    }
    Say("ink: %d of %d texts drawn in their colour", inked, frame.runCount);
}

bool SaveBitmap(const DisplaySurface& surface, const char* path) {
    GdiFlush();
    FILE* file = fopen(path, "wb");
    if (!file)
        return false;
    const uint32_t rowBytes = static_cast<uint32_t>(surface.width) * 3u;
    const uint32_t paddedRow = (rowBytes + 3u) & ~3u;
    const uint32_t imageBytes = paddedRow * static_cast<uint32_t>(surface.height);
    unsigned char header[54];
    memset(header, 0, sizeof header);
    const uint32_t fields[][2] = {
        {2, 54 + imageBytes}, // file size
        {10, 54},             // pixel data offset
        {14, 40},             // info header size
        {18, static_cast<uint32_t>(surface.width)},
        {22, static_cast<uint32_t>(surface.height)}, // bottom row first
        {26, 1 | (24u << 16)},                       // planes, bits per pixel
        {34, imageBytes},
    };
    header[0] = 'B';
    header[1] = 'M';
    for (const auto& f : fields)
        memcpy(header + f[0], &f[1], sizeof f[1]);
    bool ok = fwrite(header, 1, sizeof header, file) == sizeof header;
    static unsigned char row[4 * 1024];
    if (paddedRow > sizeof row)
        ok = false;
    for (int y = surface.height - 1; ok && y >= 0; --y) {
        memset(row, 0, paddedRow);
        for (int x = 0; x < surface.width; ++x) {
            const unsigned p = surface.pixels[y * surface.width + x];
            row[x * 3 + 0] = static_cast<unsigned char>(p & 0xFF);
            row[x * 3 + 1] = static_cast<unsigned char>((p >> 8) & 0xFF);
            row[x * 3 + 2] = static_cast<unsigned char>((p >> 16) & 0xFF);
        }
        ok = fwrite(row, 1, paddedRow, file) == paddedRow;
    }
    return fclose(file) == 0 && ok;
}

} // namespace standin
