// Rigorous least-squares adjustment of plane and levelling networks (Gauss–Markov model,
// observation equations), after the classical texts (Niemeier, Ausgleichungsrechnung; Ghilani,
// Adjustment Computations; Koch, Parameter Estimation) and the conventions of GNU Gama.
//
// Frame. Everything is computed in an internal left-handed frame: N (north) and E (east) in
// metres, bearings t = atan2(ΔE, ΔN) clockwise from north. The input's axes (Axes) are a signed
// permutation R of it, [N E]ᵀ = R [x y]ᵀ; input angles turning anticlockwise change sign. Results
// go back through Rᵀ (coordinates) and Rᵀ C R (covariances), so every figure is in the input's
// own axes; an ellipse direction φ is measured from the input's +x towards its +y axis.
//
// Models, with unknowns ξ = (Nᵢ, Eᵢ of adjusted points, Hᵢ of adjusted heights, one orientation
// oₛ per direction set):
//   distance     s_ij = √(ΔN² + ΔE²)
//   direction    r_ij = t_ij − oₛ                     (oₛ: the bearing of the set's zero)
//   angle        β_i,bf = t_if − t_ib                 (clockwise from backsight b to foresight f)
//   azimuth      α_ij = t_ij
//   coordinate   x_i = R row of (Nᵢ, Eᵢ), y_i likewise
//   height diff. Δh_ij = H_j − H_i
// Linearised at the approximate values ξ⁰: with ∂t_ij/∂N_j = −ΔE/s², ∂t_ij/∂E_j = ΔN/s² (the
// station's derivatives of opposite sign) and ∂s_ij/∂N_j = ΔN/s, ∂s_ij/∂E_j = ΔE/s, each
// observation lᵢ with standard deviation σᵢ gives the row
//   aᵢ dξ = (lᵢ − fᵢ(ξ⁰)) / σᵢ + vᵢ/σᵢ,   aᵢ = (∂fᵢ/∂ξ) / σᵢ
// (angular misclosures brought into (−π, π]); these rows carry the weights pᵢ = σ0²/σᵢ² up to
// the factor σ0², which cancels from the estimates. The normal equations N dξ = n, N = AᵀA,
// n = Aᵀl, are solved by a sparse LDLᵀ factorisation (Eigen's SimplicialLDLT, the unknowns
// ordered by METIS nested dissection). The matrix, the factors and the solution are in double
// precision; the misclosures, the coordinates and every value derived from them are in extended
// precision (Real). The linearisation is iterated, dξ added to ξ⁰ each round, until the largest
// coordinate correction is below ConvergenceTolerance (0.01 mm), and then until a round moves no
// coordinate by more than 1e−9 m: the coordinates are then the fixed point of the
// extended-precision misclosures, and the double-precision solve limits only the size of the last
// correction, not the coordinates. The right-hand side n is formed anew every round; N is formed
// and factorised anew only while the coordinates have moved more than 1 cm since its last
// factorisation (a quasi-Newton iteration: the fixed point n(ξ) = 0 is that of the exact
// equations, only the rate of convergence depends on N, and with corrections below 1 cm N
// changes by less than 1e−5 of itself). The covariances come from a factorisation at the final
// coordinates (to 1 µm), so that Σ rᵢ = f to the rounding of double precision. A network whose corrections are still larger than the tolerance
// after IterationLimit rounds is refused.
//
// Approximate values, where the input gives none, are carried from the known points: oriented
// direction sets, angles and azimuths give bearings; a point is placed by bearing and distance
// (polar), by two bearings (intersection), by bearing and distance from different points, or by
// two distances (the side agreeing with its other observations). Where nothing can be carried
// from the known points (no known point sees another), a local frame is started at one station
// with an arbitrary orientation, carried the same way, and fitted to the known points it reaches
// by a plane similarity transformation. Heights are carried along the levelling lines.
//
// Datum. For each connected part of the plane network the candidate datum motions are the
// translations in N and E, the rotation (which also turns every orientation) and the scale, about
// the part's centroid: the columns of T. Those combinations Tv that leave every observation and
// every fixed point unchanged span the null space H of the design matrix: v are the eigenvectors
// of (KᵀK), K = [A T; fixed-point rows of T], with eigenvalue zero (to 1e−11 of the scale of
// the well-determined ones). A levelling part without a fixed height has the null vector of equal
// height shifts. The defect d is the number of such vectors. With E the columns of H restricted to
// the constrained coordinates (zero elsewhere), the free-network solution is the one with
// Eᵀ(ξ − ξ_initial) = 0, the minimum norm of the constrained points' total corrections. It is found
// by holding d well-chosen coordinates (rows of H with the largest pivots) at their values,
// solving the regular reduced system for dξ₀, and S-transforming:
//   dξ = dξ₀ − H (EᵀH)⁻¹ Eᵀ (Δ + dξ₀),    Δ = ξ⁰ − ξ_initial,
//   Q_E = S Q₀ Sᵀ,  S = I − H (EᵀH)⁻¹ Eᵀ,
// with Q₀ the inverse of the reduced normal matrix (zero in the held rows and columns). Only the
// blocks the results need are formed: with K = H(EᵀH)⁻¹ and U = Q₀E (d solves),
//   Q_E[a,b] = Q₀[a,b] − K_a·U_b − U_a·K_b + K_a (EᵀU) K_bᵀ.
// A part with a defect and no constrained points (or constrained points that cannot carry the
// datum: EᵀH singular) is refused, naming the part and the motions that are free; a singularity
// left after the datum (a pivot of D below 1e−12 of the diagonal of N) names the unknown's point.
//
// Covariances without the full inverse. The entries of Q₀ = N⁻¹ on the pattern of the factor L
// (which holds the pattern of N: every pair of unknowns in one observation) are computed by the
// Takahashi recurrence, from the last column to the first:
//   Z_ij = −Σ_{k>j, L_kj≠0} Z_ik L_kj   (i > j, L_ij ≠ 0),
//   Z_jj = 1/d_j − Σ_{k>j, L_kj≠0} L_kj Z_kj,
// worked supernode by supernode in dense blocks (SelectedInverse).
// That gives the 2×2 block of every point, the 4×4 block of every observed pair and every
// (A Q Aᵀ)ᵢᵢ at the cost of one more factorisation.
//
// Statistics. vᵢ = fᵢ(ξ̂) − lᵢ; vᵀPv = σ0² Σ(vᵢ/σᵢ)²; f = n − u + d degrees of freedom;
// σ̂0 = √(vᵀPv / f). Global test (two-sided, as GNU Gama prints it): σ̂0/σ0 must lie in
// [√(χ²_{f,(1−P)/2} / f), √(χ²_{f,(1+P)/2} / f)]. Precision with σ0 used m (a priori or a
// posteriori, chosen by the user): C_ξ = (m/σ0)² Q (in the normalised units of the rows: Q is the
// covariance for σ0 a priori). Per observation: qᵢ = aᵢ Q aᵢᵀ, redundancy rᵢ = 1 − qᵢ (Σ rᵢ = f),
// σ of the adjusted value (m/σ0)·σᵢ·√qᵢ, Baarda's standardised residual wᵢ = vᵢ / (σᵢ √rᵢ)
// (a priori σ0; critical value 3.29 for α0 = 0.001), minimal detectable bias ∇ᵢ = δ0 σᵢ / √rᵢ,
// δ0 = 4.13 (α0 = 0.001, β = 0.80). The observation with the largest |w| above 3.29 is the
// suspected blunder. Error ellipse of a 2×2 covariance C: a², b² = (cxx + cyy)/2 ± √(((cxx − cyy)/2)²
// + cxy²), φ = ½ atan2(2cxy, cxx − cyy); σp = √(cxx + cyy). The relative ellipse of points i, j
// is that of C_jj + C_ii − C_ij − C_ji. The weakest point has the largest σp (σz in a levelling
// network), the weakest side the largest a / s.
#include "Network.h"

#include "core/Error.h"
#include "core/TextForms.h"

#include <iostream> // Eigen's METIS support reports through std::cerr

#include <Eigen/Dense>
#include <Eigen/MetisSupport>
#include <Eigen/OrderingMethods>
#include <Eigen/SparseCholesky>
#include <Eigen/SparseCore>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>

namespace quorvil::network {

namespace {

using SparseMatrix = Eigen::SparseMatrix<double, Eigen::ColMajor, int>;
using Solver = Eigen::SimplicialLDLT<SparseMatrix, Eigen::Lower, Eigen::MetisOrdering<int>>;

// [N E]ᵀ = R [x y]ᵀ.
struct Frame {
    int r00, r01, r10, r11;
};

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

Real Wrap(Real a) // into (−π, π]
{
    a = std::fmod(a, TwoPi);
    if (a > Pi)
        a -= TwoPi;
    else if (a <= -Pi)
        a += TwoPi;
    return a;
}

Real Normal(Real a) // into [0, 2π)
{
    a = std::fmod(a, TwoPi);
    if (a < 0)
        a += TwoPi;
    if (a >= TwoPi)
        a -= TwoPi;
    return a;
}

std::string LinePrefix(int line)
{
    return line > 0 ? "第 " + std::to_string(line) + " 行: " : std::string();
}

Ellipse EllipseOf(Real cxx, Real cyy, Real cxy)
{
    const Real mean = (cxx + cyy) / 2, half = (cxx - cyy) / 2;
    const Real root = std::sqrt(half * half + cxy * cxy);
    Ellipse e;
    e.a = std::sqrt(std::max<Real>(0, mean + root));
    e.b = std::sqrt(std::max<Real>(0, mean - root));
    e.phi = (cxy == 0 && half == 0) ? 0 : std::atan2(2 * cxy, cxx - cyy) / 2;
    if (e.phi < 0)
        e.phi += Pi;
    if (e.phi >= Pi)
        e.phi -= Pi;
    return e;
}

// One linearised observation: the terms of its row, before division by σ.
struct Row {
    int np = 0;
    int pt[3] = {-1, -1, -1};
    double cN[3] = {0, 0, 0}, cE[3] = {0, 0, 0};
    int nh = 0;
    int hp[2] = {-1, -1};
    double ch[2] = {0, 0};
    int set = -1;
    double co = 0;
    Real computed = 0; // fᵢ(ξ⁰), internal sense
};

class Adjustment {
public:
    explicit Adjustment(const Network &net) : m_net(net), m_frame(FrameOf(net.settings.axes)) {}
    Result run();
    Network approximateOnly()
    {
        m_np = m_net.points.size();
        validate();
        approximate();
        Network out = m_net;
        for (size_t p = 0; p < m_np; ++p) {
            Point &pt = out.points[p];
            if (m_planeKnown[p]) {
                pt.x = m_frame.r00 * m_n[p] + m_frame.r10 * m_e[p];
                pt.y = m_frame.r01 * m_n[p] + m_frame.r11 * m_e[p];
                pt.hasXY = true;
            }
            if (m_heightKnown[p])
                pt.z = m_h[p], pt.hasZ = true;
        }
        return out;
    }

private:
    const Network &m_net;
    Frame m_frame;
    size_t m_np = 0;
    // state, internal frame
    std::vector<Real> m_n, m_e, m_h, m_o;
    std::vector<Real> m_n0, m_e0, m_h0;     // approximate values the iteration started from
    std::vector<char> m_planeKnown, m_heightKnown;
    // unknowns
    std::vector<int> m_ux, m_uz, m_uo;      // first unknown of a point's N (E = +1), height, set
    std::vector<int> m_unknownPoint;        // point (or −1 − set) of each unknown
    int m_u = 0;
    std::vector<int> m_reduced;             // unknown → column of the reduced system, −1 held
    int m_ur = 0;
    // datum
    struct PlanePart {
        std::vector<int> points, sets;
        Real cn = 0, ce = 0, scale = 1;
        Eigen::MatrixXd v; // 4 × d
    };
    struct HeightPart {
        std::vector<int> points;
    };
    std::vector<PlanePart> m_planeParts;
    std::vector<HeightPart> m_heightParts;
    int m_d = 0;
    std::vector<std::vector<std::pair<int, double>>> m_hCols, m_eCols;
    Eigen::MatrixXd m_g; // (EᵀH)⁻¹

