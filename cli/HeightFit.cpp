// The height-fitting subcommand: a common-point file and a file of GNSS points in, the surface
// fitted as the window fits it, its summary printed, and the converted points written as the
// window's "数据另存" writes them.
#include "Commands.h"

#include "Console.h"
#include "PointStream.h"

#include "core/HeightFit.h"
#include "io/PointFile.h"

#include <optional>

namespace quorvil::cli {

namespace {

// The rows of a point file as the window's table holds them after "文件导入": `count` fields a
// line, a missing one empty. Standard input is read whole: the fit needs every point.
std::vector<std::vector<std::string>> FileRows(const QString &path, int count)
{
    const QString file = path == QStringLiteral("-") ? QStringLiteral("/dev/stdin") : path;
    PointCells cells;
    try {
        cells = ReadPointCells(file, count, QString());
    } catch (const Error &e) {
        throw Error(path.toStdString() + ": " + e.what());
    }
    std::vector<std::vector<std::string>> rows(static_cast<size_t>(cells.rows));
    for (int r = 0; r < cells.rows; ++r)
        for (int c = 0; c < count; ++c)
            rows[static_cast<size_t>(r)].push_back(cells.cells[static_cast<size_t>(r * count + c)].toStdString());
    return rows;
}

int HeightFitRun(const Options &o, const QStringList &positional)
{
    if (!o.isSet("model"))
        throw UsageError("须给出 --model");
    if (!o.isSet("common"))
        throw UsageError("须给出 --common");
    const QString name = o.choice("model", {"constant", "plane", "quadratic"});
    const HeightModel model = name == QStringLiteral("constant") ? HeightModel::Constant
                              : name == QStringLiteral("plane")  ? HeightModel::Plane
                                                                 : HeightModel::Quadratic;
    std::optional<Real> limit;
    try {
        limit = HeightLimitFromText(o.text("limit").toStdString());
    } catch (const Error &e) {
        throw UsageError(std::string("--limit: ") + e.what());
    }
    const QString output = positional.at(1);
    const OutputEncoding encoding = o.outputEncoding(output);
    const HeightFitResult result = FitHeights(HeightCommonPointsFromTexts(FileRows(o.text("common"), 6)),
                                              HeightPointsFromTexts(FileRows(positional.at(0), 4)), model, limit);
    LineWriter writer;
    for (const auto &row : HeightConvertedTexts(result)) {
        QStringList fields;
        for (const std::string &text : row)
            fields += QString::fromStdString(text);
        writer.addLine(fields.join(u','));
    }
    try {
        WriteOutput(output, Recoded(writer.bytes(), encoding));
    } catch (const Error &e) {
        PrintError(output.toStdString() + ": " + e.what() + "\n");
        return ExitFailed;
    }
    // The summary of the window's "拟合报告"; on standard error when the points go to standard output.
    std::string summary;
    for (const std::string &line : HeightFitSummary(result))
        summary += line + "\n";
    PrintSummary(output, summary);
    return ExitOk;
}

} // namespace

Command HeightFitCommand()
{
    return {"height-fit", "GNSS高程拟合: 点号,X,Y,大地高 → 点号,X,Y,大地高,高程异常,正常高,说明",
            [](QCommandLineParser &p) {
                p.addOption({"model", "拟合模型: constant (常数), plane (平面) 或 quadratic (二次曲面)", "model"});
                p.addOption({"common", "公共点文件 (点名,X,Y,大地高,正常高,用途; 用途为 拟合 或 检核, 空为 拟合)", "file"});
                p.addOption({"limit", "检核点较差的限差 (mm); 不给或 0 为不设", "mm"});
                AddOutputEncodingOption(p);
                p.addPositionalArgument("input", "待转换点文件 (点名,X,Y,大地高), - 表示标准输入");
                p.addPositionalArgument("output", "转换结果 (与窗口“数据另存”相同), - 表示标准输出");
            },
            HeightFitRun};
}

} // namespace quorvil::cli
