// The gauss-forward subcommand: geodetic coordinates to the Gauss–Krüger plane, as the window
// 高斯投影正算 converts its table.
#include "PointCommand.h"

#include "core/PointConversions.h"

namespace quorvil::cli {

namespace {

int GaussForwardRun(const Options &o, const QStringList &positional)
{
    const Ellipsoid e = o.ellipsoid("", 0);
    return Convert<GaussForwardConversion>(o, positional, e, o.degrees("central-meridian"), o.number("y-constant"));
}

} // namespace

Command GaussForwardCommand()
{
    return {"gauss-forward", "高斯投影正算: 点号,B,L (ddd.mmss) → 点号,x,y",
            [](QCommandLineParser &p) {
                AddEllipsoidOptions(p, "", "");
                AddZoneOptions(p);
                AddStreamOptions(p);
            },
            GaussForwardRun};
}

} // namespace quorvil::cli
