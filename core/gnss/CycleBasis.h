// A set of independent loops of a graph: a minimum cycle basis by Horton's rule.
//
// Every loop of the basis is a candidate "path x → u, edge u–v, path v → x" through the shortest
// path tree of a vertex x; the candidates are taken shortest first while they are independent of
// those taken (Gaussian elimination over GF(2) on their edge sets), until the basis has
// m − n + c loops (m edges, n vertices, c connected parts). Lengths are counted in edges, ties
// broken by the edges' lengths, so the loops have as few baselines as possible.
//
// Horton's candidate set holds n·m loops. Beyond `HortonCandidateLimit` of them the candidates are
// the shortest loop through each edge instead, and whatever those leave dependent is completed by
// the fundamental loops of a breadth-first tree: a basis of short loops, not always the minimum one.
#pragma once

#include "core/Real.h"

#include <vector>

namespace quorvil::gnss {

inline constexpr long long HortonCandidateLimit = 2'000'000;

struct GraphEdge {
    int u = -1, v = -1;
    Real length = 0;
};

// One loop: its edges in the order of a walk round it, each with the direction it is walked in
// (+1 from u to v, −1 from v to u), and the vertices it passes, starting at the first edge's start.
struct Cycle {
    std::vector<int> edges;
    std::vector<int> signs;
    std::vector<int> vertices;
};

// The connected parts: the part of every vertex (0, 1, …); vertices without edges have their own.
std::vector<int> ConnectedParts(int vertices, const std::vector<GraphEdge> &edges, int *count = nullptr);

// A cycle basis as above. The edges must join distinct vertices, at most one edge per pair.
std::vector<Cycle> MinimumCycleBasis(int vertices, const std::vector<GraphEdge> &edges);

} // namespace quorvil::gnss