    Real obsInternal(const Observation &o) const
    {
        return IsAngular(o.kind) && !m_net.settings.clockwise ? -o.value : o.value;
    }
    std::string name(int p) const { return m_net.points[size_t(p)].id; }

    void validate() const;
    void approximate();
    void approximatePlane();
    void approximateHeights();
    void number();
    Row linearize(const Observation &o) const;
    Real bearing(int i, int j) const;
    void analyseDatum();
    void buildDatumColumns();
    [[noreturn]] void singular(int unknown) const;
};

const char *RoleFree = "";

// ---------------------------------------------------------------------------------------- checks

void Adjustment::validate() const
{
    const Network &net = m_net;
    const size_t np = net.points.size();
    if (net.observations.empty())
        throw Error("网中没有观测值");
    if (!(net.settings.sigma0 > 0) || !std::isfinite(net.settings.sigma0))
        throw Error("先验单位权中误差必须为正数");
    if (!(net.settings.confidence > 0 && net.settings.confidence < 1))
        throw Error("置信概率必须在 0 与 1 之间");
    std::vector<int> planeObs(np, 0), heightObs(np, 0), setCount(net.sets.size(), 0);
    for (const Observation &o : net.observations) {
        const std::string where = LinePrefix(o.line);
        const auto check = [&](int p) {
            if (p < 0 || size_t(p) >= np)
                throw Error(where + "观测引用了不存在的点");
        };
        if (!(o.stdev > 0) || !std::isfinite(o.stdev))
            throw Error(where + KindNameZh(o.kind) + "观测 " + ObservationLabel(net, o) + " 的中误差必须为正数");
        if (!std::isfinite(o.value))
            throw Error(where + KindNameZh(o.kind) + "观测值不是有效数字");
        switch (o.kind) {
        case ObservationKind::Direction:
            if (o.set < 0 || size_t(o.set) >= net.sets.size())
                throw Error(where + "方向观测不属于任何测站");
            check(net.sets[size_t(o.set)].station);
            check(o.to);
            ++setCount[size_t(o.set)];
            break;
        case ObservationKind::Angle:
            check(o.from), check(o.bs), check(o.to);
            if (o.bs == o.to || o.from == o.bs || o.from == o.to)
                throw Error(where + "角度观测 " + ObservationLabel(net, o) + " 的三个点必须各不相同");
            break;
        case ObservationKind::CoordinateX:
        case ObservationKind::CoordinateY:
            check(o.from);
            break;
        default:
            check(o.from), check(o.to);
            if (o.from == o.to)
                throw Error(where + KindNameZh(o.kind) + "观测的起点与终点相同: " + name(o.from));
            break;
        }
        if (o.kind == ObservationKind::Distance && !(o.value > 0))
            throw Error(where + "距离 " + ObservationLabel(net, o) + " 必须大于零");
        // roles
        const auto needPlane = [&](int p) {
            if (net.points[size_t(p)].plane == Role::Unused)
                throw Error(where + "点 " + name(p) + " 没有平面坐标的固定或待定说明, 却有" + KindNameZh(o.kind) + "观测");
            ++planeObs[size_t(p)];
        };
        switch (o.kind) {
        case ObservationKind::Direction:
            if (net.sets[size_t(o.set)].station == o.to)
                throw Error(where + "方向观测的测站与照准点相同: " + name(o.to));
            needPlane(net.sets[size_t(o.set)].station), needPlane(o.to);
            break;
        case ObservationKind::Angle: needPlane(o.from), needPlane(o.bs), needPlane(o.to); break;
        case ObservationKind::Distance:
        case ObservationKind::Azimuth: needPlane(o.from), needPlane(o.to); break;
        case ObservationKind::CoordinateX:
        case ObservationKind::CoordinateY: needPlane(o.from); break;
        case ObservationKind::HeightDifference:
            for (int p : {o.from, o.to}) {
                if (net.points[size_t(p)].height == Role::Unused)
                    throw Error(where + "点 " + name(p) + " 没有高程的固定或待定说明, 却有高差观测");
                ++heightObs[size_t(p)];
            }
            break;
        }
    }
    for (size_t s = 0; s < net.sets.size(); ++s) {
        if (setCount[s] == 1)
            throw Error(LinePrefix(net.sets[s].line) + "测站 " + name(net.sets[s].station) +
                        " 的方向组只有一个方向 (至少须两个方向, 单个方向无法定向)");
    }
    for (size_t p = 0; p < np; ++p) {
        const Point &pt = net.points[p];
        const std::string where = LinePrefix(pt.line);
        if (pt.plane == Role::Fixed && !pt.hasXY)
            throw Error(where + "固定点 " + pt.id + " 没有给出坐标");
        if (pt.height == Role::Fixed && !pt.hasZ)
            throw Error(where + "固定点 " + pt.id + " 没有给出高程");
        if ((pt.plane == Role::Adjusted || pt.plane == Role::Constrained) && planeObs[p] == 0)
            throw Error(where + "点 " + pt.id + " 没有任何平面观测, 无法平差");
        if (pt.plane == Role::Adjusted && planeObs[p] == 1)
            throw Error(where + "点 " + pt.id + " 只有一个平面观测, 无法确定其位置 (点名是否写错?)");
        if ((pt.height == Role::Adjusted || pt.height == Role::Constrained) && heightObs[p] == 0)
            throw Error(where + "点 " + pt.id + " 没有任何高差观测, 无法平差");
        if (!std::isfinite(pt.x) || !std::isfinite(pt.y) || !std::isfinite(pt.z))
            throw Error(where + "点 " + pt.id + " 的坐标不是有效数字");
    }
}

// ------------------------------------------------------------------------- approximate values

Real Adjustment::bearing(int i, int j) const
{
    const Real dn = m_n[size_t(j)] - m_n[size_t(i)], de = m_e[size_t(j)] - m_e[size_t(i)];
    return Normal(std::atan2(de, dn));
}

void Adjustment::approximate()
{
    const size_t np = m_np;
    m_n.assign(np, 0), m_e.assign(np, 0), m_h.assign(np, 0);
    m_planeKnown.assign(np, 0), m_heightKnown.assign(np, 0);
    for (size_t p = 0; p < np; ++p) {
        const Point &pt = m_net.points[p];
        if (pt.hasXY) {
            m_n[p] = m_frame.r00 * pt.x + m_frame.r01 * pt.y;
            m_e[p] = m_frame.r10 * pt.x + m_frame.r11 * pt.y;
            m_planeKnown[p] = 1;
        }
        if (pt.hasZ) {
            m_h[p] = pt.z;
            m_heightKnown[p] = 1;
        }
    }
    approximatePlane();
    approximateHeights();
    m_n0 = m_n, m_e0 = m_e, m_h0 = m_h;
}

// Approximate plane coordinates, carried from the known points by events: a point that becomes
// known orients the direction sets that see it and gives rays (known point, bearing) and circles
// (known point, distance) to its neighbours; a neighbour with enough of them is placed (polar
// point, intersection of two rays, ray and circle; two circles only when nothing else is left,
// on the side that fits its other observations). When nothing more can be placed, a local frame
// is started at one station with its set oriented arbitrarily, carried the same way, and fitted
// to the known points it reaches by a plane similarity transformation.
struct Ray {
    int from;
    Real t;
};
struct Circle {
    int from;
    Real s;
};

class Carrier {
public:
    Carrier(const Network &net, const std::vector<std::vector<int>> &byPoint, const std::vector<Real> &internal)
        : m_net(net), m_byPoint(byPoint), m_value(internal)
    {
        const size_t np = net.points.size();
        n.assign(np, 0), e.assign(np, 0), known.assign(np, 0);
        orientation.assign(net.sets.size(), 0), oriented.assign(net.sets.size(), 0);
        m_rays.assign(np, {}), m_circles.assign(np, {});
    }

    std::vector<Real> n, e;
    std::vector<char> known;
    std::vector<Real> orientation;
    std::vector<char> oriented;

    void setKnown(int p, Real pn, Real pe)
    {
        n[size_t(p)] = pn, e[size_t(p)] = pe, known[size_t(p)] = 1;
        m_queue.push_back(p);
    }
    void orient(int set, Real o)
    {
        orientation[size_t(set)] = o, oriented[size_t(set)] = 1;
        m_setQueue.push_back(set);
    }
    // Carries everything that follows from the queued events; with `ambiguous`, unplaced points
    // are finally tried by two circles as well, as long as that places any.
    void run(const std::vector<char> &used)
    {
        for (;;) {
            drain();
            bool placed = false;
            for (size_t p = 0; p < known.size() && !placed; ++p)
                if (used[p] && !known[p] && m_circles[p].size() >= 2 && tryPlace(int(p), true))
                    placed = true;
            if (!placed)
                return;
        }
    }

private:
    const Network &m_net;
    const std::vector<std::vector<int>> &m_byPoint;
    const std::vector<Real> &m_value; // observation values, internal sense
    std::vector<std::vector<Ray>> m_rays;
    std::vector<std::vector<Circle>> m_circles;
    std::vector<int> m_queue, m_setQueue;
    size_t m_head = 0;

