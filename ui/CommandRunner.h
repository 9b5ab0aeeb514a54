// Every command of a window runs through RunCommand: an error ends the command and its message is
// shown in a message box. Nothing else catches the program's errors.
#pragma once

#include <functional>

class QWidget;

namespace quorvil {

// Runs `command`; returns false if it ended with an error (already shown to the user).
bool RunCommand(QWidget *parent, const std::function<void()> &command);

} // namespace quorvil
