// Reference ellipsoids: the preset table of the ellipsoid lists and the derived quantities.
//
// The ellipsoid is always passed to the routines that need it; nothing is program-wide state.
#pragma once

#include "Real.h"

#include <array>
#include <string_view>

namespace quorvil {

struct Ellipsoid {
    Real a = 0; // semi-major axis, metres
    Real b = 0; // semi-minor axis, metres

    Real e2() const { return (a * a - b * b) / (a * a); }   // first eccentricity squared
    Real ep2() const { return (a * a - b * b) / (b * b); }  // second eccentricity squared
    // Radius of curvature in the prime vertical at latitude phi (radians).
    Real N(Real phi) const;
};

// One entry of the ellipsoid list. The texts are written into the a and b fields exactly as they
// stand here; "自定义" (custom) has none and leaves the fields as they are.
struct EllipsoidPreset {
    std::string_view caption;
    std::string_view aText;
    std::string_view bText;
};

inline constexpr int CustomEllipsoidIndex = 4;

inline constexpr std::array<EllipsoidPreset, 5> EllipsoidPresets{{
    {"北京54--克拉索夫斯基椭球", "6378245.0000000000", "6356863.0187730473"},
    {"国家80--1975年国际椭球", "6378140.0000000000", "6356755.2881575287"},
    {"2000国家大地坐标系", "6378137.0000000000", "6356752.3141403558478521068615295"},
    {"世界坐标系--WGS84椭球", "6378137.0000000000", "6356752.3142451795"},
    {"自定义", "", ""},
}};

// The shorter list of the drawing annotation and map-sheet tools: no 2000 system; "自定义" is the
// fourth entry there.
inline constexpr std::array<EllipsoidPreset, 4> DrawingEllipsoidPresets{{
    EllipsoidPresets[0], EllipsoidPresets[1], EllipsoidPresets[3], EllipsoidPresets[4]}};

} // namespace quorvil