    Real bearing(int i, int j) const
    {
        return Normal(std::atan2(e[size_t(j)] - e[size_t(i)], n[size_t(j)] - n[size_t(i)]));
    }
    int station(const Observation &o) const
    {
        return o.kind == ObservationKind::Direction ? m_net.sets[size_t(o.set)].station : o.from;
    }
    void addRay(int to, int from, Real t)
    {
        if (known[size_t(to)])
            return;
        m_rays[size_t(to)].push_back({from, Normal(t)});
        tryPlace(to, false);
    }
    void addCircle(int to, int from, Real s)
    {
        if (known[size_t(to)])
            return;
        m_circles[size_t(to)].push_back({from, s});
        tryPlace(to, false);
    }
    void drain()
    {
        while (m_head < m_queue.size() || !m_setQueue.empty()) {
            if (!m_setQueue.empty()) {
                const int s = m_setQueue.back();
                m_setQueue.pop_back();
                const int st = m_net.sets[size_t(s)].station;
                if (!known[size_t(st)])
                    continue;
                for (int i : m_byPoint[size_t(st)]) {
                    const Observation &o = m_net.observations[size_t(i)];
                    if (o.kind == ObservationKind::Direction && o.set == s)
                        addRay(o.to, st, m_value[size_t(i)] + orientation[size_t(s)]);
                }
                continue;
            }
            const int p = m_queue[m_head++]; // first in, first out: short chains from the known points
            for (int i : m_byPoint[size_t(p)])
                event(i);
        }
    }
    // what observation i gives now that one of its points became known
    void event(int i)
    {
        const Observation &o = m_net.observations[size_t(i)];
        const Real l = m_value[size_t(i)];
        switch (o.kind) {
        case ObservationKind::Direction: {
            const int st = station(o);
            if (!known[size_t(st)])
                break;
            if (!oriented[size_t(o.set)] && known[size_t(o.to)] && (n[size_t(st)] != n[size_t(o.to)] || e[size_t(st)] != e[size_t(o.to)]))
                orient(o.set, Normal(bearing(st, o.to) - l));
            else if (oriented[size_t(o.set)])
                addRay(o.to, st, l + orientation[size_t(o.set)]);
            break;
        }
        case ObservationKind::Azimuth:
            if (known[size_t(o.from)])
                addRay(o.to, o.from, l);
            if (known[size_t(o.to)])
                addRay(o.from, o.to, l + Pi);
            break;
        case ObservationKind::Angle:
            if (known[size_t(o.from)] && known[size_t(o.bs)] && o.from != o.bs)
                addRay(o.to, o.from, bearing(o.from, o.bs) + l);
            if (known[size_t(o.from)] && known[size_t(o.to)] && o.from != o.to)
                addRay(o.bs, o.from, bearing(o.from, o.to) - l);
            break;
        case ObservationKind::Distance:
            if (known[size_t(o.from)])
                addCircle(o.to, o.from, o.value);
            if (known[size_t(o.to)])
                addCircle(o.from, o.to, o.value);
            break;
        default: break;
        }
    }
    bool tryPlace(int p, bool ambiguous)
    {
        const auto &rs = m_rays[size_t(p)];
        const auto &cs = m_circles[size_t(p)];
        std::optional<std::pair<Real, Real>> at;
        for (const Ray &r : rs) { // polar
            for (const Circle &c : cs)
                if (c.from == r.from) {
                    at = std::pair{n[size_t(r.from)] + c.s * std::cos(r.t), e[size_t(r.from)] + c.s * std::sin(r.t)};
                    break;
                }
            if (at)
                break;
        }
        for (size_t a = 0; !at && a < rs.size(); ++a) // two rays
            for (size_t b = a + 1; !at && b < rs.size(); ++b) {
                const Ray &r1 = rs[a], &r2 = rs[b];
                if (r1.from == r2.from)
                    continue;
                const Real c1 = std::cos(r1.t), s1 = std::sin(r1.t), c2 = std::cos(r2.t), s2 = std::sin(r2.t);
                const Real det = -c1 * s2 + s1 * c2;
                if (std::fabs(det) < 0.02) // closer than ~1°: useless
                    continue;
                const Real dn = n[size_t(r2.from)] - n[size_t(r1.from)], de = e[size_t(r2.from)] - e[size_t(r1.from)];
                const Real t1 = (-dn * s2 + de * c2) / det;
                at = std::pair{n[size_t(r1.from)] + t1 * c1, e[size_t(r1.from)] + t1 * s1};
            }
        for (size_t a = 0; !at && a < rs.size(); ++a) // ray and circle of another point
            for (const Circle &c : cs) {
                const Ray &r = rs[a];
                const Real c1 = std::cos(r.t), s1 = std::sin(r.t);
                const Real dn = n[size_t(r.from)] - n[size_t(c.from)], de = e[size_t(r.from)] - e[size_t(c.from)];
                const Real bq = dn * c1 + de * s1, cq = dn * dn + de * de - c.s * c.s;
                const Real disc = bq * bq - cq;
                if (disc < 0)
                    continue;
                const Real root = std::sqrt(disc);
                const Real t1 = -bq + root, t2 = -bq - root;
                Real t;
                if (t1 > 0 && t2 <= 0)
                    t = t1;
                else if (t2 > 0 && t1 <= 0)
                    t = t2;
                else
                    continue; // two candidates on the ray, or none
                at = std::pair{n[size_t(r.from)] + t * c1, e[size_t(r.from)] + t * s1};
                break;
            }
        if (!at && ambiguous) { // two circles: the side that fits the other observations
            for (size_t a = 0; !at && a < cs.size(); ++a)
                for (size_t b = a + 1; !at && b < cs.size(); ++b) {
                    const Circle &k1 = cs[a], &k2 = cs[b];
                    const Real dn = n[size_t(k2.from)] - n[size_t(k1.from)], de = e[size_t(k2.from)] - e[size_t(k1.from)];
                    const Real d = std::sqrt(dn * dn + de * de);
                    if (d == 0)
                        continue;
                    const Real along = (k1.s * k1.s - k2.s * k2.s + d * d) / (2 * d);
                    const Real h2 = k1.s * k1.s - along * along;
                    if (h2 < 0)
                        continue;
                    const Real h = std::sqrt(h2), un = dn / d, ue = de / d;
                    const Real pn = n[size_t(k1.from)] + along * un, pe = e[size_t(k1.from)] + along * ue;
                    const std::pair<Real, Real> c1{pn - h * ue, pe + h * un}, c2{pn + h * ue, pe - h * un};
                    Real m1 = 0, m2 = 0;
                    for (const Circle &k : cs) {
                        const auto misfit = [&](const std::pair<Real, Real> &q) {
                            return std::fabs(std::hypot(q.first - n[size_t(k.from)], q.second - e[size_t(k.from)]) - k.s);
                        };
                        m1 += misfit(c1), m2 += misfit(c2);
                    }
                    for (const Ray &r : rs) {
                        const auto misfit = [&](const std::pair<Real, Real> &q) {
                            return std::fabs(Wrap(std::atan2(q.second - e[size_t(r.from)], q.first - n[size_t(r.from)]) - r.t));
                        };
                        m1 += misfit(c1) * 1000, m2 += misfit(c2) * 1000;
                    }
                    at = m2 < m1 ? c2 : c1;
                }
        }
        if (!at)
            return false;
        setKnown(p, at->first, at->second);
        return true;
    }
};

void Adjustment::approximatePlane()
{
    const Network &net = m_net;
    const size_t np = m_np;
    std::vector<char> used(np, 0);
    std::vector<std::vector<int>> byPoint(np);
    std::vector<Real> internal(net.observations.size());
    for (size_t i = 0; i < net.observations.size(); ++i) {
        const Observation &o = net.observations[i];
        internal[i] = obsInternal(o);
        const auto use = [&](int p) {
            used[size_t(p)] = 1;
            byPoint[size_t(p)].push_back(int(i));
        };
        switch (o.kind) {
        case ObservationKind::HeightDifference: break;
        case ObservationKind::Direction: use(net.sets[size_t(o.set)].station), use(o.to); break;
        case ObservationKind::Angle: use(o.from), use(o.bs), use(o.to); break;
        case ObservationKind::CoordinateX:
        case ObservationKind::CoordinateY: use(o.from); break;
        default: use(o.from), use(o.to); break;
        }
    }
    // A point observed in both coordinates without given values starts from the observation.
    {
        std::vector<Real> ox(np, 0), oy(np, 0);
        std::vector<char> hx(np, 0), hy(np, 0);
        for (const Observation &o : net.observations) {
            if (o.kind == ObservationKind::CoordinateX)
                ox[size_t(o.from)] = o.value, hx[size_t(o.from)] = 1;
            if (o.kind == ObservationKind::CoordinateY)
                oy[size_t(o.from)] = o.value, hy[size_t(o.from)] = 1;
        }
        for (size_t p = 0; p < np; ++p)
            if (!m_planeKnown[p] && hx[p] && hy[p]) {
                m_n[p] = m_frame.r00 * ox[p] + m_frame.r01 * oy[p];
                m_e[p] = m_frame.r10 * ox[p] + m_frame.r11 * oy[p];
                m_planeKnown[p] = 1;
            }
    }
    const auto missing = [&] {
        for (size_t p = 0; p < np; ++p)
            if (used[p] && !m_planeKnown[p])
                return true;
        return false;
    };
    if (!missing())
        return;
    Carrier global(net, byPoint, internal);
    for (size_t p = 0; p < np; ++p)
        if (m_planeKnown[p])
            global.setKnown(int(p), m_n[p], m_e[p]);
    global.run(used);
    // local frames, fitted to the known points they reach
    std::vector<char> tried(net.sets.size(), 0);
    for (;;) {
        bool unknownLeft = false;
        for (size_t p = 0; p < np; ++p)
            unknownLeft = unknownLeft || (used[p] && !global.known[p]);
        if (!unknownLeft)
            break;
        bool fitted = false;
        // seeds: sets at known stations first, then sets whose station is still unknown
        // Seeds: the direction sets at known stations, then those at unknown stations, then a
        // distance between two unknown points (the second on the first's +N axis). A frame that
        // reaches two known points is fitted to them; one that reaches none is a free part of the
        // network and stays as it is (its datum is then that of its constrained points).
        const auto tryFrame = [&](Carrier &local) {
            local.run(used);
            std::vector<int> common, gained;
            for (size_t p = 0; p < np; ++p) {
                if (!local.known[p])
                    continue;
                if (global.known[p])
                    common.push_back(int(p));
                else
                    gained.push_back(int(p));
            }
            if (gained.empty() || common.size() == 1)
                return false;
            if (common.empty()) {
                for (int p : gained)
                    global.setKnown(p, local.n[size_t(p)], local.e[size_t(p)]);
                global.run(used);
                return true;
            }
            Real ln = 0, le = 0, gn = 0, ge = 0;
            for (int p : common)
                ln += local.n[size_t(p)], le += local.e[size_t(p)], gn += global.n[size_t(p)], ge += global.e[size_t(p)];
            const Real k = Real(common.size());
            ln /= k, le /= k, gn /= k, ge /= k;
            Real sa = 0, sb = 0, ss = 0;
            for (int p : common) {
                const Real xl = local.n[size_t(p)] - ln, yl = local.e[size_t(p)] - le;
                const Real xg = global.n[size_t(p)] - gn, yg = global.e[size_t(p)] - ge;
                sa += xl * xg + yl * yg;
                sb += xl * yg - yl * xg;
                ss += xl * xl + yl * yl;
            }
            if (!(ss > 0))
                return false;
            const Real a = sa / ss, b = sb / ss; // n' = a n − b e, e' = b n + a e
            for (int p : gained) {
                const Real xl = local.n[size_t(p)] - ln, yl = local.e[size_t(p)] - le;
                global.setKnown(p, gn + a * xl - b * yl, ge + b * xl + a * yl);
            }
            global.run(used);
            return true;
        };
        for (int pass = 0; pass < 2 && !fitted; ++pass)
            for (size_t s = 0; s < net.sets.size() && !fitted; ++s) {
                const int st = net.sets[s].station;
                if (tried[s] || bool(global.known[size_t(st)]) != (pass == 0))
                    continue;
                tried[s] = 1;
                Carrier local(net, byPoint, internal);
                local.setKnown(st, global.known[size_t(st)] ? global.n[size_t(st)] : 0, global.known[size_t(st)] ? global.e[size_t(st)] : 0);
                local.orient(int(s), 0);
                fitted = tryFrame(local);
            }
        for (size_t i = 0; i < net.observations.size() && !fitted; ++i) {
            const Observation &o = net.observations[i];
            if (o.kind != ObservationKind::Distance || global.known[size_t(o.from)] || global.known[size_t(o.to)])
                continue;
            Carrier local(net, byPoint, internal);
            local.setKnown(o.from, 0, 0);
            local.setKnown(o.to, o.value, 0);
            fitted = tryFrame(local);
            if (!fitted)
                break; // one such frame is enough to know that distances alone do not carry
        }
        if (!fitted)
            break;
    }
    for (size_t p = 0; p < np; ++p)
        if (used[p] && global.known[p] && !m_planeKnown[p]) {
            m_n[p] = global.n[p], m_e[p] = global.e[p];
            m_planeKnown[p] = 1;
        }
    if (missing()) {
        std::string names;
        int count = 0;
        for (size_t p = 0; p < np; ++p)
            if (used[p] && !m_planeKnown[p]) {
                if (count < 8)
                    names += (count ? "、" : "") + net.points[p].id;
                ++count;
            }
        if (count > 8)
            names += " 等 " + std::to_string(count) + " 个点";
        throw Error("无法由已知点和观测推算点 " + names +
                    " 的近似坐标 (网无法定位或定向, 或观测不足); 请检查已知点, 或在文件中给出这些点的近似坐标");
    }
}

void Adjustment::approximateHeights()
{
    const Network &net = m_net;
    bool progress = true;
    while (progress) {
        progress = false;
        for (const Observation &o : net.observations) {
            if (o.kind != ObservationKind::HeightDifference)
                continue;
            const size_t a = size_t(o.from), b = size_t(o.to);
            if (m_heightKnown[a] && !m_heightKnown[b])
                m_h[b] = m_h[a] + o.value, m_heightKnown[b] = 1, progress = true;
            else if (m_heightKnown[b] && !m_heightKnown[a])
                m_h[a] = m_h[b] - o.value, m_heightKnown[a] = 1, progress = true;
        }
    }
    for (const Observation &o : net.observations)
        if (o.kind == ObservationKind::HeightDifference)
            for (int p : {o.from, o.to})
                if (!m_heightKnown[size_t(p)])
                    throw Error("无法推算点 " + name(p) + " 的近似高程: 它所在的水准网中没有已知高程的点");
}

// ------------------------------------------------------------------------------------ unknowns

void Adjustment::number()
{
    const size_t np = m_np;
    m_ux.assign(np, -1), m_uz.assign(np, -1), m_uo.assign(m_net.sets.size(), -1);
    m_u = 0;
    m_unknownPoint.clear();
    for (size_t p = 0; p < np; ++p) {
        const Point &pt = m_net.points[p];
        if (pt.plane == Role::Adjusted || pt.plane == Role::Constrained) {
            m_ux[p] = m_u;
            m_u += 2;
            m_unknownPoint.push_back(int(p)), m_unknownPoint.push_back(int(p));
        }
        if (pt.height == Role::Adjusted || pt.height == Role::Constrained) {
            m_uz[p] = m_u++;
            m_unknownPoint.push_back(int(p));
        }
    }
    std::vector<char> setUsed(m_net.sets.size(), 0);
    for (const Observation &o : m_net.observations)
        if (o.kind == ObservationKind::Direction)
            setUsed[size_t(o.set)] = 1;
    for (size_t s = 0; s < m_net.sets.size(); ++s)
        if (setUsed[s]) {
            m_uo[s] = m_u++;
            m_unknownPoint.push_back(-1 - int(s));
        }
    // orientations: the mean of bearing − direction, about the first
    m_o.assign(m_net.sets.size(), 0);
    std::vector<int> count(m_net.sets.size(), 0);
    std::vector<Real> first(m_net.sets.size(), 0), sum(m_net.sets.size(), 0);
    for (const Observation &o : m_net.observations) {
        if (o.kind != ObservationKind::Direction)
            continue;
        const int st = m_net.sets[size_t(o.set)].station;
        if (m_n[size_t(st)] == m_n[size_t(o.to)] && m_e[size_t(st)] == m_e[size_t(o.to)])
            throw Error(LinePrefix(o.line) + "点 " + name(st) + " 与 " + name(o.to) + " 的 (近似) 坐标相同");
        const Real z = bearing(st, o.to) - obsInternal(o);
        const size_t s = size_t(o.set);
        if (count[s] == 0)
            first[s] = z;
        sum[s] += Wrap(z - first[s]);
        ++count[s];
    }
    for (size_t s = 0; s < m_net.sets.size(); ++s)
        if (count[s])
            m_o[s] = first[s] + sum[s] / count[s];
}

Row Adjustment::linearize(const Observation &o) const
{
    Row r;
    const auto plane = [&](int p, double cn, double ce) {
        r.pt[r.np] = p, r.cN[r.np] = cn, r.cE[r.np] = ce, ++r.np;
    };
    const auto diff = [&](int i, int j, Real &dn, Real &de, Real &s2) {
        dn = m_n[size_t(j)] - m_n[size_t(i)], de = m_e[size_t(j)] - m_e[size_t(i)];
        s2 = dn * dn + de * de;
        if (s2 == 0)
            throw Error(LinePrefix(o.line) + "点 " + name(i) + " 与 " + name(j) + " 的 (近似) 坐标相同, 无法计算 " +
                        KindNameZh(o.kind) + "观测 " + ObservationLabel(m_net, o));
    };
    Real dn, de, s2;
    switch (o.kind) {
    case ObservationKind::Distance: {
        diff(o.from, o.to, dn, de, s2);
        const Real s = std::sqrt(s2);
        r.computed = s;
        plane(o.from, double(-dn / s), double(-de / s));
        plane(o.to, double(dn / s), double(de / s));
        break;
    }
    case ObservationKind::Direction:
    case ObservationKind::Azimuth: {
        const int st = o.kind == ObservationKind::Direction ? m_net.sets[size_t(o.set)].station : o.from;
        diff(st, o.to, dn, de, s2);
        const Real t = std::atan2(de, dn);
        plane(st, double(de / s2), double(-dn / s2));
        plane(o.to, double(-de / s2), double(dn / s2));
        if (o.kind == ObservationKind::Direction) {
            r.set = o.set, r.co = -1;
            r.computed = t - m_o[size_t(o.set)];
        } else {
            r.computed = t;
        }
        break;
    }
    case ObservationKind::Angle: {
        Real dnb, deb, sb2;
        diff(o.from, o.bs, dnb, deb, sb2);
        diff(o.from, o.to, dn, de, s2);
        r.computed = std::atan2(de, dn) - std::atan2(deb, dnb);
        plane(o.from, double(de / s2 - deb / sb2), double(-dn / s2 + dnb / sb2));
        plane(o.bs, double(deb / sb2), double(-dnb / sb2));
        plane(o.to, double(-de / s2), double(dn / s2));
        break;
    }
    case ObservationKind::CoordinateX:
        r.computed = m_frame.r00 * m_n[size_t(o.from)] + m_frame.r10 * m_e[size_t(o.from)];
        plane(o.from, m_frame.r00, m_frame.r10);
        break;
    case ObservationKind::CoordinateY:
        r.computed = m_frame.r01 * m_n[size_t(o.from)] + m_frame.r11 * m_e[size_t(o.from)];
        plane(o.from, m_frame.r01, m_frame.r11);
        break;
    case ObservationKind::HeightDifference:
        r.computed = m_h[size_t(o.to)] - m_h[size_t(o.from)];
        r.hp[0] = o.from, r.ch[0] = -1, r.hp[1] = o.to, r.ch[1] = 1, r.nh = 2;
        break;
    }
    return r;
}

// Misclosure l − f in the observation's units, internal sense.
Real Misclosure(const Observation &o, Real internalValue, const Row &r)
{
    const Real d = internalValue - r.computed;
    return IsAngular(o.kind) ? Wrap(d) : d;
}

// The unknowns of a row with their coefficients (unscaled).
template <typename F>
void ForEachTerm(const Row &r, const std::vector<int> &ux, const std::vector<int> &uz, const std::vector<int> &uo, F f)
{
    for (int k = 0; k < r.np; ++k) {
        const int u = ux[size_t(r.pt[k])];
        if (u >= 0) {
            f(u, r.cN[k]);
            f(u + 1, r.cE[k]);
        }
    }
    for (int k = 0; k < r.nh; ++k) {
        const int u = uz[size_t(r.hp[k])];
        if (u >= 0)
            f(u, r.ch[k]);
    }
    if (r.set >= 0 && uo[size_t(r.set)] >= 0)
        f(uo[size_t(r.set)], r.co);
}

// ---------------------------------------------------------------------------------------- datum

struct UnionFind {
    std::vector<int> parent;
    explicit UnionFind(size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), 0); }
    int find(int a)
    {
        while (parent[size_t(a)] != a)
            a = parent[size_t(a)] = parent[size_t(parent[size_t(a)])];
        return a;
    }
    void unite(int a, int b) { parent[size_t(find(a))] = find(b); }
};

