// The zone-change subcommand: plane coordinates of one projection zone to another, as the window
// 坐标换带 converts its table.
#include "PointCommand.h"

#include "core/PointConversions.h"
#include "core/TextForms.h"

namespace quorvil::cli {

namespace {

int ZoneChangeRun(const Options &o, const QStringList &positional)
{
    const Ellipsoid e = o.ellipsoid("", 0);
    // The zone fields take the plain number conversion: an empty text is an error.
    const Real sourceMeridian = DmsToDeg(o.strictNumber("central-meridian"));
    const Real sourceY = o.strictNumber("y-constant");
    const Real targetMeridian = DmsToDeg(o.strictNumber("to-central-meridian"));
    const Real targetY = o.strictNumber("to-y-constant");
    return Convert<ZoneChangeConversion>(o, positional, e, sourceMeridian, sourceY, targetMeridian, targetY);
}

} // namespace

Command ZoneChangeCommand()
{
    return {"zone-change", "坐标换带: 点号,x,y (原投影带) → 点号,x,y (新投影带)",
            [](QCommandLineParser &p) {
                AddEllipsoidOptions(p, "", "");
                p.addOption({"central-meridian", "原投影带中央子午线 (ddd.mmss), 默认 0", "dms", "0"});
                p.addOption({"y-constant", "原投影带Y坐标加常数 (m), 默认 500000", "m", "500000"});
                p.addOption({"to-central-meridian", "新投影带中央子午线 (ddd.mmss), 默认 0", "dms", "0"});
                p.addOption({"to-y-constant", "新投影带Y坐标加常数 (m), 默认 500000", "m", "500000"});
                AddStreamOptions(p);
            },
            ZoneChangeRun};
}

} // namespace quorvil::cli
