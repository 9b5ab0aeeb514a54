// The power-line plan and profile table: one row per surveyed point of the route with its
// coordinates, elevation and field notes. Computes chainage and spacing along the main line,
// fills a workbook from the template "PDMbook.xltx" and draws the plan-and-profile sheets into
// the drawing window.
#pragma once

#include "ui/ToolWindow.h"

class QStatusBar;

namespace quorvil {

class PointTableView;
class ResultFreshness;

class TFormDLXPDB : public ToolWindow {
    Q_OBJECT

public:
    explicit TFormDLXPDB(QWidget *owner);

private:
    void ToolButton1Click();  // "导入外业数据": name, X, Y, elevation
    void ToolButton2Click();  // "打开数据": all thirteen columns
    void ToolButton7Click();  // "按主线点坐标计算"
    void ToolButton8Click();  // "数据另存"
    void ToolButton9Click();  // "生成Excel表"
    void ToolButton10Click(); // "生成CAD图表"
    void ToolButton11Click(); // "设置"

    // Reads a file of `fieldCount` fields a line into the columns `targets`; the status bar
    // shows the file's name.
    void importInto(const QList<int> &targets);

    PointTableView *StringGrid1;
    QStatusBar *StatusBar1;
    ResultFreshness *m_results; // the chainage and spacing, from the coordinates and the angle points
};

} // namespace quorvil
