// Reading a field book from its text (decoded to UTF-8 by the caller): the CSV book and Leica's
// GSI-8 and GSI-16 records.
//
// CSV: one pointing a line, in observing order,
//   测站,仪器高,照准点,觇标高,测回,盘位,水平度盘读数,竖盘读数,斜距
// heights and distances in metres, 盘位 左/右 (or L/R), readings ddd.mmss (a zenith reading: 90°
// horizontal, face right near 270°); the vertical reading and the distance may be empty. Lines
// starting with "#" are comments, a first line starting with 测站 is the caption.
//
// GSI: a line is a block of words, each WI (2 digits) + 4 information characters + sign + 8
// (GSI-8) or 16 (GSI-16, the line starting with "*") data characters + a blank. Words read: 11
// point number, 21 horizontal reading, 22 vertical reading, 31 slope distance, 32 horizontal
// distance, 33 height difference, 87 target height, 88 instrument height; the last information
// character is the unit (angles 2 = gon ×1e-5, 3 = degrees ×1e-5, 4 = ddd mm ss and tenths;
// distances 0 = mm, 6 = 0.1 mm, 8 = 0.01 mm). A line with word 88 and no 21 sets up a station
// (its word 11 names it); the face is right where the vertical reading passes 180° (200 gon); a
// round ends where the face turns from right back to left, or where face left has come back to
// the station's first target and goes on with face left.
//
// Both throw Error naming the line: "第 12 行: …".
#pragma once

#include "FieldBook.h"

#include <string_view>

namespace quorvil::fieldbook {

FieldBook ParseCsvBook(std::string_view text);
FieldBook ParseGsiBook(std::string_view text);

// True when the first line that is not blank reads as GSI words (a "*" or two digits and four
// information characters followed by a sign).
bool LooksLikeGsi(std::string_view text);

// Either form, recognised by content.
FieldBook ParseFieldBook(std::string_view text);

// A packed reading ddd.mmss in degrees; nullopt for a text that is not one (minutes or seconds of
// 60 and more, letters, a sign).
std::optional<Real> ParseReading(std::string_view text);

} // namespace quorvil::fieldbook
