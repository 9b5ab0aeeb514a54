// The subcommands of quorvil-cli and the option readers they share.
#pragma once

#include "core/Ellipsoid.h"
#include "core/Error.h"
#include "OutputEncoding.h"
#include "PointStream.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>

namespace quorvil::cli {

// A bad option or argument: the program says what is wrong, shows the usage and exits with 2.
class UsageError : public Error {
public:
    using Error::Error;
};

// Reading the values of the options, through the same text forms as the windows' fields.
class Options {
public:
    explicit Options(const QCommandLineParser &parser) : m_parser(parser) {}

    bool isSet(const QString &name) const { return m_parser.isSet(name); }
    QString text(const QString &name) const { return m_parser.value(name); }
    // TextToNumber of the option's text (an empty text is 0), or of its default.
    Real number(const QString &name) const;
    // The plain number conversion: an empty text is an error too.
    Real strictNumber(const QString &name) const;
    // A packed angle ddd.mmss in decimal degrees.
    Real degrees(const QString &name) const;
    // The ellipsoid of --<prefix>ellipsoid or of --<prefix>a and --<prefix>b; `preset` (an index
    // of the ellipsoid list) when none is given.
    Ellipsoid ellipsoid(const QString &prefix, int preset) const;
    // One of `choices`, or UsageError.
    QString choice(const QString &name, const QStringList &choices) const;
    // The encoding of a table written to `path` (OutputEncodingFor with --output-encoding).
    OutputEncoding outputEncoding(const QString &path) const;

private:
    const QCommandLineParser &m_parser;
};

struct Command {
    QString name;
    QString summary;                                 // one line for the program's help
    std::function<void(QCommandLineParser &)> setUp; // adds its options and arguments
    std::function<int(const Options &, const QStringList &positional)> run;
    int positionalCount = 2;                         // input and output
};

// The subcommands in the order of the program's help.
QList<Command> AllCommands();

// The options every ellipsoid takes: --<prefix>ellipsoid, --<prefix>a, --<prefix>b.
void AddEllipsoidOptions(QCommandLineParser &parser, const QString &prefix, const QString &whose);
// --output-encoding, for every subcommand that writes a table.
void AddOutputEncodingOption(QCommandLineParser &parser);
// --keep-going, --threads, --input-encoding, --output-encoding and the input and output arguments.
void AddStreamOptions(QCommandLineParser &parser);
// What those options and arguments ask for.
StreamOptions StreamOptionsOf(const Options &options, const QStringList &positional);

// One subcommand each, in its own file of the same name.
Command GaussForwardCommand();
Command GaussInverseCommand();
Command ZoneChangeCommand();
Command CompensationCommand();
Command DatumCommand();
Command PlaneCommand();
Command WebMapCommand();
Command AdjustCommand();
Command SheetCommand();
Command HeightFitCommand();
Command NetworkCommand();
Command FieldbookCommand();
Command GnssCommand();

} // namespace quorvil::cli
