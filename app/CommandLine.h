// The options the program answers before it opens any window: --help and --version print and
// end the program, also on a machine without a display. Every other argument is left to Qt
// (-platform, -style, ...).
#pragma once

#include <optional>

namespace quorvil {

// Handles --help/-h and --version/-v: prints to standard output and returns the exit status.
// Returns nothing when the program is to start its windows.
std::optional<int> AnswerCommandLine(int argc, char *argv[]);

} // namespace quorvil
