#include "FieldBookReduction.h"

#include "core/Error.h"
#include "core/Limits.h"
#include "core/TextForms.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace quorvil::fieldbook {

namespace {

constexpr Real SecondsPerDegree = 3600;

[[noreturn]] void Fail(int line, const std::string &message)
{
    throw Error("第 " + std::to_string(line) + " 行: " + message);
}

std::string RoundName(int round) { return "第 " + std::to_string(round) + " 测回"; }

// The pointings of one round, by face, in observing order.
struct RoundPointings {
    int number = 1;
    std::vector<const Pointing *> left, right;
};

// A height that must stay the same over a station's pointings (instrument) or a target's.
void Same(std::optional<Real> &kept, int &keptLine, const std::optional<Real> &value, int line, const std::string &what)
{
    if (!value)
        return;
    if (!kept) {
        kept = value, keptLine = line;
        return;
    }
    if (std::fabs(*kept - *value) > 1e-9L)
        Fail(line, what + " " + TrimmedNumberText(4, *value) + " 与第 " + std::to_string(keptLine) + " 行的 " +
                       TrimmedNumberText(4, *kept) + " 不同");
}

// The mean of angles about the first (so that 359°59′ and 0°01′ average to 0°).
Real AngleMean(const std::vector<Real> &degrees, Real &spreadSeconds)
{
    const Real ref = degrees.front();
    Real sum = 0, lo = 0, hi = 0;
    for (Real d : degrees) {
        const Real off = Wrap180(d - ref);
        sum += off;
        lo = std::min(lo, off), hi = std::max(hi, off);
    }
    spreadSeconds = (hi - lo) * SecondsPerDegree;
    return Wrap360(ref + sum / Real(degrees.size()));
}

RoundResult ReduceRound(const RoundPointings &rp)
{
    RoundResult round;
    round.number = rp.number;
    const std::vector<const Pointing *> &L = rp.left, &R = rp.right;
    if (L.empty())
        Fail(R.front()->line, "盘右照准 " + R.front()->target + " 在" + RoundName(rp.number) + "没有盘左观测");
    round.line = L.front()->line;
    const std::string &first = L.front()->target;
    const bool leftClosed = L.size() >= 3 && L.back()->target == first;
    const bool rightClosed = R.size() >= 3 && R.front()->target == first && R.back()->target == first;
    round.closed = leftClosed && rightClosed;

    if (leftClosed && !rightClosed && !R.empty())
        Fail(L.back()->line, "盘左归零照准 " + first + " 在" + RoundName(rp.number) + "没有盘右归零观测");
    if (rightClosed && !leftClosed)
        Fail(R.front()->line, "盘右归零照准 " + first + " 在" + RoundName(rp.number) + "没有盘左归零观测");

    // The face-right readings are written bottom-up on the page: the first face-right pointing
    // of a closed round stands on the closing row, its last on the opening row.
    std::map<std::string, const Pointing *> rightOf;
    const size_t rBegin = round.closed ? 1 : 0, rEnd = round.closed ? R.size() - 1 : R.size();
    for (size_t k = rBegin; k < rEnd; ++k)
        if (!rightOf.emplace(R[k]->target, R[k]).second)
            Fail(R[k]->line, "照准点 " + R[k]->target + " 在" + RoundName(rp.number) + "盘右重复观测");
    if (round.closed && !rightOf.emplace(first, R.back()).second)
        Fail(R.back()->line, "照准点 " + first + " 在" + RoundName(rp.number) + "盘右重复观测");
    const size_t lEnd = round.closed ? L.size() - 1 : L.size();
    std::map<std::string, int> leftSeen;
    for (size_t k = 0; k < lEnd; ++k)
        if (!leftSeen.emplace(L[k]->target, L[k]->line).second)
            Fail(L[k]->line, "照准点 " + L[k]->target + " 在" + RoundName(rp.number) + "盘左重复观测");
    for (size_t k = rBegin; k < R.size(); ++k)
        if (!leftSeen.count(R[k]->target))
            Fail(R[k]->line, "盘右照准 " + R[k]->target + " 在" + RoundName(rp.number) + "没有盘左观测");

    for (size_t k = 0; k < L.size(); ++k) {
        const Pointing &l = *L[k];
        const bool closing = round.closed && k == L.size() - 1;
        const Pointing *r = closing ? R.front() : nullptr;
        if (!closing) {
            const auto it = rightOf.find(l.target);
            if (it == rightOf.end())
                Fail(l.line, "盘左照准 " + l.target + " 在" + RoundName(rp.number) + "没有盘右观测");
            r = it->second;
        }
        RoundRow row;
        row.target = l.target;
        row.left = l.horizontal, row.right = r->horizontal;
        row.closing = closing;
        row.line = l.line;
        const Real c2 = Wrap180(l.horizontal - (r->horizontal + 180));
        row.c2 = c2 * SecondsPerDegree;
        row.mean = Wrap360(l.horizontal - c2 / 2);
        if (!closing && (l.vertical.has_value() != r->vertical.has_value()))
            Fail((l.vertical ? r : &l)->line, "照准点 " + l.target + " 在" + RoundName(rp.number) + "只有一个盘位的竖盘读数");
        if (!closing && l.vertical && r->vertical) {
            row.zenith = (*l.vertical - *r->vertical + 360) / 2;
            row.index = (*l.vertical + *r->vertical - 360) / 2 * SecondsPerDegree;
            if (!(*row.zenith > 0 && *row.zenith < 180))
                Fail(l.line, "照准点 " + l.target + " 的天顶距超出 0°–180° (盘右竖盘读数应在 180°–360°)");
        }
        round.rows.push_back(row);
    }

    const RoundRow &opening = round.rows.front();
    if (round.closed) {
        const RoundRow &closing = round.rows.back();
        round.zero = Wrap360(opening.mean + Wrap180(closing.mean - opening.mean) / 2);
        round.closureLeft = Wrap180(closing.left - opening.left) * SecondsPerDegree;
        round.closureRight = Wrap180(closing.right - opening.right) * SecondsPerDegree;
    } else {
        round.zero = opening.mean;
    }
    Real lo = opening.c2, hi = opening.c2;
    for (RoundRow &row : round.rows) {
        lo = std::min(lo, row.c2), hi = std::max(hi, row.c2);
        if (!row.closing)
            row.reduced = &row == &round.rows.front() ? 0 : Wrap360(row.mean - round.zero);
    }
    round.c2Spread = hi - lo;
    return round;
}

StationResult ReduceStation(const std::vector<const Pointing *> &pointings)
{
    StationResult st;
    st.name = pointings.front()->station;
    st.line = pointings.front()->line;
    int iLine = 0;
    std::vector<RoundPointings> rounds;
    std::map<std::string, std::optional<Real>> targetHeights;
    std::map<std::string, int> targetHeightLines;
    for (const Pointing *p : pointings) {
        Same(st.instrumentHeight, iLine, p->instrumentHeight, p->line, "测站 " + st.name + " 的仪器高");
        Same(targetHeights[p->target], targetHeightLines[p->target], p->targetHeight, p->line,
             "照准点 " + p->target + " 的觇标高");
        auto it = std::find_if(rounds.begin(), rounds.end(), [&](const RoundPointings &r) { return r.number == p->round; });
        if (it == rounds.end()) {
            rounds.push_back({p->round, {}, {}});
            it = rounds.end() - 1;
        }
        (p->left ? it->left : it->right).push_back(p);
    }
    for (const RoundPointings &rp : rounds)
        st.rounds.push_back(ReduceRound(rp));

    // Every round must start on the same target: its directions count from it.
    const std::string &first = st.rounds.front().rows.front().target;
    for (const RoundResult &r : st.rounds)
        if (r.rows.front().target != first)
            Fail(r.line, "测站 " + st.name + RoundName(r.number) + "的起始方向 " + r.rows.front().target + " 与" +
                             RoundName(st.rounds.front().number) + "的 " + first + " 不同");
    for (const RoundResult &r : st.rounds)
        if (!r.closed)
            st.notes.push_back("测站 " + st.name + " " + RoundName(r.number) + "未归零 (无归零照准), 以起始方向为零方向");

    // The targets in observing order, the first one first.
    std::vector<std::string> targets;
    for (const RoundResult &r : st.rounds)
        for (const RoundRow &row : r.rows)
            if (!row.closing && std::find(targets.begin(), targets.end(), row.target) == targets.end())
                targets.push_back(row.target);
    if (targets.size() < 2)
        Fail(st.line, "测站 " + st.name + " 只有一个照准点 " + first + ", 方向观测至少需要两个方向");

    std::vector<Real> indexes;
    for (const std::string &t : targets) {
        StationDirection d;
        d.target = t;
        d.targetHeight = targetHeights[t];
        std::vector<Real> directions, zeniths, slopes;
        for (const RoundResult &r : st.rounds)
            for (const RoundRow &row : r.rows)
                if (!row.closing && row.target == t) {
                    if (!d.line)
                        d.line = row.line;
                    d.rounds.push_back(r.number);
                    directions.push_back(*row.reduced);
                    if (row.zenith)
                        zeniths.push_back(*row.zenith), indexes.push_back(*row.index);
                }
        // slope distances of both faces, the closing pointings left out
        for (const RoundPointings &rp : rounds) {
            for (const auto *face : {&rp.left, &rp.right}) {
                for (size_t k = 0; k < face->size(); ++k) {
                    const Pointing &p = *(*face)[k];
                    const bool closed = rp.left.size() >= 3 && rp.left.back()->target == rp.left.front()->target;
                    const bool closing = closed && (face == &rp.left ? k == face->size() - 1 : k == 0);
                    if (!closing && p.target == t && p.slope)
                        slopes.push_back(*p.slope);
                }
            }
        }
        d.direction = t == first ? 0 : AngleMean(directions, d.spread);
        if (!zeniths.empty()) {
            Real sum = 0, lo = zeniths.front(), hi = zeniths.front();
            for (Real z : zeniths)
                sum += z, lo = std::min(lo, z), hi = std::max(hi, z);
            d.zenith = sum / Real(zeniths.size());
            d.zenithSpread = (hi - lo) * SecondsPerDegree;
        }
        if (!slopes.empty()) {
            Real sum = 0;
            for (Real s : slopes)
                sum += s;
            d.slope = sum / Real(slopes.size());
            if (d.zenith)
                d.horizontal = *d.slope * std::sin(DegToRad(*d.zenith));
            else
                st.notes.push_back("测站 " + st.name + " 照准点 " + t + " 没有竖盘读数, 斜距未化为平距");
        }
        if (d.rounds.size() < st.rounds.size())
            st.notes.push_back("测站 " + st.name + " 照准点 " + t + " 只在 " + std::to_string(d.rounds.size()) + " 个测回观测 (共 " +
                               std::to_string(st.rounds.size()) + " 个), 由这些测回平均");
        st.directions.push_back(std::move(d));
    }
    if (indexes.size() >= 2) {
        const auto [lo, hi] = std::minmax_element(indexes.begin(), indexes.end());
        st.indexSpread = *hi - *lo;
    }
    return st;
}

std::string Seconds(Real value) { return TrimmedNumberText(1, value); }

} // namespace

