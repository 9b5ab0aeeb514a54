// The adjustment subcommand: a tool's data file in, its table adjusted as the window adjusts it,
// the summary line and the verdicts on the closures as the window shows them, and the adjusted
// table written. With --check a closure over its limit makes the exit status 3, for checking a
// season's field files in a batch. With --rigorous the table is adjusted as a network, as the
// window's 严密平差 does: the point errors are the table's last column and the summary gains the
// line of the rigorous solution.
#include "Commands.h"

#include "Console.h"
#include "PointStream.h"

#include "io/AdjustmentReport.h"
#include "io/AdjustmentTable.h"
#include "io/PointFile.h"
#include "io/ProgramFiles.h"

#include "core/TextForms.h"

#include <optional>

namespace quorvil::cli {

namespace {

struct KindName {
    const char *name;
    AdjustmentKind kind;
};

constexpr KindName Kinds[] = {
    {"connecting", AdjustmentKind::Connecting},
    {"single-side", AdjustmentKind::SingleSide},
    {"no-orientation", AdjustmentKind::NoOrientation},
    {"open", AdjustmentKind::Open},
    {"levelling", AdjustmentKind::Levelling},
    {"coord-connecting", AdjustmentKind::CoordinateConnecting},
    {"coord-single-side", AdjustmentKind::CoordinateSingleSide},
    {"coord-no-orientation", AdjustmentKind::CoordinateNoOrientation},
};

QStringList StandardKeys()
{
    QStringList keys;
    for (LimitStandard standard : LimitStandards)
        keys << QString::fromStdString(StandardKey(standard));
    return keys;
}

constexpr LevellingWeights AllWeights[] = {LevellingWeights::Kilometres, LevellingWeights::Metres,
                                           LevellingWeights::Stations};

QStringList WeightsKeys()
{
    QStringList keys;
    for (LevellingWeights weights : AllWeights)
        keys << QString::fromStdString(WeightsKey(weights));
    return keys;
}

// The standard and the levelling weights the options ask for; the defaults of the windows.
LimitOptions LimitOptionsOf(const Options &o)
{
    LimitOptions limits;
    if (o.isSet("standard"))
        limits.standard = *StandardOfKey(o.choice("standard", StandardKeys()).toStdString());
    if (o.isSet("weights"))
        limits.weights = *WeightsOfKey(o.choice("weights", WeightsKeys()).toStdString());
    return limits;
}

// The a priori errors of a rigorous adjustment: the options, else the grade of the data file,
// else those of a window that was never set (5″, 5 mm + 5 ppm, 10 mm/√km).
RigorousOptions RigorousOptionsOf(const Options &o, const QString &grade, LevellingWeights weights)
{
    RigorousOptions rigorous;
    rigorous.weights = weights;
    rigorous.errors = {5, 5, 5, 10};
    const std::string g = grade.toStdString();
    if (const std::optional<GradeErrors> e = TraverseGradeErrors(g))
        rigorous.errors.angleSeconds = e->angleSeconds, rigorous.errors.distanceMm = e->distanceMm,
        rigorous.errors.distancePpm = 0;
    if (const std::optional<Real> perKm = LevellingGradeErrorPerKm(g))
        rigorous.errors.levelMm = weights == LevellingWeights::Stations ? LevellingErrorPerStation(*perKm) : *perKm;
    auto number = [&](const QString &name, const QString &text) {
        try {
            return TextToNumber(text.trimmed().toStdString());
        } catch (const Error &) {
            throw UsageError(("--" + name + " 须为数值: " + text).toStdString());
        }
    };
    if (o.isSet("angle-sigma"))
        rigorous.errors.angleSeconds = number(QStringLiteral("angle-sigma"), o.text("angle-sigma"));
    if (o.isSet("distance-sigma")) {
        const QStringList parts = o.text("distance-sigma").split(u',');
        if (parts.size() > 2)
            throw UsageError("--distance-sigma 须为 a 或 a,b (mm, ppm)");
        rigorous.errors.distanceMm = number(QStringLiteral("distance-sigma"), parts[0]);
        rigorous.errors.distancePpm = parts.size() > 1 ? number(QStringLiteral("distance-sigma"), parts[1]) : 0;
    }
    if (o.isSet("level-sigma"))
        rigorous.errors.levelMm = number(QStringLiteral("level-sigma"), o.text("level-sigma"));
    return rigorous;
}

QStringList KindNames()
{
    QStringList names;
    for (const KindName &k : Kinds)
        names << QString::fromLatin1(k.name);
    return names;
}

AdjustmentKind KindOf(const QString &name)
{
    for (const KindName &k : Kinds)
        if (name == QLatin1String(k.name))
            return k.kind;
    return AdjustmentKind::Connecting;
}

// The table as comma-separated lines, one per row, every column.
QByteArray TableBytes(const TextTable &t)
{
    LineWriter writer;
    for (int r = 0; r < t.rows; ++r) {
        QString line;
        for (int c = 0; c < t.columns; ++c) {
            if (c)
                line += u',';
            line += t.at(r, c);
        }
        writer.addLine(line);
    }
    return writer.bytes();
}

int AdjustRun(const Options &o, const QStringList &positional)
{
    if (!o.isSet("type"))
        throw UsageError("须给出 --type");
    const AdjustmentKind kind = KindOf(o.choice("type", KindNames()));
    const LimitOptions limits = LimitOptionsOf(o);
    const QString input = positional.at(0), output = positional.at(1);
    const OutputEncoding encoding = o.outputEncoding(output);
    TextTable table;
    QStringList header;
    try {
        const AdjustmentFileMap map = AdjustmentMapOf(kind);
        // A data file is small and read whole, standard input included.
        const QString path = input == QStringLiteral("-") ? QStringLiteral("/dev/stdin") : input;
        const AdjustmentData data = ReadAdjustmentFile(path, map.layout);
        header = data.header;
        // A rigorous adjustment writes the point errors into one column more.
        table = AdjustmentTableOf(data, map, AdjustmentColumnsOf(kind) + (o.isSet("rigorous") ? 1 : 0));
    } catch (const Error &e) {
        PrintError(input.toStdString() + ": " + e.what() + "\n");
        return ExitFailed;
    }
    std::optional<RigorousOptions> rigorous;
    if (o.isSet("rigorous"))
        rigorous = RigorousOptionsOf(o, header.value(1), limits.weights);
    AdjustmentSummary summary;
    AdjustmentWorking working;
    try {
        AdjustTable(kind, table, summary, working, rigorous ? &*rigorous : nullptr);
    } catch (const Error &e) {
        PrintError(input.toStdString() + ": " + e.what() + "\n");
        return ExitFailed;
    }
    // The summary labels side by side, as the window's summary line reads, and under them the
    // verdicts on the closures, as the window's line of limits reads.
    const char *const separator = "  ";
    std::string line;
    for (const auto &[name, text] : summary)
        if (name != QLatin1String("LabRigorous"))
            line += (line.empty() ? "" : separator) + text;
    std::vector<ClosureVerdict> verdicts;
    if (HasClosures(kind)) {
        verdicts = JudgeAdjustment(kind, working, header.value(1), limits);
        line += '\n';
        line += LimitLine(limits.standard, verdicts, separator);
    }
    // The line of the rigorous solution, under them.
    if (working.rigorous.done)
        line += (line.empty() ? "" : "\n") + working.rigorous.text;
    try {
        WriteOutput(output, Recoded(TableBytes(table), encoding));
    } catch (const Error &e) {
        PrintError(output.toStdString() + ": " + e.what() + "\n");
        return ExitFailed;
    }
    if (!line.empty())
        PrintSummary(output, line + "\n");
    if (o.isSet("report")) {
        // The Word report of "Word报表": the header of the data file, the adjusted table and the
        // working values, from the tool's template beside the program.
        AdjustmentReportData report;
        report.kind = kind;
        report.header = header;
        for (int r = 0; r < table.rows; ++r) {
            QStringList row;
            for (int c = 0; c < table.columns; ++c)
                row += table.at(r, c);
            report.rows += row;
        }
        AttachWorking(report, working);
        report.standard = limits.standard;
        report.verdicts = verdicts;
        const QString path = o.text("report");
        try {
            WriteAdjustmentReport(report, ProgramFile(ReportTemplateName(kind)), path);
        } catch (const Error &e) {
            PrintError(path.toStdString() + ": " + e.what() + "\n");
            return ExitFailed;
        }
    }
    return o.isSet("check") && AnyOver(verdicts) ? ExitOverLimit : ExitOk;
}

} // namespace

Command AdjustCommand()
{
    return {"adjust", "导线与高程路线平差: 数据文件 → 平差后的表格, 并打印闭合差与限差检核",
            [](QCommandLineParser &p) {
                p.addOption({"type",
                             "平差类型: connecting (边角附合导线), single-side (单边附合导线), no-orientation (无定向导线), "
                             "open (支导线), levelling (附/闭合高程路线), coord-connecting (坐标附合导线), "
                             "coord-single-side (坐标测量单边附合导线), coord-no-orientation (坐标测量无定向导线)",
                             "type"});
                p.addOption({"report", "写出 Word 平差报表 (.docx), 由程序旁的报表模板生成", "file.docx"});
                p.addOption({"standard",
                             "闭合差限差所依据的标准: gb50026 (GB 50026-2020 工程测量标准, 默认), "
                             "cjj8 (CJJ/T 8-2011 城市测量规范); 等级取自数据文件第1行的第2项",
                             "standard"});
                p.addOption({"weights",
                             "高程路线第2列(距离或测站数)的单位: km (默认), m, stations (测站数, 按山地限差)",
                             "weights"});
                p.addOption({"check", "有闭合差超限时以退出状态 3 结束 (表格与报表照常写出)"});
                p.addOption({"rigorous", "严密平差 (按网平差), 表格末列为点位中误差(mm), 另打印 σ0、自由度、χ² 检验与最弱点"});
                p.addOption({"angle-sigma", "严密平差的测角中误差 (″); 默认按数据文件的等级, 否则 5", "seconds"});
                p.addOption({"distance-sigma", "严密平差的测距中误差 a,b (mm, ppm); 默认按等级 (b=0), 否则 5,5", "a,b"});
                p.addOption({"level-sigma",
                             "严密平差的水准测量中误差 (mm/√km, 测站数计时 mm/站); 默认按等级, 否则 10", "mm"});
                AddOutputEncodingOption(p);
                p.addPositionalArgument("input", "平差数据文件 (与窗口的“文件导入”相同), - 表示标准输入");
                p.addPositionalArgument("output", "平差后的表格 (每行一个测站, 各列以逗号分隔), - 表示标准输出");
            },
            AdjustRun};
}

} // namespace quorvil::cli
