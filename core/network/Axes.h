// The axes of a network's coordinates and the frame the adjustment computes in.
//
// The adjustment works in a left-handed frame: N (north) and E (east) in metres, bearings
// clockwise from north. An input's axes are a signed permutation R of that frame,
// [N E]ᵀ = R [x y]ᵀ, so that R⁻¹ = Rᵀ: coordinates go back through Rᵀ and covariances through
// Rᵀ C R. Drawings, tables and reports show north and east whatever the input's axes.
#pragma once

#include "core/Real.h"

#include <string>
#include <utility>

namespace quorvil::network {

// Orientation of the input's x and y axes, as GNU Gama names them: the first letter is where +x
// points, the second where +y points (n, e, s, w). NE, SW, ES, WN are left-handed, EN, NW, SE, WS
// right-handed systems. Chinese grid coordinates (x north, y east) are NE.
enum class Axes { NE, SW, ES, WN, EN, NW, SE, WS };

// [N E]ᵀ = R [x y]ᵀ.
struct Frame {
    int r00, r01, r10, r11;

    // (N, E) of input coordinates (x, y).
    std::pair<Real, Real> northEast(Real x, Real y) const { return {r00 * x + r01 * y, r10 * x + r11 * y}; }
    // Input coordinates (x, y) of (N, E).
    std::pair<Real, Real> input(Real n, Real e) const { return {r00 * n + r10 * e, r01 * n + r11 * e}; }
    // The covariance of (x, y) from that of (N, E): Rᵀ C R.
    void covarianceToInput(double cnn, double cee, double cne, Real &cxx, Real &cyy, Real &cxy) const
    {
        cxx = r00 * r00 * cnn + r10 * r10 * cee + 2.0 * r00 * r10 * cne;
        cyy = r01 * r01 * cnn + r11 * r11 * cee + 2.0 * r01 * r11 * cne;
        cxy = r00 * r01 * cnn + r10 * r11 * cee + (r00 * r11 + r10 * r01) * cne;
    }
};

Frame FrameOf(Axes axes);

// "ne", "sw", … and back (false for an unknown name).
const char *AxesName(Axes axes);
bool AxesFromName(const std::string &name, Axes &axes);

// A network's plane coordinates as drawing coordinates (east, north).
std::pair<Real, Real> EastNorth(Axes axes, Real x, Real y);
// The bearing (clockwise from north, [0, π)) of the ellipse axis at angle φ from +x towards +y.
Real EllipseBearing(Axes axes, Real phi);

// Angles into (−π, π] and [0, 2π).
Real Wrap(Real angle);
Real Normal(Real angle);

} // namespace quorvil::network
