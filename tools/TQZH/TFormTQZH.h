// "椭球间平面坐标转换": Gauss–Krüger plane coordinates with heights from one ellipsoid to another.
#pragma once

#include "ui/DatumWindow.h"

namespace quorvil {

class TFormTQZH : public DatumWindow {
    Q_OBJECT

public:
    explicit TFormTQZH(QWidget *owner);
};

} // namespace quorvil
