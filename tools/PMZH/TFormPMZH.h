// Two-common-point plane transformation: a base point carried exactly onto its new coordinates, a
// second point fixing rotation and scale, a height reference point fixing the height shift; then
// a table of points converted with those parameters.
#pragma once

#include "core/PlaneSimilarity.h"

#include <array>
#include <string>
#include "ui/ToolWindow.h"

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quorvil {

class PointTableView;
class ResultFreshness;

class TFormPMZH : public ToolWindow {
    Q_OBJECT

public:
    explicit TFormPMZH(QWidget *owner);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Button4Click();      // "载入公共点..."
    void Button5Click();      // "保存公共点..."
    void Button6Click();      // "计算参数"
    void EditKDblClick();     // scale forced to 1
    void ToolButton3Click();  // "文件导入" in the chosen field order
    void ToolButton6Click();  // "转换计算"
    void ToolButton8Click();  // "另存为Cass格式"

    TwoCommonPoints readCommonPoints() const;
    void showParameters(const std::array<std::string, 5> &texts); // Dx, Dy, T, K, Dh
    QList<QLineEdit *> commonFields() const; // file order: base line, second line, heights

    QLineEdit *EditUo, *EditVo, *EditXo, *EditYo;
    QLineEdit *EditUt, *EditVt, *EditXt, *EditYt;
    QLineEdit *EditZo, *EditHo;
    QLineEdit *EditDX, *EditDY, *EditT, *EditK, *EditDH;
    QRadioButton *m_orderXY, *m_orderYX;
    PointTableView *StringGrid1, *StringGrid2;
    QGroupBox *m_oldGroup, *m_newGroup;
    ResultFreshness *m_converted; // the new coordinates, from the points and the parameters
};

} // namespace quorvil
