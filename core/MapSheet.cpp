#include "MapSheet.h"

#include "Error.h"
#include "TextForms.h"

#include <cmath>
#include <cstdio>

namespace quorvil {

namespace {

constexpr long long FullCircle = 360LL * 3600; // arc seconds
constexpr int Columns = 60;                      // 1:1,000,000 columns round the globe
constexpr int ColumnAtGreenwich = 31;            // the column east of 0°

// New numbering: 96 × 96 sheets to a 1:1,000,000 sheet.
constexpr int NewDivisions = 96;
// Old numbering: 12 × 12 sheets of 1:100,000, each of 8 × 8 sheets of 1:10,000.
constexpr int HundredThousandWidth = 1800;  // 30′
constexpr int HundredThousandHeight = 1200; // 20′
constexpr int OldDivisions = 12;
constexpr int TenThousandDivisions = 8;

// The 1:1,000,000 sheet of a point: row (1 = A), column (1 to 60) and its south-west corner.
struct MillionSheet {
    int row = 0;
    int column = 0;
    long long south = 0; // arc seconds
    long long west = 0;  // arc seconds, east of Greenwich, 0 to 360°
};

// The point with its longitude brought into [0°, 360°).
SheetPoint Normalised(const SheetPoint &point)
{
    Real lambda = std::fmod(point.lambda, Real(FullCircle));
    if (lambda < 0)
        lambda += FullCircle;
    if (lambda >= FullCircle) // -tiny + 360° rounds up to 360°
        lambda = 0;
    return {lambda, point.phi};
}

bool Numbered(Real phi)
{
    return phi >= 0 && phi < Real(NumberedRows) * MillionSheetHeight;
}

MillionSheet MillionSheetOf(const SheetPoint &point)
{
    if (point.phi < 0)
        throw Error("点位于赤道以南，没有图幅编号！");
    if (!Numbered(point.phi))
        throw Error("纬度超出图幅编号的范围（北纬0°～88°）！");
    MillionSheet sheet;
    sheet.row = static_cast<int>(std::floor(point.phi / MillionSheetHeight)) + 1;
    const int fromGreenwich = static_cast<int>(std::floor(point.lambda / MillionSheetWidth)); // 0 to 59
    sheet.column = fromGreenwich + ColumnAtGreenwich;
    if (sheet.column > Columns)
        sheet.column -= Columns;
    sheet.south = static_cast<long long>(sheet.row - 1) * MillionSheetHeight;
    sheet.west = static_cast<long long>(fromGreenwich) * MillionSheetWidth;
    return sheet;
}

int Whole(Real value) { return static_cast<int>(std::floor(value)); }

std::string NewNumber(const MillionSheet &sheet, const SheetPoint &point)
{
    const int i = Whole((point.phi - sheet.south) / SheetHeight);
    const int j = Whole((point.lambda - sheet.west) / SheetWidth);
    char text[64];
    std::snprintf(text, sizeof text, "%c%dG%03d%03d", 'A' + sheet.row - 1, sheet.column, NewDivisions - i, j + 1);
    return text;
}

std::string OldNumber(const MillionSheet &sheet, const SheetPoint &point)
{
    const int i = Whole((point.phi - sheet.south) / HundredThousandHeight);
    const int j = Whole((point.lambda - sheet.west) / HundredThousandWidth);
    // 1:100,000 sheets are counted row by row from the north-west corner.
    const int n = OldDivisions * (OldDivisions - 1) + 1 + j - OldDivisions * i;
    const Real south = sheet.south + Real(HundredThousandHeight) * i;
    const Real west = sheet.west + Real(HundredThousandWidth) * j;
    const int u = Whole((point.phi - south) / SheetHeight);
    const int v = Whole((point.lambda - west) / SheetWidth);
    const int k = TenThousandDivisions * (TenThousandDivisions - 1) + 1 + v - TenThousandDivisions * u;
    char text[64];
    std::snprintf(text, sizeof text, "%c-%d-%d-(%d)", 'A' + sheet.row - 1, sheet.column, n, k);
    return text;
}

// A small reader of the typed sheet number.
bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

class Reader {
public:
    explicit Reader(std::string_view text) : m_text(text) {}

    bool atEnd() const { return m_pos == m_text.size(); }

    bool letter(int *row)
    {
        if (atEnd() || !IsAsciiLetter(m_text[m_pos]))
            return false;
        *row = AsciiUpper(m_text[m_pos++]) - 'A' + 1;
        return true;
    }

    bool symbol(char wanted)
    {
        if (atEnd() || AsciiUpper(m_text[m_pos]) != wanted)
            return false;
        ++m_pos;
        return true;
    }

