#pragma once
// Number and text rules shared by every module: how numbers are read from text,
// rounded and written back. Nothing else in the program parses or prints numbers
// for files, lists or captions.
#include <QString>

namespace numrules {

// Reads the leading numeric part of a text the lenient way: leading blanks skipped,
// optional sign, digits with at most one "." and an optional exponent; reading stops
// at the first other character. No number at all, or one beyond the double range, is 0.
double leadingNumber(const QString& text);

// Rounds to the nearest integer, halves to even.
double roundHalfEven(double value);

// Rounds halves to even and clamps into the 64-bit range (NaN gives 0).
qint64 toInteger(double value);

// Decimal with at least three digits, zero-padded on the left ("000" format): 7 -> "007",
// -5 -> "-005", 1234 -> "1234".
QString format000(qint64 value);

// A single-precision value written with at most seven significant digits, no trailing
// zeros, no grouping, no exponent, "." as the decimal point: 21.0f -> "21", 14.85f -> "14.85".
// Infinities and NaN, which no field can hold, are written as "0".
QString formatSingle(float value);

// The same for a double-precision value, with at most fifteen significant digits.
QString formatDouble(double value);

// Whole number with "," every three digits: 1920 -> "1,920".
QString formatThousands(qint64 value);

} // namespace numrules
