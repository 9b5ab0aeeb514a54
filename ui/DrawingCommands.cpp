#include "DrawingCommands.h"

#include "CommandRunner.h"
#include "core/DrawingLabels.h"
#include "core/FpGuard.h"

namespace quorvil {

namespace {

const QString PickPointPrompt = QStringLiteral("请点取坐标点位:");
const QString PickLabelPrompt = QStringLiteral("请点取标注位置:");

CadPoint At(Real x, Real y, Real z) { return {double(x), double(y), double(z)}; }

} // namespace

void CapturePoints(CadSession &cad, const std::function<void(const QString &name, const CadPoint &at)> &add)
{
    const Real unit = cad.GetVariable(QStringLiteral("LtScale"));
    std::string next = "J1";
    try {
        const bool mark = cad.GetString(true, QStringLiteral("展绘点:Y,不展绘:N(N)")).trimmed().toUpper() == u"Y";
        for (;;) {
            const QString defaultName = QString::fromStdString(next);
            QString name = cad.GetString(true, QStringLiteral("请输入点名:(") + defaultName + u')').trimmed();
            if (name.isEmpty())
                name = defaultName;
            const CadPoint p = cad.GetPoint(QStringLiteral("请从屏幕取点"));
            if (mark) {
                cad.AddPoint(p);
                cad.Update(cad.AddCircle(p, double(Real(0.5) * unit)));
                cad.AddText(name, At(p.x + unit, p.y + unit, p.z), double(3 * unit));
            }
            add(name, p);
            next = NextPointName(name.toStdString());
        }
    } catch (const CadCancelled &) {
        // Esc ends the capture; the points picked so far stay.
    }
}

void AnnotateGeographic(CadSession &cad, const GeographicLabelStyle &style)
{
    const Real h = style.textHeight;
    QString notice; // why the last point was refused, shown in front of the next prompt
    try {
        for (;;) {
            const CadPoint p = cad.GetPoint(notice.isEmpty() ? PickPointPrompt : notice + u' ' + PickPointPrompt);
            notice.clear();
            FpGuard guard;
            GeographicLabel label;
            try {
                label = GeographicLabelOf(style.ellipsoid, p.y + style.shiftX, p.x + style.shiftY, style.zoneWidth,
                                          style.secondDecimals);
            } catch (const Error &e) {
                notice = QString::fromUtf8(e.what());
                continue;
            }
            guard.check(label.B, label.L);
            if (style.dot) {
                const CadHandle hatch = cad.AddHatch(0, QStringLiteral("SOLID"), true);
                const CadHandle circle = cad.AddCircle(p, double(style.dotRadius));
                cad.AppendOuterLoop(hatch, {circle});
            }
            const CadPoint q = cad.GetPoint(p, PickLabelPrompt);
            if (style.leader) {
                const Real run = Real(0.7) * label.leaderBytes * h;
                cad.Update(cad.AddLightWeightPolyLine({p.x, p.y, q.x, q.y, double(q.x + run), q.y}));
            }
            cad.AddText(QString::fromStdString(label.east), At(q.x + Real(0.3) * h, q.y + Real(0.3) * h, p.z), double(h));
            cad.AddText(QString::fromStdString(label.north), At(q.x + Real(0.3) * h, q.y - Real(1.3) * h, p.z), double(h));
        }
    } catch (const CadCancelled &) {
        // Esc ends the labelling; a dot drawn before the label position was cancelled stays.
    }
}

void AnnotatePlane(CadSession &cad)
{
    const Real unit = cad.GetVariable(QStringLiteral("LtScale"));
    try {
        for (;;) {
            const CadPoint p = cad.GetPoint(PickPointPrompt);
            const PlaneLabel label = PlaneLabelOf(p.x, p.y);
            const CadPoint q = cad.GetPoint(p, PickLabelPrompt);
            cad.Update(cad.AddLine(p, q));
            cad.Update(cad.AddLine(q, At(q.x + Real(2.8) * label.length * unit, q.y, p.z)));
            cad.AddText(QString::fromStdString(label.x), At(q.x, q.y + unit, p.z), double(4 * unit));
            cad.AddText(QString::fromStdString(label.y), At(q.x, q.y - 5 * unit, p.z), double(4 * unit));
        }
    } catch (const CadCancelled &) {
        // Esc ends the labelling.
    }
}

void RunPlaneAnnotation(QWidget *parent)
{
    RunCommand(parent, [parent] {
        if (CadSession *cad = AttachCad(parent))
            AnnotatePlane(*cad);
    });
}

} // namespace quorvil
