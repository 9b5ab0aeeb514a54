// The axes of a network's coordinates and the frame the adjustment computes in.
//
// The adjustment works in a left-handed frame: N (north) and E (east) in metres, bearings
// clockwise from north. An input's axes (Types.h) are a signed permutation R of that frame,
// [N E]ᵀ = R [x y]ᵀ, so that R⁻¹ = Rᵀ: coordinates go back through Rᵀ and covariances through
// Rᵀ C R. Drawings, tables and reports show north and east whatever the input's axes; a whole
// network and its results are converted here.
#pragma once

#include "Types.h"

#include "core/Real.h"

#include <string>
#include <utility>

namespace quorvil::network {

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

// A network in north/east axes with clockwise angles, as tables, reports and drawings show every
// network: coordinates through R, each observed coordinate to the axis it observes, angles turning
// anticlockwise to the clockwise sense (in [0, 2π)). Standard deviations, sets and roles stay.
Network InNorthEast(const Network &network);
// The same network in other axes and sense of angles: how a file that came in them is written back.
Network InAxes(const Network &network, Axes axes, bool clockwise);
// The results of `network`, adjusted in its own axes, as those of InNorthEast(network).
Result InNorthEast(const Network &network, const Result &result);

// Angles into (−π, π] and [0, 2π).
Real Wrap(Real angle);
Real Normal(Real angle);

} // namespace quorvil::network
