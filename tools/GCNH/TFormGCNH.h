// GNSS height fitting: a surface of the height anomaly fitted to levelled common points, its
// accuracy checked, and normal heights for the GNSS points to convert.
#pragma once

#include "ui/ToolWindow.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace quorvil {

class PointTableView;
class ResultFreshness;

class TFormGCNH : public ToolWindow {
    Q_OBJECT

public:
    explicit TFormGCNH(QWidget *owner);

private:
    void ToolButton6Click(); // "拟合计算"

    PointTableView *StringGrid1; // common points: 点名, X(m), Y(m), 大地高(m), 正常高(m), 用途
    PointTableView *StringGrid2; // points to convert: 点名, X(m), Y(m), 大地高(m)
    PointTableView *StringGrid3; // converted points
    PointTableView *StringGrid4; // residuals of the common points
    QComboBox *ComboModel;
    QLineEdit *EditLimit;        // the user's limit of the check points, mm
    QPlainTextEdit *MemoSummary;
    ResultFreshness *m_results; // the report and both result tables, from the inputs and the model
};

} // namespace quorvil
