// What the point subcommands share: the zone options of the projection tools, and the run that
// builds a window's row conversion from the settings and streams the point file through it.
#pragma once

#include "Commands.h"

#include "core/FpGuard.h"

namespace quorvil::cli {

// --central-meridian and --y-constant of one projection zone.
inline void AddZoneOptions(QCommandLineParser &parser)
{
    parser.addOption({"central-meridian", "中央子午线 (ddd.mmss), 默认 0", "dms", "0"});
    parser.addOption({"y-constant", "Y坐标加常数 (m), 默认 500000", "m", "500000"});
}

// Streams the input through a conversion built from the settings. The settings themselves may
// fault (an ellipsoid of empty axes): that ends the run before any line is read.
template <typename Conversion, typename... Settings>
int Convert(const Options &o, const QStringList &positional, const Settings &...settings)
{
    const StreamOptions stream = StreamOptionsOf(o, positional);
    FpGuard guard;
    const Conversion conversion(settings...);
    guard.check();
    return RunPointStream(conversion, stream);
}

} // namespace quorvil::cli
