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

// Exponent form built from the C library's "%.3e", with the exponent widened to at least three
// digits: some C libraries print two, the display always shows three.
void FormatExponentText(char* buffer, double x, bool sign, int width) {
    char raw[kValueBufferSize];
    char text[kValueBufferSize];
    if (isnan(x)) {
        FormatText(text, sizeof text, "%s", "nan");
    } else if (isinf(x)) {
        FormatText(text, sizeof text, "%s", x < 0 ? "-inf" : sign ? "+inf" : "inf");
    } else {
        FormatText(raw, sizeof raw, sign ? "%+.3e" : "%.3e", x);
        const char* e = strchr(raw, 'e');
        if (!e) {
            FormatText(text, sizeof text, "%s", raw);
        } else {
            const char exponentSign = e[1] == '-' ? '-' : '+';
            const char* digits = e + 1;
            if (*digits == '+' || *digits == '-')
                ++digits;
            while (*digits == '0' && strlen(digits) > 3)
                ++digits;
            const size_t mantissa = static_cast<size_t>(e - raw);
            FormatText(text, sizeof text, "%.*se%c%s%s", static_cast<int>(mantissa), raw,
                       exponentSign, strlen(digits) < 3 ? (strlen(digits) < 2 ? "00" : "0") : "",
                       digits);
        }
    }
    FormatText(buffer, kValueBufferSize, "%*s ", width, text);
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
