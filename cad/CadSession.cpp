#include "cad/CadSession.h"

#include <utility>

#include <QStringList>

namespace quorvil {

namespace {
CadSession *activeSession = nullptr;
}

CadSession *CadSession::active() { return activeSession; }
void CadSession::setActive(CadSession *session) { activeSession = session; }

void ScriptedCadSession::setVariable(const QString &name, double value)
{
    for (auto &v : variables_)
        if (v.first.compare(name, Qt::CaseInsensitive) == 0) {
            v.second = value;
            return;
        }
    variables_.emplace_back(name, value);
}

std::vector<ScriptedCadSession::Call> ScriptedCadSession::callsNamed(const QString &name) const
{
    std::vector<Call> out;
    for (const auto &c : calls_)
        if (c.name == name)
            out.push_back(c);
    return out;
}

CadHandle ScriptedCadSession::record(Call call)
{
    if (call.handle == 0)
        call.handle = nextHandle_++;
    const CadHandle h = call.handle;
    calls_.push_back(std::move(call));
    return h;
}

ScriptedCadSession::Answer ScriptedCadSession::next(Answer::Kind wanted)
{
    if (answers_.empty())
        throw CadCancelled();
    Answer a = answers_.front();
    answers_.pop_front();
    if (a.kind != wanted)
        throw CadCancelled();
    return a;
}

double ScriptedCadSession::GetVariable(const QString &name)
{
    double value = 1;
    for (const auto &v : variables_)
        if (v.first.compare(name, Qt::CaseInsensitive) == 0)
            value = v.second;
    calls_.push_back({QStringLiteral("GetVariable"), {}, {value}, {name}, 0});
    return value;
}

QString ScriptedCadSession::GetString(bool allowSpaces, const QString &prompt)
{
    calls_.push_back({QStringLiteral("GetString"), {}, {allowSpaces ? 1.0 : 0.0}, {prompt}, 0});
    QString t = next(Answer::Text).text;
    if (!allowSpaces) {
        const qsizetype space = t.indexOf(QLatin1Char(' '));
        if (space >= 0)
            t.truncate(space);
    }
    return t;
}

CadPoint ScriptedCadSession::GetPoint(const QString &prompt)
{
    calls_.push_back({QStringLiteral("GetPoint"), {}, {}, {prompt}, 0});
    return next(Answer::Point).point;
}

CadPoint ScriptedCadSession::GetPoint(const CadPoint &base, const QString &prompt)
{
    calls_.push_back({QStringLiteral("GetPoint"), {base}, {}, {prompt}, 0});
    return next(Answer::Point).point;
}

CadHandle ScriptedCadSession::AddPoint(const CadPoint &at)
{
    return record({QStringLiteral("AddPoint"), {at}, {}, {}, 0});
}

CadHandle ScriptedCadSession::AddCircle(const CadPoint &centre, double radius)
{
    return record({QStringLiteral("AddCircle"), {centre}, {radius}, {}, 0});
}

CadHandle ScriptedCadSession::AddLine(const CadPoint &start, const CadPoint &end)
{
    return record({QStringLiteral("AddLine"), {start, end}, {}, {}, 0});
}

CadHandle ScriptedCadSession::AddEllipse(const CadPoint &centre, const CadPoint &majorAxis, double ratio)
{
    return record({QStringLiteral("AddEllipse"), {centre, majorAxis}, {ratio}, {}, 0});
}

QString ScriptedCadSession::SetActiveLayer(const QString &layer, int color)
{
    calls_.push_back({QStringLiteral("SetActiveLayer"), {}, {double(color)}, {layer}, 0});
    return std::exchange(layer_, layer);
}

CadHandle ScriptedCadSession::AddLightWeightPolyLine(const std::vector<double> &vertices)
{
    return record({QStringLiteral("AddLightWeightPolyLine"), {}, vertices, {}, 0});
}

CadHandle ScriptedCadSession::AddText(const QString &text, const CadPoint &insertion, double height)
{
    return record({QStringLiteral("AddText"), {insertion}, {height}, {text}, 0});
}

CadHandle ScriptedCadSession::AddHatch(int patternType, const QString &patternName, bool associative)
{
    return record({QStringLiteral("AddHatch"), {}, {double(patternType), associative ? 1.0 : 0.0}, {patternName}, 0});
}

void ScriptedCadSession::AppendOuterLoop(CadHandle hatch, const std::vector<CadHandle> &loop)
{
    Call c{QStringLiteral("AppendOuterLoop"), {}, {}, {}, hatch};
    for (CadHandle h : loop)
        c.numbers.push_back(double(h));
    calls_.push_back(std::move(c));
}

CadHandle ScriptedCadSession::InsertBlock(const CadPoint &at, const QString &drawingFile, double xScale,
                                          double yScale, double zScale, double rotation)
{
    return record({QStringLiteral("InsertBlock"), {at}, {xScale, yScale, zScale, rotation}, {drawingFile}, 0});
}

void ScriptedCadSession::Update(CadHandle entity)
{
    calls_.push_back({QStringLiteral("Update"), {}, {}, {}, entity});
}

int ScriptedCadSession::EraseLayers(const QStringList &layers)
{
    calls_.push_back({QStringLiteral("EraseLayers"), {}, {}, layers, 0});
    return 0;
}

void ScriptedCadSession::ZoomExtents()
{
    calls_.push_back({QStringLiteral("ZoomExtents"), {}, {}, {}, 0});
}

} // namespace quorvil
