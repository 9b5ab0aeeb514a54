// "平面坐标转换为另一椭球大地坐标": Gauss–Krüger plane coordinates to geodetic coordinates of another ellipsoid.
#pragma once

#include "ui/DatumWindow.h"

namespace quorvil {

class TFormTQpTOd : public DatumWindow {
    Q_OBJECT

public:
    explicit TFormTQpTOd(QWidget *owner);
};

} // namespace quorvil
