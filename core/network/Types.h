// The records of a network adjustment: the network as the caller describes it (points,
// observations, direction sets, settings) and the results the adjustment gives back. Units are
// those of the input: coordinates in the input's own axes, angles in radians in the input's own
// sense of rotation, distances and heights in metres, standard deviations in radians or metres.
#pragma once

#include "core/Real.h"

#include <string>
#include <vector>

namespace quorvil::network {

// Orientation of the input's x and y axes, as GNU Gama names them: the first letter is where +x
// points, the second where +y points (n, e, s, w). NE, SW, ES, WN are left-handed, EN, NW, SE, WS
// right-handed systems. Chinese grid coordinates (x north, y east) are NE.
enum class Axes { NE, SW, ES, WN, EN, NW, SE, WS };

// What the adjustment does with one dimension (plane or height) of a point.
enum class Role : unsigned char {
    Unused,     // not part of this dimension (no observation of it may use the point)
    Fixed,      // known, held exactly
    Adjusted,   // unknown
    Constrained // unknown, and one of the points whose corrections define the datum of a free
                // network (minimum norm); adjusted like any other where the network has no defect
};

struct Point {
    std::string id;
    Real x = 0, y = 0, z = 0; // metres, input axes; approximate values of unknowns
    bool hasXY = false;       // x and y given (required for a Fixed plane role)
    bool hasZ = false;        // z given (required for a Fixed height role)
    Role plane = Role::Unused;  // role of x, y
    Role height = Role::Unused; // role of z
    int line = 0;             // line of the source file (0: none), for messages
};

enum class ObservationKind {
    Direction,        // from the station of `set` to `to`; value in the set's own zero
    Angle,            // at `from` from the backsight `bs` to the foresight `to`
    Distance,         // horizontal, `from`–`to`
    Azimuth,          // from north (the internal +N) to `to`, in the network's angle sense
    CoordinateX,      // observed x of `from`
    CoordinateY,      // observed y of `from`
    HeightDifference, // z(to) − z(from)
    SlopeDistance,    // spatial, from (x, y, z + fromDh) of `from` to (x, y, z + toDh) of `to`
    ZenithAngle,      // at `from` to `to` between the same ends, from the zenith, [0, π]
};

struct Observation {
    ObservationKind kind = ObservationKind::Distance;
    int from = -1; // station, start point, or the observed point (indices into Network::points)
    int to = -1;   // target, end point, foresight
    int bs = -1;   // backsight of an angle
    int set = -1;  // direction set of a direction
    Real value = 0; // radians (angular kinds) or metres
    Real stdev = 0; // a priori standard deviation, radians or metres, > 0
    int line = 0;
    // Instrument and target heights above the points (metres): the ends of a slope distance or a
    // zenith angle; carried but without effect on the horizontal kinds.
    Real fromDh = 0, toDh = 0;
};

// One orientation unknown: the directions observed together at `station`.
struct DirectionSet {
    int station = -1;
    int line = 0;
};

struct Settings {
    Axes axes = Axes::NE;
    bool clockwise = true;   // observed angles, directions and azimuths turn clockwise
    Real sigma0 = 1;         // a priori σ0: weights are σ0² / σᵢ²
    Real confidence = 0.95;  // probability of the χ² test
    bool aposteriori = true; // σ0 of the precision figures: a posteriori (true) or a priori
};

struct Network {
    Settings settings;
    std::vector<Point> points;
    std::vector<Observation> observations;
    std::vector<DirectionSet> sets;
    std::string description;
    // What the reader of the network's file left out, and why ("第 12 行 <direction>: 点 X 没有在
    // <point> 中定义, 该观测已剔除"): shown beside the results as 已剔除, never dropped silently.
    std::vector<std::string> setAside;
};

// A standard error ellipse: semi-axes a ≥ b (metres) and the direction of a, radians in [0, π)
// from the input's +x axis towards its +y axis.
struct Ellipse {
    Real a = 0, b = 0, phi = 0;
};

struct PointResult {
    bool plane = false, height = false;   // the point has unknowns in that dimension
    Real x = 0, y = 0, z = 0;             // adjusted (or fixed) coordinates
    Real x0 = 0, y0 = 0, z0 = 0;          // approximate coordinates the adjustment started from
    Real sx = 0, sy = 0, sp = 0, sz = 0;  // standard deviations, metres (sp = √(sx² + sy²))
    Ellipse ellipse;                      // standard error ellipse (plane unknowns only)
};

struct ObservationResult {
    Real adjusted = 0;      // adjusted value, in the observation's units
    Real residual = 0;      // v = adjusted − observed
    Real sigmaAdjusted = 0; // standard deviation of the adjusted value (σ0 used)
    Real redundancy = 0;    // rᵢ = 1 − pᵢ(A Q Aᵀ)ᵢᵢ; Σ rᵢ = degrees of freedom
    bool tested = false;    // rᵢ large enough for w and the MDB (else both are 0)
    Real w = 0;             // standardised residual v / (σ0 a priori · σᵥ)
    Real mdb = 0;           // minimal detectable bias, observation units
};

// The relative error ellipse of two points joined by an observation.
struct RelativeEllipse {
    int from = -1, to = -1;
    Real length = 0; // adjusted horizontal distance, metres
    Ellipse ellipse;
};

struct ChiSquareTest {
    bool done = false;   // false when there are no degrees of freedom
    Real probability = 0.95;
    Real ratio = 0;      // σ0 a posteriori / σ0 a priori
    Real lower = 0, upper = 0;
    bool passed = false;
};

struct Summary {
    int observations = 0;
    int unknowns = 0;   // coordinates, heights and orientations
    int defect = 0;     // datum defect taken by the constrained points
    int dof = 0;        // observations − unknowns + defect
    int iterations = 0;
    Real vtpv = 0;
    Real sigma0Apriori = 1, sigma0Aposteriori = 0;
    bool aposterioriUsed = true;
    ChiSquareTest chi2;
    int suspect = -1;        // observation with the largest |w| beyond WCritical, or −1
    int weakestPoint = -1;   // largest σp, or −1
    int weakestSide = -1;    // index into Result::relative of the largest a / length, or −1
};

struct Result {
    Summary summary;
    std::vector<PointResult> points;             // one per Network::points
    std::vector<ObservationResult> observations; // one per Network::observations
    std::vector<Real> orientations;              // one per direction set, radians, input sense
    std::vector<RelativeEllipse> relative;
};

} // namespace quorvil::network
