// The texts of the field book's tables, the same for the window, the Word report and the
// workbook: the 方向观测法手簿 of every station, the measured lines and the checks.
#pragma once

#include "core/fieldbook/FieldBookLines.h"

#include <QList>
#include <QStringList>

namespace quorvil {

// The book as the window's input table holds it: 测站, 仪器高, 照准点, 觇标高, 测回, 盘位, 水平度盘读数,
// 竖盘读数, 斜距, the columns of the CSV book; readings ddd.mmss to 0.001″. Read back through the
// CSV reader, so that a row's messages name it as "第 N 行".
QStringList FieldBookInputCaptions();
QList<QStringList> FieldBookInputRows(const fieldbook::FieldBook &book);
fieldbook::FieldBook FieldBookFromRows(const QList<QStringList> &rows);

// 测站, 测回, 照准点, 盘左, 盘右, 2C(″), 平均读数, 归零方向值, 各测回归零方向值之平均值, 指标差(″),
// 天顶距: one row per pointing pair; the station and the round named on their first row, the
// station's mean on the first round's row of each target. Angles ddd.mmss.
QStringList FieldBookPageCaptions();
QList<QStringList> FieldBookPageRows(const fieldbook::Reduction &reduction);
// The rows of one station, as FieldBookPageRows gives them (the report has a table per station).
QList<QStringList> FieldBookStationPageRows(const fieldbook::StationResult &station);

// 测站, 照准点, 斜距S, 天顶距, 平距D, 投影面D0, 高斯面Dg, 高差, i/v.
QStringList FieldBookLineCaptions();
QList<QStringList> FieldBookLineRows(const fieldbook::Reduction &reduction);

// 测站, 测回, 照准点, 检核项目, 数值, 结论, 限差: every check beside its value; with `withNotes` (the
// report) then the notes (rounds not closed, targets missing from rounds), which carry no verdict.
QStringList FieldBookCheckCaptions();
QList<QStringList> FieldBookCheckRows(const fieldbook::Reduction &reduction, bool withNotes = false);
// The notes, one a line (the window shows them beside the checks).
QString FieldBookNotes(const fieldbook::Reduction &reduction);

// The one line that sums up the checks: "检核 42 项, 1 项超限" or "检核 42 项, 全部合格".
QString FieldBookSummary(const fieldbook::Reduction &reduction);

} // namespace quorvil
