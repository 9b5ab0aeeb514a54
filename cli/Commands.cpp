// The list of subcommands, in the order of the program's help: the point conversions of the
// windows' menus first, then the adjustments, the map sheets, the height fitting, the network and the field book.
#include "Commands.h"

namespace quorvil::cli {

QList<Command> AllCommands()
{
    return {GaussForwardCommand(), GaussInverseCommand(), ZoneChangeCommand(), CompensationCommand(),
            DatumCommand(),        PlaneCommand(),        WebMapCommand(),     AdjustCommand(),
            SheetCommand(),        HeightFitCommand(),    NetworkCommand(),     FieldbookCommand(),
            GnssCommand()};
}

} // namespace quorvil::cli
