#include "TFormJZBCL.h"

#include "core/FieldSurvey.h"
#include "core/FpGuard.h"
#include "core/TextForms.h"
#include "io/IniFile.h"
#include "io/PointFile.h"
#include "ui/CommandRunner.h"
#include "ui/Fields.h"
#include "ui/PointTableView.h"
#include "ui/Prompts.h"
#include "ui/ResultFreshness.h"
#include "ui/TableToolBars.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QToolBar>
#include <QVBoxLayout>

namespace quorvil {

namespace {

const QString Section = QStringLiteral("JZBCL");

// The three mode lists and the captions their choices give to the table.
const QStringList DistanceModes = {QStringLiteral("水平距(全站仪)"), QStringLiteral("斜距(半站仪)"),
                                   QStringLiteral("视距(经纬仪)")};
const QStringList DistanceCaptions = {QStringLiteral("水平距(m)"), QStringLiteral("斜距(m)"),
                                      QStringLiteral("(视距m)")};
const QStringList VerticalModes = {QStringLiteral("垂直距(全站仪)"), QStringLiteral("垂直角(全站仪/半站仪)"),
                                   QStringLiteral("天顶角(经纬仪)")};
const QStringList VerticalCaptions = {QStringLiteral("垂直距(m)"), QStringLiteral("垂直角(dms)"),
                                      QStringLiteral("天顶角(dms)")};
const QStringList OrientationModes = {QStringLiteral("后视方位角"), QStringLiteral("后视点坐标")};

// Table columns.
enum Column { ColName, ColCode, ColAngle, ColDistance, ColVertical, ColPrism, ColX, ColY, ColH, ColumnCount };
constexpr int ObservationColumns = 6; // name to prism height: what the record file keeps

const QString NinetyDegrees = QStringLiteral("90.0000");

FileDialogSpec CassDialog()
{
    return {QStringLiteral("另存为cass50坐标数据文件..."), QStringLiteral("Text files (*.dat)"), QStringLiteral("dat")};
}

QComboBox *ModeList(const QString &name, const QStringList &items, QWidget *parent)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(name);
    list->addItems(items);
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return list;
}

QLineEdit *HeaderField(const QString &name, QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setMinimumWidth(100);
    return field;
}

QLabel *Caption(const QString &text, QWidget *parent, Qt::Alignment align = Qt::AlignRight | Qt::AlignVCenter)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(align);
    return label;
}

// A list index as a mode; no selection (-1) or an unknown index works as the first mode.
DistanceMode DistanceModeOf(int index)
{
    return index == 1 ? DistanceMode::Slope : index == 2 ? DistanceMode::Stadia : DistanceMode::Horizontal;
}

VerticalMode VerticalModeOf(int index)
{
    return index == 1 ? VerticalMode::VerticalAngle
                      : index == 2 ? VerticalMode::ZenithAngle : VerticalMode::HeightDifference;
}

