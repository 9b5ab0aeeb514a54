#include "TFormTQZH.h"

namespace quorvil {

namespace {

// Plane to plane. The new central meridian is the working meridian; it follows the old one as the
// user types it, until the user edits it.
DatumToolLayout Layout()
{
    DatumToolLayout s;
    s.className = QStringLiteral("TFormTQZH");
    s.caption = QStringLiteral("椭球间平面坐标转换");
    s.oldSide.kind = DatumCoordinates::Plane;
    s.oldSide.preset = 0; // 北京54
    s.oldSide.fields = {CentralMeridianField("EditLL1"), YConstantField("EditYY1"), HeightAnomalyField("EditDh1")};
    s.oldSide.centralMeridianField = "EditLL1";
    s.oldSide.yConstantField = "EditYY1";
    s.oldSide.heightAnomalyField = "EditDh1";
    s.oldSide.tableCaption = DatumCaptions::OldPlane;
    s.oldSide.tableColumns = PlaneColumns("纵坐标x(m)", "横坐标y(m)");
    s.newSide.kind = DatumCoordinates::Plane;
    s.newSide.preset = 1; // 国家80
    s.newSide.fields = {CentralMeridianField("EditLL2"), YConstantField("EditYY2"), HeightAnomalyField("EditDh2")};
    s.newSide.centralMeridianField = "EditLL2";
    s.newSide.yConstantField = "EditYY2";
    s.newSide.heightAnomalyField = "EditDh2";
    s.newSide.tableCaption = DatumCaptions::NewPlane;
    s.newSide.tableColumns = PlaneColumns("纵坐标x(m)", "横坐标y(m)");
    s.workingMeridianField = "EditLL2";
    s.followingMeridianField = "EditLL2";
    s.commonColumns = CommonColumns({"老坐标x(m)", "老坐标y(m)", "老坐标H(m)"}, {"新坐标x(m)", "新坐标y(m)", "新坐标H(m)"},
                                    DatumCoordinates::Plane);
    s.commonWidths = {40, 79, 79, 60, 79, 79, 60, 48, 48, 48};
    s.resultFileFields = 4;
    return s;
}

} // namespace

TFormTQZH::TFormTQZH(QWidget *owner) : DatumWindow(owner, Layout()) {}

} // namespace quorvil
