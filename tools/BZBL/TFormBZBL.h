// Geographic coordinate labels in the drawing window: latitude and longitude of picked points by
// the inverse Gauss–Krüger projection of their drawing coordinates, with an optional filled dot
// and leader. Remembers its settings in the section "CADBZBL".
#pragma once

#include "ui/ToolWindow.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace quorvil {

class EllipsoidGroup;

class TFormBZBL : public ToolWindow {
    Q_OBJECT

public:
    explicit TFormBZBL(QWidget *owner);
    ~TFormBZBL() override; // FormDestroy: writes the settings section

private:
    void FormCreate();
    void FormDestroy();
    void Button1Click(); // "开始标注": the label loop
    void Button2Click(); // "默认设置"

    EllipsoidGroup *m_system; // "坐标系": ComboBox1, EditA, EditB
    QComboBox *ComboBox2;     // "投影带"
    QLineEdit *EditXX;
    QLineEdit *EditYY;
    QLineEdit *EditTxtH;
    QSpinBox *SpinEdit1;      // seconds decimals
    QLineEdit *EditCR;
    QCheckBox *CheckBox1;     // "标注园点"
    QCheckBox *CheckBox2;     // "标注引线"
};

} // namespace quorvil