void Adjustment::analyseDatum()
{
    const Network &net = m_net;
    const size_t np = m_np;
    m_planeParts.clear(), m_heightParts.clear();
    // ---- plane parts
    UnionFind uf(np);
    std::vector<char> inPlane(np, 0), inHeight(np, 0);
    for (const Observation &o : net.observations) {
        switch (o.kind) {
        case ObservationKind::HeightDifference:
            inHeight[size_t(o.from)] = inHeight[size_t(o.to)] = 1;
            break;
        case ObservationKind::CoordinateX:
        case ObservationKind::CoordinateY: inPlane[size_t(o.from)] = 1; break;
        case ObservationKind::Direction: {
            const int st = net.sets[size_t(o.set)].station;
            uf.unite(st, o.to);
            inPlane[size_t(st)] = inPlane[size_t(o.to)] = 1;
            break;
        }
        case ObservationKind::Angle:
            uf.unite(o.from, o.bs), uf.unite(o.from, o.to);
            inPlane[size_t(o.from)] = inPlane[size_t(o.bs)] = inPlane[size_t(o.to)] = 1;
            break;
        default:
            uf.unite(o.from, o.to);
            inPlane[size_t(o.from)] = inPlane[size_t(o.to)] = 1;
            break;
        }
    }
    std::vector<int> partOf(np, -1);
    std::vector<PlanePart> parts;
    for (size_t p = 0; p < np; ++p) {
        if (!inPlane[p])
            continue;
        const int root = uf.find(int(p));
        if (partOf[size_t(root)] < 0) {
            partOf[size_t(root)] = int(parts.size());
            parts.emplace_back();
        }
        parts[size_t(partOf[size_t(root)])].points.push_back(int(p));
    }
    for (size_t s = 0; s < net.sets.size(); ++s)
        if (m_uo[s] >= 0)
            parts[size_t(partOf[size_t(uf.find(net.sets[s].station))])].sets.push_back(int(s));
    // rows of each part
    std::vector<std::vector<int>> partRows(parts.size());
    for (size_t i = 0; i < net.observations.size(); ++i) {
        const Observation &o = net.observations[i];
        if (o.kind == ObservationKind::HeightDifference)
            continue;
        const int anchor = o.kind == ObservationKind::Direction ? net.sets[size_t(o.set)].station : o.from;
        partRows[size_t(partOf[size_t(uf.find(anchor))])].push_back(int(i));
    }
    std::vector<int> localSet(net.sets.size(), -1);
    for (size_t c = 0; c < parts.size(); ++c) {
        PlanePart &part = parts[c];
        bool anyUnknown = false;
        for (int p : part.points)
            anyUnknown = anyUnknown || m_ux[size_t(p)] >= 0;
        if (!anyUnknown)
            continue;
        Real cn = 0, ce = 0;
        for (int p : part.points)
            cn += m_n[size_t(p)], ce += m_e[size_t(p)];
        cn /= Real(part.points.size()), ce /= Real(part.points.size());
        Real r2 = 0;
        for (int p : part.points) {
            const Real a = m_n[size_t(p)] - cn, b = m_e[size_t(p)] - ce;
            r2 += a * a + b * b;
        }
        part.cn = cn, part.ce = ce;
        part.scale = r2 > 0 ? std::sqrt(r2 / Real(part.points.size())) : 1;
        const auto motion = [&](int p, int column, double &dn, double &de) {
            const double a = double((m_n[size_t(p)] - cn) / part.scale), b = double((m_e[size_t(p)] - ce) / part.scale);
            switch (column) {
            case 0: dn = 1, de = 0; break;
            case 1: dn = 0, de = 1; break;
            case 2: dn = -b, de = a; break;
            default: dn = a, de = b; break;
            }
        };
        Eigen::MatrixXd gram = Eigen::MatrixXd::Zero(4, 4);
        double frob = 0;
        int unknowns = int(part.sets.size());
        for (int p : part.points)
            if (m_ux[size_t(p)] >= 0)
                unknowns += 2;
        for (int i : partRows[c]) {
            const Observation &o = net.observations[size_t(i)];
            const Row r = linearize(o);
            const double s = double(o.stdev);
            Eigen::Vector4d k = Eigen::Vector4d::Zero();
            for (int t = 0; t < r.np; ++t) {
                for (int col = 0; col < 4; ++col) {
                    double dn, de;
                    motion(r.pt[t], col, dn, de);
                    k[col] += (r.cN[t] * dn + r.cE[t] * de) / s;
                }
                if (m_ux[size_t(r.pt[t])] >= 0)
                    frob += (r.cN[t] * r.cN[t] + r.cE[t] * r.cE[t]) / (s * s);
            }
            if (r.set >= 0) {
                k[2] += r.co / double(part.scale) / s; // the rotation turns every orientation
                frob += r.co * r.co / (s * s);
            }
            gram += k * k.transpose();
        }
        const double perUnknown = frob / std::max(1, unknowns);
        const double fixedWeight = std::sqrt(std::max(perUnknown, 1e-300));
        for (int p : part.points)
            if (net.points[size_t(p)].plane == Role::Fixed) {
                Eigen::Vector4d kn, ke;
                for (int col = 0; col < 4; ++col) {
                    double dn, de;
                    motion(p, col, dn, de);
                    kn[col] = dn * fixedWeight, ke[col] = de * fixedWeight;
                }
                gram += kn * kn.transpose() + ke * ke.transpose();
            }
        const double reference = perUnknown * double(part.points.size());
        Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> eig(gram);
        std::vector<int> nullColumns;
        for (int k = 0; k < 4; ++k)
            if (eig.eigenvalues()[k] < 1e-11 * reference)
                nullColumns.push_back(k);
        if (nullColumns.empty())
            continue;
        part.v.resize(4, Eigen::Index(nullColumns.size()));
        for (size_t k = 0; k < nullColumns.size(); ++k)
            part.v.col(Eigen::Index(k)) = eig.eigenvectors().col(nullColumns[k]);
        m_planeParts.push_back(part);
    }
    // ---- levelling parts without a fixed height
    UnionFind hf(np);
    for (const Observation &o : net.observations)
        if (o.kind == ObservationKind::HeightDifference)
            hf.unite(o.from, o.to);
    std::vector<int> hpart(np, -1);
    std::vector<HeightPart> hparts;
    std::vector<char> hasFixed;
    for (size_t p = 0; p < np; ++p) {
        if (!inHeight[p])
            continue;
        const int root = hf.find(int(p));
        if (hpart[size_t(root)] < 0) {
            hpart[size_t(root)] = int(hparts.size());
            hparts.emplace_back();
            hasFixed.push_back(0);
        }
        const size_t k = size_t(hpart[size_t(root)]);
        hparts[k].points.push_back(int(p));
        if (net.points[p].height == Role::Fixed)
            hasFixed[k] = 1;
    }
    for (size_t k = 0; k < hparts.size(); ++k)
        if (!hasFixed[k])
            m_heightParts.push_back(hparts[k]);
}

