#include "TFormTQdTOd.h"

namespace quorvil {

namespace {

// Geodetic to geodetic. The one central meridian sits in the old group and only fixes the
// spatial frame.
DatumToolLayout Layout()
{
    DatumToolLayout s;
    s.className = QStringLiteral("TFormTQdTOd");
    s.caption = QStringLiteral("椭球间大地坐标转换");
    s.oldSide.kind = DatumCoordinates::Geodetic;
    s.oldSide.preset = 3; // WGS84
    s.oldSide.fields = {CentralMeridianField("EditLL1"), HeightAnomalyField("EditDh1")};
    s.oldSide.heightAnomalyField = "EditDh1";
    s.oldSide.tableCaption = DatumCaptions::OldGeodetic;
    s.oldSide.tableColumns = GeodeticColumns();
    s.newSide.kind = DatumCoordinates::Geodetic;
    s.newSide.preset = 0; // 北京54
    s.newSide.fields = {HeightAnomalyField("EditDh2")};
    s.newSide.heightAnomalyField = "EditDh2";
    s.newSide.tableCaption = DatumCaptions::NewGeodetic;
    s.newSide.tableColumns = GeodeticColumns();
    s.workingMeridianField = "EditLL1";
    s.commonColumns = CommonColumns({"老纬度B(dms)", "老经度L(dms)", "老高程H(m)"}, {"新纬度B(dms)", "新经度L(dms)", "新高程H(m)"},
                                    DatumCoordinates::Geodetic);
    s.commonWidths = {41, 80, 80, 58, 80, 80, 58, 48, 48, 48};
    s.resultFileFields = 4;
    return s;
}

} // namespace

TFormTQdTOd::TFormTQdTOd(QWidget *owner) : DatumWindow(owner, Layout()) {}

} // namespace quorvil
