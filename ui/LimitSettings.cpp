#include "LimitSettings.h"

#include "io/IniFile.h"

namespace quorvil {

namespace {

const QString Section = QStringLiteral("Limits");
const QString StandardKeyName = QStringLiteral("Standard");
const QString WeightsKeyName = QStringLiteral("LevellingWeights");

QString Read(const QString &key, const std::string &fallback)
{
    return IniFile(SettingsFilePath()).readString(Section, key, QString::fromStdString(fallback));
}

void Write(const QString &key, const std::string &value)
{
    IniFile ini(SettingsFilePath());
    ini.writeString(Section, key, QString::fromStdString(value));
    ini.save();
}

} // namespace

LimitSettings &LimitSettings::instance()
{
    static LimitSettings settings;
    return settings;
}

LimitStandard LimitSettings::standard() const
{
    return StandardOfKey(Read(StandardKeyName, StandardKey(DefaultLimitStandard)).trimmed().toStdString())
        .value_or(DefaultLimitStandard);
}

LevellingWeights LimitSettings::levellingWeights() const
{
    const LevellingWeights fallback = LimitOptions().weights;
    return WeightsOfKey(Read(WeightsKeyName, WeightsKey(fallback)).trimmed().toStdString()).value_or(fallback);
}

LimitOptions LimitSettings::options() const { return {standard(), levellingWeights()}; }

void LimitSettings::setStandard(LimitStandard standard)
{
    if (standard == this->standard())
        return;
    Write(StandardKeyName, StandardKey(standard));
    Q_EMIT changed();
}

void LimitSettings::setLevellingWeights(LevellingWeights weights)
{
    if (weights == levellingWeights())
        return;
    Write(WeightsKeyName, WeightsKey(weights));
    Q_EMIT changed();
}

} // namespace quorvil
