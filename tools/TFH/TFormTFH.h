// The 1:10,000 map sheet holding a point, with its eight neighbours, in the new or the old
// national numbering. The point comes from longitude and latitude, from plane coordinates (typed
// or picked in the drawing window) or from a sheet number of either numbering, which converts
// numbers between the numberings. Remembers its settings in the section "TFHJS".
#pragma once

#include "core/MapSheet.h"
#include "ui/ToolWindow.h"

#include <array>

class QComboBox;
class QLineEdit;
class QRadioButton;
class QTabWidget;

namespace quorvil {

class EllipsoidGroup;

class TFormTFH : public ToolWindow {
    Q_OBJECT

public:
    explicit TFormTFH(QWidget *owner);
    ~TFormTFH() override; // FormDestroy: writes the settings section

private:
    void FormCreate();
    void FormDestroy();
    void Button4Click(); // from longitude and latitude
    void Button1Click(); // pick the point in the drawing window
    void Button2Click(); // from plane coordinates
    void Button3Click(); // from a sheet number

    // Fills the nine fields with the sheet of the point and its neighbours, or changes nothing
    // when the point has no sheet number (the error says why).
    void showSheets(const SheetPoint &point);

    std::array<QLineEdit *, 9> m_sheets{}; // Edit1 ... Edit9, north-west to south-east
    QRadioButton *RadioButton1;            // output in the new numbering
    QRadioButton *RadioButton2;
    QTabWidget *m_pages;
    QLineEdit *EditE;
    QLineEdit *EditN;
    QLineEdit *EditX;
    QLineEdit *EditY;
    QLineEdit *EditXX;
    QLineEdit *EditYY;
    EllipsoidGroup *m_system; // ComboBox1, EditA, EditB
    QComboBox *ComboBox2;     // "投影带"
    QLineEdit *EditT;
    QRadioButton *RadioButton3; // input in the old numbering
    QRadioButton *RadioButton4;
};

} // namespace quorvil
