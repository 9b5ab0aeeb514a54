// The webmap subcommand: longitude and latitude between WGS84, GCJ-02 and BD-09, as the window
// 互联网地图坐标转换 converts its table.
#include "PointCommand.h"

#include "core/PointConversions.h"
#include "core/WebMap.h"

namespace quorvil::cli {

namespace {

int WebMapRun(const Options &o, const QStringList &positional)
{
    const QStringList datums = {"wgs84", "gcj02", "bd09"};
    if (!o.isSet("from") || !o.isSet("to"))
        throw UsageError("须给出 --from 与 --to");
    const auto from = static_cast<WebMapDatum>(datums.indexOf(o.choice("from", datums)));
    const auto to = static_cast<WebMapDatum>(datums.indexOf(o.choice("to", datums)));
    return Convert<WebMapConversion>(o, positional, from, to, o.isSet("dms"));
}

} // namespace

Command WebMapCommand()
{
    return {"webmap", "互联网地图坐标转换: 点号,经度,纬度 → 点号,经度,纬度,说明 (WGS84/GCJ-02/BD-09)",
            [](QCommandLineParser &p) {
                p.addOption({"from", "原坐标系: wgs84 (= CGCS2000), gcj02 或 bd09", "datum"});
                p.addOption({"to", "目标坐标系: wgs84, gcj02 或 bd09", "datum"});
                p.addOption({"dms", "经纬度按度分秒 (ddd.mmss) 读写; 默认为十进制度, 结果 9 位小数"});
                AddStreamOptions(p);
            },
            WebMapRun};
}

} // namespace quorvil::cli
