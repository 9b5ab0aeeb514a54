// "椭球间大地坐标转换": geodetic coordinates with heights from one ellipsoid to another.
#pragma once

#include "ui/DatumWindow.h"

namespace quorvil {

class TFormTQdTOd : public DatumWindow {
    Q_OBJECT

public:
    explicit TFormTQdTOd(QWidget *owner);
};

} // namespace quorvil