// H and E for the current coordinates; held unknowns chosen on the first call.
void Adjustment::buildDatumColumns()
{
    const Network &net = m_net;
    m_hCols.clear(), m_eCols.clear();
    for (const PlanePart &part : m_planeParts) {
        for (Eigen::Index k = 0; k < part.v.cols(); ++k) {
            std::vector<std::pair<int, double>> h, e;
            const Eigen::Vector4d v = part.v.col(k);
            for (int p : part.points) {
                const int u = m_ux[size_t(p)];
                if (u < 0)
                    continue;
                const double a = double((m_n[size_t(p)] - part.cn) / part.scale), b = double((m_e[size_t(p)] - part.ce) / part.scale);
                const double dn = v[0] - v[2] * b + v[3] * a, de = v[1] + v[2] * a + v[3] * b;
                h.emplace_back(u, dn), h.emplace_back(u + 1, de);
                if (net.points[size_t(p)].plane == Role::Constrained)
                    e.emplace_back(u, dn), e.emplace_back(u + 1, de);
            }
            for (int s : part.sets)
                if (m_uo[size_t(s)] >= 0)
                    h.emplace_back(m_uo[size_t(s)], v[2] / double(part.scale));
            m_hCols.push_back(std::move(h)), m_eCols.push_back(std::move(e));
        }
    }
    for (const HeightPart &part : m_heightParts) {
        std::vector<std::pair<int, double>> h, e;
        for (int p : part.points) {
            const int u = m_uz[size_t(p)];
            if (u < 0)
                continue;
            h.emplace_back(u, 1.0);
            if (net.points[size_t(p)].height == Role::Constrained)
                e.emplace_back(u, 1.0);
        }
        m_hCols.push_back(std::move(h)), m_eCols.push_back(std::move(e));
    }
    m_d = int(m_hCols.size());
}

[[noreturn]] void Adjustment::singular(int unknown) const
{
    const int p = m_unknownPoint[size_t(unknown)];
    if (p < 0) {
        const DirectionSet &set = m_net.sets[size_t(-1 - p)];
        throw Error(LinePrefix(set.line) + "测站 " + name(set.station) + " 的方向组无法定向: 网形奇异 (观测不足以确定未知数)");
    }
    const bool height = m_uz[size_t(p)] == unknown;
    throw Error(LinePrefix(m_net.points[size_t(p)].line) + "点 " + name(p) + (height ? " 的高程" : " 的平面坐标") +
                "无法由观测确定: 网形奇异 (观测不足, 或所有观测都在一条直线上)");
}

// ---------------------------------------------------------------------------- selected inverse

