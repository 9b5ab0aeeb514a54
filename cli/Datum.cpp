// The datum subcommand: coordinates between two ellipsoids by seven parameters, as the four
// windows of 椭球间转换 convert their tables: the parameters from a file, or estimated from common
// points (printed, and saved with the residuals on request as "保存参数" and "保存公共点" save them).
#include "PointCommand.h"

#include "Console.h"
#include "SettingsFiles.h"

#include "core/DatumConversion.h"
#include "core/PointConversions.h"
#include "core/SevenParameters.h"

namespace quorvil::cli {

namespace {

int DatumRun(const Options &o, const QStringList &positional)
{
    const QStringList kinds = {"plane", "geodetic"};
    if (!o.isSet("from") || !o.isSet("to"))
        throw UsageError("须给出 --from 与 --to");
    const bool oldPlane = o.choice("from", kinds) == "plane";
    const bool newPlane = o.choice("to", kinds) == "plane";
    DatumTransform t;
    t.oldSide.kind = oldPlane ? DatumCoordinates::Plane : DatumCoordinates::Geodetic;
    t.newSide.kind = newPlane ? DatumCoordinates::Plane : DatumCoordinates::Geodetic;
    // The ellipsoids each window opens with: plane to plane 北京54 to 国家80; from geodetic
    // WGS84 to 北京54; plane to geodetic 北京54 to WGS84.
    const int oldPreset = oldPlane ? 0 : 3;
    const int newPreset = oldPlane ? (newPlane ? 1 : 3) : 0;
    t.oldSide.ellipsoid = o.ellipsoid("", oldPreset);
    t.newSide.ellipsoid = o.ellipsoid("to-", newPreset);
    const Real meridian = o.degrees("central-meridian");
    if (oldPlane && newPlane) {
        // Plane to plane: the new central meridian (following the old one unless given) is the
        // working meridian.
        t.oldSide.centralMeridian = meridian;
        t.oldSide.reduceToWorkingMeridian = true;
        t.newSide.centralMeridian = o.isSet("to-central-meridian") ? o.degrees("to-central-meridian") : meridian;
        t.workingMeridian = t.newSide.centralMeridian;
    } else {
        if (o.isSet("to-central-meridian"))
            throw UsageError("--to-central-meridian 只用于平面到平面的转换");
        t.oldSide.centralMeridian = t.newSide.centralMeridian = meridian;
        t.workingMeridian = meridian;
    }
    if (oldPlane)
        t.oldSide.yConstant = o.number("y-constant");
    if (newPlane)
        t.newSide.yConstant = o.number("to-y-constant");
    t.oldSide.heightAnomaly = o.number("height-anomaly");
    t.newSide.heightAnomaly = o.number("to-height-anomaly");

    // The panel texts: the opening identity, a parameter file, or an estimation.
    std::vector<std::string> panel = {"0", "0", "0", "0", "0", "0", "1"};
    if (o.isSet("parameters") && o.isSet("common"))
        throw UsageError("--parameters 与 --common 只能选一");
    if (!o.isSet("common") && (o.isSet("residuals") || o.isSet("save-parameters")))
        throw UsageError("--residuals 与 --save-parameters 须与 --common 同用");
    if (o.isSet("parameters")) {
        panel = ParameterTexts(o.text("parameters"), 7);
    } else if (o.isSet("common")) {
        const QString path = o.text("common");
        const PointCells cells = CommonCells(path);
        std::vector<DatumCommonPoint> points(static_cast<size_t>(cells.rows));
        for (int r = 0; r < cells.rows; ++r)
            for (int i = 0; i < 3; ++i) {
                points[static_cast<size_t>(r)].oldTyped[static_cast<size_t>(i)] = CellNumberAt(path, cells, r, 1 + i);
                points[static_cast<size_t>(r)].newTyped[static_cast<size_t>(i)] = CellNumberAt(path, cells, r, 4 + i);
            }
        FpGuard guard;
        const DatumEstimate e = EstimateDatum(t, points);
        const SevenParameters &p = e.parameters;
        guard.check(p.DX, p.DY, p.DZ, p.WX, p.WY, p.WZ, p.K);
        std::vector<std::array<std::string, 3>> residuals;
        for (const DatumTriple &v : e.residuals) {
            guard.check(v[0], v[1], v[2]);
            residuals.push_back(DatumResidualTexts(t.newSide.kind, v));
        }
        const auto shown = SevenParameterTexts(p);
        panel.assign(shown.begin(), shown.end());
        if (o.isSet("residuals"))
            WriteCommonWithResiduals(o.text("residuals"), cells, residuals, o.outputEncoding(o.text("residuals")));
        if (o.isSet("save-parameters"))
            WriteLines(o.text("save-parameters"), {QString::fromStdString(JoinTexts(panel))},
                       o.outputEncoding(o.text("save-parameters")));
        const char *labels[7] = {"DX=", "DY=", "DZ=", "WX(\")=", "WY(\")=", "WZ(\")=", "K="};
        std::string summary;
        for (size_t i = 0; i < 7; ++i)
            summary += (i ? "  " : "") + std::string(labels[i]) + panel[i];
        PrintSummary(positional.at(1), summary + "\n");
    }
    SevenParameters parameters;
    try {
        parameters = SevenParametersFromTexts(panel);
    } catch (const Error &e) {
        FileFailure(o.text("parameters"), e.what());
    }
    return Convert<DatumPointConversion>(o, positional, t, parameters);
}

} // namespace

Command DatumCommand()
{
    return {"datum", "椭球间坐标转换 (七参数): 点号,x,y,H 或 点号,B,L,H",
            [](QCommandLineParser &p) {
                p.addOption({"from", "原坐标: plane (高斯平面) 或 geodetic (大地坐标)", "kind"});
                p.addOption({"to", "新坐标: plane 或 geodetic", "kind"});
                AddEllipsoidOptions(p, "", "原");
                AddEllipsoidOptions(p, "to-", "新");
                p.addOption({"central-meridian", "中央子午线 (ddd.mmss); 平面到平面时为原坐标系的, 默认 0", "dms", "0"});
                p.addOption({"to-central-meridian", "平面到平面时新坐标系的中央子午线, 默认同原坐标系", "dms"});
                p.addOption({"y-constant", "原平面坐标的Y常数 (m), 默认 500000", "m", "500000"});
                p.addOption({"to-y-constant", "新平面坐标的Y常数 (m), 默认 500000", "m", "500000"});
                p.addOption({"height-anomaly", "原坐标系测区高程异常 (m), 默认 0", "m", "0"});
                p.addOption({"to-height-anomaly", "新坐标系测区高程异常 (m), 默认 0", "m", "0"});
                p.addOption({"parameters", "七参数文件 (DX,DY,DZ,WX,WY,WZ,K)", "file"});
                p.addOption({"common", "公共点文件 (点号,老x/B,y/L,H,新x/B,y/L,H), 由它解算七参数", "file"});
                p.addOption({"residuals", "写出带残差的公共点文件", "file"});
                p.addOption({"save-parameters", "写出解算的七参数文件", "file"});
                AddStreamOptions(p);
            },
            DatumRun};
}

} // namespace quorvil::cli
