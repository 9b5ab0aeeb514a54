// "大地坐标转换为另一椭球平面坐标": geodetic coordinates to Gauss–Krüger plane coordinates of another ellipsoid.
#pragma once

#include "ui/DatumWindow.h"

namespace quorvil {

class TFormTQdTOp : public DatumWindow {
    Q_OBJECT

public:
    explicit TFormTQdTOp(QWidget *owner);
};

} // namespace quorvil