// Entries of (P N Pᵀ)⁻¹ on the pattern of L, by the Takahashi recurrence, supernode by supernode:
// columns J = j0 … j1 whose structures nest (column j is {j + 1} and the structure of column
// j + 1) share the rows R below them, and with Z L = L⁻ᵀ D⁻¹ taken on the columns J,
//   Z_RJ = −Z_RR L_RJ L_JJ⁻¹,   Z_JJ = L_JJ⁻ᵀ D_J⁻¹ L_JJ⁻¹ − Z_RJᵀ L_RJ L_JJ⁻¹,
// with dense blocks (Z_RR is known: R is a clique of the filled graph, every column of it later).
class SelectedInverse {
public:
    SelectedInverse(const Solver &solver, int n) : m_n(n)
    {
        const SparseMatrix &l = solver.matrixL().nestedExpression();
        m_outer.assign(l.outerIndexPtr(), l.outerIndexPtr() + n + 1);
        m_inner.assign(l.innerIndexPtr(), l.innerIndexPtr() + l.nonZeros());
        const double *lx = l.valuePtr();
        const Eigen::VectorXd d = solver.vectorD();
        m_perm.resize(size_t(n));
        for (int i = 0; i < n; ++i)
            m_perm[size_t(i)] = solver.permutationP().indices()[i];
        m_z.assign(m_inner.size(), 0);
        m_diag.assign(size_t(n), 0);
        const auto size = [&](int j) { return m_outer[size_t(j) + 1] - m_outer[size_t(j)]; };
        // supernodes, as [first, last] column pairs, in increasing order
        std::vector<std::pair<int, int>> supernodes;
        for (int j = 0; j < n;) {
            int last = j;
            while (last + 1 < n && size(last) == size(last + 1) + 1 && size(last) > 0 &&
                   m_inner[size_t(m_outer[size_t(last)])] == last + 1)
                ++last;
            supernodes.emplace_back(j, last);
            j = last + 1;
        }
        Eigen::MatrixXd zrr, lrj, ljj, zrj, zjj;
        for (auto sn = supernodes.rbegin(); sn != supernodes.rend(); ++sn) {
            const int j0 = sn->first, j1 = sn->second, w = j1 - j0 + 1;
            const int rb = m_outer[size_t(j1)], nr = size(j1);
            const int *rows = m_inner.data() + rb; // R, sorted
            // Z_RR from the later columns
            zrr.resize(nr, nr);
            for (int a = 0; a < nr; ++a) {
                const int r = rows[a];
                zrr(a, a) = m_diag[size_t(r)];
                int q = m_outer[size_t(r)];
                const int qe = m_outer[size_t(r) + 1];
                for (int b = a + 1; b < nr; ++b) {
                    while (q < qe && m_inner[size_t(q)] < rows[b])
                        ++q;
                    const double v = (q < qe && m_inner[size_t(q)] == rows[b]) ? m_z[size_t(q)] : 0;
                    zrr(b, a) = zrr(a, b) = v;
                }
            }
            // L_JJ (unit lower) and L_RJ
            ljj.setIdentity(w, w);
            lrj.resize(nr, w);
            for (int c = 0; c < w; ++c) {
                const int j = j0 + c;
                const int b0 = m_outer[size_t(j)];
                for (int t = 0; t < w - 1 - c; ++t)
                    ljj(c + 1 + t, c) = lx[b0 + t];
                for (int a = 0; a < nr; ++a)
                    lrj(a, c) = lx[b0 + (w - 1 - c) + a];
            }
            // Z_RJ = −Z_RR L_RJ L_JJ⁻¹
            zrj.resize(nr, w);
            if (nr > 0) { // (Eigen's triangular solve must not see an empty matrix)
                zrj.noalias() = -(zrr * lrj);
                ljj.triangularView<Eigen::UnitLower>().solveInPlace<Eigen::OnTheRight>(zrj); // X L_JJ = B
            }
            // Z_JJ = L_JJ⁻ᵀ D_J⁻¹ L_JJ⁻¹ − Z_RJᵀ L_RJ L_JJ⁻¹
            Eigen::MatrixXd inv = Eigen::MatrixXd::Identity(w, w);
            ljj.triangularView<Eigen::UnitLower>().solveInPlace(inv); // L_JJ⁻¹
            Eigen::MatrixXd dl = inv;
            for (int c = 0; c < w; ++c)
                dl.row(c) /= d[j0 + c];
            zjj.noalias() = inv.transpose() * dl;
            if (nr > 0) {
                Eigen::MatrixXd t = lrj;
                ljj.triangularView<Eigen::UnitLower>().solveInPlace<Eigen::OnTheRight>(t); // L_RJ L_JJ⁻¹
                zjj.noalias() -= zrj.transpose() * t;
            }
            // scatter
            for (int c = 0; c < w; ++c) {
                const int j = j0 + c;
                const int b0 = m_outer[size_t(j)];
                m_diag[size_t(j)] = zjj(c, c);
                for (int t2 = 0; t2 < w - 1 - c; ++t2)
                    m_z[size_t(b0 + t2)] = zjj(c + 1 + t2, c);
                for (int a = 0; a < nr; ++a)
                    m_z[size_t(b0 + (w - 1 - c) + a)] = zrj(a, c);
            }
        }
    }

    // Entry (a, b) of N⁻¹ in the unpermuted numbering; nullopt when it is off the pattern.
    std::optional<double> at(int a, int b) const
    {
        int p = m_perm[size_t(a)], q = m_perm[size_t(b)];
        if (p == q)
            return m_diag[size_t(p)];
        if (p > q)
            std::swap(p, q);
        const auto first = m_inner.begin() + m_outer[size_t(p)], last = m_inner.begin() + m_outer[size_t(p) + 1];
        const auto it = std::lower_bound(first, last, q);
        if (it == last || *it != q)
            return std::nullopt;
        return m_z[size_t(it - m_inner.begin())];
    }

private:
    int m_n;
    std::vector<int> m_outer, m_inner, m_perm;
    std::vector<double> m_z, m_diag;
};

// ------------------------------------------------------------------------------------ the run

// Coordinate change (metres) after which the normal matrix is formed and factorised anew.
constexpr Real RefactorShift = 0.01L;
// The covariances need N at the final coordinates: Σ rᵢ = f holds to the change of N.
constexpr Real FinalShift = 1e-6L;

