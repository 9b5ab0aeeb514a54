// The fieldbook subcommand: a total station's field book (CSV book or Leica GSI-8/16, told apart
// by content) reduced as the window 观测手簿 reduces it; the observation file for the network
// written, the checks summed up on the terminal (every check over its limit named), the Word
// report and the JSON of the results on request. --check exits 3 when a check fails, after
// writing everything.
#include "Commands.h"

#include "Console.h"
#include "PointStream.h"

#include "core/fieldbook/FieldBookLimits.h"
#include "io/PointFile.h"
#include "io/ProgramFiles.h"
#include "io/survey/FieldBookFile.h"
#include "io/survey/FieldBookReport.h"
#include "io/survey/FieldBookTables.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace quorvil::cli {

namespace {

using namespace fieldbook;

QString StdinPath(const QString &path) { return path == QStringLiteral("-") ? QStringLiteral("/dev/stdin") : path; }

Settings SettingsOf(const Options &o)
{
    Settings s;
    if (o.isSet("grade")) {
        s.grade = FieldBookGrade(o.text("grade").trimmed().toStdString());
        if (s.grade.empty())
            throw UsageError("--grade 应为 二等、三等、四等、一级、二级、三级、五等 或 图根");
    }
    if (o.isSet("instrument")) {
        s.instrument = o.strictNumber("instrument");
        bool known = false;
        for (Real c : InstrumentClasses())
            known = known || std::fabs(c - s.instrument) < 1e-9L;
        if (!known)
            throw UsageError("--instrument 应为仪器等级 0.5、1、2 或 6 (″)");
    }
    const auto number = [&](const char *name, Real &value) {
        if (o.isSet(name))
            value = o.strictNumber(name);
    };
    number("refraction", s.refraction);
    number("earth-radius", s.earthRadius);
    number("projection-height", s.projectionHeight);
    number("y-constant", s.yConstant);
    s.grid = !o.isSet("no-grid");
    return s;
}

QByteArray Json(const Reduction &r)
{
    QJsonArray checks, lines, notes, stations;
    for (const Check &c : r.checks)
        checks.append(QJsonObject{{"text", QString::fromStdString(c.text)},
                                  {"value", double(c.value)},
                                  {"limit", c.limit ? QJsonValue(double(*c.limit)) : QJsonValue()},
                                  {"over", c.over}});
    for (const LineResult &l : r.lines)
        lines.append(QJsonObject{{"from", QString::fromStdString(l.from)},
                                 {"to", QString::fromStdString(l.to)},
                                 {"slope", double(l.slope)},
                                 {"zenith", double(l.zenith)},
                                 {"D", double(l.horizontal)},
                                 {"D0", double(l.projected)},
                                 {"Dg", l.grid ? QJsonValue(double(*l.grid)) : QJsonValue()},
                                 {"dh", l.heightDifference ? QJsonValue(double(*l.heightDifference)) : QJsonValue()}});
    for (const StationResult &st : r.stations) {
        QJsonArray directions;
        for (const StationDirection &d : st.directions)
            directions.append(QJsonObject{{"target", QString::fromStdString(d.target)}, {"direction", double(d.direction)}});
        stations.append(QJsonObject{{"station", QString::fromStdString(st.name)}, {"rounds", int(st.rounds.size())},
                                    {"directions", directions}});
    }
    for (const std::string &n : r.notes)
        notes.append(QString::fromStdString(n));
    return QJsonDocument(QJsonObject{{"stations", stations}, {"lines", lines}, {"checks", checks}, {"notes", notes}, {"over", r.anyOver()}})
        .toJson();
}

int FieldbookRun(const Options &o, const QStringList &positional)
{
    const Settings settings = SettingsOf(o);
    const QString input = positional.at(0), output = positional.at(1);
    std::vector<KnownPoint> known;
    if (o.isSet("known"))
        known = ReadKnownPoints(o.text("known"));
    Reduction r;
    try {
        r = Reduce(ReadFieldBook(StdinPath(input)), known, settings);
    } catch (const Error &e) {
        throw Error(input.toStdString() + ": " + e.what());
    }
    SurveyHeader header;
    header.grade = QString::fromStdString(settings.grade);
    LineWriter writer;
    for (const QString &line : FieldBookObservationLines(r, header))
        writer.addLine(line);
    if (o.isSet("report")) {
        const QString path = o.text("report");
        try {
            WriteFieldBookReport(r, {QString(), header.grade}, ProgramFile(FieldBookReportTemplate), path);
        } catch (const Error &e) {
            throw Error(path.toStdString() + ": " + e.what());
        }
    }
    if (o.isSet("json"))
        WriteOutput(o.text("json"), Json(r));
    WriteOutput(output, writer.bytes());

    std::string summary = FieldBookSummary(r).toStdString() + "\n";
    for (const Check &c : r.checks)
        if (c.over)
            summary += c.text + "\n";
    for (const std::string &n : r.notes)
        summary += n + "\n";
    PrintSummary(output, summary);
    return o.isSet("check") && r.anyOver() ? ExitOverLimit : ExitOk;
}

} // namespace

Command FieldbookCommand()
{
    return {"fieldbook", "观测手簿归算: 全站仪手簿 (CSV 或 Leica GSI) → 控制网观测文件, 检核限差",
            [](QCommandLineParser &p) {
                p.addOption({"known", "已知点文件 (点名,X,Y,H)", "file"});
                p.addOption({"grade", "等级: 二等、三等、四等、一级 (默认)、二级、三级、五等、图根", "grade"});
                p.addOption({"instrument", "仪器等级 (″): 0.5、1、2 (默认)、6", "class"});
                p.addOption({"refraction", "大气折光系数 k, 默认 0.13", "k"});
                p.addOption({"earth-radius", "地球半径 R (m), 默认 6371000", "m"});
                p.addOption({"projection-height", "投影面高程 H0 (m), 默认 0", "m"});
                p.addOption({"y-constant", "Y 坐标加常数 (m), 默认 500000", "m"});
                p.addOption({"no-grid", "不作高斯投影改化 (局部坐标系)"});
                p.addOption({"check", "有超限的检核时以状态 3 退出 (输出照常写出)"});
                p.addOption({"report", "Word 观测手簿 (程序旁的模板 GCSB.docx)", "file.docx"});
                p.addOption({"json", "另写出归算结果与检核 (JSON)", "file.json"});
                p.addPositionalArgument("input", "观测手簿: CSV (测站,仪器高,照准点,觇标高,测回,盘位,水平度盘读数,竖盘读数,斜距) "
                                                 "或 Leica GSI-8/16, - 表示标准输入");
                p.addPositionalArgument("output", "控制网观测文件 (供 network 平差), - 表示标准输出");
            },
            FieldbookRun};
}

} // namespace quorvil::cli
