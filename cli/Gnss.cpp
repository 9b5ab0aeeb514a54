// The gnss subcommand: GNSS baselines (CSV or gama-local <vectors>) checked by repeated baselines
// and loops against the grade's limits, adjusted free in Earth-centred coordinates with one point
// held, and — with --known — constrained onto the known points of a Gauss–Krüger grid; the result
// table written, the summary line printed, JSON, the Word report and the drawing on request.
#include "Commands.h"

#include "Console.h"
#include "PointStream.h"

#include "core/FpGuard.h"
#include "core/gnss/Job.h"
#include "core/TextForms.h"
#include "io/FileAccess.h"
#include "io/PointFile.h"
#include "io/ProgramFiles.h"
#include "io/dxf/DxfWriter.h"
#include "io/survey/BaselineFile.h"
#include "io/survey/GnssDrawing.h"
#include "io/survey/GnssOutput.h"
#include "io/survey/GnssReport.h"


namespace quorvil::cli {

namespace {

// The index of CGCS2000 in the ellipsoid list.
constexpr int Cgcs2000Preset = 2;

// --fix NAME or NAME=X,Y,Z
gnss::HeldChoice HeldOf(const Options &o)
{
    gnss::HeldChoice held;
    if (!o.isSet("fix"))
        return held;
    const QString text = o.text("fix");
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    held.name = (eq < 0 ? text : text.left(eq)).trimmed().toStdString();
    if (held.name.empty())
        throw UsageError("--fix 须为 点名 或 点名=X,Y,Z");
    if (eq >= 0) {
        const QStringList xyz = text.mid(eq + 1).split(QLatin1Char(','));
        if (xyz.size() != 3)
            throw UsageError("--fix 须为 点名=X,Y,Z");
        try {
            held.xyz = {StrictTextToNumber(xyz[0].toStdString()), StrictTextToNumber(xyz[1].toStdString()),
                        StrictTextToNumber(xyz[2].toStdString())};
        } catch (const Error &) {
            throw UsageError("--fix 的坐标不是数字: " + text.toStdString());
        }
        held.hasXYZ = true;
    }
    return held;
}

int GnssRun(const Options &o, const QStringList &positional)
{
    const QString input = positional.at(0), output = positional.at(1);
    const OutputEncoding encoding = o.outputEncoding(output);
    gnss::Job job;
    const QString gradeText = o.isSet("grade") ? o.text("grade") : QString::fromUtf8(gnss::DefaultGradeName.data());
    const std::optional<gnss::Grade> grade = gnss::GradeOf(gradeText.toStdString());
    if (!grade)
        throw UsageError("--grade 须为 二等, 三等, 四等, 一级 或 二级");
    job.grade = *grade;
    job.held = HeldOf(o);
    job.grid.ellipsoid = o.ellipsoid("", Cgcs2000Preset);
    if (o.isSet("known") && !o.isSet("central-meridian"))
        throw UsageError("--known 需要 --central-meridian (中央子午线, 度)");
    if (o.isSet("central-meridian"))
        job.grid.centralMeridian = o.strictNumber("central-meridian");
    if (o.isSet("y-constant"))
        job.grid.yConstant = o.strictNumber("y-constant");
    if (o.isSet("projection-height"))
        job.grid.projectionHeight = o.strictNumber("projection-height");
    if (o.isSet("confidence")) {
        job.settings.confidence = o.strictNumber("confidence");
        if (!(job.settings.confidence > 0 && job.settings.confidence < 1))
            throw UsageError("--confidence 须在 0 与 1 之间");
    }

    gnss::JobResults results;
    QByteArray table, json;
    QString failing = input;
    try {
        job.network = ParseBaselines(ReadInput(input));
        if (o.isSet("known")) {
            failing = o.text("known");
            job.known = ParseKnownPoints(ReadInput(o.text("known")));
            failing = input;
        }
        FpGuard guard;
        results = gnss::RunJob(job);
        guard.check(results.free.summary.vtpv, results.free.summary.sigma0Aposteriori);
        LineWriter writer;
        for (const QString &line : GnssResultLines(job, results))
            writer.addLine(line);
        table = writer.bytes();
        if (o.isSet("json"))
            json = QByteArray::fromStdString(GnssResultJson(job, results));
    } catch (const Error &e) {
        PrintError(failing.toStdString() + ": " + e.what() + "\n");
        return ExitFailed;
    }
    auto write = [&](const QString &path, const std::function<void()> &how) {
        try {
            how();
            return true;
        } catch (const Error &e) {
            PrintError(path.toStdString() + ": " + e.what() + "\n");
            return false;
        }
    };
    if (o.isSet("json") && !write(o.text("json"), [&] { WriteOutput(o.text("json"), json); }))
        return ExitFailed;
    if (o.isSet("report") && !write(o.text("report"), [&] {
            WriteGnssReport(job, results, {QString(), QString::fromStdString(job.grade.name), QString(), QString(), QString()},
                            ProgramFile(GnssReportTemplate), o.text("report"));
        }))
        return ExitFailed;
    if (o.isSet("dxf") && !write(o.text("dxf"), [&] { WriteDxf(GnssDrawing(job, results), o.text("dxf")); }))
        return ExitFailed;
    if (!write(output, [&] { WriteOutput(output, Recoded(table, encoding)); }))
        return ExitFailed;
    PrintSummary(output, GnssSummaryLine(job, results) + "\n");
    return o.isSet("check") && results.anyFailure() ? ExitOverLimit : ExitOk;
}

} // namespace

Command GnssCommand()
{
    return {"gnss", "GNSS 网平差: 基线 (CSV 或 gama-local <vectors>) → 重复基线与闭合环检验, 三维无约束平差, 二维约束平差",
            [](QCommandLineParser &p) {
                p.addOption({"grade", "等级 (限差): 二等, 三等, 四等, 一级, 二级 (默认)", "grade"});
                p.addOption({"fix", "无约束平差的固定点: 点名=X,Y,Z (地心坐标, m), 或已知点的点名", "point"});
                p.addOption({"known", "已知点文件 (点名,X,Y[,H]), 进行二维约束平差", "file"});
                p.addOption({"central-meridian", "已知点坐标系的中央子午线 (度)", "deg"});
                p.addOption({"y-constant", "Y 常数 (m), 默认 500000", "m"});
                p.addOption({"projection-height", "投影面大地高 (m), 默认 0", "m"});
                AddEllipsoidOptions(p, QString(), QStringLiteral("基线与已知点的"));
                p.addOption({"confidence", "χ² 检验的置信概率, 默认 0.95", "p"});
                p.addOption({"json", "另写出全部结果 (JSON, 供脚本使用)", "file.json"});
                p.addOption({"report", "Word 报告 (程序旁的模板 GNSS.docx)", "file.docx"});
                p.addOption({"dxf", "DXF 网图: 点、基线、误差椭圆", "file.dxf"});
                p.addOption({"check", "有检验超限或基线 w 检验超限时以状态 3 退出"});
                AddOutputEncodingOption(p);
                p.addPositionalArgument("input", "基线文件 (CSV 或 gama-local), - 表示标准输入");
                p.addPositionalArgument("output", "平差结果表 (各列以逗号分隔), - 表示标准输出");
            },
            GnssRun};
}

} // namespace quorvil::cli
