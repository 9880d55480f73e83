// Any double, in both notations, signed and unsigned: the text fits the 64-byte buffer, has the
// shape the display relies on, and reads back as the number to four significant digits.
#include "fuzz/fuzz_checks.h"
#include "fuzz/fuzz_support.h"

#include "display/number_format.h"

#include <cmath>
#include <cstring>
#include <memory>

namespace fuzz {
namespace {

struct Prefix {
    const char* text;
    double factor;
};

const Prefix kPrefixes[] = {{"n", 1e-9}, {"\xB5", 1e-6}, {"m", 1e-3}, {"k", 1e3}, {"M", 1e6},
                            {"G", 1e9},  {"T", 1e12},    {"P", 1e15}, {"", 1.0}};

// Within what four significant digits (or three decimals of the smallest prefix) allow.
// Within what four significant digits (or three decimals of the smallest prefix) allow.
bool ReadsBackAs(double shown, double x) {
    const double allowed = std::fmax(5.001e-4 * std::fabs(x), 5.001e-13);
    return std::fabs(shown - x) <= allowed;
}

// The exponent form read back by its mantissa: x brought to the mantissa's scale must match it
// to half a unit of its last digit. (The largest doubles round up to a text beyond them, so the
// text as a whole may not read back as a double.)
bool MantissaReadsBackAs(const std::string& number, double x) {
    const size_t e = number.find('e');
    const double mantissa = std::strtod(number.substr(0, e).c_str(), nullptr);
    const int exponent = std::atoi(number.c_str() + e + 1);
    // In two steps, so that neither power of ten leaves the range of a double.
    const double scaled =
        x * std::pow(10.0, -(exponent / 2)) * std::pow(10.0, -(exponent - exponent / 2));
    return std::fabs(scaled - mantissa) <= 5.001e-4 * std::fmax(std::fabs(mantissa), 1.0);
}

// "%11.3e " with a three-digit exponent: [blanks][sign]d.ddde±ddd and one blank.
void CheckExponentText(const char* text, double x, bool sign, bool padded) {
    const std::string t = text;
    Check(!t.empty() && t.back() == ' ', "exponent text does not end in a blank", t);
    const std::string body = t.substr(t.find_first_not_of(' '), std::string::npos);
    const std::string number = body.substr(0, body.size() - 1);
    if (padded)
        Check(t.size() >= 12, "exponent text narrower than its field", t);
    if (std::isnan(x)) {
        Check(number == "nan", "not a number shown otherwise", t);
        return;
    }
    if (std::isinf(x)) {
        Check(number == (x < 0 ? "-inf" : sign ? "+inf" : "inf"), "infinity shown otherwise", t);
        return;
    }
    size_t at = 0;
    if (sign || std::signbit(x)) {
        Check(number[0] == (std::signbit(x) ? '-' : '+'), "sign missing", t);
        at = 1;
    }
    Check(number.size() == at + 10, "exponent text of the wrong length", t);
    Check(std::isdigit(static_cast<unsigned char>(number[at])) && number[at + 1] == '.' &&
              number[at + 5] == 'e' && (number[at + 6] == '+' || number[at + 6] == '-'),
          "exponent text of the wrong shape", t);
    for (size_t i : {at + 2, at + 3, at + 4, at + 7, at + 8, at + 9})
        Check(std::isdigit(static_cast<unsigned char>(number[i])), "non-digit in exponent text", t);
    Check(MantissaReadsBackAs(number, x), "exponent text reads back wrong", t);
}

void CheckPrefixText(const char* text, double x, bool sign) {
    const std::string t = text;
    if (!std::isfinite(x) || std::fabs(x) >= 1e18) {
        CheckExponentText(text, x, sign, false);
        return;
    }
    const size_t blank = t.find(' ');
    Check(blank != std::string::npos && blank > 0, "prefix text without a blank", t);
    const std::string number = t.substr(0, blank);
    const std::string prefix = t.substr(blank + 1);
    const Prefix* found = nullptr;
    for (const Prefix& p : kPrefixes)
        if (prefix == p.text)
            found = &p;
    Check(found != nullptr, "unknown prefix", t);
    if (sign)
        Check(number[0] == '+' || number[0] == '-', "sign missing", t);
    char* end = nullptr;
    const double shown = std::strtod(number.c_str(), &end);
    Check(*end == '\0', "prefix text's number does not read", t);
    Check(ReadsBackAs(shown * found->factor, x), "prefix text reads back wrong", t);
    // Four significant digits: the number before the prefix has at most three decimals.
    const size_t point = number.find('.');
    Check(point != std::string::npos && number.size() - point - 1 <= 3,
          "prefix text with more than three decimals", t);
}

void CheckAll(double x) {
    const int decimals = DecimalsFor(x);
    Check(decimals >= 0 && decimals <= 3, "decimals outside 0 … 3");
    // Exactly the size the formatters are promised, on the heap, so any overrun is caught.
    std::unique_ptr<char[]> buffer(new char[kValueBufferSize]);
    char* b = buffer.get();
    const struct {
        void (*format)(char*, double);
        bool exponent, sign;
    } forms[] = {{FormatSI, false, false},
                 {FormatSignedSI, false, true},
                 {FormatExponent, true, false},
                 {FormatSignedExponent, true, true}};
    for (const auto& form : forms) {
        std::memset(b, 'Z', kValueBufferSize);
        form.format(b, x);
        Check(std::memchr(b, '\0', kValueBufferSize) != nullptr, "text not terminated");
        if (form.exponent)
            CheckExponentText(b, x, form.sign, true);
        else
            CheckPrefixText(b, x, form.sign);
    }
}

} // namespace

void CheckNumberFormat(const uint8_t* data, size_t size) {
    if (size >= sizeof(double)) {
        double x;
        std::memcpy(&x, data, sizeof x);
        CheckAll(x);
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckAll(std::strtod(text.c_str(), nullptr));
}

} // namespace fuzz
