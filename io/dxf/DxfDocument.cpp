#include "io/dxf/DxfDocument.h"

#include <QRegularExpression>

#include <cmath>

namespace quorvil {

double DxfDocument::variable(const QString &name, double fallback) const
{
    const std::string key = (u'$' + name.toUpper()).toStdString();
    for (const auto &v : variables) {
        if (QString::fromStdString(v.name).toUpper().toStdString() != key)
            continue;
        if (v.kind == DxfVariable::Real || v.kind == DxfVariable::Integer)
            return std::isfinite(v.values[0]) ? v.values[0] : fallback;
    }
    return fallback;
}

void DxfDocument::setVariable(const QString &name, double value)
{
    const std::string key = (u'$' + name.toUpper()).toStdString();
    for (auto &v : variables)
        if (QString::fromStdString(v.name).toUpper().toStdString() == key) {
            v.values[0] = value;
            return;
        }
    variables.push_back({key, DxfVariable::Real, 40, {value, 0, 0}, {}});
}

const DxfLayer *DxfDocument::layer(const QString &name) const
{
    for (const auto &l : layers)
        if (l.name.compare(name, Qt::CaseInsensitive) == 0)
            return &l;
    return nullptr;
}

DxfLayer &DxfDocument::ensureLayer(const QString &name)
{
    for (auto &l : layers)
        if (l.name.compare(name, Qt::CaseInsensitive) == 0)
            return l;
    layers.push_back({name});
    return layers.back();
}

const DxfBlock *DxfDocument::block(const QString &name) const
{
    for (const auto &b : blocks)
        if (b.name.compare(name, Qt::CaseInsensitive) == 0)
            return &b;
    return nullptr;
}

QString DxfBlockName(const QString &wanted)
{
    QString base = wanted;
    static const QRegularExpression invalid(QStringLiteral("[<>/\\\\\":;?*|,=`\\s]"));
    base.replace(invalid, QStringLiteral("_"));
    return base.isEmpty() ? QStringLiteral("BLOCK") : base;
}

QString DxfDocument::freeBlockName(const QString &wanted) const
{
    const QString base = DxfBlockName(wanted);
    QString candidate = base;
    for (int i = 1; block(candidate); ++i)
        candidate = base + QStringLiteral("_%1").arg(i);
    return candidate;
}

DxfDocument NewDxfDocument()
{
    DxfDocument doc;
    doc.layers.push_back({QStringLiteral("0")});
    doc.setVariable(QStringLiteral("LTSCALE"), 1);
    return doc;
}

} // namespace quorvil
