// How a drawing command reaches the drawing: the drawing window that is open, or the message
// "图形窗口尚未打开！" when there is none.
#pragma once

class QWidget;

namespace quorvil {

class CadSession;

// The session of the open drawing window, brought to the front; nullptr after showing the
// information message when no drawing window is open (the command then stops).
CadSession *AttachCad(QWidget *parent);

} // namespace quorvil
