// "坐标换带": Gauss–Krüger coordinates moved from one zone to another on the same ellipsoid.
#pragma once

#include "ui/ProjectionTools.h"

class QLineEdit;

namespace quorvil {

class TFormZBHD : public PointToolWindow {
    Q_OBJECT

public:
    explicit TFormZBHD(QWidget *owner);

protected:
    void compute() override; // ToolButton6Click

private:
    EllipsoidGroup *m_ellipsoid;
    QLineEdit *m_sourceMeridian;
    QLineEdit *m_sourceYConstant;
    QLineEdit *m_targetMeridian;
    QLineEdit *m_targetYConstant;
};

} // namespace quorvil
