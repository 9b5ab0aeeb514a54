#include "TFormZBHD.h"

#include "core/TextForms.h"
#include "ui/Fields.h"
#include "ui/PointTableView.h"
#include "ui/ResultFreshness.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QLineEdit>

namespace quorvil {

namespace {

PointToolLayout Layout()
{
    PointToolLayout layout;
    layout.inputCaption = QStringLiteral("原投影带坐标(x,y)");
    layout.inputColumns = ProjectionCaptions::PlaneColumns;
    layout.resultCaption = QStringLiteral("新投影带坐标(x,y)");
    layout.resultColumns = ProjectionCaptions::PlaneColumns;
    return layout;
}

} // namespace

TFormZBHD::TFormZBHD(QWidget *owner) : PointToolWindow(owner, QStringLiteral("TFormZBHD"), QStringLiteral("坐标换带"), Layout())
{
    QGroupBox *source = MakeZoneGroup(QStringLiteral("原投影带参数"), QStringLiteral("EditLL"), QStringLiteral("EditYY"), this);
    QGroupBox *target = MakeZoneGroup(QStringLiteral("新投影带参数"), QStringLiteral("EditLL2"), QStringLiteral("EditYY2"), this);
    m_ellipsoid = new EllipsoidGroup({}, this);
    m_sourceMeridian = source->findChild<QLineEdit *>(QStringLiteral("EditLL"));
    m_sourceYConstant = source->findChild<QLineEdit *>(QStringLiteral("EditYY"));
    m_targetMeridian = target->findChild<QLineEdit *>(QStringLiteral("EditLL2"));
    m_targetYConstant = target->findChild<QLineEdit *>(QStringLiteral("EditYY2"));
    parameterArea()->addWidget(source);
    parameterArea()->addWidget(target);
    parameterArea()->addWidget(m_ellipsoid, 1);
    results()->watch(this); // the zones and the ellipsoid
    UseSingleBorder(this, false);
}

void TFormZBHD::compute()
{
    FpGuard guard;
    const Ellipsoid ellipsoid = m_ellipsoid->ellipsoid();
    // The zone fields take the plain number conversion: an empty field is an error here.
    const Real sourceMeridian = DmsToDeg(FieldNumberStrict(m_sourceMeridian));
    const Real sourceYConstant = FieldNumberStrict(m_sourceYConstant);
    const Real targetMeridian = DmsToDeg(FieldNumberStrict(m_targetMeridian));
    const Real targetYConstant = FieldNumberStrict(m_targetYConstant);
    ConvertRows(*input()->table(), *result()->table(),
                ZoneChangeConversion(ellipsoid, sourceMeridian, sourceYConstant, targetMeridian, targetYConstant));
}

} // namespace quorvil
