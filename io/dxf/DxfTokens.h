// The group code / value pairs of a DXF file, as the reader splits them and the reader and writer
// judge them: which codes hold numbers, texts and references to other records, and which numbers
// are sound.
#pragma once

#include <QByteArray>

#include <cmath>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace quorvil::dxf {

// Coordinates beyond this are taken as corrupt: no survey drawing comes near it, and DXF writers
// print numbers in fixed notation.
constexpr double CoordinateLimit = 1e12;

inline bool Sane(double v) { return std::isfinite(v) && std::fabs(v) <= CoordinateLimit; }

struct Pair {
    int code;
    std::string_view value;
    bool hidden = false; // not shown to dxflib (the embedded object of an MTEXT or ATTRIB), kept in raw records
};

inline std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

// Splits the bytes into group code / value pairs. Stops at the end marker (0 EOF: what follows,
// the Ctrl-Z of older programs or any trailing text, is not part of the drawing) or at the first
// code line that is not a group code (a corrupt or cut file is read up to there).
std::vector<Pair> Tokenize(const QByteArray &bytes, bool &clean, bool &cutAtRecordStart);

// Group codes of floating-point values.
inline bool IsRealCode(int code)
{
    return (code >= 10 && code <= 59) || (code >= 110 && code <= 149) || (code >= 210 && code <= 239) ||
           (code >= 460 && code <= 469) || (code >= 1010 && code <= 1059);
}

// Whether dxflib reads the value as the number it says (it takes a decimal comma for a point).
bool IsNumber(std::string_view value);

// A number of the file, `fallback` when it is none (a decimal comma is taken for a point).
double RealOf(std::string_view value, double fallback);

// Group codes of handles that point to other records (soft and hard pointers and owners).
inline bool IsReferenceCode(int code) { return (code >= 320 && code <= 369) || (code >= 390 && code <= 399) || code == 480 || code == 481; }

// Group codes of text values (names, strings, handles).
inline bool IsTextCode(int code)
{
    return (code >= 1 && code <= 9) || code == 100 || code == 102 || (code >= 300 && code <= 309) ||
           (code >= 410 && code <= 419) || (code >= 430 && code <= 439) || (code >= 470 && code <= 479) ||
           code == 999 || (code >= 1000 && code <= 1009);
}

// Counts announced by an entity before its data (vertex, knot, control point counts) are held to
// what the entity really carries: dxflib sizes its arrays from them. The values put in their place
// are kept in `storage`.
void HoldCountsToContent(std::vector<Pair> &pairs, std::deque<std::string> &storage);

} // namespace quorvil::dxf
