#include "Axes.h"

#include <cmath>

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
