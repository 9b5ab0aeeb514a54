#include "PowerLine.h"

#include "Error.h"
#include "TextForms.h"

#include <algorithm>
#include <cmath>

namespace quorvil {

namespace {

Real PlaneDistance(const RouteStation &a, const RouteStation &b)
{
    const Real dx = b.x - a.x;
    const Real dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

bool IsBlank(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

// The strict conversion of the drawing: a blank cell is no number either.
Real StrictNumber(const std::string &text)
{
    if (IsBlank(text))
        throw ConversionError(text);
    return TextToNumber(text);
}

// What the drawing needs of a row, read once before anything is drawn.
struct RowValues {
    Real chainage = 0;
    Real spacing = 0;
    Real elevation = 0;
    bool hasAngle = false;
    Real angle = 0; // feature angle, degrees
};

// Collects the entities of one page.
class PageWriter {
public:
    PageWriter(std::vector<SheetEntity> &out, int page) : out_(out), page_(page) {}

    void block(double x, double y) { out_.push_back({SheetEntity::Block, page_, {x, y}, {}, 0, false}); }
    void text(const std::string &text, double x, double y, double height)
    {
        // A blank cell draws nothing: an empty text entity is invisible and only clutters the drawing.
        if (!IsBlank(text))
            out_.push_back({SheetEntity::Text, page_, {x, y}, text, height, false});
    }
    void line(double x1, double y1, double x2, double y2)
    {
        out_.push_back({SheetEntity::Line, page_, {x1, y1, x2, y2}, {}, 0, true});
    }
    void circle(double x, double y, double radius) { out_.push_back({SheetEntity::Circle, page_, {x, y}, {}, radius, false}); }
    void polyline(std::vector<double> xy) { out_.push_back({SheetEntity::Polyline, page_, std::move(xy), {}, 0, true}); }

private:
    std::vector<SheetEntity> &out_;
    int page_;
};

// The elevation `ExitRun` drawing units from `near` towards `far`, which lie `units` apart on the
// sheet. Rows that lie on one spot of the sheet give the elevation of `near` itself.
Real ElevationBeyond(Real near, Real far, Real units)
{
    if (units == 0)
        return near;
    return near + (far - near) * SheetLayout::ExitRun / units;
}

} // namespace

bool IsAnglePointRemark(std::string_view remark) { return remark.starts_with("ZJ"); }

ChainageTexts MainLineChainage(const std::vector<RouteStation> &stations)
{
    ChainageTexts out;
    const std::size_t n = stations.size();
    out.chainage.resize(n);
    out.spacing.resize(n);
    if (n == 0)
        return out;
    out.chainage[0] = "0";
    out.spacing[0] = "0";

    std::size_t legStart = 0; // the point the current straight leg starts from
    Real pathLength = 0;      // point-to-point distances summed along the leg
    Real chainage = 0;
    for (std::size_t r = 1; r < n; ++r) {
        const Real d = PlaneDistance(stations[r - 1], stations[r]);
        out.spacing[r] = GeneralText(d);
        pathLength += d;
        if (!stations[r].anglePoint && r != n - 1)
            continue;
        // Row r closes the leg: each point's share of the straight leg, to the millimetre.
        const Real legLength = PlaneDistance(stations[legStart], stations[r]);
        for (std::size_t j = legStart + 1; j <= r; ++j) {
            const Real dj = TextToNumber(out.spacing[j]);
            // A leg of repeated points has no length to share.
            const Real share = pathLength == 0 ? 0 : RoundHalfEven(dj * 1000 * legLength / pathLength) / 1000;
            chainage += share;
            out.spacing[j] = GeneralText(share);
            out.chainage[j] = GeneralText(chainage);
        }
        legStart = r;
        pathLength = 0;
    }
    return out;
}

std::vector<SheetEntity> PlanProfileSheets(const std::vector<SheetRow> &rows, int ratio)
{
    namespace L = SheetLayout;
    const std::size_t n = rows.size();

    // Every number first: a bad cell ends the drawing before anything is drawn.
    std::vector<RowValues> v(n);
    for (std::size_t r = 0; r < n; ++r) {
        v[r].chainage = StrictNumber(rows[r].columns[SheetChainage]);
        v[r].spacing = StrictNumber(rows[r].columns[SheetSpacing]);
        v[r].elevation = StrictNumber(rows[r].columns[SheetElevation]);
        const std::string &angle = rows[r].columns[SheetFeatureAngle];
        if (!IsBlank(angle)) {
            v[r].hasAngle = true;
            v[r].angle = DmsToDeg(TextToNumber(angle));
        }
    }

    std::vector<SheetEntity> out;
    out.reserve(n * 16 + 8);
    const int pages = SheetPageCount(n);
    for (int k = 0; k < pages; ++k) {
        PageWriter page(out, k);
        const double y0 = L::PageStep * k;
        const std::size_t f = std::size_t(k) * L::RowsPerPage;
        const std::size_t l = std::min(f + L::RowsPerPage, n) - 1;
        const std::size_t c = l - f + 1;

        page.block(0, y0);
        page.text(std::to_string(k + 1), L::PageNumberX, y0 + L::PageNumberY, L::TableTextHeight);
        for (std::size_t i = 0; i < c; ++i) {
            const SheetRow &row = rows[f + i];
            const double y = y0 + L::TableTop - L::TableRowStep * double(i);
            page.text(row.name, L::NameX, y, L::TableTextHeight);
            for (std::size_t col = 0; col < row.columns.size(); ++col)
                page.text(row.columns[col], L::ColumnX[col], y, L::TableTextHeight);
        }

        // Horizontal scale: the page's chainage span over ten units a row. A span of zero has
        // no scale; its rows are drawn one unit apart.
        const Real span = v[l].chainage - v[f].chainage;
        const bool noSpan = c == 1 || span == 0;
        const Real sx = noSpan ? 0 : L::TableRowStep * Real(c - 1) / span;

        // Vertical scale: the page's elevation range across the strip, exaggerated at most
        // `ratio` times the horizontal scale. Equal elevations give a flat profile at the centre.
        Real hMin = v[f].elevation, hMax = v[f].elevation;
        for (std::size_t i = f; i <= l; ++i) {
            hMin = std::min(hMin, v[i].elevation);
            hMax = std::max(hMax, v[i].elevation);
        }
        const Real mid = (hMin + hMax) / 2;
        Real sv = 0;
        if (hMax > hMin) {
            sv = L::ProfileWidth / (hMax - hMin);
            if (!noSpan && sv / sx > ratio)
                sv = ratio * sx;
        }
        const auto profileX = [&](Real h) { return double(L::ProfileCentre - sv * (h - mid)); };

        // Spacings along the strip; narrow ones are widened so that names stay readable, and
        // the widest spacing of the page gives up the difference.
        std::vector<Real> g(c, 0);
        for (std::size_t i = 1; i < c; ++i)
            g[i] = noSpan ? 1 : v[f + i].spacing * sx;
        if (!noSpan)
            for (std::size_t i = 1; i < c; ++i) {
                if (!(g[i] > 0 && g[i] < L::NarrowSpacing))
                    continue;
                const Real w = g[i] >= L::TinySpacing ? 3 * std::sqrt(g[i]) : Real(L::MinimumSpacing);
                const std::size_t widest = std::size_t(std::max_element(g.begin() + 1, g.end()) - g.begin());
                g[widest] = g[widest] - w + g[i];
                g[i] = w;
            }

        // Entry: the first row on the first page; on later pages the elevation five units
        // before the page's first row.
        double px, py;
        if (k == 0) {
            px = profileX(v[0].elevation);
            py = 0;
        } else {
            px = profileX(ElevationBeyond(v[f].elevation, v[f - 1].elevation, sx * v[f].spacing));
            py = y0;
        }

        Real y = y0 + L::StripStart;
        for (std::size_t i = 0; i < c; ++i) {
            if (i > 0)
                y += g[i];
            const double qy = double(y);
            const double qx = profileX(v[f + i].elevation);
            const std::string &name = rows[f + i].name;
            page.line(px, py, qx, qy);
            page.circle(qx, qy, L::MarkRadius);
            page.text(name, qx + L::MarkTextOffset, qy, L::MarkTextHeight);
            page.circle(L::PlanCentre, qy, L::MarkRadius);
            page.text(name, L::PlanCentre + L::MarkTextOffset, qy, L::MarkTextHeight);
            if (v[f + i].hasAngle) {
                const Real theta = v[f + i].angle;
                if (std::fmod(theta, Real(180)) == 0) {
                    // A feature along the route: its tick runs along the strip.
                    page.polyline({L::PlanCentre, qy + L::PlanHalfWidth, L::PlanCentre, qy - L::PlanHalfWidth});
                } else {
                    const double t = double(L::PlanHalfWidth * std::tan(DegToRad(90 - theta)));
                    page.polyline({L::PlanCentre - L::PlanHalfWidth, qy + t, L::PlanCentre + L::PlanHalfWidth, qy - t});
                }
            }
            px = qx;
            py = qy;
        }

        // Exit: towards the next page's first row, or straight on after the route's last point.
        if (l + 1 < n) {
            const Real hx = ElevationBeyond(v[l].elevation, v[l + 1].elevation, sx * v[l + 1].spacing);
            page.line(px, py, profileX(hx), y0 + L::StripLength);
        } else {
            page.line(px, py, px, y0 + L::TableRowStep * double(c));
        }
    }
    return out;
}

} // namespace quorvil
