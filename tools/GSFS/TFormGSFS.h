// "高斯投影反算": a table of Gauss–Krüger x and y back to latitude and longitude.
#pragma once

#include "ui/ProjectionTools.h"

namespace quorvil {

class TFormGSFS : public GaussToolWindow {
    Q_OBJECT

public:
    explicit TFormGSFS(QWidget *owner);

protected:
    void compute() override; // ToolButton6Click
};

} // namespace quorvil
