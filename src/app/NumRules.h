#pragma once
// Number and text rules shared by every module: how numbers are read from text,
// rounded and written back.
#include <QString>

namespace numrules {

// Reads the leading numeric part of a text the lenient way: leading blanks skipped,
// optional sign, digits with an optional "." fraction and exponent; 0 when none.
double leadingNumber(const QString& text);

// Rounds to the nearest integer, halves to even.
double roundHalfEven(double value);

// Rounds halves to even and clamps into the 64-bit range.
qint64 toInteger(double value);

// Decimal with at least three digits, zero-padded on the left ("000" format).
QString format000(qint64 value);

// A single-precision value written with at most seven significant digits, no
// trailing zeros, no grouping, "." as the decimal point.
QString formatSingle(float value);

} // namespace numrules
