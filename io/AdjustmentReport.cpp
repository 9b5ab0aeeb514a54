#include "io/AdjustmentReport.h"

#include "io/ooxml/DocxReport.h"
#include "io/ooxml/OoxmlPackage.h"

#include "core/Error.h"
#include "core/TextForms.h"
#include "core/RigorousTraverse.h"
#include "core/TraverseSummary.h"

#include <QFileInfo>

namespace quorvil {

namespace {

// Where the values go in a template's first table. The data row becomes one block of two rows
// per table row; the leg columns hold the values between two points; the summary, when the tool
// has one, goes into the second cell of the row after the blocks.
struct TableShape {
    const char *file;
    int columns;       // cells of the data row
    int dataRow;       // the template row turned into point blocks
    int firstLeg, lastLeg;
    bool summary;
};

TableShape Shape(ReportKind kind)
{
    switch (kind) {
    case ReportKind::Connecting: return {"DXbjfh.docx", 11, 3, 4, 9, true};
    case ReportKind::SingleSide: return {"DXdbfh.docx", 10, 3, 3, 8, true};
    case ReportKind::NoOrientation: return {"DXwdx.docx", 10, 3, 3, 8, true};
    case ReportKind::Open: return {"DXzdx.docx", 6, 3, 3, 4, false};
    case ReportKind::Levelling: return {"GCLX.docx", 6, 2, 2, 5, true};
    case ReportKind::CoordinateConnecting: return {"DXzbfh.docx", 15, 3, 5, 12, true};
    case ReportKind::CoordinateSingleSide: return {"DXzbDBfh.docx", 15, 3, 5, 12, true};
    case ReportKind::CoordinateNoOrientation: return {"DXzbWDX.docx", 15, 3, 5, 12, true};
    }
    return {"", 0, 0, 0, 0, false};
}

constexpr int DataRowPoints = 8; // exact height of the point rows
constexpr int PointErrorColumnTwips = 1000; // the column of point errors of a rigorous report
const char *const SummarySeparator = "    ";
const char *const LevellingSummarySeparator = "          ";

bool IsAngleTraverse(ReportKind kind)
{
    return kind == ReportKind::Connecting || kind == ReportKind::SingleSide || kind == ReportKind::NoOrientation
           || kind == ReportKind::Open;
}

bool IsCoordinateTraverse(ReportKind kind)
{
    return kind == ReportKind::CoordinateConnecting || kind == ReportKind::CoordinateSingleSide
           || kind == ReportKind::CoordinateNoOrientation;
}

// The legs a result must have for a table of b data rows.
size_t ExpectedLegs(ReportKind kind, size_t b)
{
    switch (kind) {
    case ReportKind::Connecting: return b - 3;     // B … Pn, corrected; C→D is the closing bearing
    case ReportKind::SingleSide: return b - 2;     // B → … → C
    case ReportKind::NoOrientation: return b - 1;  // B → … → C, B being the first row
    case ReportKind::Open: return b - 2;           // B → P1 → … → Pn
    case ReportKind::Levelling: return b - 1;      // sections between the rows
    case ReportKind::CoordinateConnecting: return b - 2; // B → … → C, then C→D
    case ReportKind::CoordinateSingleSide: return b - 2;
    case ReportKind::CoordinateNoOrientation: return b - 1;
    }
    return 0;
}

// A bearing of the coordinate traverses: packed ddd.mmss with 5 decimals.
std::string CoordinateBearingText(Real radians) { return NumberToText(5, DegToDms(RadToDeg(radians))); }

class Filler {
public:
    Filler(DocxReport &doc, const QList<QStringList> &rows) : doc_(doc), rows_(rows) {}