Real Wrap360(Real degrees)
{
    Real d = std::fmod(degrees, Real(360));
    if (d < 0)
        d += 360;
    if (d >= 360)
        d -= 360;
    return d;
}

Real Wrap180(Real degrees)
{
    Real d = Wrap360(degrees);
    return d > 180 ? d - 360 : d;
}

std::vector<StationResult> ReduceStations(const FieldBook &book)
{
    std::vector<StationResult> stations;
    size_t k = 0;
    while (k < book.pointings.size()) {
        std::vector<const Pointing *> run;
        const std::string &name = book.pointings[k].station;
        while (k < book.pointings.size() && book.pointings[k].station == name)
            run.push_back(&book.pointings[k++]);
        stations.push_back(ReduceStation(run));
    }
    return stations;
}

std::string CheckText(const Check &c)
{
    std::string where = c.station;
    if (c.round > 0)
        where += " " + RoundName(c.round);
    if (!c.target.empty())
        where += " " + c.target;
    std::string text = where + " " + c.quantity + " " + Seconds(c.value) + c.unit;
    if (!c.limit)
        return text;
    return text + " " + (c.over ? OverText : PassText) + " (限差 " + Seconds(*c.limit) + c.unit + ")";
}

std::vector<Check> StationChecks(const std::vector<StationResult> &stations, const Settings &settings,
                                 std::vector<std::string> &notes)
{
    std::vector<Check> checks;
    const std::optional<DirectionLimits> dl = DirectionLimitsOf(settings.grade, settings.instrument);
    const std::optional<HeightLimits> hl = HeightLimitsOf(settings.grade);
    if (FieldBookGrade(settings.grade).empty())
        notes.push_back("等级“" + settings.grade + "”无限差, 未作检核");
    else if (!dl)
        notes.push_back(settings.grade + "不用 " + Seconds(settings.instrument) + "″ 级仪器, 方向观测未作检核");
    // A value is judged as printed, to 0.1″; a value at its limit passes.
    const auto add = [&](const std::string &station, int round, const std::string &target, const char *quantity, Real value,
                         std::optional<Real> limit) {
        Check c;
        c.station = station, c.round = round, c.target = target, c.quantity = quantity;
        c.value = std::fabs(value), c.unit = "″";
        c.limit = limit;
        c.over = limit && std::nearbyint(c.value * 10) / 10 > *limit;
        c.text = CheckText(c);
        checks.push_back(std::move(c));
    };
    for (const StationResult &st : stations) {
        if (dl) {
            for (const RoundResult &r : st.rounds) {
                if (r.closed)
                    add(st.name, r.number, "", "半测回归零差",
                        std::max(std::fabs(*r.closureLeft), std::fabs(*r.closureRight)), dl->halfRoundClosure);
                if (dl->c2Spread)
                    add(st.name, r.number, "", "2C 互差", r.c2Spread, dl->c2Spread);
            }
            for (const StationDirection &d : st.directions)
                if (d.rounds.size() >= 2 && &d != &st.directions.front())
                    add(st.name, 0, d.target, "同一方向值各测回较差", d.spread, dl->roundSpread);
        }
        if (hl) {
            if (st.indexSpread)
                add(st.name, 0, "", "指标差较差", *st.indexSpread, hl->indexSpread);
            for (const StationDirection &d : st.directions)
                if (d.zenith && d.rounds.size() >= 2)
                    add(st.name, 0, d.target, "竖直角测回较差", d.zenithSpread, hl->zenithSpread);
        }
    }
    return checks;
}

} // namespace quorvil::fieldbook
