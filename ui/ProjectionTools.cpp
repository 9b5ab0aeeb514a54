#include "ProjectionTools.h"

#include "Fields.h"
#include "PointTableModel.h"
#include "PointTableView.h"
#include "ResultFreshness.h"

#include <QBoxLayout>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>

#include <algorithm>
#include <vector>

namespace quorvil {

EllipsoidGroup *MakeGaussParameterGroup(QWidget *parent)
{
    auto *group = new EllipsoidGroup({}, parent);
    group->addField(QStringLiteral("中央子午线(dfm)"), QStringLiteral("EditLL"), QStringLiteral("0"));
    group->addField(QStringLiteral("Y坐标加常数(m)"), QStringLiteral("EditYY"), QStringLiteral("500000"));
    return group;
}

QGroupBox *MakeZoneGroup(const QString &title, const QString &meridianName, const QString &yConstantName,
                         QWidget *parent)
{
    auto *group = new QGroupBox(title, parent);
    auto *form = new QFormLayout(group);
    auto *meridian = new QLineEdit(QStringLiteral("0"), group);
    meridian->setObjectName(meridianName);
    auto *yConstant = new QLineEdit(QStringLiteral("500000"), group);
    yConstant->setObjectName(yConstantName);
    form->addRow(QStringLiteral("中央子午线(dms)"), meridian);
    form->addRow(QStringLiteral("Y坐标包含加常数(m)"), yConstant);
    return group;
}

void UseSingleBorder(QWidget *window, bool minimiseAndCloseOnly)
{
    if (minimiseAndCloseOnly)
        window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    window->setFixedSize(window->size().expandedTo(window->minimumSizeHint()));
}

int AngleColumnWidth(const PointTableView *table)
{
    return table->fontMetrics().horizontalAdvance(QStringLiteral("-180.0000000000")) + 14;
}

void ConvertRows(const PointTableModel &input, PointTableModel &result, const PointConversion &conversion)
{
    const int columns = conversion.resultColumns();
    const int fieldCount = conversion.inputFields();
    const int rows = input.rows();
    BusyCursor busy;
    // The new texts are gathered and handed to the table in one piece: a million rows written cell
    // by cell would make the view repaint a million times.
    std::vector<QString> cells(static_cast<size_t>(rows) * columns);
    std::vector<std::string> texts(static_cast<size_t>(fieldCount));
    std::vector<std::string_view> fields(static_cast<size_t>(fieldCount));
    std::vector<std::string> out(static_cast<size_t>(columns - 1));
    int done = 0;
    auto commit = [&] {
        // Rows not reached keep their old texts (a row the table did not have stays empty).
        for (int r = done; r < rows && r < result.rows(); ++r)
            for (int c = 0; c < columns; ++c)
                cells[static_cast<size_t>(r) * columns + c] = result.cell(r, c);
        result.replaceCells(rows, columns, std::move(cells));
    };
    try {
        for (; done < rows; ++done) {
            for (int c = 1; c < fieldCount; ++c) {
                texts[static_cast<size_t>(c)] = input.cell(done, c).toStdString();
                fields[static_cast<size_t>(c)] = texts[static_cast<size_t>(c)];
            }
            conversion.convert(fields, out);
            QString *row = &cells[static_cast<size_t>(done) * columns];
            row[0] = input.cell(done, 0);
            for (int c = 1; c < columns; ++c)
                row[c] = QString::fromUtf8(out[static_cast<size_t>(c - 1)]);
        }
    } catch (...) {
        commit();
        throw;
    }
    commit();
}

GaussToolWindow::GaussToolWindow(QWidget *owner, const QString &className, const QString &caption,
                                 const PointToolLayout &layout)
    : PointToolWindow(owner, className, caption, layout), m_parameters(MakeGaussParameterGroup(this))
{
    m_meridian = m_parameters->findChild<QLineEdit *>(QStringLiteral("EditLL"));
    m_yConstant = m_parameters->findChild<QLineEdit *>(QStringLiteral("EditYY"));
    parameterArea()->addWidget(m_parameters);
    parameterArea()->addStretch(1);
    results()->watch(m_parameters);
    // The coordinate columns start at 100 pixels, widened where the font needs more to show a
    // packed angle with its 10 decimals whole.
    for (PointTableView *table : {input(), result()}) {
        const int angleWidth = AngleColumnWidth(table);
        for (int column : {1, 2})
            table->setColumnWidth(column, std::max(table->columnWidth(column), angleWidth));
    }
    UseSingleBorder(this, true);
}

} // namespace quorvil
