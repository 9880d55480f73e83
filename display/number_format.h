// Numbers as the display shows them: four significant digits, either with an SI prefix letter or
// in exponent form. Every text ends in a blank or in a blank and a prefix, so a unit can follow.
#pragma once

#include "settings/mfd_settings.h"

// Buffers handed to the formatters hold 64 bytes.
const int kValueBufferSize = 64;

int DecimalsFor(double x);
void FormatSI(char* buffer, double x);
void FormatSignedSI(char* buffer, double x);
// "%11.3e " and "%+11.3e ", with at least three exponent digits on every platform.
void FormatExponent(char* buffer, double x);
void FormatSignedExponent(char* buffer, double x);

// In the notation a display's settings choose.
void FormatValue(char* buffer, double x, Notation notation);
void FormatSignedValue(char* buffer, double x, Notation notation);
