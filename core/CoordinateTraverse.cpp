#include "CoordinateTraverse.h"

#include "Error.h"
#include "TextForms.h"
#include "Traverse.h"
#include "TraverseSummary.h"

#include <cmath>
#include <cstddef>

namespace quorvil {

namespace {

Real Distance(const CoordinatePoint &p, const CoordinatePoint &q)
{
    return std::sqrt((q.x - p.x) * (q.x - p.x) + (q.y - p.y) * (q.y - p.y));
}

Real MeasuredBearing(const CoordinatePoint &from, const CoordinatePoint &to)
{
    return Azimuth(from.x, from.y, to.x, to.y);
}

// Misclosures at C from the running coordinates, then the corrections in proportion to the leg
// lengths and the adjusted stations chained from B. `legs` carry their raw increments.
void CloseOnC(const CoordinatePoint &b, const CoordinatePoint &knownC, Real runningX, Real runningY,
              Real runningH, CoordinateTraverseResult &r)
{
    r.fx = runningX - knownC.x;
    r.fy = runningY - knownC.y;
    r.fs = std::sqrt(r.fx * r.fx + r.fy * r.fy);
    r.fh = runningH - knownC.h;

    CoordinatePoint p = b;
    r.adjusted.clear();
    r.adjusted.reserve(r.legs.size());
    for (CoordinateLeg &leg : r.legs) {
        leg.vx = -r.fx * leg.length / r.totalLength;
        leg.vy = -r.fy * leg.length / r.totalLength;
        leg.vh = -r.fh * leg.length / r.totalLength;
        p.x += leg.dx + leg.vx;
        p.y += leg.dy + leg.vy;
        p.h += leg.dh + leg.vh;
        r.adjusted.push_back(p);
    }
}

} // namespace

CoordinateTraverseResult AdjustCoordinateConnecting(const CoordinateConnectingInput &in)
{
    if (in.measured.size() < 2)
        throw Error(CoordinateConnectingTooFewText);
    const std::size_t n = in.measured.size(); // legs B→P1 … →C, and C→D
    CoordinateTraverseResult r;
    r.startBearing = MeasuredBearing(in.a, in.b);
    const Real knownClosing = MeasuredBearing(in.c, in.d);

    // Measured bearings and lengths, point 0 being the known B.
    auto station = [&](std::size_t k) -> const CoordinatePoint & { return k == 0 ? in.b : in.measured[k - 1]; };
    std::vector<Real> bearing(n + 1), length(n + 1);
    for (std::size_t k = 1; k <= n; ++k) {
        bearing[k] = MeasuredBearing(station(k - 1), station(k));
        if (k < n)
            length[k] = Distance(station(k - 1), station(k));
    }
    r.closingBearing = bearing[n];

    // Bearing misclosure on C→D, taken the short way round, shared equally over the n legs.
    r.fb = bearing[n] - knownClosing;
    if (r.fb < -Pi)
        r.fb += TwoPi;
    else if (r.fb > Pi)
        r.fb -= TwoPi;
    r.vb = -r.fb / static_cast<Real>(n);

    // Increments on the corrected bearings; heights from the measured heights, B's known.
    r.legs.resize(n - 1);
    Real x = in.b.x, y = in.b.y;
    for (std::size_t k = 1; k < n; ++k) {
        CoordinateLeg &leg = r.legs[k - 1];
        leg.bearing = NormalBearing(bearing[k] + static_cast<Real>(k) * r.vb);
        leg.length = length[k];
        leg.dx = leg.length * std::cos(leg.bearing);
        leg.dy = leg.length * std::sin(leg.bearing);
        leg.dh = station(k).h - station(k - 1).h;
        x += leg.dx;
        y += leg.dy;
        r.totalLength += leg.length;
    }
    // The closing leg C→D carries its measured bearing and no increments.
    CoordinateLeg closing;
    closing.bearing = bearing[n];

    CloseOnC(in.b, in.c, x, y, in.measured[n - 2].h, r);
    r.legs.push_back(closing);
    return r;
}

CoordinateTraverseResult AdjustCoordinateSingleSide(const CoordinateSingleSideInput &in)
{
    if (in.measured.empty())
        throw Error(CoordinateSingleSideTooFewText);
    const std::size_t n = in.measured.size();
    CoordinateTraverseResult r;
    r.startBearing = MeasuredBearing(in.a, in.b);

    auto station = [&](std::size_t k) -> const CoordinatePoint & { return k == 0 ? in.b : in.measured[k - 1]; };
    r.legs.resize(n);
    for (std::size_t k = 1; k <= n; ++k) {
        CoordinateLeg &leg = r.legs[k - 1];
        leg.dx = station(k).x - station(k - 1).x;
        leg.dy = station(k).y - station(k - 1).y;
        leg.dh = station(k).h - station(k - 1).h;
        leg.length = std::sqrt(leg.dx * leg.dx + leg.dy * leg.dy);
        leg.bearing = MeasuredBearing(station(k - 1), station(k));
        r.totalLength += leg.length;
    }
    // The misclosure is the measured C against the known C: the traverse is not turned.
    const CoordinatePoint &measuredC = in.measured.back();
    CloseOnC(in.b, in.c, measuredC.x, measuredC.y, measuredC.h, r);
    return r;
}

CoordinateTraverseResult AdjustCoordinateNoOrientation(const CoordinateNoOrientationInput &in)
{
    if (in.measured.size() < 2)
        throw Error(CoordinateNoOrientationTooFewText);
    const CoordinatePoint &first = in.measured.front();
    const CoordinatePoint &last = in.measured.back();
    if ((in.b.x == in.c.x && in.b.y == in.c.y) || (first.x == last.x && first.y == last.y))
        throw Error(CoordinateNoOrientationCoincidentText);

    CoordinateTraverseResult r;
    // Turning angle from the measuring frame onto the known one, in (0, 2π]: a zero turn is
    // taken as a full turn, which moves no leg.
    r.turn = MeasuredBearing(in.b, in.c) - MeasuredBearing(first, last);
    if (r.turn >= TwoPi)
        r.turn -= TwoPi;
    if (r.turn <= 0)
        r.turn += TwoPi;

    const std::size_t legs = in.measured.size() - 1;
    r.legs.resize(legs);
    Real sumX = 0, sumY = 0, sumH = 0;
    for (std::size_t k = 0; k < legs; ++k) {
        const CoordinatePoint &p = in.measured[k];
        const CoordinatePoint &q = in.measured[k + 1];
        CoordinateLeg &leg = r.legs[k];
        leg.length = Distance(p, q);
        leg.bearing = NormalBearing(MeasuredBearing(p, q) + r.turn);
        leg.dx = leg.length * std::cos(leg.bearing);
        leg.dy = leg.length * std::sin(leg.bearing);
        leg.dh = q.h - p.h;
        sumX += leg.dx;
        sumY += leg.dy;
        sumH += leg.dh;
        r.totalLength += leg.length;
    }
    CloseOnC(in.b, in.c, in.b.x + sumX, in.b.y + sumY, in.b.h + sumH, r);
    return r;
}

std::vector<std::string> CoordinateTraverseSummary(const CoordinateTraverseResult &r, bool withBearing)
{
    std::vector<std::string> texts;
    if (withBearing) {
        texts.push_back(FBText(r.fb));
        texts.push_back(VBText(r.vb));
    }
    texts.push_back(FxText(r.fx));
    texts.push_back(FyText(r.fy));
    texts.push_back(FsText(r.fs));
    texts.push_back(KText(r.totalLength, r.fs));
    texts.push_back(FhText(r.fh));
    texts.push_back(TraverseLengthText(r.totalLength));
    return texts;
}

std::string TraverseLengthText(Real totalLength)
{
    return TraverseLengthCaption + GeneralText(RoundHalfEven(totalLength)) + "m";
}

} // namespace quorvil
