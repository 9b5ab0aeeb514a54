// The settings dialog of the power-line table: the largest vertical exaggeration of the profile
// sketch, a whole number 1 to 50 held program-wide (not in the settings file).
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QSlider;

namespace quorvil {

// The program-wide ratio; every new table window sets it back to 10.
int &ProfileRatio();
inline constexpr int DefaultProfileRatio = 10;

class TFormDLXset : public QDialog {
    Q_OBJECT

public:
    explicit TFormDLXset(QWidget *parent = nullptr);

private:
    void TrackBar1Change(); // sets the ratio at once and shows it

    QLabel *Label1;
    QLineEdit *Edit1;  // the ratio, read-only
    QSlider *TrackBar1;
};

} // namespace quorvil
