#include "TFormGSFS.h"

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
    const Ellipsoid ellipsoid = parameters()->ellipsoid();
    const Real centralMeridian = FieldDegrees(centralMeridianField());
    const Real yConstant = FieldNumber(yConstantField());
    ConvertRows(*input()->table(), *result()->table(), GaussInverseConversion(ellipsoid, centralMeridian, yConstant));
}

} // namespace quorvil
