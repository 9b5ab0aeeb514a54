// "高斯投影正算": a table of latitudes and longitudes projected to Gauss–Krüger x and y.
#pragma once

#include "ui/ProjectionTools.h"

namespace quorvil {

class TFormGSZS : public GaussToolWindow {
    Q_OBJECT

public:
    explicit TFormGSZS(QWidget *owner);

protected:
    void compute() override; // ToolButton6Click
};

} // namespace quorvil
