// The network subcommand: a control network (Quorvil's observation file or GNU Gama's gama-local
// input, told apart by content) adjusted rigorously; the result table written, the summary line
// printed, every result as JSON on request.
#include "Commands.h"

#include "Console.h"
#include "PointStream.h"

#include "core/FpGuard.h"
#include "io/FileAccess.h"
#include "io/PointFile.h"
#include "io/ProgramFiles.h"
#include "io/dxf/DxfWriter.h"
#include "io/survey/NetworkDrawing.h"
#include "io/survey/NetworkReport.h"
#include "io/survey/NetworkOutput.h"
#include "io/survey/ObservationFile.h"

#include <QFile>

#include <cstdio>
#include <optional>

namespace quorvil::cli {

namespace {

int NetworkRun(const Options &o, const QStringList &positional)
{
    const QString input = positional.at(0), output = positional.at(1);
    const OutputEncoding encoding = o.outputEncoding(output);
    std::optional<Real> confidence;
    if (o.isSet("confidence")) {
        confidence = o.strictNumber("confidence");
        if (!(*confidence > 0 && *confidence < 1))
            throw UsageError("--confidence 须在 0 与 1 之间");
    }
    std::optional<bool> aposteriori;
    if (o.isSet("sigma"))
        aposteriori = o.choice("sigma", {QStringLiteral("apriori"), QStringLiteral("aposteriori")}) == QStringLiteral("aposteriori");
    std::optional<double> ellipseScale;
    if (o.isSet("ellipse-scale")) {
        ellipseScale = double(o.strictNumber("ellipse-scale"));
        if (!(*ellipseScale > 0 && *ellipseScale <= 1e8))
            throw UsageError("--ellipse-scale 须为正数");
    }

    // The table, the report and the drawing show x north, y east and clockwise angles whatever the
    // file's axes (`file`, `result`); the JSON keeps the file's own (`read`, `adjusted`).
    SurveyFile file;
    network::Result result;
    QByteArray table, json;
    try {
        SurveyFile read = ParseNetworkFile(ReadInput(input));
        if (confidence)
            read.network.settings.confidence = *confidence;
        if (aposteriori)
            read.network.settings.aposteriori = *aposteriori;
        FpGuard guard;
        const network::Result adjusted = network::Adjust(read.network);
        guard.check(adjusted.summary.vtpv, adjusted.summary.sigma0Aposteriori);
        file = read;
        file.network = network::InNorthEast(read.network);
        result = network::InNorthEast(read.network, adjusted);
        LineWriter writer;
        for (const QString &line : NetworkResultLines(file, result))
            writer.addLine(line);
        table = writer.bytes();
        if (o.isSet("json"))
            json = QByteArray::fromStdString(NetworkResultJson(read.network, adjusted));
    } catch (const Error &e) {
        PrintError(input.toStdString() + ": " + e.what() + "\n");
        return ExitFailed;
    }
    if (o.isSet("json")) {
        try {
            WriteOutput(o.text("json"), json);
        } catch (const Error &e) {
            PrintError(o.text("json").toStdString() + ": " + e.what() + "\n");
            return ExitFailed;
        }
    }
    // The report and the drawing of the window (io/survey/NetworkReport.h, NetworkDrawing.h).
    if (o.isSet("report")) {
        try {
            const SurveyHeader &h = file.header;
            WriteNetworkReport(file.network, result, {h.project, h.grade, h.calculator, h.checker, h.date},
                               ProgramFile(NetworkReportTemplate), o.text("report"));
        } catch (const Error &e) {
            PrintError(o.text("report").toStdString() + ": " + e.what() + "\n");
            return ExitFailed;
        }
    }
    if (o.isSet("dxf")) {
        try {
            NetworkDrawingOptions drawing;
            drawing.ellipseScale = ellipseScale.value_or(SuggestedEllipseScale(file.network, result));
            drawing.relative = o.isSet("relative");
            WriteDxf(NetworkDrawing(file.network, &result, drawing), o.text("dxf"));
        } catch (const Error &e) {
            PrintError(o.text("dxf").toStdString() + ": " + e.what() + "\n");
            return ExitFailed;
        }
    }
    try {
        WriteOutput(output, Recoded(table, encoding));
    } catch (const Error &e) {
        PrintError(output.toStdString() + ": " + e.what() + "\n");
        return ExitFailed;
    }
    const std::string line = NetworkSummaryLine(file.network, result) + "\n";
    PrintSummary(output, line);
    return ExitOk;
}

} // namespace

Command NetworkCommand()
{
    return {"network", "控制网严密平差: 观测文件或 GNU Gama 的 .gkf → 平差结果表, 并打印单位权中误差与检验",
            [](QCommandLineParser &p) {
                p.addOption({"confidence", "χ² 检验的置信概率, 默认取文件中的值 (0.95)", "p"});
                p.addOption({"sigma", "精度评定所用单位权中误差: apriori (验前) 或 aposteriori (验后, 默认)", "kind"});
                p.addOption({"json", "另写出全部结果 (JSON, 供脚本使用)", "file.json"});
                p.addOption({"report", "Word 平差报告 (程序旁的模板 KZWpc.docx)", "file.docx"});
                p.addOption({"dxf", "DXF 网图: 点、观测边、误差椭圆, 各在其图层", "file.dxf"});
                p.addOption({"ellipse-scale", "网图中误差椭圆的放大倍数, 默认按网的大小选取", "n"});
                p.addOption({"relative", "网图中也画相对误差椭圆"});
                AddOutputEncodingOption(p);
                p.addPositionalArgument("input", "观测文件 (Quorvil 观测文件或 gama-local .gkf, 按内容识别), - 表示标准输入");
                p.addPositionalArgument("output", "平差结果表 (各列以逗号分隔), - 表示标准输出");
            },
            NetworkRun};
}

} // namespace quorvil::cli
