// Pieces shared by the projection tools (Gauss forward and inverse, zone change, compensation
// plane): their parameter groups and the row-by-row computation of a point table into a result
// table of point name and two values.
#pragma once

#include "EllipsoidGroup.h"
#include "PointToolWindow.h"

#include "core/FpGuard.h"
#include "core/PointConversions.h"
#include "core/Real.h"

class QGroupBox;
class QLineEdit;

namespace quorvil {

class PointTableModel;
class PointTableView;

// Captions of the point tables of the projection tools.
namespace ProjectionCaptions {
inline const QString Geodetic = QStringLiteral("地理坐标(B,L)");
inline const QString Plane = QStringLiteral("平面坐标(x,y)");
inline const QStringList GeodeticColumns = {QStringLiteral("点号"), QStringLiteral("纬度B(dms)"),
                                            QStringLiteral("经度L(dms)")};
inline const QStringList PlaneColumns = {QStringLiteral("点号"), QStringLiteral("纵坐标x(m)"),
                                         QStringLiteral("横坐标y(m)")};
} // namespace ProjectionCaptions

// The "参考椭球及坐标系参数设置" group of the Gauss tools: "坐标系", "a=", "b=", then
// "中央子午线(dfm)" (EditLL, "0") and "Y坐标加常数(m)" (EditYY, "500000").
EllipsoidGroup *MakeGaussParameterGroup(QWidget *parent);

// A zone group of the zone-change tool: "中央子午线(dms)" and "Y坐标包含加常数(m)" in the fields
// named `meridianName` ("0") and `yConstantName` ("500000").
QGroupBox *MakeZoneGroup(const QString &title, const QString &meridianName, const QString &yConstantName,
                         QWidget *parent);

// A window with a single (fixed) border at its present size; with `minimiseAndCloseOnly` its
// title bar offers only the minimise and close boxes.
void UseSingleBorder(QWidget *window, bool minimiseAndCloseOnly);

// The width a coordinate column needs in `table`'s font to show a packed angle with its 10
// decimals whole.
int AngleColumnWidth(const PointTableView *table);

// Gives `result` as many rows as `input` and converts every input row, empty rows included, into
// the same result row: the input's point name, then the texts `conversion` gives. An error ends
// the loop at its row: rows before it keep their new results, the rest keep what they had. The
// caller's floating-point guard, created before anything of the command was computed, stays in
// force (the conversion checks under it).
void ConvertRows(const PointTableModel &input, PointTableModel &result, const PointConversion &conversion);

// The Gauss forward and inverse tools: the point-tool layout with the parameter group under the
// tables.
class GaussToolWindow : public PointToolWindow {
    Q_OBJECT

public:
    GaussToolWindow(QWidget *owner, const QString &className, const QString &caption, const PointToolLayout &layout);

protected:
    EllipsoidGroup *parameters() const { return m_parameters; }
    QLineEdit *centralMeridianField() const { return m_meridian; }
    QLineEdit *yConstantField() const { return m_yConstant; }

private:
    EllipsoidGroup *m_parameters;
    QLineEdit *m_meridian;
    QLineEdit *m_yConstant;
};

} // namespace quorvil
