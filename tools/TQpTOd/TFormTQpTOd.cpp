#include "TFormTQpTOd.h"

namespace quorvil {

namespace {

// Plane to geodetic. The one central meridian sits in the new group; it is the working meridian
// and the central meridian of the old plane coordinates. The result file leaves out the height.
DatumToolLayout Layout()
{
    DatumToolLayout s;
    s.className = QStringLiteral("TFormTQpTOd");
    s.caption = QStringLiteral("平面坐标转换为另一椭球大地坐标");
    s.oldSide.kind = DatumCoordinates::Plane;
    s.oldSide.preset = 0; // 北京54
    s.oldSide.fields = {YConstantField("EditYY1"), HeightAnomalyField("EditDh1")};
    s.oldSide.centralMeridianField = "EditLL1";
    s.oldSide.yConstantField = "EditYY1";
    s.oldSide.heightAnomalyField = "EditDh1";
    s.oldSide.tableCaption = DatumCaptions::OldPlane;
    s.oldSide.tableColumns = PlaneColumns("纵坐标x(m)", "横坐标y(m)");
    s.newSide.kind = DatumCoordinates::Geodetic;
    s.newSide.preset = 3; // WGS84
    s.newSide.fields = {CentralMeridianField("EditLL1"), HeightAnomalyField("EditDh2")};
    s.newSide.heightAnomalyField = "EditDh2";
    s.newSide.tableCaption = DatumCaptions::NewGeodetic;
    s.newSide.tableColumns = GeodeticColumns();
    s.workingMeridianField = "EditLL1";
    s.commonColumns = CommonColumns({"老坐标x(m)", "老坐标y(m)", "老高程H(m)"}, {"新纬度B(dms)", "新经度L(dms)", "新高程H(m)"},
                                    DatumCoordinates::Geodetic);
    s.commonWidths = {41, 70, 70, 60, 85, 90, 60, 48, 48, 48};
    s.resultFileFields = 3;
    return s;
}

} // namespace

TFormTQpTOd::TFormTQpTOd(QWidget *owner) : DatumWindow(owner, Layout()) {}

} // namespace quorvil