Result Adjustment::run()
{
    const Network &net = m_net;
    m_np = net.points.size();
    validate();
    approximate();
    number();
    // Observations between fixed points alone leave nothing to solve for (and an empty system
    // is no system for the ordering and the factorisation).
    if (m_u == 0)
        throw Error("网中没有待定点和定向未知数，无需平差");
    analyseDatum();
    buildDatumColumns();
    const size_t nobs = net.observations.size();

    // The datum: held unknowns and the check that the constrained points carry it.
    std::vector<char> held(size_t(m_u), 0);
    if (m_d > 0) {
        // which motions are free, for the messages
        const auto describe = [&](size_t column) -> std::string {
            if (column >= m_planeParts.size() * 4) // height part
                return "高程基准 (没有固定高程的点)";
            return "平面基准 (平移、旋转或尺度)";
        };
        std::vector<char> done(size_t(m_d), 0);
        for (int c = 0; c < m_d; ++c) {
            if (m_eCols[size_t(c)].empty()) {
                // name a point of the part
                const int u = m_hCols[size_t(c)].empty() ? -1 : m_hCols[size_t(c)].front().first;
                const std::string point = u >= 0 && m_unknownPoint[size_t(u)] >= 0 ? name(m_unknownPoint[size_t(u)]) : "?";
                const bool height = u >= 0 && m_unknownPoint[size_t(u)] >= 0 && m_uz[size_t(m_unknownPoint[size_t(u)])] == u;
                throw Error(std::string("网无法") + (height ? "确定高程基准" : "定位或定向") + ": 点 " + point + " 所在的" +
                            (height ? "水准网没有固定高程的点" : "平面网没有足够的固定点 (缺 " + std::to_string(m_d) + " 个基准条件)") +
                            ", 也没有标出约束点 (自由网须标出约束点)");
            }
        }
        (void)describe;
        (void)done;
        // held rows: Gaussian elimination with full pivoting on H over coordinate unknowns
        std::vector<int> rowsU;
        for (const auto &col : m_hCols)
            for (const auto &[u, v] : col)
                if (m_unknownPoint[size_t(u)] >= 0)
                    rowsU.push_back(u);
        std::sort(rowsU.begin(), rowsU.end());
        rowsU.erase(std::unique(rowsU.begin(), rowsU.end()), rowsU.end());
        Eigen::MatrixXd h = Eigen::MatrixXd::Zero(Eigen::Index(rowsU.size()), m_d);
        for (int c = 0; c < m_d; ++c)
            for (const auto &[u, v] : m_hCols[size_t(c)])
                if (m_unknownPoint[size_t(u)] >= 0) {
                    const auto it = std::lower_bound(rowsU.begin(), rowsU.end(), u);
                    h(it - rowsU.begin(), c) = v;
                }
        std::vector<char> colDone(size_t(m_d), 0);
        for (int step = 0; step < m_d; ++step) {
            Eigen::Index br = -1, bc = -1;
            double best = 0;
            for (Eigen::Index r = 0; r < h.rows(); ++r)
                for (Eigen::Index c = 0; c < h.cols(); ++c)
                    if (!colDone[size_t(c)] && !held[size_t(rowsU[size_t(r)])] && std::fabs(h(r, c)) > best)
                        best = std::fabs(h(r, c)), br = r, bc = c;
            if (br < 0 || best < 1e-9)
                throw Error("网的基准无法确定 (数据退化)");
            held[size_t(rowsU[size_t(br)])] = 1;
            colDone[size_t(bc)] = 1;
            const Eigen::RowVectorXd pivotRow = h.row(br) / h(br, bc);
            for (Eigen::Index r = 0; r < h.rows(); ++r)
                if (r != br)
                    h.row(r) -= h(r, bc) * pivotRow;
        }
    }
    m_reduced.assign(size_t(m_u), -1);
    m_ur = 0;
    for (int u = 0; u < m_u; ++u)
        if (!held[size_t(u)])
            m_reduced[size_t(u)] = m_ur++;

    const auto computeG = [&] {
        Eigen::MatrixXd eth = Eigen::MatrixXd::Zero(m_d, m_d);
        std::vector<double> dense(size_t(m_u), 0);
        for (int b = 0; b < m_d; ++b) {
            for (const auto &[u, v] : m_hCols[size_t(b)])
                dense[size_t(u)] = v;
            for (int a = 0; a < m_d; ++a) {
                double s = 0;
                for (const auto &[u, v] : m_eCols[size_t(a)])
                    s += v * dense[size_t(u)];
                eth(a, b) = s;
            }
            for (const auto &[u, v] : m_hCols[size_t(b)])
                dense[size_t(u)] = 0;
        }
        Eigen::FullPivLU<Eigen::MatrixXd> lu(eth);
        lu.setThreshold(1e-10);
        if (lu.rank() < m_d)
            throw Error("约束点不足以确定自由网的基准 (例如平面网至少须两个约束点, 只有方向观测时须足以确定尺度): 请增加约束点或固定点");
        m_g = lu.inverse();
    };
    if (m_d > 0)
        computeG();

    // cumulative corrections of the unknowns since the approximate values
    std::vector<double> total(size_t(m_u), 0);
    const auto applyCorrection = [&](const Eigen::VectorXd &dx) -> Real {
        Real largest = 0;
        for (size_t p = 0; p < m_np; ++p) {
            if (m_ux[p] >= 0) {
                m_n[p] += dx[m_ux[p]], m_e[p] += dx[m_ux[p] + 1];
                largest = std::max<Real>(largest, std::max(std::fabs(dx[m_ux[p]]), std::fabs(dx[m_ux[p] + 1])));
            }
            if (m_uz[p] >= 0) {
                m_h[p] += dx[m_uz[p]];
                largest = std::max<Real>(largest, std::fabs(dx[m_uz[p]]));
            }
        }
        for (size_t s = 0; s < m_o.size(); ++s)
            if (m_uo[s] >= 0)
                m_o[s] += dx[m_uo[s]];
        for (int u = 0; u < m_u; ++u)
            total[size_t(u)] += dx[u];
        return largest;
    };

    Solver solver;
    bool analysed = false;
    std::vector<Eigen::Triplet<double>> triplets;
    Eigen::VectorXd rhs(m_ur);
    SparseMatrix normal(m_ur, m_ur);
    int iterations = 0;
    bool converged = false;
    std::vector<std::pair<int, double>> terms;
    terms.reserve(8);
    // The right-hand side at the current coordinates always; the matrix (and its factorisation)
    // only when `matrix`: once the corrections are small, the factorisation of an earlier round
    // serves (the fixed point is still that of the current design matrix's right-hand side).
    const auto assembleAndFactor = [&](bool matrix) {
        triplets.clear();
        rhs.setZero();
        for (size_t i = 0; i < nobs; ++i) {
            const Observation &o = net.observations[i];
            const Row r = linearize(o);
            const double s = double(o.stdev);
            const double l = double(Misclosure(o, obsInternal(o), r)) / s;
            terms.clear();
            ForEachTerm(r, m_ux, m_uz, m_uo, [&](int u, double c) {
                const int k = m_reduced[size_t(u)];
                if (k >= 0)
                    terms.emplace_back(k, c / s);
            });
            for (const auto &[a, ca] : terms) {
                rhs[a] += ca * l;
                if (matrix)
                    for (const auto &[b, cb] : terms)
                        if (b >= a)
                            triplets.emplace_back(b, a, ca * cb);
            }
        }
        if (!matrix)
            return;
        normal.setZero();
        normal.resize(m_ur, m_ur);
        normal.setFromTriplets(triplets.begin(), triplets.end());
        for (int k = 0; k < m_ur; ++k) // every unknown on the diagonal, so the pattern stays fixed
            if (normal.coeff(k, k) == 0)
                normal.coeffRef(k, k) = 0;
        if (!analysed) {
            solver.analyzePattern(normal);
            analysed = true;
        }
        solver.factorize(normal);
        // singularities: D(k) tiny against the diagonal, or the factorisation stopped
        const Eigen::VectorXd d = solver.vectorD();
        const auto &perm = solver.permutationP().indices();
        std::vector<int> inverse(static_cast<size_t>(m_ur));
        for (int k = 0; k < m_ur; ++k)
            inverse[size_t(perm[k])] = k;
        std::vector<int> reducedToUnknown(static_cast<size_t>(m_ur));
        for (int u = 0; u < m_u; ++u)
            if (m_reduced[size_t(u)] >= 0)
                reducedToUnknown[size_t(m_reduced[size_t(u)])] = u;
        const Eigen::VectorXd diag = normal.diagonal();
        for (int k = 0; k < m_ur; ++k) {
            const int original = inverse[size_t(k)];
            const double scale = diag[original];
            if (solver.info() != Eigen::Success || k >= d.size() || !(d[k] > 1e-12 * scale) || !std::isfinite(d[k])) {
                if (solver.info() != Eigen::Success || k >= d.size() || !(d[k] > 1e-12 * scale) || !std::isfinite(d[k]))
                    singular(reducedToUnknown[size_t(original)]);
            }
        }
    };

    Real sinceFactor = 0; // largest coordinate change since the last factorisation
    bool factored = false;
    while (true) {
        ++iterations;
        const bool refactor = !factored || sinceFactor > RefactorShift;
        assembleAndFactor(refactor);
        if (refactor)
            factored = true, sinceFactor = 0;
        const Eigen::VectorXd x0r = solver.solve(rhs);
        Eigen::VectorXd dx = Eigen::VectorXd::Zero(m_u);
        for (int u = 0; u < m_u; ++u)
            if (m_reduced[size_t(u)] >= 0)
                dx[u] = x0r[m_reduced[size_t(u)]];
        if (m_d > 0) {
            buildDatumColumns();
            computeG();
            Eigen::VectorXd et(m_d);
            for (int c = 0; c < m_d; ++c) {
                double s = 0;
                for (const auto &[u, v] : m_eCols[size_t(c)])
                    s += v * (total[size_t(u)] + dx[u]);
                et[c] = s;
            }
            const Eigen::VectorXd a = m_g * et;
            for (int c = 0; c < m_d; ++c)
                for (const auto &[u, v] : m_hCols[size_t(c)])
                    dx[u] -= v * a[c];
        }
        if (!dx.allFinite())
            throw Error("平差计算失败: 法方程病态");
        const Real largest = applyCorrection(dx);
        sinceFactor += largest;
        if (largest < 1e-9L || (converged && iterations >= IterationLimit + 2))
            break; // at the fixed point of the extended-precision misclosures
        if (largest < ConvergenceTolerance) {
            converged = true;
            continue;
        }
        if (iterations >= IterationLimit)
            throw Error("平差迭代 " + std::to_string(iterations) + " 次仍未收敛 (最后一次最大改正数 " + NumberToText(3, largest * 1000) +
                        " mm): 请检查观测值与已知点是否有粗差, 或给出更好的近似坐标");
    }
    // the covariances from a factorisation at the final coordinates (to a micrometre)
    if (sinceFactor > FinalShift)
        assembleAndFactor(true);

    // ---- results
    Result result;
    Summary &sum = result.summary;
    sum.iterations = iterations;
    sum.observations = int(nobs);
    sum.unknowns = m_u;
    sum.defect = m_d;
    sum.dof = int(nobs) - m_u + m_d;
    if (sum.dof < 0)
        throw Error("观测数 (" + std::to_string(nobs) + ") 少于必要观测数 (" + std::to_string(m_u - m_d) + "), 无法平差");
    sum.sigma0Apriori = net.settings.sigma0;

    std::vector<Row> rows(nobs);
    std::vector<Real> v(nobs);
    Real sumSquares = 0;
    for (size_t i = 0; i < nobs; ++i) {
        const Observation &o = net.observations[i];
        rows[i] = linearize(o);
        v[i] = -Misclosure(o, obsInternal(o), rows[i]); // f − l
        const Real vs = v[i] / o.stdev;
        sumSquares += vs * vs;
    }
    const Real s0 = net.settings.sigma0;
    sum.vtpv = s0 * s0 * sumSquares;
    sum.sigma0Aposteriori = sum.dof > 0 ? std::sqrt(sum.vtpv / sum.dof) : 0;
    sum.aposterioriUsed = net.settings.aposteriori && sum.dof > 0;
    sum.chi2.probability = net.settings.confidence;
    if (sum.dof > 0) {
        sum.chi2.done = true;
        sum.chi2.ratio = sum.sigma0Aposteriori / s0;
        const Real p = net.settings.confidence;
        sum.chi2.lower = std::sqrt(ChiSquareQuantile((1 - p) / 2, sum.dof) / sum.dof);
        sum.chi2.upper = std::sqrt(ChiSquareQuantile((1 + p) / 2, sum.dof) / sum.dof);
        sum.chi2.passed = sum.chi2.ratio >= sum.chi2.lower && sum.chi2.ratio <= sum.chi2.upper;
    }
    const Real factor = sum.aposterioriUsed ? sum.chi2.ratio : 1; // m / σ0
    const Real factor2 = factor * factor;

    // covariances
    const SelectedInverse z(solver, m_ur);
    Eigen::MatrixXd uMat, kMat, mMat; // U = Q₀E (unknowns × d), K = H G, M = EᵀU
    if (m_d > 0) {
        Eigen::MatrixXd er = Eigen::MatrixXd::Zero(m_ur, m_d);
        for (int c = 0; c < m_d; ++c)
            for (const auto &[u, val] : m_eCols[size_t(c)])
                if (m_reduced[size_t(u)] >= 0)
                    er(m_reduced[size_t(u)], c) = val;
        const Eigen::MatrixXd ur = solver.solve(er);
        uMat = Eigen::MatrixXd::Zero(m_u, m_d);
        for (int u = 0; u < m_u; ++u)
            if (m_reduced[size_t(u)] >= 0)
                uMat.row(u) = ur.row(m_reduced[size_t(u)]);
        Eigen::MatrixXd h = Eigen::MatrixXd::Zero(m_u, m_d);
        for (int c = 0; c < m_d; ++c)
            for (const auto &[u, val] : m_hCols[size_t(c)])
                h(u, c) = val;
        kMat = h * m_g;
        mMat = Eigen::MatrixXd::Zero(m_d, m_d);
        for (int c = 0; c < m_d; ++c)
            for (const auto &[u, val] : m_eCols[size_t(c)])
                mMat.row(c) += val * uMat.row(u);
    }
    // Q_E entry of two unknowns (full numbering)
    const auto q = [&](int a, int b) -> double {
        double value = 0;
        const int ra = m_reduced[size_t(a)], rb = m_reduced[size_t(b)];
        if (ra >= 0 && rb >= 0) {
            std::optional<double> e = z.at(ra, rb);
            if (!e) {
                Eigen::VectorXd unit = Eigen::VectorXd::Zero(m_ur);
                unit[rb] = 1;
                e = solver.solve(unit)[ra];
            }
            value = *e;
        }
        if (m_d > 0) {
            value -= kMat.row(a).dot(uMat.row(b)) + uMat.row(a).dot(kMat.row(b));
            value += kMat.row(a) * mMat * kMat.row(b).transpose();
        }
        return value;
    };

    const Frame &f = m_frame;
    const auto toInput = [&](double cnn, double cee, double cne, Real &cxx, Real &cyy, Real &cxy) {
        // x = r00 N + r10 E, y = r01 N + r11 E
        cxx = f.r00 * f.r00 * cnn + f.r10 * f.r10 * cee + 2.0 * f.r00 * f.r10 * cne;
        cyy = f.r01 * f.r01 * cnn + f.r11 * f.r11 * cee + 2.0 * f.r01 * f.r11 * cne;
        cxy = f.r00 * f.r01 * cnn + f.r10 * f.r11 * cee + (f.r00 * f.r11 + f.r10 * f.r01) * cne;
    };

    result.points.resize(m_np);
    for (size_t p = 0; p < m_np; ++p) {
        PointResult &pr = result.points[p];
        pr.x = f.r00 * m_n[p] + f.r10 * m_e[p];
        pr.y = f.r01 * m_n[p] + f.r11 * m_e[p];
        pr.z = m_h[p];
        pr.x0 = f.r00 * m_n0[p] + f.r10 * m_e0[p];
        pr.y0 = f.r01 * m_n0[p] + f.r11 * m_e0[p];
        pr.z0 = m_h0[p];
        if (m_ux[p] >= 0) {
            pr.plane = true;
            const int u = m_ux[p];
            Real cxx, cyy, cxy;
            toInput(q(u, u), q(u + 1, u + 1), q(u, u + 1), cxx, cyy, cxy);
            cxx = std::max<Real>(0, cxx) * factor2, cyy = std::max<Real>(0, cyy) * factor2, cxy *= factor2;
            pr.sx = std::sqrt(cxx), pr.sy = std::sqrt(cyy), pr.sp = std::sqrt(cxx + cyy);
            pr.ellipse = EllipseOf(cxx, cyy, cxy);
        }
        if (m_uz[p] >= 0) {
            pr.height = true;
            pr.sz = std::sqrt(std::max<Real>(0, q(m_uz[p], m_uz[p])) * factor2);
        }
    }
    result.orientations.resize(net.sets.size());
    for (size_t s = 0; s < net.sets.size(); ++s)
        result.orientations[s] = net.settings.clockwise ? Normal(m_o[s]) : Normal(-m_o[s]);

    // observations
    result.observations.resize(nobs);
    Real largestW = 0;
    std::vector<std::pair<int, double>> t;
    for (size_t i = 0; i < nobs; ++i) {
        const Observation &o = net.observations[i];
        ObservationResult &r = result.observations[i];
        const Real vi = IsAngular(o.kind) && !net.settings.clockwise ? -v[i] : v[i];
        r.residual = vi;
        r.adjusted = o.value + vi;
        t.clear();
        ForEachTerm(rows[i], m_ux, m_uz, m_uo, [&](int u, double c) { t.emplace_back(u, c / double(o.stdev)); });
        double qi = 0;
        for (const auto &[a, ca] : t)
            for (const auto &[b, cb] : t)
                qi += ca * cb * q(a, b);
        qi = std::clamp(qi, 0.0, 1.0);
        r.redundancy = 1 - Real(qi);
        r.sigmaAdjusted = factor * o.stdev * std::sqrt(Real(qi));
        if (r.redundancy > 1e-6L) {
            r.tested = true;
            r.w = (v[i] / o.stdev) / std::sqrt(r.redundancy);
            if (IsAngular(o.kind) && !net.settings.clockwise)
                r.w = -r.w;
            r.mdb = Delta0 * o.stdev / std::sqrt(r.redundancy);
            if (std::fabs(r.w) > WCritical && std::fabs(r.w) > largestW) {
                largestW = std::fabs(r.w);
                sum.suspect = int(i);
            }
        }
    }

    // relative ellipses of observed pairs
    std::vector<std::pair<int, int>> pairs;
    for (const Observation &o : net.observations) {
        switch (o.kind) {
        case ObservationKind::Direction: pairs.emplace_back(net.sets[size_t(o.set)].station, o.to); break;
        case ObservationKind::Angle: pairs.emplace_back(o.from, o.bs), pairs.emplace_back(o.from, o.to); break;
        case ObservationKind::Distance:
        case ObservationKind::Azimuth: pairs.emplace_back(o.from, o.to); break;
        default: break;
        }
    }
    {
        std::vector<std::pair<int, int>> unique;
        std::vector<std::pair<int, int>> seen;
        for (auto [a, b] : pairs) {
            if (m_ux[size_t(a)] < 0 && m_ux[size_t(b)] < 0)
                continue;
            const std::pair<int, int> key{std::min(a, b), std::max(a, b)};
            seen.push_back(key);
            unique.emplace_back(a, b);
        }
        std::vector<size_t> order(seen.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](size_t x, size_t y) { return seen[x] < seen[y]; });
        std::vector<char> keep(seen.size(), 0);
        for (size_t k = 0; k < order.size(); ++k)
            if (k == 0 || seen[order[k]] != seen[order[k - 1]])
                keep[order[k]] = 1;
        for (size_t k = 0; k < unique.size(); ++k) {
            if (!keep[k])
                continue;
            const auto [a, b] = unique[k];
            const int ua = m_ux[size_t(a)], ub = m_ux[size_t(b)];
            double cnn = 0, cee = 0, cne = 0;
            const auto add = [&](int u1, int u2, double sign) {
                if (u1 < 0 || u2 < 0)
                    return;
                cnn += sign * q(u1, u2);
                cee += sign * q(u1 + 1, u2 + 1);
                cne += sign * (q(u1, u2 + 1) + q(u1 + 1, u2)) / 2;
            };
            add(ua, ua, 1), add(ub, ub, 1), add(ua, ub, -1), add(ub, ua, -1);
            Real cxx, cyy, cxy;
            toInput(cnn, cee, cne, cxx, cyy, cxy);
            RelativeEllipse re;
            re.from = a, re.to = b;
            const Real dn = m_n[size_t(b)] - m_n[size_t(a)], de = m_e[size_t(b)] - m_e[size_t(a)];
            re.length = std::sqrt(dn * dn + de * de);
            re.ellipse = EllipseOf(std::max<Real>(0, cxx) * factor2, std::max<Real>(0, cyy) * factor2, cxy * factor2);
            result.relative.push_back(re);
        }
    }
    Real worst = -1;
    for (size_t p = 0; p < m_np; ++p) {
        const PointResult &pr = result.points[p];
        const Real s = pr.plane ? pr.sp : pr.height ? pr.sz : -1;
        if (s > worst)
            worst = s, sum.weakestPoint = int(p);
    }
    if (worst < 0)
        sum.weakestPoint = -1;
    Real worstSide = -1;
    for (size_t k = 0; k < result.relative.size(); ++k) {
        const RelativeEllipse &re = result.relative[k];
        if (re.length > 0 && re.ellipse.a / re.length > worstSide)
            worstSide = re.ellipse.a / re.length, sum.weakestSide = int(k);
    }
    return result;
}

