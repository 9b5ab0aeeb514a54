// The plane subcommand: a plane similarity transformation, as the windows 多公共点平面相似变换
// (four parameters from a file or estimated from common points) and 二公共点平面简易转换 (two
// common points) convert their tables.
#include "PointCommand.h"

#include "Console.h"
#include "SettingsFiles.h"

#include "core/PlaneSimilarity.h"
#include "core/PointConversions.h"
#include "core/TextForms.h"

namespace quorvil::cli {

namespace {

int PlaneRun(const Options &o, const QStringList &positional)
{
    const int sources = int(o.isSet("parameters")) + int(o.isSet("common")) + int(o.isSet("two-point"));
    if (sources != 1)
        throw UsageError("须给出 --parameters, --common 或 --two-point 之一");
    const bool twoPoint = o.isSet("two-point");
    if (!twoPoint && (o.isSet("unit-scale") || o.isSet("yx") || o.isSet("cass")))
        throw UsageError("--unit-scale, --yx 与 --cass 只用于 --two-point");
    if (!o.isSet("common") && (o.isSet("residuals") || o.isSet("save-parameters")))
        throw UsageError("--residuals 与 --save-parameters 须与 --common 同用");

    StreamOptions stream = StreamOptionsOf(o, positional);
    FourParameters p;
    PlaneSimilarityConversion::Model model = PlaneSimilarityConversion::Model::FourParameters;
    if (o.isSet("parameters")) {
        const QString path = o.text("parameters");
        try {
            p = FourParametersFromTexts(ParameterTexts(path, 5));
        } catch (const ConversionError &e) {
            FileFailure(path, e.what());
        }
    } else if (o.isSet("common")) {
        const QString path = o.text("common");
        const PointCells cells = CommonCells(path);
        std::vector<CommonPoint> points(static_cast<size_t>(cells.rows));
        for (int r = 0; r < cells.rows; ++r) {
            CommonPoint &c = points[static_cast<size_t>(r)];
            c.oldPoint = {CellNumberAt(path, cells, r, 1), CellNumberAt(path, cells, r, 2), CellNumberAt(path, cells, r, 3)};
            c.newPoint = {CellNumberAt(path, cells, r, 4), CellNumberAt(path, cells, r, 5), CellNumberAt(path, cells, r, 6)};
        }
        FpGuard guard;
        const FourParameterEstimate e = EstimateFourParameters(points);
        guard.check(e.parameters.Dx, e.parameters.Dy, e.parameters.T, e.parameters.K, e.parameters.Dh, e.residuals);
        const auto shown = FourParameterTexts(e.parameters);
        std::vector<std::array<std::string, 3>> residuals;
        for (const PlanePointH &v : e.residuals)
            residuals.push_back(PlaneResidualTexts(v));
        if (o.isSet("residuals"))
            WriteCommonWithResiduals(o.text("residuals"), cells, residuals, o.outputEncoding(o.text("residuals")));
        if (o.isSet("save-parameters"))
            WriteLines(o.text("save-parameters"), {QString::fromStdString(JoinTexts(shown))},
                       o.outputEncoding(o.text("save-parameters")));
        PrintSummary(positional.at(1), "Dx=" + shown[0] + "  Dy=" + shown[1] + "  T(\")=" + shown[2] +
                                           "  K=" + shown[3] + "  Dh=" + shown[4] + "\n");
        // The conversion reads the parameters as the panel shows them.
        p = FourParametersFromTexts(shown);
    } else {
        // The common-point file of the two-point tool: base point X′, Y′, X, Y; second point
        // X′, Y′, X, Y; old and new height of the height reference point.
        const QString path = o.text("two-point");
        const QStringList lines = SettingsLines(path);
        const int counts[] = {4, 4, 2};
        std::vector<Real> v;
        for (int line = 0; line < 3; ++line)
            for (const QString &f :
                 SplitFields(line < lines.size() ? QStringView(lines.at(line)) : QStringView(), counts[line], QString())) {
                try {
                    v.push_back(TextToNumber(f.toStdString()));
                } catch (const Error &e) {
                    FileFailure(path, "第 " + std::to_string(line + 1) + " 行: " + e.what());
                }
            }
        TwoCommonPoints common;
        common.oldBase = {v[0], v[1], 0};
        common.newBase = {v[2], v[3], 0};
        common.oldSecond = {v[4], v[5], 0};
        common.newSecond = {v[6], v[7], 0};
        common.oldHeight = v[8];
        common.newHeight = v[9];
        const bool unitScale = o.isSet("unit-scale");
        FpGuard guard;
        const FourParameters computed = TwoPointSimilarity(common, unitScale);
        const Real rotation = DegToDms(RadToDeg(computed.T));
        guard.check(computed.Dx, computed.Dy, computed.K, computed.Dh, rotation);
        const auto shown = TwoPointParameterTexts(computed, unitScale);
        PrintSummary(positional.at(1), "Dx=" + shown[0] + "  Dy=" + shown[1] + "  T(dms)=" + shown[2] +
                                           "  K=" + shown[3] + "  Dh=" + shown[4] + "\n");
        p = TwoPointParametersFromTexts(shown);
        model = PlaneSimilarityConversion::Model::TwoPoint;
        // The two-point tool leaves a missing field empty and may read Y before X.
        stream.missingField = QString();
        stream.swapFirstTwo = o.isSet("yx");
        stream.cassOutput = o.isSet("cass");
    }
    const PlaneSimilarityConversion conversion(model, p);
    return RunPointStream(conversion, stream);
}

} // namespace

Command PlaneCommand()
{
    return {"plane", "平面相似变换: 点号,x,y,H → 点号,x,y,H",
            [](QCommandLineParser &p) {
                p.addOption({"parameters", "四参数文件 (Dx,Dy,T(\"),K,Dh)", "file"});
                p.addOption({"common", "公共点文件 (点号,老x,y,H,新x,y,H), 由它解算四参数", "file"});
                p.addOption({"residuals", "写出带残差的公共点文件", "file"});
                p.addOption({"save-parameters", "写出解算的四参数文件", "file"});
                p.addOption({"two-point", "二公共点文件 (基准点 X',Y',X,Y; 附合点 X',Y',X,Y; 高程 H',H)", "file"});
                p.addOption({"unit-scale", "二公共点转换: 尺度比置为1"});
                p.addOption({"yx", "二公共点转换: 输入文件为 点号,Y,X,H"});
                p.addOption({"cass", "二公共点转换: 输出为Cass格式 (点号,,Y,X,H)"});
                AddStreamOptions(p);
            },
            PlaneRun};
}

} // namespace quorvil::cli
