#include "TFormGSZS.h"

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
    const Ellipsoid ellipsoid = parameters()->ellipsoid();
    const Real centralMeridian = FieldDegrees(centralMeridianField());
    const Real yConstant = FieldNumber(yConstantField());
    ConvertRows(*input()->table(), *result()->table(), GaussForwardConversion(ellipsoid, centralMeridian, yConstant));
}

} // namespace quorvil
