#include "CoordinateTraverseWindow.h"

#include "Fields.h"
#include "PointTableModel.h"

#include "core/FpGuard.h"
#include "core/TraverseSummary.h"

namespace quorvil {

QStringList CoordinateTraverseColumns()
{
    return {QStringLiteral("点名"),     QStringLiteral("观测X(m)"), QStringLiteral("观测Y(m)"), QStringLiteral("观测H(m)"),
            QStringLiteral("X坐标(m)"), QStringLiteral("Y坐标(m)"), QStringLiteral("高程H(m)")};
}

QList<int> CoordinateTraverseColumnWidths() { return {69, 93, 93, 70, 93, 93, 70}; }

TraverseWindowLayout CoordinateTraverseLayout(const QString &groupCaption, int startRows, bool withBearing)
{
    TraverseWindowLayout layout;
    layout.groupCaption = groupCaption;
    layout.columns = CoordinateTraverseColumns();
    layout.columnWidths = CoordinateTraverseColumnWidths();
    layout.startRows = startRows;
    layout.clearRows = 5;
    layout.summaryLabels = TraverseSummaryLabels(withBearing);
    layout.summaryLabels += {{QStringLiteral("LabFh"), QString::fromUtf8(FhCaption)},
                             {QStringLiteral("LabES"), QString::fromUtf8(TraverseLengthCaption)}};
    layout.summarySpacing = 14;
    // Known points: name, known X, Y, H; observations: name, measured X, Y, H.
    layout.file.layout.pointFields = 4;
    layout.file.layout.observationFields = 4;
    layout.file.pointColumns = {0, KnownColumns[0], KnownColumns[1], KnownColumns[2]};
    layout.file.observationColumns = {0, MeasuredColumns[0], MeasuredColumns[1], MeasuredColumns[2]};
    return layout;
}

CoordinateTraverseWindow::CoordinateTraverseWindow(QWidget *owner, const QString &className, const QString &caption,
                                                   bool withBearing, const TraverseWindowLayout &layout)
    : TraverseWindow(owner, className, caption, layout), m_withBearing(withBearing)
{
}

CoordinatePoint CoordinateTraverseWindow::measuredPoint(int row) const
{
    const PointTableModel *t = table();
    return {CellNumber(t, row, MeasuredColumns[0]), CellNumber(t, row, MeasuredColumns[1]),
            CellNumber(t, row, MeasuredColumns[2])};
}

CoordinatePoint CoordinateTraverseWindow::knownPoint(int row) const
{
    const PointTableModel *t = table();
    return {CellNumber(t, row, KnownColumns[0]), CellNumber(t, row, KnownColumns[1]), CellNumber(t, row, KnownColumns[2])};
}

void CoordinateTraverseWindow::requireRows(int rows, const char *tooFewText) const
{
    if (table()->rows() < rows)
        throw Error(tooFewText);
}

void CoordinateTraverseWindow::showResult(const FpGuard &guard, const CoordinateTraverseResult &r, int firstRow,
                                          size_t count)
{
    guard.check(r.fb, r.vb, r.fx, r.fy, r.fs, r.fh, r.totalLength);
    const std::vector<std::string> texts = CoordinateTraverseSummary(r, m_withBearing);
    QStringList names;
    if (m_withBearing)
        names << QStringLiteral("LabFB") << QStringLiteral("LabVB");
    names << QStringLiteral("LabFx") << QStringLiteral("LabFy") << QStringLiteral("LabFs") << QStringLiteral("LabK")
          << QStringLiteral("LabFh") << QStringLiteral("LabES");
    for (qsizetype i = 0; i < names.size(); ++i)
        setSummary(names[i], texts[static_cast<size_t>(i)]);

    for (const CoordinateLeg &leg : r.legs)
        guard.check(leg);
    for (const CoordinatePoint &p : r.adjusted)
        guard.check(p);
    m_last = r;
    for (size_t i = 0; i < count; ++i) {
        const CoordinatePoint &p = r.adjusted[i];
        const int row = firstRow + static_cast<int>(i);
        setCell(row, KnownColumns[0], NumberText(3, p.x));
        setCell(row, KnownColumns[1], NumberText(3, p.y));
        setCell(row, KnownColumns[2], NumberText(3, p.h));
    }
}

} // namespace quorvil
