// The polar-survey field book: detail points observed from one station (horizontal circle
// reading, distance, vertical observation, prism height) reduced to X, Y and H. Keeps its own
// record file, writes a CASS coordinate file and remembers its header in the settings section
// "JZBCL" (read when the window is created, written when it is destroyed).
#pragma once

#include "ui/ToolWindow.h"

class QComboBox;
class QLineEdit;
class QToolBar;

namespace quorvil {

class PointTableView;
class ResultFreshness;

class TFormJZBCL : public ToolWindow {
    Q_OBJECT

public:
    explicit TFormJZBCL(QWidget *owner);
    ~TFormJZBCL() override; // FormDestroy: writes the settings section

private:
    void FormCreate(); // reads the settings section
    void FormDestroy();

    void ComboBox1Change(); // distance mode: caption of column 3
    void ComboBox2Change(); // vertical mode: caption of column 4
    void ComboBox3Change(); // orientation mode: backsight point or typed azimuth

    void AppendClick();
    void InsertClick();
    void RecordImportClick();
    void RecordSaveClick();
    void ComputeClick();
    void CassSaveClick();

    QComboBox *ComboBox1; // "测距方式"
    QComboBox *ComboBox2; // "竖角方式"
    QComboBox *ComboBox3; // orientation mode
    QLineEdit *Edit1;     // station X
    QLineEdit *Edit2;     // station Y
    QLineEdit *Edit5;     // station H
    QLineEdit *Edit7;     // instrument height
    QLineEdit *Edit3;     // backsight X
    QLineEdit *Edit4;     // backsight Y
    QLineEdit *Edit6;     // backsight azimuth, ddd.mmss
    QLineEdit *Edit8;     // circle reading on the backsight, ddd.mmss
    PointTableView *StringGrid1;
    ResultFreshness *m_results; // the X, Y, H columns, from the station and the observations
};

} // namespace quorvil
