#include "TFormGSZS.h"

#include "core/GaussKruger.h"
#include "ui/Fields.h"
#include "ui/PointTableView.h"

namespace quorvil {

namespace {

PointToolLayout Layout()
{
    PointToolLayout layout;
    layout.inputCaption = ProjectionCaptions::Geodetic;
    layout.inputColumns = ProjectionCaptions::GeodeticColumns;
    layout.resultCaption = ProjectionCaptions::Plane;
    layout.resultColumns = ProjectionCaptions::PlaneColumns;
    return layout;
}

} // namespace

TFormGSZS::TFormGSZS(QWidget *owner) : GaussToolWindow(owner, QStringLiteral("TFormGSZS"), QStringLiteral("高斯投影正算"), Layout())
{
}

void TFormGSZS::compute()
{
    FpGuard guard;
    const GaussKrugerSeries series(parameters()->ellipsoid());
    const Real centralMeridian = FieldDegrees(centralMeridianField());
    const Real yConstant = FieldNumber(yConstantField());
    const PointTableModel &points = *input()->table();
    ComputePointRows(points, *result()->table(), 3, guard, [&](int row) {
        const Real B = CellDegrees(&points, row, 1);
        const Real L = CellDegrees(&points, row, 2);
        const PlaneXY p = series.Forward(B, L - centralMeridian);
        return RowValues{p.x, p.y + yConstant}; // no zone number is put in front of y
    });
}

} // namespace quorvil
