// Repeated baselines and loop closures against the grade's limits. See Checks.h.
#include "Checks.h"

#include "CycleBasis.h"

#include "core/Error.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace quorvil::gnss {

namespace {

// The limit factors of GB 50026-2020 §3.2 on σ.
constexpr Real RepeatFactor = 2; // ds ≤ 2√2·σ
constexpr Real SynchronousDivisor = 5; // wX ≤ √n/5·σ, w ≤ √(3n)/5·σ
constexpr Real IndependentFactor = 2;  // wX ≤ 2√n·σ, w ≤ 2√(3n)·σ

using Pair = std::pair<int, int>;

Pair PairOf(const Baseline &b)
{
    return {std::min(b.from, b.to), std::max(b.from, b.to)};
}

// Loops of the given baselines (at most one per pair), with their closures and limits.
void AddLoops(const BaselineNetwork &net, const std::vector<int> &chosen, const Grade &grade, bool synchronous,
              const std::string &session, std::vector<LoopCheck> &out)
{
    // the points these baselines join, numbered locally (a session joins a few of them)
    std::map<int, int> local;
    std::vector<int> global;
    auto localOf = [&](int p) {
        const auto [it, added] = local.try_emplace(p, int(global.size()));
        if (added)
            global.push_back(p);
        return it->second;
    };
    std::vector<GraphEdge> edges;
    edges.reserve(chosen.size());
    for (int b : chosen) {
        const Baseline &bl = net.baselines[size_t(b)];
        edges.push_back({localOf(bl.from), localOf(bl.to), bl.length()});
    }
    for (const Cycle &c : MinimumCycleBasis(int(global.size()), edges)) {
        LoopCheck loop;
        loop.synchronous = synchronous;
        loop.session = session;
        std::set<std::string> sessions;
        for (size_t k = 0; k < c.edges.size(); ++k) {
            const Baseline &bl = net.baselines[size_t(chosen[size_t(c.edges[k])])];
            loop.baselines.push_back(chosen[size_t(c.edges[k])]);
            loop.signs.push_back(c.signs[k]);
            loop.points.push_back(global[size_t(c.vertices[k])]);
            for (int i = 0; i < 3; ++i)
                loop.w[size_t(i)] += c.signs[k] * bl.d[size_t(i)];
            loop.length += bl.length();
            sessions.insert(bl.session);
        }
        if (!synchronous && sessions.size() < 2)
            continue; // a loop of one session: checked with the synchronous loops
        const Real n = Real(c.edges.size());
        loop.wTotal = std::sqrt(loop.w[0] * loop.w[0] + loop.w[1] * loop.w[1] + loop.w[2] * loop.w[2]);
        loop.sigma = grade.sigma(loop.length / n);
        if (synchronous) {
            loop.componentLimit = std::sqrt(n) / SynchronousDivisor * loop.sigma;
            loop.totalLimit = std::sqrt(3 * n) / SynchronousDivisor * loop.sigma;
        } else {
            loop.componentLimit = IndependentFactor * std::sqrt(n) * loop.sigma;
            loop.totalLimit = IndependentFactor * std::sqrt(3 * n) * loop.sigma;
        }
        loop.passed = loop.wTotal <= loop.totalLimit;
        for (Real w : loop.w)
            loop.passed = loop.passed && std::fabs(w) <= loop.componentLimit;
        out.push_back(std::move(loop));
    }
}

} // namespace

bool BaselineChecks::passed() const
{
    return failures() == 0;
}

int BaselineChecks::failures() const
{
    int n = 0;
    for (const RepeatCheck &r : repeated)
        n += !r.passed;
    for (const LoopCheck &l : loops)
        n += !l.passed;
    return n;
}

void RequireConnected(const BaselineNetwork &net)
{
    std::vector<GraphEdge> edges;
    for (const Baseline &b : net.baselines)
        edges.push_back({b.from, b.to, 0});
    int parts = 0;
    const std::vector<int> part = ConnectedParts(int(net.points.size()), edges, &parts);
    if (parts <= 1)
        return;
    std::vector<int> size(size_t(parts), 0);
    for (int p : part)
        ++size[size_t(p)];
    const int main = int(std::max_element(size.begin(), size.end()) - size.begin());
    for (const Baseline &b : net.baselines)
        if (part[size_t(b.from)] != main)
            throw Error("第 " + std::to_string(b.line) + " 行: 点 " + net.points[size_t(b.from)] +
                        " 与网的其余部分没有基线相连, 无法构成闭合环, 也无法平差");
}

BaselineChecks CheckBaselines(const BaselineNetwork &net, const Grade &grade)
{
    RequireConnected(net);
    BaselineChecks checks;
    checks.grade = grade;

    // repeated baselines: every two baselines of one pair from different sessions
    std::map<Pair, std::vector<int>> byPair;
    for (size_t b = 0; b < net.baselines.size(); ++b)
        byPair[PairOf(net.baselines[b])].push_back(int(b));
    for (const auto &[pair, list] : byPair)
        for (size_t i = 0; i < list.size(); ++i)
            for (size_t j = i + 1; j < list.size(); ++j) {
                const Baseline &a = net.baselines[size_t(list[i])], &b = net.baselines[size_t(list[j])];
                if (a.session == b.session)
                    continue;
                RepeatCheck r;
                r.first = list[i], r.second = list[j];
                const Real sign = a.from == b.from ? 1 : -1;
                for (int k = 0; k < 3; ++k)
                    r.difference[size_t(k)] = sign * b.d[size_t(k)] - a.d[size_t(k)];
                r.ds = std::sqrt(r.difference[0] * r.difference[0] + r.difference[1] * r.difference[1] +
                                 r.difference[2] * r.difference[2]);
                r.sigma = grade.sigma((a.length() + b.length()) / 2);
                r.limit = RepeatFactor * std::sqrt(Real(2)) * r.sigma;
                r.passed = r.ds <= r.limit;
                checks.repeated.push_back(r);
            }

    // synchronous loops, session by session in order of first appearance
    std::vector<std::string> sessions;
    std::map<std::string, std::vector<int>> bySession;
    for (size_t b = 0; b < net.baselines.size(); ++b) {
        const std::string &s = net.baselines[b].session;
        if (!bySession.count(s))
            sessions.push_back(s);
        bySession[s].push_back(int(b));
    }
    for (const std::string &s : sessions) {
        std::set<Pair> seen;
        std::vector<int> chosen;
        for (int b : bySession[s])
            if (seen.insert(PairOf(net.baselines[size_t(b)])).second)
                chosen.push_back(b);
        AddLoops(net, chosen, grade, true, s, checks.loops);
    }

    // independent loops over the first baseline of every pair
    std::vector<int> chosen;
    for (const auto &[pair, list] : byPair)
        chosen.push_back(list.front());
    std::sort(chosen.begin(), chosen.end());
    AddLoops(net, chosen, grade, false, {}, checks.loops);

    // every loop through a point is a sum of basis loops, so a point on none of them is on no loop
    std::vector<bool> looped(net.points.size(), false);
    for (const LoopCheck &l : checks.loops)
        for (int p : l.points)
            looped[size_t(p)] = true;
    for (size_t p = 0; p < looped.size(); ++p)
        if (!looped[p])
            checks.withoutLoop.push_back(int(p));
    return checks;
}

} // namespace quorvil::gnss
