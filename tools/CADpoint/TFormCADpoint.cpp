#include "TFormCADpoint.h"

#include "io/PointFile.h"
#include "ui/CommandRunner.h"
#include "ui/DrawingCommands.h"
#include "ui/Fields.h"
#include "ui/PointTableView.h"
#include "ui/Prompts.h"
#include "ui/TableToolBars.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QToolBar>
#include <QVBoxLayout>

namespace quorvil {

namespace {

enum Column { ColName, ColX, ColY, ColH };

// Numbers are listed right-aligned in fields of these widths.
constexpr int WidthX = 11;
constexpr int WidthY = 12;
constexpr int WidthH = 8;

FileDialogSpec StakeOutDialog()
{
    return {PromptTexts::SavePointsTitle, QStringLiteral("Text files (*.ptb)"), QStringLiteral("ptb")};
}

QString Padded(Real value, int width) { return NumberText(3, value).rightJustified(width, u' '); }

} // namespace

TFormCADpoint::TFormCADpoint(QWidget *owner)
    : ToolWindow(owner, QStringLiteral("TFormCADpoint"), QStringLiteral("由CAD获取的点坐标数据"))
{
    StringGrid1 = new PointTableView({QStringLiteral("点号"), QStringLiteral("纵坐标X"), QStringLiteral("横坐标Y"),
                                      QStringLiteral("高程H")},
                                     false, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    // A fixed-pitch font keeps the right-aligned numbers in line.
    StringGrid1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    StringGrid1->setColumnWidths({90, 120, 130, 90});
    StringGrid1->horizontalHeader()->setStretchLastSection(true);

    QToolBar *bar = MakeTextToolBar(this);
    AddCommand(bar, TableCaptions::SaveAs, QStringLiteral("Button1"), [this] { SaveClick(FileForm::Plain); });
    AddCommand(bar, TableCaptions::Delete, QStringLiteral("Button2"), [this] { DeleteClick(); });
    AddCommand(bar, TableCaptions::Clear, QStringLiteral("Button3"), [this] { ClearClick(); });
    bar->addSeparator();
    AddCommand(bar, QStringLiteral("CAD取点"), QStringLiteral("Button8"), [this] { Button8Click(); });
    bar->addSeparator();
    AddCommand(bar, QStringLiteral("另存为南方RTK放样文件"), QStringLiteral("Button4"),
               [this] { SaveClick(FileForm::SouthRtk); });
    AddCommand(bar, QStringLiteral("另存为TOPCON放样文件"), QStringLiteral("Button5"),
               [this] { SaveClick(FileForm::Topcon); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(StringGrid1, 1);
    layout->addWidget(bar);
    resize(560, 420);
}

int TFormCADpoint::pointCount() const
{
    const PointTableModel *table = StringGrid1->table();
    return table->rows() == 1 && table->cell(0, ColName).isEmpty() ? 0 : table->rows();
}

void TFormCADpoint::Button8Click()
{
    CadSession *cad = AttachCad(this);
    if (!cad)
        return;
    PointTableModel *table = StringGrid1->table();
    CapturePoints(*cad, [this, table](const QString &name, const CadPoint &p) {
        if (pointCount() > 0)
            table->appendRow();
        const int row = table->rows() - 1;
        // Survey X is the drawing's north (its Y), survey Y its east.
        table->setRowTexts(row, {name, Padded(p.y, WidthX), Padded(p.x, WidthY), Padded(p.z, WidthH)});
        StringGrid1->setCurrentDataRow(row);
    });
}

void TFormCADpoint::DeleteClick()
{
    if (pointCount() > 0)
        StringGrid1->deleteRowAtCursor();
}

void TFormCADpoint::ClearClick() { StringGrid1->clearRows(1); }

void TFormCADpoint::SaveClick(FileForm form)
{
    const QString path = AskSaveFileName(this, form == FileForm::SouthRtk ? StakeOutDialog() : SavePointsDialog());
    if (path.isEmpty())
        return;
    const PointTableModel *table = StringGrid1->table();
    LineWriter out;
    for (int row = 0; row < pointCount(); ++row) {
        const QString name = table->cell(row, ColName).trimmed();
        const QString x = table->cell(row, ColX).trimmed();
        const QString y = table->cell(row, ColY).trimmed();
        const QString h = table->cell(row, ColH).trimmed();
        switch (form) {
        case FileForm::Plain:
            out.addLine(QStringList{name, x, y, h}.join(u','));
            break;
        case FileForm::SouthRtk:
            out.addLine(QStringList{QStringLiteral("0"), name, x, y, h, QStringLiteral("0,")}.join(u','));
            break;
        case FileForm::Topcon:
            out.addLine(QStringList{name, y, x, h}.join(u','));
            break;
        }
    }
    BusyCursor busy;
    out.write(path);
}

} // namespace quorvil
