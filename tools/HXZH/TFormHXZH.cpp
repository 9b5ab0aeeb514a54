#include "TFormHXZH.h"

#include "core/WebMap.h"
#include "ui/PointTableModel.h"
#include "ui/PointTableView.h"
#include "ui/ResultFreshness.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

namespace quorvil {

const QStringList TFormHXZH::DatumCaptions = {QStringLiteral("WGS84/CGCS2000"), QStringLiteral("GCJ-02"),
                                              QStringLiteral("BD-09")};

namespace {

PointToolLayout Layout()
{
    PointToolLayout layout;
    layout.inputCaption = QStringLiteral("原坐标(经度,纬度)");
    layout.inputColumns = {QStringLiteral("点名"), QStringLiteral("经度(°)"), QStringLiteral("纬度(°)")};
    layout.resultCaption = QStringLiteral("转换结果");
    layout.resultColumns = {QStringLiteral("点名"), QStringLiteral("经度(°)"), QStringLiteral("纬度(°)"), QStringLiteral("说明")};
    layout.columnWidths = {60, 100, 100, 90};
    return layout;
}

QComboBox *DatumList(const QString &name, int current, QWidget *parent)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(name);
    list->addItems(TFormHXZH::DatumCaptions);
    list->setCurrentIndex(current);
    return list;
}

// Widens the angle and note columns to what the font needs and makes the table wide enough to show
// all its columns beside its row numbers and vertical scroll bar.
void FitColumns(PointTableView *table)
{
    const QFontMetrics metrics = table->fontMetrics();
    const int angleWidth = AngleColumnWidth(table);
    const int noteWidth = metrics.horizontalAdvance(QString::fromUtf8(WebMapConversion::OutsideChinaNote)) + 14;
    const int columns = table->table()->columns();
    int total = 0;
    for (int c = 0; c < columns; ++c) {
        const int needed = c == 1 || c == 2 ? angleWidth : c == 3 ? noteWidth : 0;
        table->setColumnWidth(c, std::max({table->columnWidth(c), needed, table->horizontalHeader()->sectionSizeHint(c)}));
        total += table->columnWidth(c);
    }
    const int rowNumbers = std::max(table->verticalHeader()->minimumWidth(), metrics.horizontalAdvance(QStringLiteral("0000")) + 8);
    table->setMinimumWidth(total + rowNumbers + table->style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                           2 * table->frameWidth() + 4);
}

} // namespace

TFormHXZH::TFormHXZH(QWidget *owner)
    : PointToolWindow(owner, QStringLiteral("TFormHXZH"), QStringLiteral("互联网地图坐标转换"), Layout())
{
    auto *group = new QGroupBox(QStringLiteral("坐标系"), this);
    auto *row = new QHBoxLayout(group);
    ComboFrom = DatumList(QStringLiteral("ComboFrom"), static_cast<int>(WebMapDatum::Gcj02), group);
    ComboTo = DatumList(QStringLiteral("ComboTo"), static_cast<int>(WebMapDatum::Wgs84), group);
    CheckDms = new QCheckBox(QStringLiteral("度分秒(ddd.mmss)"), group);
    CheckDms->setObjectName(QStringLiteral("CheckDms"));
    CheckDms->setToolTip(QStringLiteral("不选：经纬度为十进制度，结果 9 位小数"));
    row->addWidget(new QLabel(QStringLiteral("原坐标系"), group));
    row->addWidget(ComboFrom);
    row->addSpacing(12);
    row->addWidget(new QLabel(QStringLiteral("目标坐标系"), group));
    row->addWidget(ComboTo);
    row->addSpacing(24);
    row->addWidget(CheckDms);
    row->addStretch(1);
    parameterArea()->addWidget(group, 1);
    results()->watch(group);
    // The angle columns carry the unit the check box chooses.
    connect(CheckDms, &QCheckBox::toggled, this, [this](bool dms) {
        const QString unit = dms ? QStringLiteral("(dms)") : QStringLiteral("(°)");
        for (PointTableView *table : {input(), result()}) {
            table->table()->setCaption(1, QStringLiteral("经度") + unit);
            table->table()->setCaption(2, QStringLiteral("纬度") + unit);
        }
    });

    auto *note = new QLabel(QStringLiteral("GCJ-02、BD-09 是互联网地图的坐标，只用于与地图和手机应用交换点位，不是测量成果坐标。"),
                            this);
    note->setObjectName(QStringLiteral("LabelNote"));
    note->setWordWrap(true);
    note->setStyleSheet(QStringLiteral("color: #6a6f78;"));
    if (auto *main = qobject_cast<QBoxLayout *>(layout()))
        main->addWidget(note);

    FitColumns(input());
    FitColumns(result());
    // Each table group as wide as its table needs.
    tableArea()->setStretch(0, input()->minimumWidth());
    tableArea()->setStretch(1, result()->minimumWidth());
    resize(std::max(width(), minimumSizeHint().width()), 520);
    UseSingleBorder(this, true);
}

void TFormHXZH::compute()
{
    FpGuard guard;
    const auto from = static_cast<WebMapDatum>(ComboFrom->currentIndex());
    const auto to = static_cast<WebMapDatum>(ComboTo->currentIndex());
    ConvertRows(*input()->table(), *result()->table(), WebMapConversion(from, to, CheckDms->isChecked()));
}

} // namespace quorvil
