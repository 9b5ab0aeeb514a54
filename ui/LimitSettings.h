// The settings of the limits that judge the closures of the adjustment windows: the standard
// (GB 50026-2020 or CJJ/T 8-2011) and what the weights of a levelling route count. They live in the
// settings file (section "Limits", keys "Standard" and "LevellingWeights") and are one for the
// program: a change shows at once in every open adjustment window.
#pragma once

#include "core/Limits.h"

#include <QObject>

namespace quorvil {

class LimitSettings : public QObject {
    Q_OBJECT

public:
    static LimitSettings &instance();

    // Read from the settings file each time, so that every window judges by the same choice;
    // a missing or unknown value reads as the default.
    LimitStandard standard() const;
    LevellingWeights levellingWeights() const;
    LimitOptions options() const;

    // Saved at once; throws Error when the settings file cannot be written.
    void setStandard(LimitStandard standard);
    void setLevellingWeights(LevellingWeights weights);

Q_SIGNALS:
    void changed();

private:
    LimitSettings() = default;
};

} // namespace quorvil
