#include "Catalogue.h"

#include "tools/BJFH/TFormBJFH.h"
#include "tools/BZBL/TFormBZBL.h"
#include "tools/CADpoint/TFormCADpoint.h"
#include "tools/DBFH/TFormDBFH.h"
#include "tools/DLXPDB/TFormDLXPDB.h"
#include "tools/GCDC/TFormGCDC.h"
#include "tools/GCFH/TFormGCFH.h"
#include "tools/GCNH/TFormGCNH.h"
#include "tools/GCSB/TFormGCSB.h"
#include "tools/GNSS/TFormGNSS.h"
#include "tools/GSFS/TFormGSFS.h"
#include "tools/GSZS/TFormGSZS.h"
#include "tools/HXZH/TFormHXZH.h"
#include "tools/JZBCL/TFormJZBCL.h"
#include "tools/KZWPC/TFormKZWPC.h"
#include "tools/PMZH/TFormPMZH.h"
#include "tools/PMZH2/TFormPMZH2.h"
#include "tools/TFH/TFormTFH.h"
#include "tools/TQZH/TFormTQZH.h"
#include "tools/TQdTOd/TFormTQdTOd.h"
#include "tools/TQdTOp/TFormTQdTOp.h"
#include "tools/TQpTOd/TFormTQpTOd.h"
#include "tools/WDX/TFormWDX.h"
#include "tools/ZBFH/TFormZBFH.h"
#include "tools/ZBFH1/TFormZBFH1.h"
#include "tools/ZBHD/TFormZBHD.h"
#include "tools/ZBZFS/TFormZBZFS.h"
#include "tools/ZBwdx/TFormZBwdx.h"
#include "tools/ZDX/TFormZDX.h"
#include "ui/DrawingCommands.h"
#include "ui/drawing/TFormDrawing.h"

