// The About box: product name, what the program does and the version compiled in.
#pragma once

#include <QDialog>

namespace quorvil {

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget *owner = nullptr);

    static QString versionText();
};

} // namespace quorvil
