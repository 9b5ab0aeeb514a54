// The field book's reduction against a page of the direction method computed by hand
// (tests/core/data/fieldbook/page.csv and page-expected.txt), the formulas of the trigonometric
// heights and the distance reductions against independent figures, the limits of the standard,
// and the readers' messages on bad books.
#include "core/Error.h"
#include "core/TextForms.h"
#include "core/fieldbook/FieldBookLimits.h"
#include "core/fieldbook/FieldBookLines.h"
#include "core/fieldbook/FieldBookText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <fstream>
#include <sstream>

using namespace quorvil;
using namespace quorvil::fieldbook;

namespace {

std::string DataFile(const std::string &name)
{
    std::ifstream in(std::string(QUORVIL_TEST_SOURCE_DIR) + "/core/data/fieldbook/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Split(const std::string &line)
{
    std::vector<std::string> f;
    std::stringstream s(line);
    for (std::string x; std::getline(s, x, ',');)
        f.push_back(x);
    return f;
}

const StationResult &StationOf(const Reduction &r, const std::string &name)
{
    for (const StationResult &s : r.stations)
        if (s.name == name)
            return s;
    throw std::runtime_error("no station " + name);
}

const StationDirection &DirectionOf(const StationResult &s, const std::string &target)
{
    for (const StationDirection &d : s.directions)
        if (d.target == target)
            return d;
    throw std::runtime_error("no target " + target);
}

Reduction ReducePage(const std::string &grade = "一级", Real instrument = 2)
{
    Settings s;
    s.grade = grade, s.instrument = instrument, s.grid = false;
    return Reduce(ParseCsvBook(DataFile("page.csv")), {}, s);
}

constexpr Real Second = 1.0L / 3600;

std::string ErrorOf(const std::string &text)
{
    try {
        Settings s;
        s.grid = false;
        Reduce(ParseFieldBook(text), {}, s);
    } catch (const Error &e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(FieldBook, HandComputedPage)
{
    const Reduction r = ReducePage();
    std::stringstream expected(DataFile("page-expected.txt"));
    int cases = 0;
    std::map<std::pair<std::string, int>, size_t> next;
    for (std::string line; std::getline(expected, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        const std::vector<std::string> f = Split(line);
        const int round = std::stoi(f[1]);
        const StationResult &st = StationOf(r, f[0]);
        const RoundResult &rr = st.rounds.at(size_t(round - 1));
        const RoundRow &row = rr.rows.at(next[{f[0], round}]++);
        SCOPED_TRACE(line);
        EXPECT_EQ(row.target, f[2]);
        EXPECT_NEAR(row.c2, std::stold(f[3]), 0.005L);
        EXPECT_NEAR(row.mean, DmsToDeg(std::stold(f[4])), 0.005L * Second);
        if (f[5] == "-") {
            EXPECT_TRUE(row.closing);
            EXPECT_FALSE(row.reduced);
        } else {
            ASSERT_TRUE(row.reduced);
            EXPECT_NEAR(*row.reduced, DmsToDeg(std::stold(f[5])), 0.005L * Second);
        }
        ++cases;
    }
    EXPECT_EQ(cases, 18);

    // The station's directions are the means of the rounds, the spreads their differences.
    struct Dir {
        const char *station, *target;
        Real dms, spread;
    };
    for (const Dir &d : {Dir{"N1", "P1", 0, 0}, Dir{"N1", "P2", 45.301675L, 1.5L}, Dir{"N1", "P3", 120.1528L, 0},
                         Dir{"N1", "P4", 210.4812L, 2}, Dir{"N2", "Q2", 60.190725L, 0.5L}, Dir{"N2", "Q3", 150.392225L, 6.5L}}) {
        const StationDirection &sd = DirectionOf(StationOf(r, d.station), d.target);
        EXPECT_NEAR(sd.direction, DmsToDeg(d.dms), 0.005L * Second) << d.station << "→" << d.target;
        EXPECT_NEAR(sd.spread, d.spread, 0.005L) << d.station << "→" << d.target;
    }
    const RoundResult &n1r1 = StationOf(r, "N1").rounds[0];
    EXPECT_NEAR(*n1r1.closureLeft, 6, 1e-9L);
    EXPECT_NEAR(*n1r1.closureRight, 2, 1e-9L);
    EXPECT_NEAR(n1r1.zero, DmsToDeg(0.0011L), 1e-12L);
}

TEST(FieldBook, ChecksOfThePage)
{
    // 一级 with a 2″ instrument: 归零差 12″, 2C 互差 18″, 各测回较差 12″. N1's first round sits
    // exactly on the 2C limit and passes; N2's second round fails.
    const Reduction r = ReducePage();
    std::vector<std::string> over, texts;
    for (const Check &c : r.checks) {
        texts.push_back(c.text);
        if (c.over)
            over.push_back(c.text);
    }
    ASSERT_EQ(over.size(), 1u);
    EXPECT_EQ(over[0], "N2 第 2 测回 2C 互差 64″ 超限 (限差 18″)");
    EXPECT_TRUE(r.anyOver());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "N1 第 1 测回 2C 互差 18″ 合格 (限差 18″)"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "N1 第 1 测回 半测回归零差 6″ 合格 (限差 12″)"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "N2 Q3 同一方向值各测回较差 6.5″ 合格 (限差 12″)"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "N1 指标差较差 2″ 合格 (限差 10″)"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "N1 P2 竖直角测回较差 3″ 合格 (限差 10″)"), texts.end());

    // 二等 with a 1″ instrument: 6″ / 9″ / 6″, so N1's 18″ 2C spread fails too, and the 6.5″
    // spread of N2 → Q3.
    over.clear();
    for (const Check &c : ReducePage("二等", 1).checks)
        if (c.over)
            over.push_back(c.text);
    EXPECT_NE(std::find(over.begin(), over.end(), "N2 Q3 同一方向值各测回较差 6.5″ 超限 (限差 6″)"), over.end());

    // A grade the tables do not know judges nothing and says so.
    const Reduction unknown = ReducePage("五级");
    EXPECT_TRUE(unknown.checks.empty());
    EXPECT_NE(std::find(unknown.notes.begin(), unknown.notes.end(), "等级“五级”无限差, 未作检核"), unknown.notes.end());
}

TEST(FieldBook, VerticalPartAndHeights)
{
    // N1 → P1: VL 88°30′20″/88°30′22″, VR 271°29′50″/271°29′52″: Z 88°30′15″ both rounds, index
    // 5″ and 7″; N1 → P2: Z 92°15′35″ and 92°15′38″. Slopes: the mean of the four readings, the
    // closing pointings left out. D and dh by Python (double) from the same Z and S.
    const Reduction r = ReducePage();
    const StationResult &n1 = StationOf(r, "N1");
    const StationDirection &p1 = DirectionOf(n1, "P1"), &p2 = DirectionOf(n1, "P2");
    EXPECT_NEAR(*p1.zenith, DmsToDeg(88.3015L), 1e-12L);
    EXPECT_NEAR(*p2.zenith, DmsToDeg(92.15365L), 1e-12L);
    EXPECT_NEAR(*n1.rounds[0].rows[0].index, 5, 1e-9L);
    EXPECT_NEAR(*n1.rounds[1].rows[0].index, 7, 1e-9L);
    EXPECT_NEAR(*p1.slope, 500.000L, 1e-9L);
    EXPECT_NEAR(*p2.slope, 800.010L, 1e-9L);
    ASSERT_EQ(r.lines.size(), 2u);
    EXPECT_NEAR(r.lines[0].horizontal, 499.82961298680686L, 1e-9L);
    EXPECT_NEAR(*r.lines[0].heightDifference, 12.969183455391594L, 1e-9L);
    EXPECT_NEAR(r.lines[1].horizontal, 799.387650858313L, 1e-9L);
    EXPECT_NEAR(*r.lines[1].heightDifference, -31.40607179796254L, 1e-9L);
    // No targets P3, P4 distances; no known heights: D0 = D, said so.
    EXPECT_EQ(r.lines[0].projected, r.lines[0].horizontal);
    EXPECT_NE(std::find(r.notes.begin(), r.notes.end(), "没有已知高程, 平距未归算到投影面"), r.notes.end());
}

TEST(FieldBook, FormulasAgainstIndependentFigures)
{
    // The combined curvature and refraction over 1 km, k = 0.13, R = 6 371 km: 0.87/(2R)·10⁶ m²
    // = 0.068278 m, the figure of the textbooks' 球气差 tables; level sight, i = v.
    EXPECT_NEAR(TrigonometricHeight(1000, 90, 1.5L, 1.5L, 0.13L, 6371000), 0.06827813530058076L, 1e-12L);
    // D0 = D·R/(R + Hm − H0), and Dg with ym = 50 km, Δy = 1.2 km (Python, double).
    EXPECT_NEAR(ProjectionSurfaceDistance(1000, 100, 0, 6371000), 999.9843041233069L, 1e-9L);
    EXPECT_NEAR(GridDistance(999.984303L, 50000, 1200, 6371000), 1000.0151000296612L, 1e-9L);
    EXPECT_NEAR(ProjectionSurfaceDistance(1000, 100, 100, 6371000), 1000, 1e-12L);
}

TEST(FieldBook, LimitsOfTheStandard)
{
    struct Case {
        const char *grade;
        Real instrument;
        Real closure, c2, rounds; // −1: no row; c2 −1: no limit
    };
    for (const Case &c : {Case{"四等", 0.5L, 3, 5, 3}, Case{"三等", 1, 6, 9, 6}, Case{"四等", 2, 8, 13, 9},
                          Case{"一级", 2, 12, 18, 12}, Case{"一级导线", 1, 12, 18, 12}, Case{"图根", 6, 18, -1, 24},
                          Case{"四等", 6, -1, -1, -1}, Case{"五级", 2, -1, -1, -1}}) {
        const auto l = DirectionLimitsOf(c.grade, c.instrument);
        SCOPED_TRACE(std::string(c.grade) + " " + GeneralText(c.instrument));
        if (c.closure < 0) {
            EXPECT_FALSE(l);
            continue;
        }
        ASSERT_TRUE(l);
        EXPECT_EQ(l->halfRoundClosure, c.closure);
        EXPECT_EQ(l->c2Spread.value_or(-1), c.c2);
        EXPECT_EQ(l->roundSpread, c.rounds);
    }
    EXPECT_EQ(HeightLimitsOf("四等")->reciprocalPerKm, 40);
    EXPECT_EQ(HeightLimitsOf("一级")->indexSpread, 10);
    EXPECT_EQ(HeightLimitsOf("图根")->zenithSpread, 25);
}

TEST(FieldBook, IncompleteRoundsAreReducedAndSaid)
{
    // Round 2 without its closing pointings and without P3: reduced from the opening mean, P3
    // from round 1 alone.
    const std::string book = "测站,仪器高,照准点,觇标高,测回,盘位,水平度盘读数,竖盘读数,斜距\n"
                             "S,,A,,1,左,0.0000,,\nS,,B,,1,左,30.0000,,\nS,,C,,1,左,60.0000,,\nS,,A,,1,左,0.0004,,\n"
                             "S,,A,,1,右,180.0004,,\nS,,C,,1,右,240.0000,,\nS,,B,,1,右,210.0000,,\nS,,A,,1,右,180.0000,,\n"
                             "S,,A,,2,L,90.0000,,\nS,,B,,2,L,120.0010,,\nS,,B,,2,R,300.0010,,\nS,,A,,2,R,270.0000,,\n";
    Settings s;
    s.grid = false;
    const Reduction r = Reduce(ParseCsvBook(book), {}, s);
    const StationResult &st = r.stations[0];
    EXPECT_TRUE(st.rounds[0].closed);
    EXPECT_FALSE(st.rounds[1].closed);
    EXPECT_NEAR(DirectionOf(st, "B").direction, 30 + 4 * Second, 1e-9L); // (29°59′58″ + 30°00′10″)/2
    EXPECT_NEAR(DirectionOf(st, "C").direction, 60 - 2 * Second, 1e-9L);
    EXPECT_EQ(DirectionOf(st, "C").rounds, std::vector<int>{1});
    const std::string notes = [&] {
        std::string all;
        for (const std::string &n : r.notes)
            all += n + "\n";
        return all;
    }();
    EXPECT_NE(notes.find("测站 S 第 2 测回未归零"), std::string::npos) << notes;
    EXPECT_NE(notes.find("照准点 C 只在 1 个测回观测 (共 2 个)"), std::string::npos) << notes;
}

TEST(FieldBook, BadBooksNameTheLine)
{
    const std::string head = "测站,仪器高,照准点,觇标高,测回,盘位,水平度盘读数,竖盘读数,斜距\n";
    struct Case {
        std::string text, message;
    };
    const Case cases[] = {
        {head + "S,,A,,1,左,0.0000,,\nS,,B,,1,左,30.0000,,\nS,,B,,1,右,210.0000,,\nS,,C,,1,右,240.0000,,\nS,,A,,1,右,180.0000,,\n",
         "第 5 行: 盘右照准 C 在第 1 测回没有盘左观测"},
        {head + "S,,A,,1,左,0.0000,,\nS,,B,,1,左,30.0000,,\nS,,A,,1,右,180.0000,,\n", "第 3 行: 盘左照准 B 在第 1 测回没有盘右观测"},
        {head + "S,,A,,1,左,0.6000,,\n", "第 2 行: 水平度盘读数 '0.6000' 不是角度"},
        {head + "S,,A,,1,左,abc,,\n", "第 2 行: 水平度盘读数 'abc' 不是角度"},
        {head + "S,,A,,1,左,10.0000,361.0000,\n", "第 2 行: 竖盘读数 '361.0000' 超出 0°–360°"},
        {head + "S,,A,,1,左,0.0000,,\nS,,A,,1,右,180.0000,,\n", "第 2 行: 测站 S 只有一个照准点 A"},
        {head + "S,,A,,1,上,0.0000,,\n", "第 2 行: 盘位 '上' 应为 左 或 右"},
        {head + "S,,A,,0,左,0.0000,,\n", "第 2 行: 测回 '0' 应为 1 起的整数"},
        {head + "S,1.5,A,,1,左,0.0000,,\nS,1.6,B,,1,左,30.0000,,\n", "第 3 行: 测站 S 的仪器高 1.6 与第 2 行的 1.5 不同"},
        {"*110001+00000000000000K1 88..10+0000000000001609 \n*110002+00000000000000K2 21.325+0000000006056600 \n",
         "第 2 行: GSI 字 21 '0000000006056600' 的单位 '5' 未知"},
        {"*110001+00000000000000K1 88..13+0000000000001609 \n", "第 1 行: GSI 字 88 '0000000000001609' 的单位 '3' 未知"},
    };
    for (const Case &c : cases) {
        const std::string e = ErrorOf(c.text);
        EXPECT_EQ(e.substr(0, c.message.size()), c.message) << c.text;
    }
}

TEST(FieldBook, GsiWordsAndUnits)
{
    // The instrument's own lines: station K1 (i = 1.609 m) and a pointing to K2 in gon, the
    // distance in 0.1 mm, the target height in mm.
    const FieldBook b = ParseGsiBook("*110001+00000000000000K1 88..10+0000000000001609 \n"
                                     "*110002+00000000000000K2 21.322+0000000006056600 22.322+0000000009569917 "
                                     "31..06+0000000014156415 87..10+0000000000001708 \n"
                                     "110003+000000K3 21.323+05450940 22.324+09000000 31..08+00123456 \n"
                                     "110004+000000K3 21.324+23427090 22.324+27000000 \n"
                                     "110005+000000K4 21.323+10000000 22.323+26000000 32..00+00100000 \n");
    ASSERT_EQ(b.pointings.size(), 4u);
    const Pointing &p = b.pointings[0];
    EXPECT_EQ(p.station, "K1");
    EXPECT_EQ(p.target, "K2");
    EXPECT_NEAR(*p.instrumentHeight, 1.609L, 1e-12L);
    EXPECT_NEAR(*p.targetHeight, 1.708L, 1e-12L);
    EXPECT_NEAR(p.horizontal, 60.566L * 0.9L, 1e-12L);
    EXPECT_NEAR(*p.vertical, 95.69917L * 0.9L, 1e-12L);
    EXPECT_NEAR(*p.slope, 1415.6415L, 1e-9L);
    EXPECT_TRUE(p.left);
    EXPECT_NEAR(b.pointings[1].horizontal, 54.5094L, 1e-12L);                 // degrees ×1e-5
    EXPECT_NEAR(*b.pointings[1].slope, 1.23456L, 1e-12L);                      // 0.01 mm
    EXPECT_NEAR(b.pointings[2].horizontal, 234 + 27.0 / 60 + 9.0 / 3600, 1e-12L); // 234°27′09.0″
    EXPECT_FALSE(b.pointings[2].left);                                        // 270°: face right
    // Horizontal distance only (word 32, 100.000 m at V = 260°): S = 100 / sin 80°.
    EXPECT_NEAR(*b.pointings[3].slope, 101.542661188L, 1e-8L);
    EXPECT_THROW(ParseGsiBook("*110001+00000000000000K1 88..10+0000000000001609 \n"
                              "110002+000000K2 21.323+10000000 22.323+00000010 32..00+00100000 \n"),
                 Error);
}

TEST(FieldBook, ReciprocalHeightsAreKeptAndChecked)
{
    // A → B: S 1000.000, Z 89°00′00″, i 1.500, v 1.600; B → A: S 1000.010, Z 91°00′10″, i 1.550,
    // v 1.450. dh by Python (double): +17.420664 and −17.332797, their sum 87.87 mm against 图根's
    // 80·√D mm (D 0.99985 km): over.
    const std::string book = "测站,仪器高,照准点,觇标高,测回,盘位,水平度盘读数,竖盘读数,斜距\n"
                             "A,1.500,B,1.600,1,左,0.0000,89.0000,1000.000\nA,1.500,C,,1,左,60.0000,,\n"
                             "A,1.500,C,,1,右,240.0000,,\nA,1.500,B,1.600,1,右,180.0000,271.0000,1000.000\n"
                             "B,1.550,A,1.450,1,左,0.0000,91.0010,1000.010\nB,1.550,C,,1,左,300.0000,,\n"
                             "B,1.550,C,,1,右,120.0000,,\nB,1.550,A,1.450,1,右,180.0000,268.5950,1000.010\n";
    Settings s;
    s.grade = "图根", s.grid = false;
    const Reduction r = Reduce(ParseCsvBook(book), {{"A", std::nullopt, std::nullopt, 50}}, s);
    ASSERT_EQ(r.lines.size(), 2u);
    EXPECT_NEAR(*r.lines[0].heightDifference, 17.420663775986572L, 1e-9L);
    EXPECT_NEAR(*r.lines[1].heightDifference, -17.332796821552886L, 1e-9L);
    ASSERT_FALSE(r.checks.empty());
    EXPECT_EQ(r.checks.back().text, "A–B 对向观测高差较差 87.9mm 超限 (限差 80mm)");
    // The mean height of A → B from A's known height and the first pass: 50 + 1.5, 50 + 17.42 + 1.6.
    ASSERT_TRUE(r.lines[0].meanHeight);
    EXPECT_NEAR(*r.lines[0].meanHeight, (50 + 1.5 + 50 + 17.4207 + 1.6) / 2, 0.05);
    EXPECT_LT(r.lines[0].projected, r.lines[0].horizontal);
}
