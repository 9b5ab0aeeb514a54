#include "Axes.h"

#include "Observations.h"

#include <cmath>
#include <tuple>

namespace quorvil::network {

Frame FrameOf(Axes axes)
{
    switch (axes) {
    case Axes::NE: return {1, 0, 0, 1};
    case Axes::EN: return {0, 1, 1, 0};
    case Axes::SW: return {-1, 0, 0, -1};
    case Axes::WS: return {0, -1, -1, 0};
    case Axes::ES: return {0, -1, 1, 0};
    case Axes::WN: return {0, 1, -1, 0};
    case Axes::NW: return {1, 0, 0, -1};
    case Axes::SE: return {-1, 0, 0, 1};
    }
    return {1, 0, 0, 1};
}

namespace {
constexpr std::pair<Axes, const char *> AxesNames[] = {
    {Axes::NE, "ne"}, {Axes::SW, "sw"}, {Axes::ES, "es"}, {Axes::WN, "wn"},
    {Axes::EN, "en"}, {Axes::NW, "nw"}, {Axes::SE, "se"}, {Axes::WS, "ws"},
};
} // namespace

const char *AxesName(Axes axes)
{
    for (const auto &[a, n] : AxesNames)
        if (a == axes)
            return n;
    return "ne";
}

bool AxesFromName(const std::string &name, Axes &axes)
{
    for (const auto &[a, n] : AxesNames)
        if (name == n) {
            axes = a;
            return true;
        }
    return false;
}

std::pair<Real, Real> EastNorth(Axes axes, Real x, Real y)
{
    const auto [n, e] = FrameOf(axes).northEast(x, y);
    return {e, n};
}

Real EllipseBearing(Axes axes, Real phi)
{
    const auto [n, e] = FrameOf(axes).northEast(std::cos(phi), std::sin(phi));
    Real bearing = std::atan2(e, n);
    if (bearing < 0)
        bearing += Pi;
    if (bearing >= Pi)
        bearing -= Pi;
    return bearing;
}

namespace {

// The axis of the internal frame an input axis lies on, and its sign: the internal coordinate is
// sign × the input one (x = r00 N + r10 E, y = r01 N + r11 E).
struct InternalAxis {
    bool north;
    int sign;
};

InternalAxis InternalAxisOf(const Frame &f, bool y)
{
    const int n = y ? f.r01 : f.r00, e = y ? f.r11 : f.r10;
    return n != 0 ? InternalAxis{true, n} : InternalAxis{false, e};
}

// The input axis (false: x, true: y) an internal axis lies on, and the sign from the internal
// coordinate to the input one.
std::pair<bool, int> InputAxisOf(const Frame &f, bool north)
{
    const int onX = north ? f.r00 : f.r10, onY = north ? f.r01 : f.r11;
    return onX != 0 ? std::pair{false, onX} : std::pair{true, onY};
}

// What converting an observed coordinate from one frame to another does: its kind there and the
// sign of its value (and of its residual).
std::pair<ObservationKind, int> ConvertedCoordinate(ObservationKind kind, const Frame &from, const Frame &to)
{
    const InternalAxis axis = InternalAxisOf(from, kind == ObservationKind::CoordinateY);
    const auto [onY, sign] = InputAxisOf(to, axis.north);
    return {onY ? ObservationKind::CoordinateY : ObservationKind::CoordinateX, sign * axis.sign};
}

bool IsCoordinate(ObservationKind kind)
{
    return kind == ObservationKind::CoordinateX || kind == ObservationKind::CoordinateY;
}

} // namespace

Network InAxes(const Network &network, Axes axes, bool clockwise)
{
    Network out = network;
    if (network.settings.axes == axes && network.settings.clockwise == clockwise)
        return out;
    const Frame from = FrameOf(network.settings.axes), to = FrameOf(axes);
    const bool turn = network.settings.clockwise != clockwise;
    out.settings.axes = axes;
    out.settings.clockwise = clockwise;
    for (Point &p : out.points)
        if (p.hasXY) {
            const auto [n, e] = from.northEast(p.x, p.y);
            std::tie(p.x, p.y) = to.input(n, e);
        }
    for (Observation &o : out.observations) {
        if (TurnsWithSense(o.kind) && turn)
            o.value = Normal(-o.value);
        if (IsCoordinate(o.kind)) {
            const auto [kind, sign] = ConvertedCoordinate(o.kind, from, to);
            o.kind = kind;
            o.value *= sign;
        }
    }
    return out;
}

Network InNorthEast(const Network &network)
{
    return InAxes(network, Axes::NE, true);
}

Result InNorthEast(const Network &network, const Result &result)
{
    Result out = result;
    const Axes axes = network.settings.axes;
    if (axes == Axes::NE && network.settings.clockwise)
        return out;
    const Frame f = FrameOf(axes), northEast = FrameOf(Axes::NE);
    const bool swapped = f.r00 == 0; // x lies on the east axis
    const bool turn = !network.settings.clockwise;
    const Network converted = InNorthEast(network);
    for (PointResult &p : out.points) {
        std::tie(p.x, p.y) = f.northEast(p.x, p.y);
        std::tie(p.x0, p.y0) = f.northEast(p.x0, p.y0);
        if (swapped)
            std::swap(p.sx, p.sy);
        if (p.plane)
            p.ellipse.phi = EllipseBearing(axes, p.ellipse.phi);
    }
    for (size_t i = 0; i < out.observations.size() && i < network.observations.size(); ++i) {
        const ObservationKind kind = network.observations[i].kind;
        const int sign = IsCoordinate(kind) ? ConvertedCoordinate(kind, f, northEast).second : TurnsWithSense(kind) && turn ? -1 : 1;
        ObservationResult &r = out.observations[i];
        r.residual *= sign;
        r.w *= sign;
        r.adjusted = converted.observations[i].value + r.residual;
    }
    if (turn)
        for (Real &o : out.orientations)
            o = Normal(-o);
    for (RelativeEllipse &r : out.relative)
        r.ellipse.phi = EllipseBearing(axes, r.ellipse.phi);
    return out;
}

Real Wrap(Real a)
{
    a = std::fmod(a, TwoPi);
    if (a > Pi)
        a -= TwoPi;
    else if (a <= -Pi)
        a += TwoPi;
    return a;
}

Real Normal(Real a)
{
    a = std::fmod(a, TwoPi);
    if (a < 0)
        a += TwoPi;
    if (a >= TwoPi)
        a -= TwoPi;
    return a;
}

} // namespace quorvil::network
