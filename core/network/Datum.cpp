// The datum. For each connected part of the plane network the candidate datum motions are the
// translations in N and E, the rotation (which also turns every orientation) and the scale, about
// the part's centroid: the columns of T. Those combinations Tv that leave every observation and
// every fixed point unchanged span the null space H of the design matrix: v are the eigenvectors
// of (KᵀK), K = [A T; fixed-point rows of T], with eigenvalue zero (to NullEigenvalueShare of the
// scale of the well-determined ones). A levelling part without a fixed height has the null vector
// of equal height shifts. A part that spatial observations (slope distances, zenith angles) tie
// in plane and height together has the candidate motions of a spatial similarity with separate
// horizontal and vertical scales (translations in N, E, H, rotations about the three axes, two
// scales); the combinations of them that move no coordinate of the part are left out of its
// basis before its null vectors are sought the same way. The defect d is the number of such
// vectors. With E the columns of H
// restricted to the constrained coordinates (zero elsewhere), the free-network solution is the
// one with Eᵀ(ξ − ξ_initial) = 0, the minimum norm of the constrained points' total corrections.
// It is found by holding d well-chosen coordinates (rows of H with the largest pivots) at their
// values, solving the regular reduced system for dξ₀, and S-transforming:
//   dξ = dξ₀ − H (EᵀH)⁻¹ Eᵀ (Δ + dξ₀),    Δ = ξ⁰ − ξ_initial,
//   Q_E = S Q₀ Sᵀ,  S = I − H (EᵀH)⁻¹ Eᵀ,
// with Q₀ the inverse of the reduced normal matrix (zero in the held rows and columns).
#include "Datum.h"

#include "Linearization.h"

#include "core/Error.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace quorvil::network {