// Selects the item whose caption is exactly `caption` (trimmed); otherwise keeps the selection.
void SelectByCaption(QComboBox *list, const QString &caption)
{
    const int index = list->findText(caption.trimmed(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        list->setCurrentIndex(index);
}

} // namespace

TFormJZBCL::TFormJZBCL(QWidget *owner)
    : ToolWindow(owner, QStringLiteral("TFormJZBCL"), QStringLiteral("极坐标测量计算"))
{
    // Header panel: modes, station and orientation.
    auto *header = new QGroupBox(QStringLiteral("测站及定向"), this);
    header->setObjectName(QStringLiteral("Panel1"));
    auto *grid = new QGridLayout(header);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);

    ComboBox1 = ModeList(QStringLiteral("ComboBox1"), DistanceModes, header);
    ComboBox2 = ModeList(QStringLiteral("ComboBox2"), VerticalModes, header);
    ComboBox3 = ModeList(QStringLiteral("ComboBox3"), OrientationModes, header);
    Edit1 = HeaderField(QStringLiteral("Edit1"), header);
    Edit2 = HeaderField(QStringLiteral("Edit2"), header);
    Edit5 = HeaderField(QStringLiteral("Edit5"), header);
    Edit7 = HeaderField(QStringLiteral("Edit7"), header);
    Edit3 = HeaderField(QStringLiteral("Edit3"), header);
    Edit4 = HeaderField(QStringLiteral("Edit4"), header);
    Edit6 = HeaderField(QStringLiteral("Edit6"), header);
    Edit8 = HeaderField(QStringLiteral("Edit8"), header);
    Edit8->setText(QStringLiteral("0.0000"));

    auto *modes = new QHBoxLayout;
    modes->addWidget(new QLabel(QStringLiteral("测距方式"), header));
    modes->addWidget(ComboBox1);
    modes->addSpacing(20);
    modes->addWidget(new QLabel(QStringLiteral("竖角方式"), header));
    modes->addWidget(ComboBox2);
    modes->addStretch(1);
    grid->addLayout(modes, 0, 0, 1, 7);

    grid->addWidget(Caption(QStringLiteral("X"), header, Qt::AlignCenter), 1, 1);
    grid->addWidget(Caption(QStringLiteral("Y"), header, Qt::AlignCenter), 1, 2);
    grid->addWidget(Caption(QStringLiteral("H"), header, Qt::AlignCenter), 1, 3);

    grid->addWidget(Caption(QStringLiteral("测站点"), header), 2, 0);
    grid->addWidget(Edit1, 2, 1);
    grid->addWidget(Edit2, 2, 2);
    grid->addWidget(Edit5, 2, 3);
    grid->addWidget(Caption(QStringLiteral("仪器高(m)"), header), 2, 4);
    grid->addWidget(Edit7, 2, 5);

    grid->addWidget(Caption(QStringLiteral("后视点"), header), 3, 0);
    grid->addWidget(Edit3, 3, 1);
    grid->addWidget(Edit4, 3, 2);
    grid->addWidget(Caption(QStringLiteral("方位角(dms)"), header), 3, 4);
    grid->addWidget(Edit6, 3, 5);
    grid->addWidget(ComboBox3, 3, 6);

    grid->addWidget(Caption(QStringLiteral("后视点水平角(dms)"), header), 4, 4);
    grid->addWidget(Edit8, 4, 5);
    grid->setColumnStretch(7, 1);

    // The field book.
    StringGrid1 = new PointTableView({QStringLiteral("点号"), QStringLiteral("编码"), QStringLiteral("水平角(dms)"),
                                      DistanceCaptions.at(0), VerticalCaptions.at(0), QStringLiteral("棱镜高(m)"),
                                      QStringLiteral("纵坐标X"), QStringLiteral("横坐标Y"), QStringLiteral("高程H")},
                                     true, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->horizontalHeader()->setDefaultSectionSize(84);
    StringGrid1->setColumnWidths({56, 56});
    for (int column : {ColX, ColY, ColH})
        StringGrid1->setColumnWidth(column, 100);

    QToolBar *bar = MakeTextToolBar(this);
    AddCommand(bar, TableCaptions::Append, QStringLiteral("ToolButton1"), [this] { AppendClick(); });
    AddCommand(bar, TableCaptions::Insert, QStringLiteral("ToolButton2"), [this] { InsertClick(); });
    AddCommand(bar, QStringLiteral("记录导入"), QStringLiteral("ToolButton3"), [this] { RecordImportClick(); });
    AddCommand(bar, TableCaptions::Delete, QStringLiteral("ToolButton4"), [this] { StringGrid1->deleteRowAtCursor(); });
    AddCommand(bar, TableCaptions::Clear, QStringLiteral("ToolButton5"), [this] { StringGrid1->clearRows(1); });
    AddCommand(bar, QStringLiteral("记录另存"), QStringLiteral("ToolButton6"), [this] { RecordSaveClick(); });
    bar->addSeparator();
    m_results = new ResultFreshness(this, [this] { ComputeClick(); });
    AddCommand(bar, QStringLiteral("计算"), QStringLiteral("ToolButton7"), [this] { m_results->compute(); });
    bar->addSeparator();
    AddCommand(bar, QStringLiteral("另存为Cass格式"), QStringLiteral("ToolButton8"), [this] { CassSaveClick(); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(header);
    QGroupBox *book = MakeTableGroup(QStringLiteral("碎部点测量记录"), StringGrid1, bar, this);
    layout->addWidget(book, 1);
    resize(880, 560);
    m_results->watch(StringGrid1->table());
    m_results->watch(header);
    m_results->showIn(book, StringGrid1);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, [this] { ComboBox2Change(); });
    connect(ComboBox3, &QComboBox::currentIndexChanged, this, [this] { ComboBox3Change(); });

    FormCreate();
}

TFormJZBCL::~TFormJZBCL()
{
    RunCommand(nullptr, [this] { FormDestroy(); });
}

void TFormJZBCL::FormCreate()
{
    const IniFile ini(SettingsFilePath());
    ComboBox1->setCurrentIndex(ini.readInt(Section, QStringLiteral("CJFS"), 0));
    ComboBox2->setCurrentIndex(ini.readInt(Section, QStringLiteral("SJFS"), 0));
    ComboBox3->setCurrentIndex(ini.readInt(Section, QStringLiteral("DXFS"), 0));
    Edit3->setText(ini.readString(Section, QStringLiteral("hsX"), {}));
    Edit4->setText(ini.readString(Section, QStringLiteral("hsY"), {}));
    Edit6->setText(ini.readString(Section, QStringLiteral("hsANG"), {}));
    Edit1->setText(ini.readString(Section, QStringLiteral("czX"), {}));
    Edit2->setText(ini.readString(Section, QStringLiteral("czY"), {}));
    Edit5->setText(ini.readString(Section, QStringLiteral("czH"), {}));
    Edit7->setText(ini.readString(Section, QStringLiteral("yqH"), {}));
    ComboBox1Change();
    ComboBox2Change();
    ComboBox3Change();
}

void TFormJZBCL::FormDestroy()
{
    IniFile ini(SettingsFilePath());
    ini.writeInt(Section, QStringLiteral("CJFS"), ComboBox1->currentIndex());
    ini.writeInt(Section, QStringLiteral("SJFS"), ComboBox2->currentIndex());
    ini.writeInt(Section, QStringLiteral("DXFS"), ComboBox3->currentIndex());
    ini.writeString(Section, QStringLiteral("hsX"), Edit3->text());
    ini.writeString(Section, QStringLiteral("hsY"), Edit4->text());
    ini.writeString(Section, QStringLiteral("hsANG"), Edit6->text());
    ini.writeString(Section, QStringLiteral("czX"), Edit1->text());
    ini.writeString(Section, QStringLiteral("czY"), Edit2->text());
    ini.writeString(Section, QStringLiteral("czH"), Edit5->text());
    ini.writeString(Section, QStringLiteral("yqH"), Edit7->text());
    ini.save();
}

void TFormJZBCL::ComboBox1Change()
{
    const int mode = ComboBox1->currentIndex();
    if (mode >= 0 && mode < DistanceCaptions.size())
        StringGrid1->table()->setCaption(ColDistance, DistanceCaptions.at(mode));
}

void TFormJZBCL::ComboBox2Change()
{
    const int mode = ComboBox2->currentIndex();
    if (mode >= 0 && mode < VerticalCaptions.size())
        StringGrid1->table()->setCaption(ColVertical, VerticalCaptions.at(mode));
}

void TFormJZBCL::ComboBox3Change()
{
    // Mode 1 computes the azimuth from the backsight point and shows it; mode 0 takes it as typed.
    const bool fromPoint = ComboBox3->currentIndex() == 1;
    Edit3->setVisible(fromPoint);
    Edit4->setVisible(fromPoint);
    Edit6->setEnabled(ComboBox3->currentIndex() == 0);
}

void TFormJZBCL::AppendClick()
{
    PointTableModel *table = StringGrid1->table();
    StringGrid1->appendRow();
    const int row = table->rows() - 1;
    if (row > 0)
        table->setCell(row, ColPrism, table->cell(row - 1, ColPrism));
}

void TFormJZBCL::InsertClick()
{
    PointTableModel *table = StringGrid1->table();
    const int row = StringGrid1->currentDataRow();
    if (row < 0)
        return;
    StringGrid1->insertRowAtCursor();
    const int mode = ComboBox2->currentIndex();
    if (mode == 1 || mode == 2)
        table->setCell(row, ColVertical, NinetyDegrees);
    table->setCell(row, ColPrism, table->cell(row + 1, ColPrism));
}

void TFormJZBCL::ComputeClick()
{
    FpGuard guard;
    PointTableModel *table = StringGrid1->table();
    PolarStation station;
    station.x = FieldNumber(Edit1);
    station.y = FieldNumber(Edit2);
    station.h = FieldNumber(Edit5);
    station.instrumentHeight = FieldNumber(Edit7);
    const Real backsightReading = DegToRad(FieldDegrees(Edit8));

    Real backsightBearing;
    if (ComboBox3->currentIndex() == 1) {
        const Real xb = FieldNumber(Edit3);
        const Real yb = FieldNumber(Edit4);
        backsightBearing = Azimuth(station.x, station.y, xb, yb);
        const Real packed = DegToDms(RadToDeg(backsightBearing));
        guard.check(packed);
        Edit6->setText(NumberText(6, packed));
    } else {
        backsightBearing = DegToRad(FieldDegrees(Edit6));
    }
    station.orientation = CircleOrientation(backsightBearing, backsightReading);

    const DistanceMode distanceMode = DistanceModeOf(ComboBox1->currentIndex());
    const VerticalMode verticalMode = VerticalModeOf(ComboBox2->currentIndex());
    BusyCursor busy;
    for (int row = 0; row < table->rows(); ++row) {
        PolarObservation observation;
        observation.circleReading = CellNumber(table, row, ColAngle);
        observation.distance = CellNumber(table, row, ColDistance);
        observation.vertical = CellNumber(table, row, ColVertical);
        observation.prismHeight = CellNumber(table, row, ColPrism);
        const PolarPoint point = ReducePolarObservation(station, distanceMode, verticalMode, observation, row + 1,
                                                        table->cell(row, ColName).toStdString());
        guard.check(point.x, point.y, point.h);
        table->setCell(row, ColX, NumberText(3, point.x));
        table->setCell(row, ColY, NumberText(3, point.y));
        table->setCell(row, ColH, NumberText(3, point.h));
    }
}

void TFormJZBCL::RecordSaveClick()
{
    const QString path = AskSaveFileName(this, SavePointsDialog());
    if (path.isEmpty())
        return;
    const PointTableModel *table = StringGrid1->table();
    QStringList lines;
    lines.reserve(table->rows() + 3);
    lines << QStringList{ComboBox1->currentText(), ComboBox2->currentText(), ComboBox3->currentText()}.join(u',')
          << QStringList{Edit3->text(), Edit4->text(), Edit6->text(), ComboBox3->currentText()}.join(u',')
          << QStringList{Edit1->text(), Edit2->text(), Edit5->text(), Edit7->text()}.join(u',');
    for (int row = 0; row < table->rows(); ++row)
        lines << table->rowTexts(row).mid(0, ObservationColumns).join(u',');
    BusyCursor busy;
    WriteTextLines(path, lines);
}

void TFormJZBCL::RecordImportClick()
{
    const QString path = Prompts::instance().openFileName(this, OpenPointsDialog());
    if (path.isEmpty())
        return;
    BusyCursor busy;
    // The whole file is read before anything changes; a record shorter than its three header
    // lines reads the missing ones as empty.
    const QStringList lines = ReadTextLines(path);
    const QString none;
    const QStringList modes = SplitFields(lines.value(0), 3, none);
    const QStringList backsight = SplitFields(lines.value(1), 4, none);
    const QStringList station = SplitFields(lines.value(2), 4, none);
    QList<QStringList> rows;
    rows.reserve(std::max<qsizetype>(lines.size() - 3, 0));
    for (qsizetype i = 3; i < lines.size(); ++i)
        rows.append(SplitFields(lines.at(i), ObservationColumns, none));

    SelectByCaption(ComboBox1, modes.at(0));
    SelectByCaption(ComboBox2, modes.at(1));
    SelectByCaption(ComboBox3, modes.at(2));
    ComboBox1Change();
    ComboBox2Change();
    ComboBox3Change();
    Edit3->setText(backsight.at(0));
    Edit4->setText(backsight.at(1));
    Edit6->setText(backsight.at(2));
    Edit1->setText(station.at(0));
    Edit2->setText(station.at(1));
    Edit5->setText(station.at(2));
    Edit7->setText(station.at(3));
    StringGrid1->table()->replaceRows(rows);
    StringGrid1->setCurrentDataRow(StringGrid1->table()->rows() - 1);
}

void TFormJZBCL::CassSaveClick()
{
    if (!m_results->confirmSave())
        return;
    const QString path = AskSaveFileName(this, CassDialog());
    if (path.isEmpty())
        return;
    const PointTableModel *table = StringGrid1->table();
    QStringList lines;
    lines.reserve(table->rows());
    // CASS point lines: name, code, easting before northing, height.
    for (int row = 0; row < table->rows(); ++row)
        lines << QStringList{table->cell(row, ColName), table->cell(row, ColCode), table->cell(row, ColY),
                             table->cell(row, ColX), table->cell(row, ColH)}
                     .join(u',');
    BusyCursor busy;
    WriteTextLines(path, lines);
}

} // namespace quorvil
