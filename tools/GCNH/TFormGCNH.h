// GNSS height fitting: a surface of the height anomaly fitted to levelled common points, its
// accuracy checked, and normal heights for the GNSS points to convert.
#pragma once

#include "ui/ToolWindow.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace quorvil {

class PointTableView;

class TFormGCNH : public ToolWindow {
    Q_OBJECT

public:
    explicit TFormGCNH(QWidget *owner);

private:
    void ToolButton6Click(); // "拟合计算"

    PointTableView *StringGrid1; // common points: 点名, X, Y, 大地高, 正常高, 用途
    PointTableView *StringGrid2; // points to convert: 点名, X, Y, 大地高
    PointTableView *StringGrid3; // converted points
    PointTableView *StringGrid4; // residuals of the common points
    QComboBox *ComboModel;
    QLineEdit *EditLimit;        // the user's limit of the check points, mm
    QPlainTextEdit *MemoSummary;
};

} // namespace quorvil
