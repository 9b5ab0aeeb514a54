// How a drawing command reaches the drawing: the drawing window that is open, or, when there is
// none, the message "图形窗口尚未打开！" offering to open it.
#pragma once

#include <QString>

class QWidget;

namespace quorvil {

class CadSession;

// What the message asks under "图形窗口尚未打开！".
inline const QString CadOpenQuestion = QStringLiteral("现在打开图形窗口吗？");

// The session of the open drawing window, brought to the front. With none open the message asks
// whether to open it (是/否): 是 opens the drawing window and the command goes on in it; 否
// returns nullptr and the command stops.
CadSession *AttachCad(QWidget *parent);

} // namespace quorvil
