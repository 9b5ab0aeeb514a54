// The one state the jobs of the adjustment share (private to core/network): the network, the
// frame of its axes, the coordinates in the internal frame as the iteration moves them, and the
// numbering of the unknowns. Each job is a set of free functions over it, in its own file.
//
// A point has at most one plane unknown pair (N, E) and one height unknown (H); a direction set
// one orientation. An observation of the plane touches the N and E of its points, a height
// difference their H; an observation of both (a slope distance, a zenith angle) touches all
// three, and a block of correlated observations would be whitened by its own weight matrix
// before it enters the normal equations (Linearization.h), without another state.
#pragma once

#include "Network.h"

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

namespace quorvil::network {

// Coordinates in the internal frame, one entry per point.
struct Coordinates {
    std::vector<Real> n, e, h;
};

struct Unknowns {
    std::vector<int> plane;       // per point: the unknown of its N (E is the next one), or −1
    std::vector<int> height;      // per point: the unknown of its H, or −1
    std::vector<int> orientation; // per direction set: its orientation unknown, or −1
    std::vector<int> owner;       // per unknown: its point, or −1 − set for an orientation
    int count = 0;
    // The regular system solved each round leaves out the unknowns the datum holds: per unknown
    // its column there, or −1.
    std::vector<int> reduced;
    int reducedCount = 0;
};

struct State {
    explicit State(const Network &network)
        : net(network), frame(FrameOf(network.settings.axes)), points(network.points.size())
    {
    }

    const Network &net;
    Frame frame;
    std::size_t points;
    Coordinates now;                           // the current values
    Coordinates start;                         // the approximate values the iteration started from
    std::vector<char> planeKnown, heightKnown; // per point: approximate values found
    std::vector<Real> orientation;             // per direction set, internal sense
    Unknowns unknowns;

    // An observation's value in the internal (clockwise) sense.
    Real internalValue(const Observation &o) const
    {
        return TurnsWithSense(o.kind) && !net.settings.clockwise ? -o.value : o.value;
    }
    const std::string &name(int point) const { return net.points[std::size_t(point)].id; }
    // The bearing from point i to point j at the current coordinates, [0, 2π).
    Real bearing(int i, int j) const
    {
        const Real dn = now.n[std::size_t(j)] - now.n[std::size_t(i)], de = now.e[std::size_t(j)] - now.e[std::size_t(i)];
        return Normal(std::atan2(de, dn));
    }
};

// "第 12 行: " for a source line, nothing without one.
inline std::string LinePrefix(int line)
{
    return line > 0 ? "第 " + std::to_string(line) + " 行: " : std::string();
}

} // namespace quorvil::network
