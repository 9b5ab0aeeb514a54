#include "TFormTQdTOp.h"

namespace quorvil {

namespace {

// Geodetic to plane. The one central meridian sits in the old group; it is the working meridian
// and the central meridian of the new plane coordinates.
DatumToolLayout Layout()
{
    DatumToolLayout s;
    s.className = QStringLiteral("TFormTQdTOp");
    s.caption = QStringLiteral("大地坐标转换为另一椭球平面坐标");
    s.oldSide.kind = DatumCoordinates::Geodetic;
    s.oldSide.preset = 3; // WGS84
    s.oldSide.fields = {CentralMeridianField("EditLL1"), HeightAnomalyField("EditDh1")};
    s.oldSide.heightAnomalyField = "EditDh1";
    s.oldSide.tableCaption = DatumCaptions::OldGeodetic;
    s.oldSide.tableColumns = GeodeticColumns();
    s.newSide.kind = DatumCoordinates::Plane;
    s.newSide.preset = 0; // 北京54
    s.newSide.fields = {YConstantField("EditYY2"), HeightAnomalyField("EditDh2")};
    s.newSide.centralMeridianField = "EditLL1";
    s.newSide.yConstantField = "EditYY2";
    s.newSide.heightAnomalyField = "EditDh2";
    s.newSide.tableCaption = DatumCaptions::NewPlane;
    s.newSide.tableColumns = PlaneColumns("坐标x(m)", "坐标y(m)");
    s.workingMeridianField = "EditLL1";
    s.commonColumns = CommonColumns({"老纬度B(dms)", "老经度L(dms)", "老高程H(m)"}, {"新坐标x(m)", "新坐标y(m)", "新高程H(m)"},
                                    DatumCoordinates::Plane);
    s.commonWidths = {41, 85, 90, 60, 70, 70, 60, 48, 48, 48};
    s.resultFileFields = 4;
    return s;
}

} // namespace

TFormTQdTOp::TFormTQdTOp(QWidget *owner) : DatumWindow(owner, Layout()) {}

} // namespace quorvil
