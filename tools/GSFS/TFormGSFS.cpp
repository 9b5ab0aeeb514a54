#include "TFormGSFS.h"

#include "core/DatumConversion.h"
#include "core/GaussKruger.h"
#include "core/TextForms.h"
#include "ui/Fields.h"
#include "ui/PointTableView.h"

namespace quorvil {

namespace {

PointToolLayout Layout()
{
    PointToolLayout layout;
    layout.inputCaption = ProjectionCaptions::Plane;
    layout.inputColumns = ProjectionCaptions::PlaneColumns;
    layout.resultCaption = ProjectionCaptions::Geodetic;
    layout.resultColumns = ProjectionCaptions::GeodeticColumns;
    return layout;
}

} // namespace

TFormGSFS::TFormGSFS(QWidget *owner) : GaussToolWindow(owner, QStringLiteral("TFormGSFS"), QStringLiteral("高斯投影反算"), Layout())
{
}

void TFormGSFS::compute()
{
    FpGuard guard;
    const GaussKrugerSeries series(parameters()->ellipsoid());
    const Real centralMeridian = FieldDegrees(centralMeridianField());
    const Real yConstant = FieldNumber(yConstantField());
    const PointTableModel &points = *input()->table();
    // Packed angles with 10 decimals: seconds to a millionth.
    ComputePointRows(points, *result()->table(), 10, guard, [&](int row) {
        const Real x = CellNumber(&points, row, 1);
        // Whole millions of y are a zone number, whatever the Y constant.
        const Real y = StripZoneNumber(CellNumber(&points, row, 2)) - yConstant;
        const LatLon g = series.Inverse(x, y);
        return RowValues{DegToDms(g.B), DegToDms(g.l + centralMeridian)};
    });
}

} // namespace quorvil
