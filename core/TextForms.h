// Angles, numbers and their text forms.
//
// These routines are the only way numbers pass between text and computation. They work on Real
// and never depend on the C locale: std::to_chars / std::from_chars always use ".".
#pragma once

#include "Real.h"

#include <string>
#include <string_view>

namespace quorvil {

// Packed sexagesimal angle ddd.mmss to decimal degrees. The digits are taken from the text of the
// number with 16 decimals (at most 19 significant digits), so a typed 30.1 is exactly 10 minutes.
// Minutes or seconds of 60 or more are accepted.
Real DmsToDeg(Real packed);

// Decimal degrees to packed ddd.mmss, truncating; no carry is made, so 60 seconds can appear.
Real DegToDms(Real degrees);

// Decimal degrees as ddd°mm′ss.ss″ with `secondDecimals` decimals of the seconds; degrees right
// aligned in three characters; no carry.
std::string DmsText(unsigned char secondDecimals, Real degrees);

// The text without the blanks (spaces, tabs, line ends and other control characters) at either end.
std::string_view Trimmed(std::string_view text);

// Cell text to number: trimmed, empty text is 0. Throws ConversionError on anything that is not a
// plain decimal number (no inf, nan, hexadecimal or comma decimals).
Real TextToNumber(std::string_view text);

// TextToNumber for a field that must be filled in: a blank text is a ConversionError too.
Real StrictTextToNumber(std::string_view text);

// Number to fixed-point text with `decimals` decimals (0 gives no point), rounded to nearest.
std::string NumberToText(int decimals, Real value);

// NumberToText without the trailing zeros of the decimals, and without a point that has none
// left: at most `decimals` decimals ("1640.016", "12"). A value that rounds to zero is "0".
std::string TrimmedNumberText(int decimals, Real value);

// Shortest general decimal text with up to 15 significant digits, no trailing zeros and no
// point for a whole number; scientific form (1.5E-6) below 1e-5 or above 15 integer digits.
std::string GeneralText(Real value);

// Nearest whole number, exact halves to the even neighbour.
Real RoundHalfEven(Real value);

// Grid bearing from (x1, y1) to (x2, y2), x northing, y easting: radians in [0, 2π), clockwise
// from north. Two coincident points raise "Invalid floating point operation".
Real Azimuth(Real x1, Real y1, Real x2, Real y2);

} // namespace quorvil
