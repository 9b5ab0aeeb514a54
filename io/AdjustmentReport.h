// The reports of the eight adjustment tools: each fills the first table of its Word template
// with the table of the tool as it stands after the computation, the working values of that
// computation (bearings, increments, corrections) and the summary line, and replaces the five
// header placeholders. The windows and the command line share this; neither needs Word.
#pragma once

#include "core/CoordinateTraverse.h"
#include "core/Levelling.h"
#include "core/Limits.h"
#include "core/Traverse.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvil {

enum class ReportKind {
    Connecting,              // 边角附合导线, "DXbjfh.docx"
    SingleSide,              // 单边附合导线, "DXdbfh.docx"
    NoOrientation,           // 无定向导线, "DXwdx.docx"
    Open,                    // 支导线, "DXzdx.docx"
    Levelling,               // 附/闭合高程路线, "GCLX.docx"
    CoordinateConnecting,    // 坐标附合导线, "DXzbfh.docx"
    CoordinateSingleSide,    // 坐标测量单边附合导线, "DXzbDBfh.docx"
    CoordinateNoOrientation, // 坐标测量无定向导线, "DXzbWDX.docx"
};

// The template's file name, looked up beside the program (ProgramFile).
QString ReportTemplateName(ReportKind kind);

// The placeholders of the header fields, in the order of the fields.
inline constexpr const char *ReportPlaceholders[5] = {"[工程名称]", "[等级]", "[计算者]", "[校核者]", "[日期]"};

class DocxReport;
// Replaces the five header placeholders of `report` by the texts of `header`, in that order.
void FillReportHeader(DocxReport &report, const QStringList &header);
// Throws PackageError naming the template when it has fewer than `count` tables; `names` lists
// them for the message ("统计、已知点、…").
void RequireReportTables(const DocxReport &report, int count, const QString &names);

struct AdjustmentReportData {
    ReportKind kind = ReportKind::Connecting;
    QStringList header;      // 工程名称, 等级, 计算者, 校核者, 日期
    QList<QStringList> rows; // the data rows of the tool's table after the computation
    // The result of that computation: `traverse` for the four angle traverses, `levelling` for
    // the levelling route, `coordinate` for the three coordinate traverses.
    const TraverseResult *traverse = nullptr;
    const LevellingResult *levelling = nullptr;
    const CoordinateTraverseResult *coordinate = nullptr;
    // The verdicts on the closures (JudgeAdjustment) and the standard of their limits, printed as
    // a second paragraph under the summary line, closures over their limits in red. No verdicts,
    // no such paragraph.
    LimitStandard standard = DefaultLimitStandard;
    std::vector<ClosureVerdict> verdicts;
    // A rigorous adjustment: the title says "严密平差", the table gains the column of point errors
    // (one per data row, metres), the connecting traverse shows each angle's own correction
    // (residuals per data row, radians) and the summary cell the line of the rigorous solution.
    struct Rigorous {
        std::vector<Real> pointErrors;
        std::vector<Real> angleResiduals;
        std::string summary;
    };
    std::optional<Rigorous> rigorous;
};

// Reports the progress of a report in percent.
using ReportProgress = std::function<void(int percent)>;

// Writes the report of `data` from the template at `templatePath` to `outputPath` (atomically:
// a report that cannot be written leaves an existing file whole). Throws PackageError naming the
// template when it is missing, broken or its table does not fit, Error when the result does not
// belong to the rows, FileError when the file cannot be written.
void WriteAdjustmentReport(const AdjustmentReportData &data, const QString &templatePath, const QString &outputPath,
                           const ReportProgress &progress = {});

// The summary line of the report, as the tool's summary labels show it.
QString ReportSummary(const AdjustmentReportData &data);
// The verdict line under it: "限差依据 GB 50026-2020：fβ=3″ 限差±17.32″ 合格    K=…"; empty
// without verdicts.
QString ReportLimitLine(const AdjustmentReportData &data);

inline constexpr const char *ReportResultMismatchText = "计算结果与表格不符，请先重新计算。";

} // namespace quorvil
