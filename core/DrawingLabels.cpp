#include "DrawingLabels.h"

#include "Error.h"
#include "GaussKruger.h"
#include "TextForms.h"

#include <algorithm>
#include <cmath>

namespace quorvil {

namespace {

constexpr Real ZoneNumberUnit = 1000000; // the zone number stands in front of the millions
constexpr Real FalseEasting = 500000;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

std::string NextPointName(std::string_view name)
{
    std::size_t start = name.size();
    while (start > 0 && IsDigit(name[start - 1]))
        --start;
    if (start == name.size())
        return std::string(name) + '1';

    // Decimal increment of the digit run, so that no run is too long for it.
    std::string digits(name.substr(start));
    const std::size_t firstSignificant = std::min(digits.find_first_not_of('0'), digits.size() - 1);
    digits.erase(0, firstSignificant);
    std::size_t i = digits.size();
    while (i > 0 && digits[i - 1] == '9')
        digits[--i] = '0';
    if (i == 0)
        digits.insert(digits.begin(), '1');
    else
        ++digits[i - 1];
    return std::string(name.substr(0, start)) + digits;
}

GaussZone ZoneOfEasting(Real Y, int zoneWidth)
{
    const int zones = 360 / zoneWidth;
    if (!(Y >= 0))
        throw Error("Y坐标小于0，点位于投影带原点以西，不能确定带号！");
    const Real number = std::trunc(Y / ZoneNumberUnit);
    if (number > zones)
        throw Error("带号" + GeneralText(number) + "超出" + std::to_string(zoneWidth) + "度带的范围，不能确定中央子午线！");
    GaussZone zone;
    zone.number = static_cast<int>(number);
    zone.centralMeridian = zoneWidth == 6 ? Real(6 * zone.number - 3) : Real(3 * zone.number);
    zone.reducedY = Y - number * ZoneNumberUnit - FalseEasting;
    return zone;
}

int GbkLength(std::string_view utf8)
{
    int bytes = 0;
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80)
            bytes += 1;
        else if ((u & 0xC0) != 0x80) // lead byte of a multi-byte character
            bytes += 2;
    }
    return bytes;
}

GridGeodetic GeodeticOfGrid(const Ellipsoid &ellipsoid, Real X, Real Y, int zoneWidth)
{
    const GaussZone zone = ZoneOfEasting(Y, zoneWidth);
    const LatLon geodetic = GaussInverse(ellipsoid, X, zone.reducedY);
    return {geodetic.B, geodetic.l + zone.centralMeridian};
}

GeographicLabel GeographicLabelOf(const Ellipsoid &ellipsoid, Real X, Real Y, int zoneWidth, int secondDecimals)
{
    const GridGeodetic geodetic = GeodeticOfGrid(ellipsoid, X, Y, zoneWidth);
    GeographicLabel label;
    label.B = geodetic.B;
    label.L = geodetic.L;
    const auto decimals = static_cast<unsigned char>(std::clamp(secondDecimals, 0, 6));
    label.north = "N" + DmsText(decimals, label.B);
    label.east = "E" + DmsText(decimals, label.L);
    label.leaderBytes = std::max(GbkLength(label.north), GbkLength(label.east));
    return label;
}

PlaneLabel PlaneLabelOf(Real drawingX, Real drawingY)
{
    PlaneLabel label;
    label.x = "X=" + NumberToText(3, drawingY);
    label.y = "Y=" + NumberToText(3, drawingX);
    label.length = static_cast<int>(std::max(label.x.size(), label.y.size()));
    return label;
}

} // namespace quorvil
