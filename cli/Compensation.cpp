// The compensation subcommand: plane coordinates projected onto the compensation height surface,
// as the window 抵偿高程面确定及投影变换 converts its table. Without the new ellipsoid given, it is
// found from the survey area as the window's "计算" buttons find it, and the figures are printed.
#include "PointCommand.h"

#include "Console.h"

#include "core/CompensationPlane.h"
#include "core/PointConversions.h"
#include "core/TextForms.h"

namespace quorvil::cli {

namespace {

int CompensationRun(const Options &o, const QStringList &positional)
{
    const Ellipsoid source = o.ellipsoid("", 0);
    const Real yConstant = o.number("y-constant");
    Ellipsoid target;
    if (o.isSet("a2") || o.isSet("b2")) {
        if (!(o.isSet("a2") && o.isSet("b2")))
            throw UsageError("--a2 与 --b2 须同时给出");
        target = {o.number("a2"), o.number("b2")};
    } else {
        // "计算" of "确定抵偿面", then of "新椭球参数", each result passing through the text its
        // field shows, as in the window.
        FpGuard guard;
        const Real B = o.degrees("mean-latitude");
        const Real ym = o.number("distance");
        const Real H = o.number("height") + o.number("height-anomaly");
        const Real distortion = DistortionPerKilometre(source, B, ym, H);
        const Real height = CompensationHeight(source, B, ym, H);
        guard.check(distortion, height);
        const std::string heightText = o.isSet("compensation-height") ? o.text("compensation-height").toStdString()
                                                                      : NumberToText(0, height);
        const Real Hd = o.isSet("compensation-height") ? o.number("compensation-height") : TextToNumber(heightText);
        const Ellipsoid enlarged = EnlargedEllipsoid(source, B, Hd);
        guard.check(enlarged.a, enlarged.b);
        const std::string a2 = NumberToText(10, enlarged.a), b2 = NumberToText(10, enlarged.b);
        target = {TextToNumber(a2), TextToNumber(b2)};
        PrintSummary(positional.at(1), "每公里投影变形=" + NumberToText(2, distortion) + "mm  抵偿面大地高=" +
                                           heightText + "  a2=" + a2 + "  b2=" + b2 + "\n");
    }
    return Convert<CompensationConversion>(o, positional, source, target, yConstant);
}

} // namespace

Command CompensationCommand()
{
    return {"compensation", "抵偿高程面投影变换: 点号,x,y (原椭球) → 点号,x,y (新椭球)",
            [](QCommandLineParser &p) {
                AddEllipsoidOptions(p, "", "原");
                p.addOption({"y-constant", "Y坐标加常数 (m), 含带号时一并给出, 默认 500000", "m", "500000"});
                p.addOption({"a2", "新椭球长半轴 a2 (m); 不给时由测区条件求出", "m"});
                p.addOption({"b2", "新椭球短半轴 b2 (m)", "m"});
                p.addOption({"mean-latitude", "测区平均纬度 (ddd.mmss), 默认 0", "dms", "0"});
                p.addOption({"distance", "测区距中央子午线 (m), 默认 0", "m", "0"});
                p.addOption({"height", "测区平均高程 (水准高, m), 默认 0", "m", "0"});
                p.addOption({"height-anomaly", "测区平均高程异常值 (m), 默认 0", "m", "0"});
                p.addOption({"compensation-height", "抵偿面大地高 (m); 默认按测区条件求出", "m", "0"});
                AddStreamOptions(p);
            },
            CompensationRun};
}

} // namespace quorvil::cli