namespace quorvil {

namespace {

template <typename Window>
[[maybe_unused]] QWidget *Create(QWidget *owner)
{
    return new Window(owner);
}

// "CAD标注平面坐标" opens no window: it runs its labelling loop in the drawing window.
QWidget *AnnotatePlaneCoordinates(QWidget *owner)
{
    RunPlaneAnnotation(owner);
    return nullptr;
}

// The drawing window is one for the program: the command brings it back.
QWidget *OpenDrawingWindow(QWidget *owner)
{
    return TFormDrawing::instance(owner);
}

const QString Projection = QStringLiteral("椭球坐标转换");
const QString Plane = QStringLiteral("平面坐标转换");
const QString Adjustment = QStringLiteral("平差计算");
const QString Tools = QStringLiteral("工具");
const QString BetweenEllipsoids = QStringLiteral("椭球间转换");

std::vector<CatalogueEntry> MakeCatalogue()
{
    using T = ToolBarId;
    // clang-format off
    return {
        {Projection, {}, "高斯投影正算", "高斯投影正算", T::Conversion, "gsZSClick", "TFormGSZS", "高斯投影正算", Create<TFormGSZS>, false, "gszs"},
        {Projection, {}, "高斯投影反算", "高斯投影反算", T::Conversion, "gsFSClick", "TFormGSFS", "高斯投影反算", Create<TFormGSFS>, false, "gsfs"},
        {Projection, {}, "坐标换带", "坐标换带", T::Conversion, "zbHDClick", "TFormZBHD", "坐标换带", Create<TFormZBHD>, false, "zbhd"},
        {Projection, BetweenEllipsoids, "平面->平面", "椭球间平面坐标转换", T::Conversion, "tqPtoPClick", "TFormTQZH", "椭球间平面坐标转换", Create<TFormTQZH>, false, "tqzh"},
        {Projection, BetweenEllipsoids, "大地->平面", "椭球间大地转平面", T::Conversion, "tqDtoPClick", "TFormTQdTOp", "大地坐标转换为另一椭球平面坐标", Create<TFormTQdTOp>, false, "tqdtop"},
        {Projection, BetweenEllipsoids, "平面->大地", "椭球间平面转大地", T::Conversion, "tqPtoDClick", "TFormTQpTOd", "平面坐标转换为另一椭球大地坐标", Create<TFormTQpTOd>, false, "tqptod"},
        {Projection, BetweenEllipsoids, "大地->大地", "椭球间大地坐标转换", T::Conversion, "N8Click", "TFormTQdTOd", "椭球间大地坐标转换", Create<TFormTQdTOd>, false, "tqdtod"},
        {Projection, {}, "抵偿高程面坐标转换", "高程抵偿面坐标计算", T::Conversion, "N9Click", "TFormGCDC", "抵偿高程面确定及投影变换", Create<TFormGCDC>, false, "gcdc"},
        {Projection, {}, "互联网地图坐标转换", {}, T::None, "hxZHClick", "TFormHXZH", "互联网地图坐标转换", Create<TFormHXZH>, true, "hxzh"},
        {Plane, {}, "二公共点简易转换", "二公共点简易转换", T::Conversion, "PMZH1Click", "TFormPMZH", "二公共点平面简易转换", Create<TFormPMZH>, false, "pmzh"},
        {Plane, {}, "多公共点相似变换", "多公共点相似变换", T::Conversion, "PMZH2Click", "TFormPMZH2", "多公共点平面相似变换", Create<TFormPMZH2>, false, "pmzh2"},
        {Plane, {}, "GNSS高程拟合", {}, T::None, "GCNHClick", "TFormGCNH", "GNSS高程拟合", Create<TFormGCNH>, true, "gcnh"},
        {Adjustment, {}, "附合导线", "附合导线", T::Traverse, "BJFHClick", "TFormBJFH", "边角附合导线", Create<TFormBJFH>, false, "bjfh"},
        {Adjustment, {}, "单边附合导线", "单边附合导线", T::Traverse, "DBFHClick", "TFormDBFH", "单边附合导线", Create<TFormDBFH>, false, "dbfh"},
        {Adjustment, {}, "无定向导线", "无定向导线", T::Traverse, "WDXClick", "TFormWDX", "无定向导线", Create<TFormWDX>, false, "wdx"},
        {Adjustment, {}, "支导线", "支导线", T::Traverse, "ZDXClick", "TFormZDX", "支导线", Create<TFormZDX>, false, "zdx"},
        {Adjustment, {}, "坐标附合导线", "坐标附合导线", T::Traverse, "ZBFHClick", "TFormZBFH", "坐标附合导线", Create<TFormZBFH>, true, "zbfh"},
        {Adjustment, {}, "坐标单边附合导线", "坐标单边附合导线", T::Traverse, "N3Click", "TFormZBFH1", "坐标测量单边附合导线", Create<TFormZBFH1>, false, "zbfh1"},
        {Adjustment, {}, "坐标无定向导线", "坐标无定向导线", T::Traverse, "N4Click", "TFormZBwdx", "坐标测量无定向导线", Create<TFormZBwdx>, false, "zbwdx"},
        {Adjustment, {}, "附合高程路线", "高程路线", T::Traverse, "FHGcClick", "TFormGCFH", "附/闭合高程路线", Create<TFormGCFH>, true, "gcfh"},
        {Adjustment, {}, "控制网平差", "控制网平差", T::Traverse, "KZWpcClick", "TFormKZWPC", "控制网平差", Create<TFormKZWPC>, true, "kzwpc"},
        {Adjustment, {}, "观测手簿", "观测手簿", T::Traverse, "gcSBClick", "TFormGCSB", "观测手簿", Create<TFormGCSB>, false, "gcsb"},
        {Adjustment, {}, "GNSS 网平差", {}, T::None, "GNSSClick", "TFormGNSS", "GNSS 网平差", Create<TFormGNSS>, false, "gnss"},
        {Tools, {}, "坐标正反算", "坐标正反算", T::Tools, "zbZSFClick", "TFormZBZFS", "坐标正反算", Create<TFormZBZFS>, false, "zbzfs"},
        {Tools, {}, "极坐标测量计算", "极坐标测量计算", T::Tools, "jzbCLJSClick", "TFormJZBCL", "极坐标测量计算", Create<TFormJZBCL>, false, "jzbcl"},
        {Tools, {}, "图幅号计算", {}, T::None, "N7Click", "TFormTFH", "1:1万图幅号计算", Create<TFormTFH>, false, "tfh"},
        {Tools, {}, "CAD取点坐标", "CAD取点坐标", T::Tools, "getXYHClick", "TFormCADpoint", "由CAD获取的点坐标数据", Create<TFormCADpoint>, true, "cadpoint"},
        {Tools, {}, "CAD标注地理坐标", "CAD标注地理坐标", T::Tools, "bzBLClick", "TFormBZBL", "CAD标注地理坐标", Create<TFormBZBL>, false, "bzbl"},
        {Tools, {}, "CAD标注平面坐标", "CAD标注平面坐标", T::Tools, "bzXYClick", {}, {}, AnnotatePlaneCoordinates, false, "bzxy"},
        {Tools, {}, "电力线平断表", "电力线平纵断面", T::Tools, "N6Click", "TFormDLXPDB", "电力线平纵断面编辑表", Create<TFormDLXPDB>, true, "dlxpdb"},
        {Tools, {}, "图形窗口", "图形窗口", T::Tools, "drawingClick", "TFormDrawing", "图形窗口", OpenDrawingWindow, true, "drawing"},
    };
    // clang-format on
}

} // namespace

const std::vector<CatalogueEntry> &Catalogue()
{
    static const std::vector<CatalogueEntry> catalogue = MakeCatalogue();
    return catalogue;
}

const CatalogueEntry *FindCatalogueEntry(const QString &windowClass)
{
    for (const CatalogueEntry &entry : Catalogue())
        if (!windowClass.isEmpty() && entry.windowClass == windowClass)
            return &entry;
    return nullptr;
}

} // namespace quorvil
