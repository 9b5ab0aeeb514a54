#include "TFormDLXPDB.h"

#include "TFormDLXset.h"

#include "cad/CadSession.h"
#include "cad/PowerLineSheets.h"
#include "core/FpGuard.h"
#include "core/PowerLine.h"
#include "io/PointFile.h"
#include "io/PowerLineOutput.h"
#include "io/ProgramFiles.h"
#include "ui/CadAttach.h"
#include "ui/Fields.h"
#include "ui/PointTableView.h"
#include "ui/Prompts.h"
#include "ui/ResultFreshness.h"
#include "ui/TableToolBars.h"

#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace quorvil {

namespace {

const QStringList Captions = {QStringLiteral("点名"),     QStringLiteral("X坐标"),    QStringLiteral("Y坐标"),
                              QStringLiteral("累距"),     QStringLiteral("间距"),     QStringLiteral("高程"),
                              QStringLiteral("地面情况"), QStringLiteral("地上情况"), QStringLiteral("地物转角"),
                              QStringLiteral("路线转角"), QStringLiteral("横断左"),   QStringLiteral("横断右"),
                              QStringLiteral("备注")};
constexpr int StartingRows = 3;

const QString ExcelWorking = QStringLiteral("正在生成Excel表...");
const QString ExcelDone = QStringLiteral("Excel表生成完毕！");
const QString CadWorking = QStringLiteral("正在绘制CAD图表...");
const QString CadDone = QStringLiteral("CAD图表绘制完毕！");

FileDialogSpec WorkbookDialog()
{
    return {PromptTexts::SavePointsTitle, PromptTexts::XlsxFilter, QStringLiteral("xlsx")};
}

// A progress text in the status bar for the length of a command; if the command ends with an
// error, the text shown before comes back.
class StatusDuring {
public:
    StatusDuring(QStatusBar *bar, const QString &working)
        : m_bar(bar), m_before(bar->currentMessage()), m_exceptions(std::uncaught_exceptions())
    {
        m_bar->showMessage(working);
    }
    ~StatusDuring()
    {
        if (std::uncaught_exceptions() > m_exceptions)
            m_bar->showMessage(m_before);
    }
    void done(const QString &text) { m_bar->showMessage(text); }

private:
    QStatusBar *m_bar;
    QString m_before;
    int m_exceptions;
};

QList<QStringList> DataRows(const PointTableModel *table)
{
    QList<QStringList> rows;
    rows.reserve(table->rows());
    for (int r = 0; r < table->rows(); ++r)
        rows.append(table->rowTexts(r));
    return rows;
}

} // namespace

TFormDLXPDB::TFormDLXPDB(QWidget *owner)
    : ToolWindow(owner, QStringLiteral("TFormDLXPDB"), QStringLiteral("电力线平纵断面编辑表"))
{
    ProfileRatio() = DefaultProfileRatio;

    StringGrid1 = new PointTableView(Captions, true, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    // The starting widths, widened where a caption or a full coordinate would not show whole.
    StringGrid1->setColumnWidths({30, 70, 70, 60, 60, 50, 54, 50, 50, 50, 50, 50, 50});
    QHeaderView *header = StringGrid1->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    const int coordinateWidth = StringGrid1->fontMetrics().horizontalAdvance(QStringLiteral("3000000.000")) + 12;
    for (int c = 0; c < PowerLineColumnCount; ++c) {
        int width = std::max(StringGrid1->columnWidth(c), header->sectionSizeHint(c));
        if (c == PlX || c == PlY)
            width = std::max(width, coordinateWidth);
        StringGrid1->setColumnWidth(c, width);
    }
    header->setStretchLastSection(true);
    StringGrid1->table()->setRowCount(StartingRows);

    QToolBar *bar = MakeTextToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    AddCommand(bar, QStringLiteral("导入外业数据"), QStringLiteral("ToolButton1"), [this] { ToolButton1Click(); });
    AddCommand(bar, QStringLiteral("打开数据"), QStringLiteral("ToolButton2"), [this] { ToolButton2Click(); });
    bar->addSeparator();
    AddCommand(bar, QStringLiteral("添加"), QStringLiteral("ToolButton3"), [this] { StringGrid1->appendRow(); });
    AddCommand(bar, QStringLiteral("插入"), QStringLiteral("ToolButton4"), [this] { StringGrid1->insertRowAtCursor(); });
    AddCommand(bar, QStringLiteral("删除"), QStringLiteral("ToolButton5"), [this] { StringGrid1->deleteRowAtCursor(); });
    AddCommand(bar, QStringLiteral("清空"), QStringLiteral("ToolButton6"), [this] { StringGrid1->clearRows(StartingRows); });
    bar->addSeparator();
    m_results = new ResultFreshness(this, [this] { ToolButton7Click(); });
    AddCommand(bar, QStringLiteral("按主线点坐标计算"), QStringLiteral("ToolButton7"), [this] { m_results->compute(); });
    AddCommand(bar, TableCaptions::SaveAs, QStringLiteral("ToolButton8"), [this] { ToolButton8Click(); });
    bar->addSeparator();
    AddCommand(bar, QStringLiteral("生成Excel表"), QStringLiteral("ToolButton9"), [this] { ToolButton9Click(); });
    AddCommand(bar, QStringLiteral("生成CAD图表"), QStringLiteral("ToolButton10"), [this] { ToolButton10Click(); });
    bar->addSeparator();
    AddCommand(bar, QStringLiteral("设置"), QStringLiteral("ToolButton11"), [this] { ToolButton11Click(); });

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    // The descriptions typed after the chainage leave it as it is: only the coordinates and the
    // angle points in the remarks count.
    m_results->watch(StringGrid1->table(), {PlX, PlY, PlRemark});
    StatusBar1->addPermanentWidget(m_results->makeNotice(StatusBar1));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 0);
    layout->setSpacing(2);
    layout->addWidget(bar);
    layout->addWidget(StringGrid1, 1);
    layout->addWidget(StatusBar1);
    resize(900, 520);
}

