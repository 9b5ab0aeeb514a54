// The map-sheet subcommand: 1:10,000 sheet numbers of points given by longitude and latitude, by
// Gauss–Krüger plane coordinates or by a sheet number of the other numbering, as the map-sheet
// window finds them.
#include "Commands.h"

#include "PointStream.h"

#include "core/DrawingLabels.h"
#include "core/FpGuard.h"
#include "core/MapSheet.h"
#include "core/TextForms.h"

#include <optional>

namespace quorvil::cli {

namespace {

// One line to the sheet of its point (and the eight neighbours): name, E, N (packed degrees);
// name, X, Y (plane, with zone number); or name, sheet number.
class SheetConversion final : public PointConversion {
public:
    enum class From { Geodetic, Plane, Sheet };

    SheetConversion(From from, SheetNumbering output, SheetNumbering input, const Ellipsoid &ellipsoid, Real xConstant,
                    Real yConstant, int zoneWidth, bool neighbours)
        : m_from(from), m_output(output), m_input(input), m_ellipsoid(ellipsoid), m_xConstant(xConstant),
          m_yConstant(yConstant), m_zoneWidth(zoneWidth), m_neighbours(neighbours)
    {
    }
    int inputFields() const override { return m_from == From::Sheet ? 2 : 3; }
    int resultColumns() const override { return m_neighbours ? 10 : 2; }

    void convert(std::span<const std::string_view> fields, std::span<std::string> out) const override
    {
        FpGuard guard;
        SheetPoint point;
        switch (m_from) {
        case From::Geodetic:
            // The window reads its coordinate fields strictly: an empty text is an error, not 0.
            point = {PackedAngleSeconds(StrictTextToNumber(fields[1])), PackedAngleSeconds(StrictTextToNumber(fields[2]))};
            break;
        case From::Plane: {
            const Real X = StrictTextToNumber(fields[1]) + m_xConstant;
            const Real Y = StrictTextToNumber(fields[2]) + m_yConstant;
            guard.check(X, Y);
            const GridGeodetic geodetic = GeodeticOfGrid(m_ellipsoid, X, Y, m_zoneWidth);
            point = {geodetic.L * 3600, geodetic.B * 3600};
            break;
        }
        case From::Sheet: {
            std::string_view number = fields[1];
            while (!number.empty() && static_cast<unsigned char>(number.front()) <= ' ')
                number.remove_prefix(1);
            point = SheetPosition(m_input, number);
            break;
        }
        }
        guard.check(point.lambda, point.phi);
        if (m_neighbours) {
            const std::array<std::string, 9> numbers = SheetNeighbourhood(m_output, point);
            for (size_t i = 0; i < numbers.size(); ++i)
                out[i] = numbers[i];
        } else {
            out[0] = SheetNumber(m_output, point);
        }
    }

private:
    From m_from;
    SheetNumbering m_output, m_input;
    Ellipsoid m_ellipsoid;
    Real m_xConstant, m_yConstant;
    int m_zoneWidth;
    bool m_neighbours;
};

int SheetRun(const Options &o, const QStringList &positional)
{
    const QString from = o.choice("from", {"geodetic", "plane", "sheet"});
    const SheetNumbering output = o.choice("numbering", {"new", "old"}) == "new" ? SheetNumbering::New : SheetNumbering::Old;
    const SheetNumbering input =
        o.choice("input-numbering", {"new", "old"}) == "new" ? SheetNumbering::New : SheetNumbering::Old;
    const int zoneWidth = o.choice("zone-width", {"3", "6"}).toInt();
    const SheetConversion::From kind = from == "geodetic" ? SheetConversion::From::Geodetic
                                       : from == "plane"  ? SheetConversion::From::Plane
                                                          : SheetConversion::From::Sheet;
    const StreamOptions stream = StreamOptionsOf(o, positional);
    const SheetConversion conversion(kind, output, input, o.ellipsoid("", 0), o.strictNumber("x-constant"),
                                     o.strictNumber("y-constant"), zoneWidth, o.isSet("neighbours"));
    return RunPointStream(conversion, stream);
}

} // namespace

Command SheetCommand()
{
    return {"sheet", "1:1万图幅号: 点号,经度E,纬度N / 点号,X,Y / 点号,图幅号 → 点号,图幅号",
            [](QCommandLineParser &p) {
                p.addOption({"from", "输入: geodetic (经纬度, ddd.mmss), plane (高斯平面坐标, Y含带号) 或 sheet (图幅号)", "kind",
                             "geodetic"});
                p.addOption({"numbering", "输出的图幅编号: new (新图幅标准, 默认) 或 old (旧图幅标准)", "kind", "new"});
                p.addOption({"input-numbering", "--from sheet 时输入的编号: old (默认) 或 new", "kind", "old"});
                AddEllipsoidOptions(p, "", "");
                p.addOption({"x-constant", "X加常数 (m), 默认 0", "m", "0"});
                p.addOption({"y-constant", "Y加常数 (m), 默认 0", "m", "0"});
                p.addOption({"zone-width", "投影带: 3 (3度带, 默认) 或 6 (6度带)", "deg", "3"});
                p.addOption({"neighbours", "写出图幅结合表: 西北, 北, 东北, 西, 本幅, 东, 西南, 南, 东南"});
                AddStreamOptions(p);
            },
            SheetRun};
}

} // namespace quorvil::cli
