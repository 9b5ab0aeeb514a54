// Multi-common-point plane similarity: four parameters and a height shift estimated by least
// squares from a table of common points (or loaded from a parameter file), then a table of points
// converted with the parameters as shown.
#pragma once

#include "ui/ToolWindow.h"

class QGroupBox;
class QLineEdit;

namespace quorvil {

class PointTableView;
class ResultFreshness;

class TFormPMZH2 : public ToolWindow {
    Q_OBJECT

public:
    explicit TFormPMZH2(QWidget *owner);

private:
    void ToolButton6Click();  // "解算四参数"
    void ToolButton7Click();  // "转换计算"
    void ToolButton15Click(); // "保存参数"
    void ToolButton16Click(); // "导入参数"

    QList<QLineEdit *> parameterFields() const; // file order: Dx, Dy, T, K, Dh

    QLineEdit *EditA, *EditB, *EditC, *EditD, *EditDH;
    PointTableView *StringGrid1, *StringGrid2, *StringGrid3;
    QGroupBox *m_oldGroup, *m_newGroup;
    ResultFreshness *m_solved;    // the residuals and the parameters, from the common points
    ResultFreshness *m_converted; // the new coordinates, from the points and the parameters
};

} // namespace quorvil
