// Numbers of the 1:10,000 map sheets in the two national numberings.
//
// Positions are arc seconds of longitude (east) and latitude. Both numberings start from the
// 1:1,000,000 sheet of 6° × 4° (row letter A to V from the equator, column 1 to 60 from 180° W).
// The new numbering divides it into 96 × 96 sheets of 3′45″ × 2′30″ counted from the north-west
// corner ("I50G048001"); the old one into 144 sheets of 1:100,000 (30′ × 20′) and each of these
// into 64 sheets of 1:10,000 ("I-50-61-(57)").
//
// Longitudes are taken modulo 360°, so the western hemisphere (typed as negative degrees or as
// degrees beyond 180) finds its proper column; only latitudes from the equator to 88° N, the rows
// A to V, have sheet numbers here.
#pragma once

#include "Real.h"

#include <array>
#include <string>
#include <string_view>

namespace quorvil {

enum class SheetNumbering { New, Old };

struct SheetPoint {
    Real lambda = 0; // longitude east, arc seconds
    Real phi = 0;    // latitude north, arc seconds
};

// Sizes of the sheets, arc seconds.
inline constexpr int MillionSheetWidth = 21600;  // 6°
inline constexpr int MillionSheetHeight = 14400; // 4°
inline constexpr int SheetWidth = 225;           // 3′45″, the 1:10,000 sheet
inline constexpr int SheetHeight = 150;          // 2′30″
inline constexpr int NumberedRows = 22;          // A to V: up to 88° N

// A typed packed angle ddd.mmss as arc seconds, digit by digit (degrees, then the first two
// decimals as minutes, the rest as seconds), plus 0.0000001″ so that a point on a sheet corner
// falls into the sheet north-east of it.
Real PackedAngleSeconds(Real packed);

// The number of the sheet holding the point. Throws Error with the reason when the latitude is
// south of the equator or beyond 88° N.
std::string SheetNumber(SheetNumbering numbering, const SheetPoint &point);

// The sheet holding the point and its eight neighbours in reading order: north-west, north,
// north-east, west, centre, east, south-west, south, south-east. A neighbour beyond the numbered
// rows (south of the equator, north of 88°) is an empty text. Throws Error as SheetNumber for the
// centre.
std::array<std::string, 9> SheetNeighbourhood(SheetNumbering numbering, const SheetPoint &point);

// The south-west corner of a typed sheet number plus one second, the point that stands for the
// sheet. Leading and trailing blanks are ignored; letters may be small. Throws Error saying what
// is expected when the text is not a sheet number of that numbering.
SheetPoint SheetPosition(SheetNumbering numbering, std::string_view number);

} // namespace quorvil
