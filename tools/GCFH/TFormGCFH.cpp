#include "TFormGCFH.h"

#include "core/TraverseSummary.h"

namespace quorvil {

namespace {

TraverseWindowLayout Layout()
{
    TraverseWindowLayout layout;
    layout.groupCaption = QStringLiteral("附/闭合高程路线计算表");
    layout.columns = {QStringLiteral("点名"), QStringLiteral("距离(或测站数)"), QStringLiteral("观测高差(m)"),
                      QStringLiteral("高差改正数(mm)"), QStringLiteral("高程(m)")};
    layout.columnWidths = {69, 128, 128, 128, 128};
    layout.startRows = 3;
    layout.clearRows = 3;
    layout.summaryLabels = {{"LabFh", FhCaption}, {"LabL", RouteLengthCaption}};
    layout.summarySpacing = 60;
    layout.report = ReportKind::Levelling;
    layout.file = AdjustmentMapOf(layout.report);
    return layout;
}

} // namespace

TFormGCFH::TFormGCFH(QWidget *owner)
    : TraverseWindow(owner, QStringLiteral("TFormGCFH"), QStringLiteral("附/闭合高程路线"), Layout())
{
}

void TFormGCFH::compute()
{
    adjust();
}

} // namespace quorvil
