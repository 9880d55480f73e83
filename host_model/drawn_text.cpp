#include "host_model/drawn_text.h"

namespace host_model {
namespace {

// 0x80 … 0x9F differ from Latin-1; the rest of the code page maps straight to U+0000 … U+00FF.
const unsigned short kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

} // namespace

size_t DrawnTextToUtf8(const char* text, size_t length, char* out, size_t size) {
    if (!out || size == 0)
        return 0;
    size_t used = 0;
    for (size_t i = 0; text && i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const unsigned cp = c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c;
        unsigned char bytes[3];
        size_t n = 0;
        if (cp < 0x80) {
            bytes[n++] = static_cast<unsigned char>(cp);
        } else if (cp < 0x800) {
            bytes[n++] = static_cast<unsigned char>(0xC0 | (cp >> 6));
            bytes[n++] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        } else {
            bytes[n++] = static_cast<unsigned char>(0xE0 | (cp >> 12));
            bytes[n++] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
            bytes[n++] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        }
        if (used + n >= size)
            break;
        for (size_t b = 0; b < n; ++b)
            out[used++] = static_cast<char>(bytes[b]);
    }
    out[used] = '\0';
    return used;
}

} // namespace host_model
