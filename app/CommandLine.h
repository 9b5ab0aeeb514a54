// The options the program answers before it opens any window: --help and --version print and
// end the program, also on a machine without a display. Qt's options (-platform, -style, ...) are
// left to Qt; a file named on the command line is opened once the main window shows.
#pragma once

#include <QStringList>

#include <optional>

class QWidget;

namespace quorvil {

class TFormMain;

// Handles --help/-h and --version/-v: prints to standard output and returns the exit status.
// Returns nothing when the program is to start its windows.
std::optional<int> AnswerCommandLine(int argc, char *argv[]);

// The files named on the command line ("quorvil site.dxf"): the arguments after the program's name
// that are neither options nor the values of Qt's options (-platform offscreen, -style fusion, ...).
QStringList CommandLineFiles(const QStringList &arguments);

// Opens the files named on the command line, as a double-click in a file manager does: a DXF
// drawing in the drawing window, shown over the main window. A file that is no drawing, or a
// second drawing, is named in a message. Returns the drawing window, or nullptr when no drawing
// was opened.
QWidget *OpenCommandLineFiles(TFormMain &main, const QStringList &files);

} // namespace quorvil
