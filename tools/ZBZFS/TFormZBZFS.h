// The coordinate calculator: distance and grid bearing between two points (inverse), or the
// second point from the first, a distance and a bearing (forward).
#pragma once

#include "ui/ToolWindow.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quorvil {

class TFormZBZFS : public ToolWindow {
    Q_OBJECT

public:
    explicit TFormZBZFS(QWidget *owner);

private:
    void RadioButtonClick(); // RadioButton1Click / RadioButton2Click: which fields are outputs
    void Button1Click();     // "计算"

    QLineEdit *Edit1; // point 1 X
    QLineEdit *Edit2; // point 1 Y
    QLineEdit *Edit3; // point 2 X
    QLineEdit *Edit4; // point 2 Y
    QLineEdit *Edit5; // distance
    QLineEdit *Edit6; // grid bearing, ddd.mmss
    QRadioButton *RadioButton1; // "反算距离和方位角"
    QRadioButton *RadioButton2; // "反算坐标"
    QPushButton *Button1;
};

} // namespace quorvil