// ------------------------------------------------------------------------------- χ² quantile

// Regularised lower incomplete gamma function P(a, x).
double GammaP(double a, double x)
{
    if (x <= 0)
        return 0;
    const double lnFront = a * std::log(x) - x - std::lgamma(a);
    if (x < a + 1) {
        double term = 1 / a, sum = term;
        for (int n = 1; n < 100000; ++n) {
            term *= x / (a + n);
            sum += term;
            if (std::fabs(term) < std::fabs(sum) * 1e-17)
                break;
        }
        return sum * std::exp(lnFront);
    }
    // continued fraction (modified Lentz) for Q
    const double tiny = 1e-300;
    double b = x + 1 - a, c = 1 / tiny, d = 1 / b, h = d;
    for (int i = 1; i < 100000; ++i) {
        const double an = -i * (i - a);
        b += 2;
        d = an * d + b;
        if (std::fabs(d) < tiny)
            d = tiny;
        c = b + an / c;
        if (std::fabs(c) < tiny)
            c = tiny;
        d = 1 / d;
        const double delta = d * c;
        h *= delta;
        if (std::fabs(delta - 1) < 1e-16)
            break;
    }
    return 1 - std::exp(lnFront) * h;
}

} // namespace

Real ChiSquareQuantile(Real p, int dof)
{
    if (dof <= 0 || !(p > 0 && p < 1))
        throw Error("χ² 分位数的参数无效");
    const double k = dof;
    // bracket, then bisection on P(k/2, x/2) = p (monotonic)
    double lo = 0, hi = std::max(1.0, k);
    while (GammaP(k / 2, hi / 2) < double(p))
        hi *= 2;
    for (int i = 0; i < 200; ++i) {
        const double mid = (lo + hi) / 2;
        if (GammaP(k / 2, mid / 2) < double(p))
            lo = mid;
        else
            hi = mid;
        if (hi - lo <= 1e-15 * hi)
            break;
    }
    return Real((lo + hi) / 2);
}

Network WithApproximateValues(const Network &network)
{
    return Adjustment(network).approximateOnly();
}

Result Adjust(const Network &network)
{
    (void)RoleFree;
    return Adjustment(network).run();
}

const char *KindName(ObservationKind kind)
{
    switch (kind) {
    case ObservationKind::Direction: return "direction";
    case ObservationKind::Angle: return "angle";
    case ObservationKind::Distance: return "distance";
    case ObservationKind::Azimuth: return "azimuth";
    case ObservationKind::CoordinateX:
    case ObservationKind::CoordinateY: return "coordinate";
    case ObservationKind::HeightDifference: return "dh";
    }
    return "";
}

const char *KindNameZh(ObservationKind kind)
{
    switch (kind) {
    case ObservationKind::Direction: return "方向";
    case ObservationKind::Angle: return "角度";
    case ObservationKind::Distance: return "距离";
    case ObservationKind::Azimuth: return "方位角";
    case ObservationKind::CoordinateX:
    case ObservationKind::CoordinateY: return "坐标";
    case ObservationKind::HeightDifference: return "高差";
    }
    return "";
}

bool IsAngular(ObservationKind kind)
{
    return kind == ObservationKind::Direction || kind == ObservationKind::Angle || kind == ObservationKind::Azimuth;
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

std::string ObservationLabel(const Network &network, const Observation &o)
{
    const auto id = [&](int p) { return p >= 0 && size_t(p) < network.points.size() ? network.points[size_t(p)].id : std::string("?"); };
    switch (o.kind) {
    case ObservationKind::Direction: {
        const int st = o.set >= 0 && size_t(o.set) < network.sets.size() ? network.sets[size_t(o.set)].station : -1;
        return id(st) + "-" + id(o.to);
    }
    case ObservationKind::Angle: return id(o.from) + ": " + id(o.bs) + "-" + id(o.to);
    case ObservationKind::CoordinateX: return id(o.from) + " x";
    case ObservationKind::CoordinateY: return id(o.from) + " y";
    default: return id(o.from) + "-" + id(o.to);
    }
}

} // namespace quorvil::network
