// The datum transformation window shared by the four tools that carry plane or geodetic
// coordinates with heights from one ellipsoid to another: two ellipsoid groups side by side, the
// common-point table with the seven-parameter panel "空间坐标转换参数", and the input and result
// tables. A tool is this window with its own sides (plane or geodetic), fields and captions.
// The residuals of the common points and the converted points each say when what they were
// computed from has changed since ("数据已修改，请重新计算").
#pragma once

#include "ToolWindow.h"

#include "core/DatumConversion.h"

#include <QHash>
#include <QList>
#include <QStringList>

class QLineEdit;
class QGroupBox;

namespace quorvil {

class EllipsoidGroup;
class PointTableView;
class ResultFreshness;

// An edit field added to an ellipsoid group under a, b.
struct DatumFieldLayout {
    QString caption;
    QString name;
    QString text; // default text
};

struct DatumSideLayout {
    DatumCoordinates kind = DatumCoordinates::Plane;
    int preset = 0;                  // ellipsoid list index when the window opens
    QList<DatumFieldLayout> fields;    // the group's rows after "坐标系", "a=", "b="
    QString centralMeridianField;    // plane side: the field of its central meridian
    QString yConstantField;          // plane side: the field of its Y constant
    QString heightAnomalyField;      // "测区高程异常"
    QString tableCaption;            // group of the input (old) or result (new) table
    QStringList tableColumns;
};

struct DatumToolLayout {
    QString className;
    QString caption;
    DatumSideLayout oldSide;
    DatumSideLayout newSide;
    QString workingMeridianField;         // the central meridian that fixes the spatial frame
    QString followingMeridianField;       // a field that copies the old central meridian, if any
    QStringList commonColumns;            // ten captions of the common-point table
    QList<int> commonWidths;
    int resultFileFields = 4;             // columns written by "数据另存"
};

// The rows the datum tools add to their ellipsoid groups, with their captions and defaults.
DatumFieldLayout CentralMeridianField(const QString &name); // "中央子午线(dms)", "0"
DatumFieldLayout YConstantField(const QString &name);       // "Y常数(m)", "500000"
DatumFieldLayout HeightAnomalyField(const QString &name);   // "测区高程异常", "0"

// Group captions and columns of the point tables.
namespace DatumCaptions {
inline const QString OldPlane = QStringLiteral("原椭球高斯平面坐标(x,y,H)");
inline const QString NewPlane = QStringLiteral("新椭球高斯平面坐标(x,y,H)");
inline const QString OldGeodetic = QStringLiteral("原椭球大地坐标(B,L,H)");
inline const QString NewGeodetic = QStringLiteral("新椭球大地坐标(B,L,H)");
} // namespace DatumCaptions

// "点号", the given x and y captions, "高程H(m)".
QStringList PlaneColumns(const QString &x, const QString &y);
// "点号", "纬度B(dms)", "经度L(dms)", "高程H(m)".
QStringList GeodeticColumns();
// "点号", three old captions, three new captions and the residual captions of the new side.
QStringList CommonColumns(const QStringList &oldColumns, const QStringList &newColumns, DatumCoordinates newKind);

class DatumWindow : public ToolWindow {
    Q_OBJECT

public:
    DatumWindow(QWidget *owner, const DatumToolLayout &tool);

    EllipsoidGroup *oldGroup() const { return m_oldGroup; }
    EllipsoidGroup *newGroup() const { return m_newGroup; }
    QGroupBox *inputGroup() const { return m_inputGroup; }

    // The seven panel fields, in the order DX, DY, DZ, WX, WY, WZ, K.
    static const QStringList &ParameterFieldNames();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QLineEdit *field(const QString &name) const;
    // The two sides and the working meridian as the fields stand now.
    DatumTransform readTransform() const;
    // The panel texts; rotations from arc-seconds to radians.
    SevenParameters readPanel() const;

    void ToolButton6Click();  // "转换计算"
    void ToolButton7Click();  // "数据另存"
    void ToolButton13Click(); // "解算七参数"
    void ToolButton14Click(); // "保存参数"
    void ToolButton15Click(); // "导入参数"
    void ToolButton16Click(); // "保存公共点"

    DatumToolLayout m_tool;
    EllipsoidGroup *m_oldGroup = nullptr;
    EllipsoidGroup *m_newGroup = nullptr;
    QGroupBox *m_inputGroup = nullptr;
    PointTableView *m_input = nullptr;
    PointTableView *m_result = nullptr;
    PointTableView *m_common = nullptr;
    QHash<QString, QLineEdit *> m_fields;
    QList<QLineEdit *> m_panel;
    ResultFreshness *m_converted = nullptr; // the result table, from the points, sides and panel
    ResultFreshness *m_solved = nullptr;    // the residuals and the panel, from the common points
};

} // namespace quorvil
