// Four significant digits with an SI prefix, or in exponent form with three exponent digits.
#include "display/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

std::string Si(double x) {
    char b[kValueBufferSize];
    FormatSI(b, x);
    return b;
}
std::string SignedSi(double x) {
    char b[kValueBufferSize];
    FormatSignedSI(b, x);
    return b;
}
std::string Exp(double x) {
    char b[kValueBufferSize];
    FormatExponent(b, x);
    return b;
}
std::string SignedExp(double x) {
    char b[kValueBufferSize];
    FormatSignedExponent(b, x);
    return b;
}

struct FormatCase {
    double x;
    const char* si;
    const char* signedSi;
    const char* exp;
    const char* signedExp;
};

const FormatCase kCases[] = {
    {0, "0.000 ", "+0.000 ", " 0.000e+000 ", "+0.000e+000 "},
    {5, "5.000 ", "+5.000 ", " 5.000e+000 ", "+5.000e+000 "},
    {42, "42.00 ", "+42.00 ", " 4.200e+001 ", "+4.200e+001 "},
    {123.4, "123.4 ", "+123.4 ", " 1.234e+002 ", "+1.234e+002 "},
    {999.95, "1000.0 ", "+1000.0 ", " 1.000e+003 ", "+1.000e+003 "},
    {1000, "1.000 k", "+1.000 k", " 1.000e+003 ", "+1.000e+003 "},
    {65432.1, "65.43 k", "+65.43 k", " 6.543e+004 ", "+6.543e+004 "},
    {1.5e6, "1.500 M", "+1.500 M", " 1.500e+006 ", "+1.500e+006 "},
    {2.5e9, "2.500 G", "+2.500 G", " 2.500e+009 ", "+2.500e+009 "},
    {3.25e12, "3.250 T", "+3.250 T", " 3.250e+012 ", "+3.250e+012 "},
    {9.99e17, "999.0 P", "+999.0 P", " 9.990e+017 ", "+9.990e+017 "},
    {0.5, "500.0 m", "+500.0 m", " 5.000e-001 ", "+5.000e-001 "},
    {1e-3, "1.000 m", "+1.000 m", " 1.000e-003 ", "+1.000e-003 "},
    {1e-6, "1.000 \xB5", "+1.000 \xB5", " 1.000e-006 ", "+1.000e-006 "},
    {4.2e-6, "4.200 \xB5", "+4.200 \xB5", " 4.200e-006 ", "+4.200e-006 "},
    {3.3e-8, "33.00 n", "+33.00 n", " 3.300e-008 ", "+3.300e-008 "},
    {1e-7, "100.00 n", "+100.00 n", " 1.000e-007 ", "+1.000e-007 "},
    {2e-7, "200.0 n", "+200.0 n", " 2.000e-007 ", "+2.000e-007 "},
    {5e-12, "0.005 n", "+0.005 n", " 5.000e-012 ", "+5.000e-012 "},
    {1e-13, "0.000 n", "+0.000 n", " 1.000e-013 ", "+1.000e-013 "},
    {-2.5e6, "-2.500 M", "-2.500 M", "-2.500e+006 ", "-2.500e+006 "},
    {-0.5, "-500.0 m", "-500.0 m", "-5.000e-001 ", "-5.000e-001 "},
    {-1000, "-1.000 k", "-1.000 k", "-1.000e+003 ", "-1.000e+003 "},
    {1.234e-100, "0.000 n", "+0.000 n", " 1.234e-100 ", "+1.234e-100 "},
};

TEST(NumberFormat, EveryRowOfTheLadderInBothNotationsAndSigns) {
    for (const FormatCase& c : kCases) {
        EXPECT_EQ(Si(c.x), c.si) << c.x;
        EXPECT_EQ(SignedSi(c.x), c.signedSi) << c.x;
        EXPECT_EQ(Exp(c.x), c.exp) << c.x;
        EXPECT_EQ(SignedExp(c.x), c.signedExp) << c.x;
    }
}

TEST(NumberFormat, ExponentFormIsAlwaysTwelveCharactersForFiniteNumbers) {
    for (double x : {0.0, 1.0, -1.0, 1e300, -1e-300, 6.02e23, 4.9e-324, 1.7976931348623157e308}) {
        EXPECT_EQ(Exp(x).size(), 12u) << x;
        EXPECT_EQ(SignedExp(x).size(), 12u) << x;
    }
    EXPECT_EQ(Exp(1e300), " 1.000e+300 ");
    EXPECT_EQ(SignedExp(-1e-300), "-1.000e-300 ");
}

TEST(NumberFormat, DecimalsGiveFourSignificantDigits) {
    const struct {
        double x;
        int decimals;
    } cases[] = {{0, 3},   {0.001, 3}, {9.99, 3}, {10, 2},  {99.9, 2},
                 {100, 1}, {999.9, 1}, {1000, 0}, {-42, 2}, {1e9, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(DecimalsFor(c.x), c.decimals) << c.x;
}

// Beyond the ladder and for values without a magnitude, every form writes a defined short text.
TEST(NumberFormat, HugeInfiniteAndUndefinedValuesWriteADefinedText) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Si(1e18), "1.000e+018 ");
    EXPECT_EQ(SignedSi(2.5e20), "+2.500e+020 ");
    EXPECT_EQ(Si(-1e18), "-1.000e+018 ");
    EXPECT_EQ(Si(inf), "inf ");
    EXPECT_EQ(Si(-inf), "-inf ");
    EXPECT_EQ(SignedSi(inf), "+inf ");
    EXPECT_EQ(Si(nan), "nan ");
    EXPECT_EQ(Exp(inf), "        inf ");
    EXPECT_EQ(SignedExp(inf), "       +inf ");
    EXPECT_EQ(Exp(-inf), "       -inf ");
    EXPECT_EQ(Exp(nan), "        nan ");
    // A buffer that held something before is always overwritten.
    char b[kValueBufferSize] = "stale";
    FormatSI(b, nan);
    EXPECT_STREQ(b, "nan ");
}

TEST(NumberFormat, NegativeZeroKeepsItsSign) {
    EXPECT_EQ(SignedSi(-0.0), "-0.000 ");
    EXPECT_EQ(Si(-0.0), "-0.000 ");
}

} // namespace
