#include "TAboutBox.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvil {

QString TAboutBox::versionText()
{
    return QStringLiteral("文件版本:") + QStringLiteral(QUORVIL_VERSION);
}

TAboutBox::TAboutBox(QWidget *owner) : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("TAboutBox"));
    setWindowTitle(QStringLiteral("关于..."));
    setModal(true);

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setPixmap(QIcon(QStringLiteral(":/resources/icons/quorvil.svg")).pixmap(48, 48));
    auto *product = new QLabel(QStringLiteral("Quorvil软件"), this);
    product->setObjectName(QStringLiteral("ProductName"));
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    product->setFont(big);
    auto *comments = new QLabel(QStringLiteral("功能：各种形式的坐标转换、各种形式的导线计算（可以输出Word格式的计算表格）。"), this);
    comments->setObjectName(QStringLiteral("Comments"));
    comments->setWordWrap(true);
    auto *version = new QLabel(versionText(), this);
    version->setObjectName(QStringLiteral("FileVersion"));
    auto *licence = new QLabel(QStringLiteral("本软件是自由软件，按 GNU 通用公共许可证第3版或更高版本"
                                              "（GPL-3.0-or-later）发布，不提供任何担保。"),
                               this);
    licence->setObjectName(QStringLiteral("Licence"));
    licence->setWordWrap(true);

    auto *head = new QHBoxLayout;
    head->addWidget(icon, 0, Qt::AlignTop);
    auto *texts = new QVBoxLayout;
    texts->addWidget(product);
    texts->addWidget(version);
    head->addLayout(texts, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(comments);
    layout->addWidget(licence);
    layout->addWidget(buttons);
    setFixedWidth(303);
    setFixedHeight(sizeHint().height());
}

} // namespace quorvil
