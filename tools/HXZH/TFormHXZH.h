// "互联网地图坐标转换": longitudes and latitudes between WGS84/CGCS2000 and the web-map datums
// GCJ-02 and BD-09, forward by the published offsets and back by their exact iterated inverse;
// points outside China's rectangle are passed through and said to be so.
#pragma once

#include "ui/ProjectionTools.h"

class QCheckBox;
class QComboBox;

namespace quorvil {

class TFormHXZH : public PointToolWindow {
    Q_OBJECT

public:
    explicit TFormHXZH(QWidget *owner);

    // The items of ComboFrom and ComboTo, in the order of WebMapDatum.
    static const QStringList DatumCaptions;

protected:
    void compute() override; // ToolButton6Click

private:
    QComboBox *ComboFrom; // "原坐标系"
    QComboBox *ComboTo;   // "目标坐标系"
    QCheckBox *CheckDms;  // "度分秒(ddd.mmss)": unchecked, decimal degrees
};

} // namespace quorvil
