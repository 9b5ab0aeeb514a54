#include "TFormBJFH.h"

#include "core/FpGuard.h"
#include "core/TraverseSummary.h"
#include "ui/Fields.h"
#include "ui/PointTableModel.h"

namespace quorvil {

namespace {

TraverseWindowLayout Layout()
{
    TraverseWindowLayout layout = AngleTraverseLayout(QStringLiteral("边角测量附(闭)合导线计算表"), 5, 5,
                                                      TraverseSummaryKind::AnglesAndCoordinates);
    // n new points; A, B, C, D; the stations B … C with their angles and distances.
    layout.file.layout = {4, 3, 2, 3};
    layout.file.rowsBeyondCount = 4;
    layout.file.pointRows = {0, 1, -2, -1};
    layout.file.firstObservationRow = 1;
    layout.file.tooFewText = QString::fromUtf8(ConnectingTooFewText);
    layout.report = ReportKind::Connecting;
    return layout;
}

} // namespace

TFormBJFH::TFormBJFH(QWidget *owner)
    : AngleTraverseWindow(owner, QStringLiteral("TFormBJFH"), QStringLiteral("边角附合导线"), Layout())
{
}

void TFormBJFH::compute()
{
    const PointTableModel *t = table();
    const int rows = t->rows();
    if (rows < 4)
        throw Error(ConnectingTooFewText);
    const int n = rows - 2; // observed angles, at B … C (model rows 1 … n)

    ConnectingTraverseInput input;
    input.a = cellPoint(0);
    input.b = cellPoint(1);
    input.c = cellPoint(n);
    input.d = cellPoint(n + 1);
    input.observations.reserve(static_cast<size_t>(n));
    for (int row = 1; row <= n; ++row) // the distance at C is not a leg of the traverse
        input.observations.push_back({CellNumber(t, row, 1), row < n ? CellNumber(t, row, 2) : 0});

    FpGuard guard;
    const TraverseResult carried = CarryConnectingTraverse(input);
    guard.check(carried.angleMisclosure, carried.angleCorrection);
    setSummary(QStringLiteral("LabFB"), FBText(carried.angleMisclosure));
    setSummary(QStringLiteral("LabVB"), VBText(carried.angleCorrection));
    closeTraverse(guard, carried, 2);
}

} // namespace quorvil
