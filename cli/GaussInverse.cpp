// The gauss-inverse subcommand: Gauss–Krüger plane coordinates to geodetic ones, as the window
// 高斯投影反算 converts its table.
#include "PointCommand.h"

#include "core/PointConversions.h"

namespace quorvil::cli {

namespace {

int GaussInverseRun(const Options &o, const QStringList &positional)
{
    const Ellipsoid e = o.ellipsoid("", 0);
    return Convert<GaussInverseConversion>(o, positional, e, o.degrees("central-meridian"), o.number("y-constant"));
}

} // namespace

Command GaussInverseCommand()
{
    return {"gauss-inverse", "高斯投影反算: 点号,x,y → 点号,B,L (ddd.mmss)",
            [](QCommandLineParser &p) {
                AddEllipsoidOptions(p, "", "");
                AddZoneOptions(p);
                AddStreamOptions(p);
            },
            GaussInverseRun};
}

} // namespace quorvil::cli