    // Between `least` and `most` decimal digits.
    bool digits(std::size_t least, std::size_t most, int *value)
    {
        std::size_t count = 0;
        int v = 0;
        while (!atEnd() && count < most && m_text[m_pos] >= '0' && m_text[m_pos] <= '9') {
            v = v * 10 + (m_text[m_pos++] - '0');
            ++count;
        }
        *value = v;
        return count >= least;
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

bool InRange(int value, int least, int most) { return value >= least && value <= most; }

} // namespace

Real PackedAngleSeconds(Real packed)
{
    const Real degrees = std::trunc(packed);
    const Real minutes = std::trunc((packed - degrees) * 100);
    const Real hundredfold = packed * 100;
    const Real seconds = (hundredfold - std::trunc(hundredfold)) * 100;
    // Nudges a point on a sheet corner into the sheet to its north-east.
    constexpr Real CornerNudge = 0.0000001L;
    return degrees * 3600 + minutes * 60 + seconds + CornerNudge;
}

std::string SheetNumber(SheetNumbering numbering, const SheetPoint &point)
{
    const SheetPoint p = Normalised(point);
    const MillionSheet sheet = MillionSheetOf(p);
    return numbering == SheetNumbering::New ? NewNumber(sheet, p) : OldNumber(sheet, p);
}

std::array<std::string, 9> SheetNeighbourhood(SheetNumbering numbering, const SheetPoint &point)
{
    std::array<std::string, 9> sheets;
    sheets[4] = SheetNumber(numbering, point);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            if (row == 1 && column == 1)
                continue;
            const SheetPoint neighbour{point.lambda + Real(SheetWidth) * (column - 1),
                                       point.phi - Real(SheetHeight) * (row - 1)};
            if (Numbered(neighbour.phi))
                sheets[static_cast<std::size_t>(row * 3 + column)] = SheetNumber(numbering, neighbour);
        }
    return sheets;
}

SheetPoint SheetPosition(SheetNumbering numbering, std::string_view number)
{
    const std::string_view text = Trimmed(number);
    Reader in(text);
    int row = 0, column = 0;
    const bool head = in.letter(&row) && InRange(row, 1, NumberedRows);

    if (numbering == SheetNumbering::Old) {
        int n = 0, k = 0;
        const bool ok = head && in.symbol('-') && in.digits(1, 2, &column) && in.symbol('-') &&
                        in.digits(1, 3, &n) && in.symbol('-') && in.symbol('(') && in.digits(1, 2, &k) &&
                        in.symbol(')') && in.atEnd() && InRange(column, 1, Columns) &&
                        InRange(n, 1, OldDivisions * OldDivisions) &&
                        InRange(k, 1, TenThousandDivisions * TenThousandDivisions);
        if (!ok)
            throw Error("“" + std::string(text) + "”不是旧图幅标准编号（形如J-50-133-(12)）！");
        const long long south = static_cast<long long>(row - 1) * MillionSheetHeight;
        const long long west = static_cast<long long>(column - ColumnAtGreenwich) * MillionSheetWidth;
        const int g = (n - 1) / OldDivisions;
        const long long south1 = south + static_cast<long long>(OldDivisions - 1 - g) * HundredThousandHeight;
        const long long west1 = west + static_cast<long long>(n - OldDivisions * g - 1) * HundredThousandWidth;
        const int o = (k - 1) / TenThousandDivisions;
        return {Real(west1 + static_cast<long long>(k - TenThousandDivisions * o - 1) * SheetWidth + 1),
                Real(south1 + static_cast<long long>(TenThousandDivisions - 1 - o) * SheetHeight + 1)};
    }

    int i = 0, j = 0;
    const bool ok = head && in.digits(1, 2, &column) && in.symbol('G') && in.digits(3, 3, &i) && in.digits(3, 3, &j) &&
                    in.atEnd() && InRange(column, 1, Columns) && InRange(i, 1, NewDivisions) &&
                    InRange(j, 1, NewDivisions);
    if (!ok)
        throw Error("“" + std::string(text) + "”不是新图幅标准编号（形如J50G090004）！");
    const long long south = static_cast<long long>(row - 1) * MillionSheetHeight;
    const long long west = static_cast<long long>(column - ColumnAtGreenwich) * MillionSheetWidth;
    return {Real(west + static_cast<long long>(j - 1) * SheetWidth + 1),
            Real(south + static_cast<long long>(NewDivisions - i) * SheetHeight + 1)};
}

} // namespace quorvil
