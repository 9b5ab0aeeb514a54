// "抵偿高程面确定及投影变换": the distortion per kilometre and the height of the compensation
// surface of a survey area, the enlarged ellipsoid through that surface, and a table of plane
// coordinates carried from the source ellipsoid to the enlarged one.
#pragma once

#include "ui/ProjectionTools.h"

class QLineEdit;
class QPushButton;

namespace quorvil {

class TFormGCDC : public PointToolWindow {
    Q_OBJECT

public:
    explicit TFormGCDC(QWidget *owner);

protected:
    void compute() override; // ToolButton6Click
    void resizeEvent(QResizeEvent *event) override;

private:
    void button2Click(); // distortion per kilometre and compensation height
    void button1Click(); // enlarged ellipsoid

    EllipsoidGroup *m_source;
    QLineEdit *m_yConstant;
    QLineEdit *m_meanLatitude;
    QLineEdit *m_distance;
    QLineEdit *m_height;
    QLineEdit *m_heightAnomaly;
    QLineEdit *m_distortion;
    QLineEdit *m_compensationHeight;
    QLineEdit *m_a2;
    QLineEdit *m_b2;
};

} // namespace quorvil