    void set(int row, int column, const std::string &text) { doc_.setCellText(row, column, text); }
    // The trimmed text of column `column` of table row r (from 1).
    std::string cell(int r, int column) const
    {
        return rows_[r - 1].value(column).trimmed().toStdString();
    }

private:
    DocxReport &doc_;
    const QList<QStringList> &rows_;
};

void FillAngleTraverse(Filler &f, ReportKind kind, int b, const TraverseResult &t,
                       const AdjustmentReportData::Rigorous *rigorous)
{
    // Columns of the values shared by the four traverses; the connecting one has the angle
    // correction in column 3 and everything to its right one column further.
    const int shift = kind == ReportKind::Connecting ? 1 : 0;
    const int bearingColumn = 3 + shift, distanceColumn = 4 + shift, incrementColumn = 5 + shift;
    const int xColumn = kind == ReportKind::Open ? 5 : 9 + shift;
    for (int r = 1; r <= b; ++r) {
        f.set(2 * r + 1, 1, f.cell(r, 0));
        f.set(2 * r + 1, 2, f.cell(r, 1));
        f.set(2 * r + 2, distanceColumn, f.cell(r, 2));
        f.set(2 * r + 1, xColumn, f.cell(r, 3));
        f.set(2 * r + 1, xColumn + 1, f.cell(r, 4));
    }
    if (kind == ReportKind::Connecting)
        for (int r = 2; r <= b - 1; ++r)
            f.set(2 * r + 1, 3,
                  ReportSecondsText(rigorous ? rigorous->angleResiduals.at(size_t(r - 1)) : t.angleCorrection));

    // Bearings of the legs between the points; the no-orientation traverse starts on an
    // arbitrary bearing that is not shown, so its first leg is the one from B.
    if (kind == ReportKind::NoOrientation) {
        for (int r = 1; r <= b - 1; ++r)
            f.set(2 * r + 2, bearingColumn, ReportBearingText(t.legs[size_t(r - 1)].bearing));
    } else {
        for (int h = 0; h <= b - 2; ++h)
            f.set(2 * h + 4, bearingColumn, ReportBearingText(t.Bearing(size_t(h))));
    }
    if (kind == ReportKind::Open)
        return;

    // Increments and their corrections; leg l starts at row 2l + 4, or 2l + 2 when B is row 1.
    const int firstRow = kind == ReportKind::NoOrientation ? 2 : 4;
    for (size_t l = 1; l <= t.legs.size(); ++l) {
        const TraverseLeg &leg = t.legs[l - 1];
        const int row = 2 * int(l) + firstRow;
        f.set(row, incrementColumn, ReportIncrementText(leg.dx));
        f.set(row, incrementColumn + 1, ReportMillimetresText(leg.vx));
        f.set(row, incrementColumn + 2, ReportIncrementText(leg.dy));
        f.set(row, incrementColumn + 3, ReportMillimetresText(leg.vy));
    }
}

void FillLevelling(Filler &f, int b, const LevellingResult &l)
{
    for (int r = 1; r <= b; ++r) {
        f.set(2 * r, 1, f.cell(r, 0));
        f.set(2 * r, 6, f.cell(r, 4));
    }
    for (int r = 1; r <= b - 1; ++r) {
        f.set(2 * r + 1, 2, f.cell(r, 1));
        f.set(2 * r + 1, 3, f.cell(r, 2));
        f.set(2 * r + 1, 4, f.cell(r, 3));
        f.set(2 * r + 1, 5, LevellingDifferenceText(l.corrected[size_t(r - 1)]));
    }
}

void FillCoordinateTraverse(Filler &f, ReportKind kind, int o, const CoordinateTraverseResult &c)
{
    for (int r = 1; r <= o; ++r) {
        for (int column = 0; column < 7; ++column)
            f.set(2 * r + 1, column < 4 ? column + 1 : column + 9, f.cell(r, column));
    }
    // The connecting and single-side traverses show the known bearing A→B first, then one bearing
    // per leg from B; the no-orientation traverse starts at B.
    const int firstRow = kind == ReportKind::CoordinateNoOrientation ? 2 : 4;
    if (kind != ReportKind::CoordinateNoOrientation)
        f.set(4, 5, CoordinateBearingText(c.startBearing));
    // The connecting traverse's last leg is C→D: bearing only, no increments.
    const size_t incrementLegs = kind == ReportKind::CoordinateConnecting ? c.legs.size() - 1 : c.legs.size();
    for (size_t k = 1; k <= c.legs.size(); ++k) {
        const CoordinateLeg &leg = c.legs[k - 1];
        const int row = 2 * int(k) + firstRow;
        f.set(row, 5, CoordinateBearingText(leg.bearing));
        if (k > incrementLegs)
            continue;
        f.set(row, 6, ReportIncrementText(leg.length));
        f.set(row, 7, ReportIncrementText(leg.dx));
        f.set(row, 8, ReportMillimetresText(leg.vx));
        f.set(row, 9, ReportIncrementText(leg.dy));
        f.set(row, 10, ReportMillimetresText(leg.vy));
        f.set(row, 11, ReportIncrementText(leg.dh));
        f.set(row, 12, ReportMillimetresText(leg.vh));
    }
}

void CheckResult(const AdjustmentReportData &data)
{
    const size_t b = size_t(data.rows.size());
    size_t legs = 0;
    if (IsAngleTraverse(data.kind) && data.traverse)
        legs = data.traverse->legs.size();
    else if (data.kind == ReportKind::Levelling && data.levelling)
        legs = data.levelling->corrected.size();
    else if (IsCoordinateTraverse(data.kind) && data.coordinate)
        legs = data.coordinate->legs.size();
    else
        throw Error(ReportResultMismatchText);
    // The fewest rows each computation accepts.
    size_t fewest = 3;
    if (data.kind == ReportKind::Connecting || data.kind == ReportKind::CoordinateConnecting)
        fewest = 4;
    else if (data.kind == ReportKind::Levelling || data.kind == ReportKind::NoOrientation
             || data.kind == ReportKind::CoordinateNoOrientation)
        fewest = 2;
    if (b < fewest || legs != ExpectedLegs(data.kind, b))
        throw Error(ReportResultMismatchText);
}

} // namespace

void FillReportHeader(DocxReport &report, const QStringList &header)
{
    std::vector<std::pair<std::string, std::string>> placeholders;
    for (int i = 0; i < 5; ++i)
        placeholders.emplace_back(ReportPlaceholders[i], header.value(i).toStdString());
    report.replacePlaceholders(placeholders);
}

void RequireReportTables(const DocxReport &report, int count, const QString &names)
{
    if (report.tableCount() < count)
        throw PackageError(
            QStringLiteral("模板文件“%1”应有%2个表格（%3），请检查模板。").arg(report.name()).arg(count).arg(names).toStdString());
}

QString ReportTemplateName(ReportKind kind) { return QString::fromLatin1(Shape(kind).file); }

QString ReportSummary(const AdjustmentReportData &data)
{
    std::vector<std::string> texts;
    const char *separator = SummarySeparator;
    if (data.kind == ReportKind::Levelling && data.levelling) {
        texts = {FhText(data.levelling->misclosure), RouteLengthText(data.levelling->totalWeight)};
        separator = LevellingSummarySeparator;
    } else if (IsCoordinateTraverse(data.kind) && data.coordinate) {
        texts = CoordinateTraverseSummary(*data.coordinate, data.kind == ReportKind::CoordinateConnecting);
    } else if (IsAngleTraverse(data.kind) && data.kind != ReportKind::Open && data.traverse) {
        const TraverseResult &t = *data.traverse;
        if (data.kind == ReportKind::Connecting)
            texts = {FBText(t.angleMisclosure), VBText(t.angleCorrection)};
        for (const std::string &text : {FxText(t.fx), FyText(t.fy), FsText(t.fs), KText(t.totalLength, t.fs)})
            texts.push_back(text);
    }
    std::string line;
    for (size_t i = 0; i < texts.size(); ++i)
        line += (i ? separator : "") + texts[i];
    return QString::fromStdString(line);
}

QString ReportLimitLine(const AdjustmentReportData &data)
{
    if (data.verdicts.empty())
        return {};
    return QString::fromStdString(LimitLine(data.standard, data.verdicts, SummarySeparator));
}

void WriteAdjustmentReport(const AdjustmentReportData &data, const QString &templatePath, const QString &outputPath,
                           const ReportProgress &progress)
{
    auto advance = [&](int percent) {
        if (progress)
            progress(percent);
    };
    CheckResult(data);
    // The save dialog may open in the program's folder: a report never replaces its template.
    const QString templateFile = QFileInfo(templatePath).canonicalFilePath();
    if (!templateFile.isEmpty() && templateFile == QFileInfo(outputPath).canonicalFilePath())
        throw Error(QStringLiteral("报表不能覆盖模板文件“%1”，请另选文件名。")
                        .arg(QFileInfo(templatePath).fileName())
                        .toStdString());
    const TableShape shape = Shape(data.kind);
    const int b = int(data.rows.size());

    DocxReport doc(templatePath);
    advance(10);
    // The template's table must have the heading rows, the data row with its cells and, where the
    // tool writes one, the summary row with a second cell.
    if (doc.cellCount(shape.dataRow) < shape.columns || (shape.summary && doc.cellCount(shape.dataRow + 1) < 2))
        throw PackageError(QStringLiteral("模板文件“%1”的第一个表格与报表不符：第%2行应有%3个单元格%4。")
                               .arg(doc.name())
                               .arg(shape.dataRow)
                               .arg(shape.columns)
                               .arg(shape.summary ? QStringLiteral("，其下一行为辅助计算行") : QString())
                               .toStdString());

    // The header fields first, so that values in the table are never taken for placeholders.
    FillReportHeader(doc, data.header);
    advance(20);

    if (data.rigorous) {
        if (data.rigorous->pointErrors.size() != size_t(b) || data.rigorous->angleResiduals.size() != size_t(b))
            throw Error(ReportResultMismatchText);
        doc.appendToTitle(std::string("（") + RigorousTitle + "）");
        doc.appendColumn(shape.dataRow - 1, PointErrorCaption, PointErrorColumnTwips);
    }
    doc.splitIntoPointBlocks(shape.dataRow, b, shape.firstLeg, shape.lastLeg);
    advance(40);

    Filler filler(doc, data.rows);
    if (data.rigorous)
        for (int r = 1; r <= b; ++r)
            doc.setCellText(shape.dataRow + 2 * (r - 1), shape.columns + 1,
                            PointErrorText(data.rigorous->pointErrors.at(size_t(r - 1))));
    if (IsAngleTraverse(data.kind))
        FillAngleTraverse(filler, data.kind, b, *data.traverse, data.rigorous ? &*data.rigorous : nullptr);
    else if (data.kind == ReportKind::Levelling)
        FillLevelling(filler, b, *data.levelling);
    else
        FillCoordinateTraverse(filler, data.kind, b, *data.coordinate);
    if (shape.summary) {
        const int row = shape.dataRow + 2 * b;
        doc.setCellText(row, 2, ReportSummary(data).toStdString());
        // The verdicts, as the line ReportLimitLine reads, closures over their limits in red.
        if (!data.verdicts.empty()) {
            std::vector<DocxReport::TextRun> runs{{LimitLineHead(data.standard)}};
            for (size_t i = 0; i < data.verdicts.size(); ++i) {
                if (i)
                    runs.push_back({SummarySeparator});
                runs.push_back({data.verdicts[i].text, data.verdicts[i].over});
            }
            doc.appendCellParagraph(row, 2, runs);
        }
        if (data.rigorous)
            doc.appendCellParagraph(row, 2, {{data.rigorous->summary}});
    }
    doc.setExactRowHeight(shape.dataRow, shape.dataRow + 2 * b - 1, DataRowPoints);
    advance(70);

    doc.save(outputPath);
    advance(100);
}

} // namespace quorvil
