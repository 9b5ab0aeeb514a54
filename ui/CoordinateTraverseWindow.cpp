#include "CoordinateTraverseWindow.h"

#include "core/TraverseSummary.h"

namespace quorvil {

QStringList CoordinateTraverseColumns()
{
    return {QStringLiteral("点名"),     QStringLiteral("观测X(m)"), QStringLiteral("观测Y(m)"), QStringLiteral("观测H(m)"),
            QStringLiteral("X坐标(m)"), QStringLiteral("Y坐标(m)"), QStringLiteral("高程H(m)")};
}

QList<int> CoordinateTraverseColumnWidths() { return {69, 93, 93, 70, 93, 93, 70}; }

TraverseWindowLayout CoordinateTraverseLayout(const QString &groupCaption, int startRows, AdjustmentKind kind)
{
    const bool withBearing = kind == AdjustmentKind::CoordinateConnecting;
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
    layout.report = kind;
    layout.file = AdjustmentMapOf(kind);
    return layout;
}

CoordinateTraverseWindow::CoordinateTraverseWindow(QWidget *owner, const QString &className, const QString &caption,
                                                   const TraverseWindowLayout &layout)
    : TraverseWindow(owner, className, caption, layout)
{
}

} // namespace quorvil