void TFormDLXPDB::importInto(const QList<int> &targets)
{
    const QString path = Prompts::instance().openFileName(this, OpenPointsDialog());
    if (path.isEmpty())
        return;
    BusyCursor busy;
    // The file is read whole before the table changes.
    const int fields = int(targets.size());
    PointCells read = ReadPointCells(path, fields);
    PointTableModel *table = StringGrid1->table();
    const int columns = table->columns();
    std::vector<QString> cells(std::size_t(read.rows) * columns);
    for (int r = 0; r < read.rows; ++r)
        for (int f = 0; f < fields; ++f)
            cells[std::size_t(r) * columns + targets[f]] = std::move(read.cells[std::size_t(r) * fields + f]);
    table->replaceCells(read.rows, columns, std::move(cells));
    StringGrid1->setCurrentDataRow(table->rows() - 1);
    StatusBar1->showMessage(path);
}

void TFormDLXPDB::ToolButton1Click() { importInto({PlName, PlX, PlY, PlElevation}); }

void TFormDLXPDB::ToolButton2Click()
{
    QList<int> all;
    for (int c = 0; c < PowerLineColumnCount; ++c)
        all.append(c);
    importInto(all);
}

void TFormDLXPDB::ToolButton7Click()
{
    PointTableModel *table = StringGrid1->table();
    std::vector<RouteStation> stations(std::size_t(table->rows()));
    for (int r = 0; r < table->rows(); ++r) {
        stations[r].x = CellNumber(table, r, PlX);
        stations[r].y = CellNumber(table, r, PlY);
        stations[r].anglePoint = IsAnglePointRemark(table->cell(r, PlRemark).toStdString());
    }
    BusyCursor busy;
    FpGuard guard;
    const ChainageTexts texts = MainLineChainage(stations);
    guard.check();
    for (int r = 0; r < table->rows(); ++r) {
        table->setCell(r, PlChainage, QString::fromStdString(texts.chainage[r]));
        table->setCell(r, PlSpacing, QString::fromStdString(texts.spacing[r]));
    }
}

void TFormDLXPDB::ToolButton8Click()
{
    if (m_results->confirmSave())
        StringGrid1->saveFile(SavePointsDialog());
}

void TFormDLXPDB::ToolButton9Click()
{
    if (!m_results->confirmSave())
        return;
    const QString path = AskSaveFileName(this, WorkbookDialog());
    if (path.isEmpty())
        return;
    BusyCursor busy;
    StatusDuring status(StatusBar1, ExcelWorking);
    WritePowerLineWorkbook(ProgramFile(PowerLineTemplateName), DataRows(StringGrid1->table()), path);
    status.done(ExcelDone);
}

void TFormDLXPDB::ToolButton10Click()
{
    if (!m_results->confirmSave(QStringLiteral("绘图")))
        return;
    CadSession *session = AttachCad(this);
    if (!session)
        return;
    BusyCursor busy;
    StatusDuring status(StatusBar1, CadWorking);
    // The whole set is laid out and checked before the first entity is drawn.
    FpGuard guard;
    const std::vector<SheetEntity> entities = PlanProfileSheets(SheetRows(DataRows(StringGrid1->table())), ProfileRatio());
    guard.check();
    DrawPowerLineSheets(*session, entities, ProgramFile(PowerLineSheetName));
    status.done(CadDone);
}

void TFormDLXPDB::ToolButton11Click()
{
    TFormDLXset dialog(this);
    dialog.exec();
}

} // namespace quorvil