namespace {

// An eigenvalue of KᵀK below this share of the per-unknown scale of the part is zero.
constexpr double NullEigenvalueShare = 1e-11;
// The least weight of the fixed-point rows (the per-unknown scale of a part without observations).
constexpr double LeastFixedWeight = 1e-300;
// The largest remaining pivot of H when a coordinate is chosen to be held.
constexpr double LeastHeldPivot = 1e-9;
// The rank threshold of EᵀH.
constexpr double DatumRankThreshold = 1e-10;

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

// The null vectors of one plane part; false when it has none.
bool FindNullVectors(const State &state, PlanePart &part, const std::vector<int> &rows)
{
    const Network &net = state.net;
    const Unknowns &unknowns = state.unknowns;
    const std::vector<Real> &n = state.now.n, &e = state.now.e;
    bool anyUnknown = false;
    for (int p : part.points)
        anyUnknown = anyUnknown || unknowns.plane[size_t(p)] >= 0;
    if (!anyUnknown)
        return false;
    Real cn = 0, ce = 0;
    for (int p : part.points)
        cn += n[size_t(p)], ce += e[size_t(p)];
    cn /= Real(part.points.size()), ce /= Real(part.points.size());
    Real r2 = 0;
    for (int p : part.points) {
        const Real a = n[size_t(p)] - cn, b = e[size_t(p)] - ce;
        r2 += a * a + b * b;
    }
    part.cn = cn, part.ce = ce;
    part.scale = r2 > 0 ? std::sqrt(r2 / Real(part.points.size())) : 1;
    // the candidate motions of a point: translations in N and E, rotation, scale
    const auto motion = [&](int p, int column, double &dn, double &de) {
        const double a = double((n[size_t(p)] - cn) / part.scale), b = double((e[size_t(p)] - ce) / part.scale);
        switch (column) {
        case 0: dn = 1, de = 0; break;
        case 1: dn = 0, de = 1; break;
        case 2: dn = -b, de = a; break;
        default: dn = a, de = b; break;
        }
    };
    Eigen::MatrixXd gram = Eigen::MatrixXd::Zero(4, 4);
    double frob = 0;
    int count = int(part.sets.size());
    for (int p : part.points)
        if (unknowns.plane[size_t(p)] >= 0)
            count += 2;
    for (int i : rows) {
        const Observation &o = net.observations[size_t(i)];
        const Row r = Linearize(state, o);
        const double s = double(o.stdev);
        Eigen::Vector4d k = Eigen::Vector4d::Zero();
        for (int t = 0; t < r.count; ++t) {
            const PointTerm &term = r.terms[t];
            for (int col = 0; col < 4; ++col) {
                double dn, de;
                motion(term.point, col, dn, de);
                k[col] += (term.n * dn + term.e * de) / s;
            }
            if (unknowns.plane[size_t(term.point)] >= 0)
                frob += (term.n * term.n + term.e * term.e) / (s * s);
        }
        if (r.set >= 0) {
            k[2] += r.orientation / double(part.scale) / s; // the rotation turns every orientation
            frob += r.orientation * r.orientation / (s * s);
        }
        gram += k * k.transpose();
    }
    const double perUnknown = frob / std::max(1, count);
    const double fixedWeight = std::sqrt(std::max(perUnknown, LeastFixedWeight));
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
        if (eig.eigenvalues()[k] < NullEigenvalueShare * reference)
            nullColumns.push_back(k);
    if (nullColumns.empty())
        return false;
    part.v.resize(4, Eigen::Index(nullColumns.size()));
    for (size_t k = 0; k < nullColumns.size(); ++k)
        part.v.col(Eigen::Index(k)) = eig.eigenvectors().col(nullColumns[k]);
    return true;
}

// Per node (2p: the plane of point p, 2p + 1: its height): the node's part of the network, every
// observation joining the nodes it is a function of; `spatial` marks the nodes whose part has a
// spatial observation (only those join plane and height).
struct NodeParts {
    UnionFind uf;
    std::vector<char> spatial;
    explicit NodeParts(const State &state) : uf(2 * state.points), spatial(2 * state.points, 0)
    {
        const Network &net = state.net;
        std::vector<char> root(2 * state.points, 0);
        for (const Observation &o : net.observations) {
            const ObservationPoints points = PointsOf(net, o);
            const int first = 2 * points.point[0] + (UsesPlane(o.kind) ? 0 : 1);
            for (int p : points) {
                if (UsesPlane(o.kind))
                    uf.unite(first, 2 * p);
                if (UsesHeight(o.kind))
                    uf.unite(first, 2 * p + 1);
            }
        }
        for (const Observation &o : net.observations)
            if (DimensionOf(o.kind) == Dimension::Space)
                root[size_t(uf.find(2 * o.from))] = 1;
        for (size_t k = 0; k < spatial.size(); ++k)
            spatial[k] = root[size_t(uf.find(int(k)))];
    }
};

void AnalysePlaneParts(const State &state, const NodeParts &nodes, Datum &datum)
{
    const Network &net = state.net;
    const size_t np = state.points;
    UnionFind uf(np);
    std::vector<char> inPlane(np, 0);
    for (const Observation &o : net.observations) {
        if (DimensionOf(o.kind) != Dimension::Plane || nodes.spatial[2 * size_t(StationOf(net, o))])
            continue;
        const ObservationPoints points = PointsOf(net, o);
        for (int k = 1; k < points.count; ++k)
            uf.unite(points.point[0], points.point[k]);
        for (int p : points)
            inPlane[size_t(p)] = 1;
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
        if (state.unknowns.orientation[s] >= 0 && !nodes.spatial[2 * size_t(net.sets[s].station)])
            parts[size_t(partOf[size_t(uf.find(net.sets[s].station))])].sets.push_back(int(s));
    std::vector<std::vector<int>> partRows(parts.size());
    for (size_t i = 0; i < net.observations.size(); ++i) {
        const Observation &o = net.observations[i];
        if (DimensionOf(o.kind) == Dimension::Plane && !nodes.spatial[2 * size_t(StationOf(net, o))])
            partRows[size_t(partOf[size_t(uf.find(StationOf(net, o)))])].push_back(int(i));
    }
    for (size_t c = 0; c < parts.size(); ++c)
        if (FindNullVectors(state, parts[c], partRows[c]))
            datum.planeParts.push_back(parts[c]);
}

void AnalyseHeightParts(const State &state, const NodeParts &nodes, Datum &datum)
{
    const Network &net = state.net;
    const size_t np = state.points;
    UnionFind hf(np);
    std::vector<char> inHeight(np, 0);
    for (const Observation &o : net.observations)
        if (DimensionOf(o.kind) == Dimension::Height && !nodes.spatial[2 * size_t(o.from) + 1]) {
            hf.unite(o.from, o.to);
            inHeight[size_t(o.from)] = inHeight[size_t(o.to)] = 1;
        }
    std::vector<int> partOf(np, -1);
    std::vector<HeightPart> parts;
    std::vector<char> hasFixed;
    for (size_t p = 0; p < np; ++p) {
        if (!inHeight[p])
            continue;
        const int root = hf.find(int(p));
        if (partOf[size_t(root)] < 0) {
            partOf[size_t(root)] = int(parts.size());
            parts.emplace_back();
            hasFixed.push_back(0);
        }
        const size_t k = size_t(partOf[size_t(root)]);
        parts[k].points.push_back(int(p));
        if (net.points[p].height == Role::Fixed)
            hasFixed[k] = 1;
    }
    for (size_t k = 0; k < parts.size(); ++k)
        if (!hasFixed[k])
            datum.heightParts.push_back(parts[k]);
}

// The candidate motions of a spatial part at point p (the columns SpacePart describes).
void SpaceMotion(const SpacePart &part, const Coordinates &at, int p, int column, double &dn, double &de, double &dh)
{
    const double a = double((at.n[size_t(p)] - part.cn) / part.scale), b = double((at.e[size_t(p)] - part.ce) / part.scale),
                 c = double((at.h[size_t(p)] - part.ch) / part.scale);
    dn = de = dh = 0;
    switch (column) {
    case 0: dn = 1; break;
    case 1: de = 1; break;
    case 2: dh = 1; break;
    case 3: dn = -b, de = a; break;
    case 4: dn = a, de = b; break;
    case 5: dh = c; break;
    case 6: de = -c, dh = b; break;
    default: dn = c, dh = -a; break;
    }
}
constexpr int SpaceMotions = 8;
// A combination of the motions whose eigenvalue in their Gram matrix over the part's coordinates
// is below this share of the largest moves none of them.
constexpr double LeastMotionShare = 1e-10;

// The null vectors of one spatial part; false when it has none.
bool FindSpaceNullVectors(const State &state, SpacePart &part, const std::vector<int> &rows)
{
    const Network &net = state.net;
    const Unknowns &unknowns = state.unknowns;
    const Coordinates &at = state.now;
    bool anyUnknown = false;
    Real cn = 0, ce = 0, ch = 0;
    for (size_t k = 0; k < part.points.size(); ++k) {
        const size_t p = size_t(part.points[k]);
        anyUnknown = anyUnknown || (part.plane[k] && unknowns.plane[p] >= 0) || (part.height[k] && unknowns.height[p] >= 0);
        cn += at.n[p], ce += at.e[p], ch += at.h[p];
    }
    if (!anyUnknown)
        return false;
    const Real count = Real(part.points.size());
    part.cn = cn / count, part.ce = ce / count, part.ch = ch / count;
    Real r2 = 0;
    for (int p : part.points) {
        const Real a = at.n[size_t(p)] - part.cn, b = at.e[size_t(p)] - part.ce, c = at.h[size_t(p)] - part.ch;
        r2 += a * a + b * b + c * c;
    }
    part.scale = r2 > 0 ? std::sqrt(r2 / count) : 1;
    using Vector = Eigen::Matrix<double, SpaceMotions, 1>;
    using Matrix = Eigen::Matrix<double, SpaceMotions, SpaceMotions>;
    const auto motions = [&](int p, Vector &n, Vector &e, Vector &h) {
        for (int col = 0; col < SpaceMotions; ++col)
            SpaceMotion(part, at, p, col, n[col], e[col], h[col]);
    };
    // the span of the motions over the part's coordinates and orientations
    Matrix span = Matrix::Zero();
    for (size_t k = 0; k < part.points.size(); ++k) {
        Vector n, e, h;
        motions(part.points[k], n, e, h);
        if (part.plane[k])
            span += n * n.transpose() + e * e.transpose();
        if (part.height[k])
            span += h * h.transpose();
    }
    Vector turn = Vector::Zero();
    turn[3] = 1 / double(part.scale); // the rotation about the vertical turns every orientation
    for (size_t s = 0; s < part.sets.size(); ++s)
        span += turn * turn.transpose();
    Eigen::SelfAdjointEigenSolver<Matrix> spanEig(span);
    const double largest = spanEig.eigenvalues()[SpaceMotions - 1];
    std::vector<Vector> basis; // scaled so that each moves the part about as much as a translation
    for (int k = 0; k < SpaceMotions; ++k)
        if (spanEig.eigenvalues()[k] > LeastMotionShare * largest)
            basis.push_back(spanEig.eigenvectors().col(k) * std::sqrt(double(count) / spanEig.eigenvalues()[k]));
    const Eigen::Index m = Eigen::Index(basis.size());
    Eigen::MatrixXd b(SpaceMotions, m);
    for (Eigen::Index k = 0; k < m; ++k)
        b.col(k) = basis[size_t(k)];
    Eigen::MatrixXd gram = Eigen::MatrixXd::Zero(m, m);
    double frob = 0;
    int unknownCount = int(part.sets.size());
    for (size_t k = 0; k < part.points.size(); ++k) {
        const size_t p = size_t(part.points[k]);
        unknownCount += (part.plane[k] && unknowns.plane[p] >= 0 ? 2 : 0) + (part.height[k] && unknowns.height[p] >= 0 ? 1 : 0);
    }
    for (int i : rows) {
        const Observation &o = net.observations[size_t(i)];
        const Row r = Linearize(state, o);
        const double s = double(o.stdev);
        Vector k = Vector::Zero();
        for (int t = 0; t < r.count; ++t) {
            const PointTerm &term = r.terms[t];
            Vector n, e, h;
            motions(term.point, n, e, h);
            if (r.uses & PlaneTerms)
                k += (term.n * n + term.e * e) / s;
            if (r.uses & HeightTerms)
                k += term.h * h / s;
            const size_t p = size_t(term.point);
            if ((r.uses & PlaneTerms) && unknowns.plane[p] >= 0)
                frob += (term.n * term.n + term.e * term.e) / (s * s);
            if ((r.uses & HeightTerms) && unknowns.height[p] >= 0)
                frob += term.h * term.h / (s * s);
        }
        if (r.set >= 0) {
            k += turn * (r.orientation / s);
            frob += r.orientation * r.orientation / (s * s);
        }
        const Eigen::VectorXd kb = b.transpose() * k;
        gram += kb * kb.transpose();
    }
    const double perUnknown = frob / std::max(1, unknownCount);
    const double fixedWeight = std::sqrt(std::max(perUnknown, LeastFixedWeight));
    for (size_t k = 0; k < part.points.size(); ++k) {
        const int p = part.points[k];
        Vector n, e, h;
        motions(p, n, e, h);
        if (part.plane[k] && net.points[size_t(p)].plane == Role::Fixed) {
            const Eigen::VectorXd kn = b.transpose() * n * fixedWeight, ke = b.transpose() * e * fixedWeight;
            gram += kn * kn.transpose() + ke * ke.transpose();
        }
        if (part.height[k] && net.points[size_t(p)].height == Role::Fixed) {
            const Eigen::VectorXd kh = b.transpose() * h * fixedWeight;
            gram += kh * kh.transpose();
        }
    }
    const double reference = perUnknown * double(count);
    Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> eig(gram);
    std::vector<Eigen::Index> nullColumns;
    for (Eigen::Index k = 0; k < m; ++k)
        if (eig.eigenvalues()[k] < NullEigenvalueShare * reference)
            nullColumns.push_back(k);
    if (nullColumns.empty())
        return false;
    part.v.resize(SpaceMotions, Eigen::Index(nullColumns.size()));
    for (size_t k = 0; k < nullColumns.size(); ++k)
        part.v.col(Eigen::Index(k)) = b * eig.eigenvectors().col(nullColumns[k]);
    return true;
}

void AnalyseSpaceParts(const State &state, NodeParts &nodes, Datum &datum)
{
    const Network &net = state.net;
    std::vector<int> partOf(2 * state.points, -1);
    std::vector<SpacePart> parts;
    std::vector<char> used(2 * state.points, 0);
    for (const Observation &o : net.observations)
        for (int p : PointsOf(net, o)) {
            if (UsesPlane(o.kind))
                used[2 * size_t(p)] = 1;
            if (UsesHeight(o.kind))
                used[2 * size_t(p) + 1] = 1;
        }
    for (size_t p = 0; p < state.points; ++p)
        for (size_t d = 0; d < 2; ++d) {
            const size_t node = 2 * p + d;
            if (!used[node] || !nodes.spatial[node])
                continue;
            const size_t root = size_t(nodes.uf.find(int(node)));
            if (partOf[root] < 0) {
                partOf[root] = int(parts.size());
                parts.emplace_back();
            }
            SpacePart &part = parts[size_t(partOf[root])];
            if (part.points.empty() || part.points.back() != int(p))
                part.points.push_back(int(p)), part.plane.push_back(0), part.height.push_back(0);
            (d == 0 ? part.plane : part.height).back() = 1;
        }
    for (size_t s = 0; s < net.sets.size(); ++s) {
        const size_t node = 2 * size_t(net.sets[s].station);
        if (state.unknowns.orientation[s] >= 0 && nodes.spatial[node])
            parts[size_t(partOf[size_t(nodes.uf.find(int(node)))])].sets.push_back(int(s));
    }
    std::vector<std::vector<int>> partRows(parts.size());
    for (size_t i = 0; i < net.observations.size(); ++i) {
        const Observation &o = net.observations[i];
        const size_t node = 2 * size_t(StationOf(net, o)) + (UsesPlane(o.kind) ? 0 : 1);
        if (nodes.spatial[node])
            partRows[size_t(partOf[size_t(nodes.uf.find(int(node)))])].push_back(int(i));
    }
    for (size_t c = 0; c < parts.size(); ++c)
        if (FindSpaceNullVectors(state, parts[c], partRows[c]))
            datum.spaceParts.push_back(parts[c]);
}

} // namespace

Datum AnalyseDatum(const State &state)
{
    Datum datum;
    NodeParts nodes(state);
    AnalysePlaneParts(state, nodes, datum);
    AnalyseHeightParts(state, nodes, datum);
    AnalyseSpaceParts(state, nodes, datum);

    UpdateDatumColumns(state, datum);
    return datum;
}

void UpdateDatumColumns(const State &state, Datum &datum)
{
    const Network &net = state.net;
    const Unknowns &unknowns = state.unknowns;
    datum.h.clear(), datum.e.clear();
    for (const PlanePart &part : datum.planeParts) {
        for (Eigen::Index k = 0; k < part.v.cols(); ++k) {
            DatumColumn h, e;
            const Eigen::Vector4d v = part.v.col(k);
            for (int p : part.points) {
                const int u = unknowns.plane[size_t(p)];
                if (u < 0)
                    continue;
                const double a = double((state.now.n[size_t(p)] - part.cn) / part.scale),
                             b = double((state.now.e[size_t(p)] - part.ce) / part.scale);
                const double dn = v[0] - v[2] * b + v[3] * a, de = v[1] + v[2] * a + v[3] * b;
                h.emplace_back(u, dn), h.emplace_back(u + 1, de);
                if (net.points[size_t(p)].plane == Role::Constrained)
                    e.emplace_back(u, dn), e.emplace_back(u + 1, de);
            }
            for (int s : part.sets)
                if (unknowns.orientation[size_t(s)] >= 0)
                    h.emplace_back(unknowns.orientation[size_t(s)], v[2] / double(part.scale));
            datum.h.push_back(std::move(h)), datum.e.push_back(std::move(e));
        }
    }
    for (const HeightPart &part : datum.heightParts) {
        DatumColumn h, e;
        for (int p : part.points) {
            const int u = unknowns.height[size_t(p)];
            if (u < 0)
                continue;
            h.emplace_back(u, 1.0);
            if (net.points[size_t(p)].height == Role::Constrained)
                e.emplace_back(u, 1.0);
        }
        datum.h.push_back(std::move(h)), datum.e.push_back(std::move(e));
    }
    for (const SpacePart &part : datum.spaceParts) {
        for (Eigen::Index k = 0; k < part.v.cols(); ++k) {
            DatumColumn h, e;
            for (size_t i = 0; i < part.points.size(); ++i) {
                const int p = part.points[i];
                double dn = 0, de = 0, dh = 0;
                for (int col = 0; col < SpaceMotions; ++col) {
                    double mn, me, mh;
                    SpaceMotion(part, state.now, p, col, mn, me, mh);
                    dn += part.v(col, k) * mn, de += part.v(col, k) * me, dh += part.v(col, k) * mh;
                }
                const Point &pt = net.points[size_t(p)];
                if (const int u = unknowns.plane[size_t(p)]; part.plane[i] && u >= 0) {
                    h.emplace_back(u, dn), h.emplace_back(u + 1, de);
                    if (pt.plane == Role::Constrained)
                        e.emplace_back(u, dn), e.emplace_back(u + 1, de);
                }
                if (const int u = unknowns.height[size_t(p)]; part.height[i] && u >= 0) {
                    h.emplace_back(u, dh);
                    if (pt.height == Role::Constrained)
                        e.emplace_back(u, dh);
                }
            }
            for (int s : part.sets)
                if (unknowns.orientation[size_t(s)] >= 0)
                    h.emplace_back(unknowns.orientation[size_t(s)], part.v(3, k) / double(part.scale));
            datum.h.push_back(std::move(h)), datum.e.push_back(std::move(e));
        }
    }
    datum.defect = int(datum.h.size());
}

void HoldDatumUnknowns(State &state, const Datum &datum)
{
    Unknowns &unknowns = state.unknowns;
    const int d = datum.defect;
    std::vector<char> held(size_t(unknowns.count), 0);
    if (d > 0) {
        // every null vector must reach a constrained coordinate
        for (int c = 0; c < d; ++c) {
            if (!datum.e[size_t(c)].empty())
                continue;
            const DatumColumn &column = datum.h[size_t(c)];
            const int u = column.empty() ? -1 : column.front().first;
            const int owner = u >= 0 ? unknowns.owner[size_t(u)] : -1;
            const std::string point = owner >= 0 ? state.name(owner) : "?";
            const bool height = owner >= 0 && unknowns.height[size_t(owner)] == u;
            throw Error(std::string("网无法") + (height ? "确定高程基准" : "定位或定向") + ": 点 " + point + " 所在的" +
                        (height ? "水准网没有固定高程的点" : "平面网没有足够的固定点 (缺 " + std::to_string(d) + " 个基准条件)") +
                        ", 也没有标出约束点 (自由网须标出约束点)");
        }
        // held rows: Gaussian elimination with full pivoting on H over the coordinate unknowns
        std::vector<int> rowsU;
        for (const DatumColumn &col : datum.h)
            for (const auto &[u, v] : col)
                if (unknowns.owner[size_t(u)] >= 0)
                    rowsU.push_back(u);
        std::sort(rowsU.begin(), rowsU.end());
        rowsU.erase(std::unique(rowsU.begin(), rowsU.end()), rowsU.end());
        Eigen::MatrixXd h = Eigen::MatrixXd::Zero(Eigen::Index(rowsU.size()), d);
        for (int c = 0; c < d; ++c)
            for (const auto &[u, v] : datum.h[size_t(c)])
                if (unknowns.owner[size_t(u)] >= 0) {
                    const auto it = std::lower_bound(rowsU.begin(), rowsU.end(), u);
                    h(it - rowsU.begin(), c) = v;
                }
        std::vector<char> colDone(size_t(d), 0);
        for (int step = 0; step < d; ++step) {
            Eigen::Index br = -1, bc = -1;
            double best = 0;
            for (Eigen::Index r = 0; r < h.rows(); ++r)
                for (Eigen::Index c = 0; c < h.cols(); ++c)
                    if (!colDone[size_t(c)] && !held[size_t(rowsU[size_t(r)])] && std::fabs(h(r, c)) > best)
                        best = std::fabs(h(r, c)), br = r, bc = c;
            if (br < 0 || best < LeastHeldPivot)
                throw Error("网的基准无法确定 (数据退化)");
            held[size_t(rowsU[size_t(br)])] = 1;
            colDone[size_t(bc)] = 1;
            const Eigen::RowVectorXd pivotRow = h.row(br) / h(br, bc);
            for (Eigen::Index r = 0; r < h.rows(); ++r)
                if (r != br)
                    h.row(r) -= h(r, bc) * pivotRow;
        }
    }
    unknowns.reduced.assign(size_t(unknowns.count), -1);
    unknowns.reducedCount = 0;
    for (int u = 0; u < unknowns.count; ++u)
        if (!held[size_t(u)])
            unknowns.reduced[size_t(u)] = unknowns.reducedCount++;
}

void InvertDatumProduct(Datum &datum, int unknowns)
{
    const int d = datum.defect;
    Eigen::MatrixXd eth = Eigen::MatrixXd::Zero(d, d);
    std::vector<double> dense(size_t(unknowns), 0);
    for (int b = 0; b < d; ++b) {
        for (const auto &[u, v] : datum.h[size_t(b)])
            dense[size_t(u)] = v;
        for (int a = 0; a < d; ++a) {
            double s = 0;
            for (const auto &[u, v] : datum.e[size_t(a)])
                s += v * dense[size_t(u)];
            eth(a, b) = s;
        }
        for (const auto &[u, v] : datum.h[size_t(b)])
            dense[size_t(u)] = 0;
    }
    Eigen::FullPivLU<Eigen::MatrixXd> lu(eth);
    lu.setThreshold(DatumRankThreshold);
    if (lu.rank() < d)
        throw Error("约束点不足以确定自由网的基准 (例如平面网至少须两个约束点, 只有方向观测时须足以确定尺度): 请增加约束点或固定点");
    datum.g = lu.inverse();
}

void STransform(const Datum &datum, const std::vector<double> &total, Eigen::VectorXd &dx)
{
    const int d = datum.defect;
    Eigen::VectorXd et(d);
    for (int c = 0; c < d; ++c) {
        double s = 0;
        for (const auto &[u, v] : datum.e[size_t(c)])
            s += v * (total[size_t(u)] + dx[u]);
        et[c] = s;
    }
    const Eigen::VectorXd a = datum.g * et;
    for (int c = 0; c < d; ++c)
        for (const auto &[u, v] : datum.h[size_t(c)])
            dx[u] -= v * a[c];
}

DatumCofactors DatumCofactorsOf(const Datum &datum, const Unknowns &unknowns, const Factorization &factor)
{
    const int d = datum.defect, count = unknowns.count, reduced = unknowns.reducedCount;
    DatumCofactors c;
    Eigen::MatrixXd er = Eigen::MatrixXd::Zero(reduced, d);
    for (int k = 0; k < d; ++k)
        for (const auto &[u, val] : datum.e[size_t(k)])
            if (unknowns.reduced[size_t(u)] >= 0)
                er(unknowns.reduced[size_t(u)], k) = val;
    const Eigen::MatrixXd ur = factor.solve(er);
    c.u = Eigen::MatrixXd::Zero(count, d);
    for (int u = 0; u < count; ++u)
        if (unknowns.reduced[size_t(u)] >= 0)
            c.u.row(u) = ur.row(unknowns.reduced[size_t(u)]);
    Eigen::MatrixXd h = Eigen::MatrixXd::Zero(count, d);
    for (int k = 0; k < d; ++k)
        for (const auto &[u, val] : datum.h[size_t(k)])
            h(u, k) = val;
    c.k = h * datum.g;
    c.m = Eigen::MatrixXd::Zero(d, d);
    for (int k = 0; k < d; ++k)
        for (const auto &[u, val] : datum.e[size_t(k)])
            c.m.row(k) += val * c.u.row(u);
    return c;
}

} // namespace quorvil::network
