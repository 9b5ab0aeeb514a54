// Horton's minimum cycle basis with independence tested over GF(2). See CycleBasis.h.
#include "CycleBasis.h"

#include <algorithm>
#include <map>
#include <queue>
#include <set>
#include <utility>

namespace quorvil::gnss {

namespace {

struct Adjacent {
    int vertex, edge;
};

using Adjacency = std::vector<std::vector<Adjacent>>;

Adjacency AdjacencyOf(int vertices, const std::vector<GraphEdge> &edges)
{
    Adjacency adj(static_cast<size_t>(vertices));
    for (size_t e = 0; e < edges.size(); ++e) {
        adj[size_t(edges[e].u)].push_back({edges[e].v, int(e)});
        adj[size_t(edges[e].v)].push_back({edges[e].u, int(e)});
    }
    return adj;
}

// The length of a path or loop: edges first, then metres.
struct Weight {
    int count = 0;
    Real metres = 0;
    bool operator<(const Weight &o) const { return count != o.count ? count < o.count : metres < o.metres; }
    Weight operator+(const Weight &o) const { return {count + o.count, metres + o.metres}; }
};

// The shortest path tree of a root: each vertex's parent edge (−1 at the root and unreached
// vertices), its weight, and the root's neighbour its path leaves through.
struct PathTree {
    std::vector<int> parentEdge, parent, branch;
    std::vector<Weight> weight;
    std::vector<bool> reached;
};

// With a target, the search stops once the target's path is final.
PathTree ShortestPaths(int root, const Adjacency &adj, const std::vector<GraphEdge> &edges, int target = -1)
{
    const size_t n = adj.size();
    PathTree t{std::vector<int>(n, -1), std::vector<int>(n, -1), std::vector<int>(n, -1), std::vector<Weight>(n),
               std::vector<bool>(n, false)};
    using Item = std::pair<Weight, int>;
    auto later = [](const Item &a, const Item &b) { return b.first < a.first; };
    std::priority_queue<Item, std::vector<Item>, decltype(later)> queue(later);
    t.reached[size_t(root)] = true;
    queue.push({Weight{}, root});
    std::vector<bool> done(n, false);
    while (!queue.empty()) {
        const auto [w, x] = queue.top();
        queue.pop();
        if (done[size_t(x)])
            continue;
        done[size_t(x)] = true;
        if (x == target)
            break;
        for (const Adjacent &a : adj[size_t(x)]) {
            const Weight next = w + Weight{1, edges[size_t(a.edge)].length};
            if (!t.reached[size_t(a.vertex)] || next < t.weight[size_t(a.vertex)]) {
                t.reached[size_t(a.vertex)] = true;
                t.weight[size_t(a.vertex)] = next;
                t.parentEdge[size_t(a.vertex)] = a.edge;
                t.parent[size_t(a.vertex)] = x;
                t.branch[size_t(a.vertex)] = x == root ? a.vertex : t.branch[size_t(x)];
                queue.push({next, a.vertex});
            }
        }
    }
    return t;
}

struct Candidate {
    Weight weight;
    std::vector<int> edges; // sorted
};

// The loop root → u, u–v, v → root of a tree, when the two paths meet only at the root.
bool LoopOf(const PathTree &t, int root, int edge, const GraphEdge &e, Candidate &c)
{
    if (!t.reached[size_t(e.u)] || !t.reached[size_t(e.v)])
        return false;
    if (t.parentEdge[size_t(e.u)] == edge || t.parentEdge[size_t(e.v)] == edge)
        return false; // a tree edge closes nothing
    if (e.u != root && e.v != root && t.branch[size_t(e.u)] == t.branch[size_t(e.v)])
        return false; // the paths share a first edge: the loop is not simple
    c.edges.clear();
    for (int x = e.u; x != root; x = t.parent[size_t(x)])
        c.edges.push_back(t.parentEdge[size_t(x)]);
    for (int x = e.v; x != root; x = t.parent[size_t(x)])
        c.edges.push_back(t.parentEdge[size_t(x)]);
    c.edges.push_back(edge);
    std::sort(c.edges.begin(), c.edges.end());
    c.weight = t.weight[size_t(e.u)] + t.weight[size_t(e.v)] + Weight{1, e.length};
    return true;
}

// The loops taken so far, reduced to echelon form by their largest edge (GF(2)).
class Echelon {
public:
    // Whether the edge set is independent of those taken; takes it if so.
    bool take(std::vector<int> edges)
    {
        while (!edges.empty()) {
            const auto it = m_rows.find(edges.back());
            if (it == m_rows.end()) {
                const int pivot = edges.back();
                m_rows.emplace(pivot, std::move(edges));
                return true;
            }
            std::vector<int> sum;
            std::set_symmetric_difference(edges.begin(), edges.end(), it->second.begin(), it->second.end(),
                                          std::back_inserter(sum));
            edges = std::move(sum);
        }
        return false;
    }

private:
    std::map<int, std::vector<int>> m_rows;
};

// The edges of a loop in walking order with their directions.
Cycle Walk(const std::vector<int> &edgeSet, const std::vector<GraphEdge> &edges)
{
    Cycle c;
    std::vector<bool> used(edgeSet.size(), false);
    int at = edges[size_t(edgeSet[0])].u;
    for (size_t k = 0; k < edgeSet.size(); ++k) {
        for (size_t j = 0; j < edgeSet.size(); ++j) {
            if (used[j])
                continue;
            const GraphEdge &e = edges[size_t(edgeSet[j])];
            if (e.u == at || e.v == at) {
                used[j] = true;
                c.edges.push_back(edgeSet[j]);
                c.signs.push_back(e.u == at ? 1 : -1);
                c.vertices.push_back(at);
                at = e.u == at ? e.v : e.u;
                break;
            }
        }
    }
    return c;
}

} // namespace

std::vector<int> ConnectedParts(int vertices, const std::vector<GraphEdge> &edges, int *count)
{
    const Adjacency adj = AdjacencyOf(vertices, edges);
    std::vector<int> part(size_t(vertices), -1);
    int parts = 0;
    for (int s = 0; s < vertices; ++s) {
        if (part[size_t(s)] >= 0)
            continue;
        std::vector<int> stack{s};
        part[size_t(s)] = parts;
        while (!stack.empty()) {
            const int x = stack.back();
            stack.pop_back();
            for (const Adjacent &a : adj[size_t(x)])
                if (part[size_t(a.vertex)] < 0) {
                    part[size_t(a.vertex)] = parts;
                    stack.push_back(a.vertex);
                }
        }
        ++parts;
    }
    if (count)
        *count = parts;
    return part;
}

std::vector<Cycle> MinimumCycleBasis(int vertices, const std::vector<GraphEdge> &edges)
{
    int parts = 0;
    ConnectedParts(vertices, edges, &parts);
    const long long dimension = (long long)edges.size() - vertices + parts;
    std::vector<Cycle> basis;
    if (dimension <= 0)
        return basis;
    const Adjacency adj = AdjacencyOf(vertices, edges);
    std::vector<Candidate> candidates;
    std::set<std::vector<int>> seen;
    Candidate c;
    auto add = [&]() {
        if (seen.insert(c.edges).second)
            candidates.push_back(c);
    };
    const bool horton = (long long)vertices * (long long)edges.size() <= HortonCandidateLimit;
    if (horton) {
        for (int x = 0; x < vertices; ++x) {
            const PathTree t = ShortestPaths(x, adj, edges);
            for (size_t e = 0; e < edges.size(); ++e)
                if (LoopOf(t, x, int(e), edges[e], c))
                    add();
        }
    } else {
        // the shortest loop through each edge: the tree of its first end, the edge left out
        Adjacency without = adj;
        for (size_t e = 0; e < edges.size(); ++e) {
            const GraphEdge &edge = edges[e];
            auto drop = [&](int from) {
                auto &list = without[size_t(from)];
                list.erase(std::find_if(list.begin(), list.end(), [&](const Adjacent &a) { return a.edge == int(e); }));
            };
            drop(edge.u), drop(edge.v);
            const PathTree t = ShortestPaths(edge.u, without, edges, edge.v);
            if (t.reached[size_t(edge.v)]) {
                c.edges.clear();
                for (int x = edge.v; x != edge.u; x = t.parent[size_t(x)])
                    c.edges.push_back(t.parentEdge[size_t(x)]);
                c.edges.push_back(int(e));
                std::sort(c.edges.begin(), c.edges.end());
                c.weight = t.weight[size_t(edge.v)] + Weight{1, edge.length};
                add();
            }
            without[size_t(edge.u)].push_back({edge.v, int(e)});
            without[size_t(edge.v)].push_back({edge.u, int(e)});
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate &a, const Candidate &b) { return a.weight < b.weight; });
    Echelon echelon;
    std::vector<std::vector<int>> chosen;
    for (const Candidate &k : candidates) {
        if ((long long)chosen.size() == dimension)
            break;
        if (echelon.take(k.edges))
            chosen.push_back(k.edges);
    }
    if ((long long)chosen.size() < dimension) {
        // fundamental loops of breadth-first trees complete the basis
        std::vector<bool> inTree(edges.size(), false);
        std::vector<PathTree> trees;
        std::vector<int> rootOf(size_t(vertices), -1);
        for (int x = 0; x < vertices; ++x) {
            if (rootOf[size_t(x)] >= 0)
                continue;
            trees.push_back(ShortestPaths(x, adj, edges));
            for (int y = 0; y < vertices; ++y)
                if (trees.back().reached[size_t(y)]) {
                    rootOf[size_t(y)] = int(trees.size()) - 1;
                    if (trees.back().parentEdge[size_t(y)] >= 0)
                        inTree[size_t(trees.back().parentEdge[size_t(y)])] = true;
                }
        }
        for (size_t e = 0; e < edges.size() && (long long)chosen.size() < dimension; ++e) {
            if (inTree[e])
                continue;
            const PathTree &t = trees[size_t(rootOf[size_t(edges[e].u)])];
            // the path u → v through the tree: up to their common ancestor
            std::vector<int> set{int(e)};
            int a = edges[e].u, b = edges[e].v;
            while (a != b) {
                if (t.weight[size_t(b)] < t.weight[size_t(a)] || (!(t.weight[size_t(a)] < t.weight[size_t(b)]) && a > b)) {
                    set.push_back(t.parentEdge[size_t(a)]);
                    a = t.parent[size_t(a)];
                } else {
                    set.push_back(t.parentEdge[size_t(b)]);
                    b = t.parent[size_t(b)];
                }
            }
            std::sort(set.begin(), set.end());
            if (echelon.take(set))
                chosen.push_back(set);
        }
    }
    basis.reserve(chosen.size());
    for (const std::vector<int> &set : chosen)
        basis.push_back(Walk(set, edges));
    return basis;
}

} // namespace quorvil::gnss
