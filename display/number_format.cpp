#include "display/number_format.h"

#include "display/text_format.h"

#include <math.h>
#include <string.h>

int DecimalsFor(double x) {
    double a = fabs(x);
    int i = 0;
    while (a < 1000 && i < 3) {
        a = a * 10;
        i = i + 1;
    }
    return i;
}

namespace {

struct PrefixRow {
    double bound;   // the row applies below this magnitude
    double divisor; // 1 for the row without prefix
    const char* prefix;
};

const PrefixRow kLadder[] = {
    {1e-6, 1e-9, "n"}, {1e-3, 1e-6, "\xB5"}, {1, 1e-3, "m"},    {1e3, 1, ""},      {1e6, 1e3, "k"},
    {1e9, 1e6, "M"},   {1e12, 1e9, "G"},     {1e15, 1e12, "T"}, {1e18, 1e15, "P"},
};

// Exponent form from one "%.3e", with the exponent widened to at least three digits by hand:
// some C libraries print two, the display always shows three. The text is right-aligned in
// `width` characters and followed by one blank.
void FormatExponentText(char* buffer, double x, bool sign, int width) {
    char text[kValueBufferSize];
    size_t length = 0;
    if (isnan(x) || isinf(x)) {
        const char* word = isnan(x) ? "nan" : x < 0 ? "-inf" : sign ? "+inf" : "inf";
        length = strlen(word);
        memcpy(text, word, length);
    } else {
        char raw[kValueBufferSize];
        FormatText(raw, sizeof raw, sign ? "%+.3e" : "%.3e", x);
        const char* e = strchr(raw, 'e');
        if (!e)
            e = raw + strlen(raw);
        length = static_cast<size_t>(e - raw);
        memcpy(text, raw, length);
        if (*e == 'e') {
            const char* digits = e + 1;
            const char exponentSign = *digits == '-' ? '-' : '+';
            if (*digits == '+' || *digits == '-')
                ++digits;
            size_t count = strlen(digits);
            while (count > 3 && *digits == '0') {
                ++digits;
                --count;
            }
            text[length++] = 'e';
            text[length++] = exponentSign;
            for (size_t pad = count; pad < 3; ++pad)
                text[length++] = '0';
            memcpy(text + length, digits, count);
            length += count;
        }
    }
    // Right-align, then the blank; the result always fits the caller's 64 bytes.
    const size_t padding = length < static_cast<size_t>(width) ? width - length : 0;
    memset(buffer, ' ', padding);
    memcpy(buffer + padding, text, length);
    buffer[padding + length] = ' ';
    buffer[padding + length + 1] = '\0';
}

void FormatWithPrefix(char* buffer, double x, bool sign) {
    const double b = fabs(x);
    if (b == 0) {
        FormatText(buffer, kValueBufferSize, sign ? "%+0.*f " : "%0.*f ", DecimalsFor(x), x);
        return;
    }
    for (const PrefixRow& row : kLadder) {
        if (b < row.bound) {
            const double y = row.divisor == 1 ? x : x / row.divisor;
            FormatText(buffer, kValueBufferSize, sign ? "%+0.*f %s" : "%0.*f %s", DecimalsFor(y), y,
                       row.prefix);
            return;
        }
    }
    // Beyond the ladder (1e18 and more, infinity, not a number) the exponent form still reads.
    FormatExponentText(buffer, x, sign, 0);
}

} // namespace

void FormatSI(char* buffer, double x) {
    FormatWithPrefix(buffer, x, false);
}
void FormatSignedSI(char* buffer, double x) {
    FormatWithPrefix(buffer, x, true);
}
void FormatExponent(char* buffer, double x) {
    FormatExponentText(buffer, x, false, 11);
}
void FormatSignedExponent(char* buffer, double x) {
    FormatExponentText(buffer, x, true, 11);
}

void FormatValue(char* buffer, double x, Notation notation) {
    if (notation == EXP)
        FormatExponent(buffer, x);
    else
        FormatSI(buffer, x);
}

void FormatSignedValue(char* buffer, double x, Notation notation) {
    if (notation == EXP)
        FormatSignedExponent(buffer, x);
    else
        FormatSignedSI(buffer, x);
}
