#include "CadAttach.h"

#include "Prompts.h"
#include "cad/CadSession.h"
#include "drawing/TFormDrawing.h"

#include <QWidget>

namespace quorvil {

namespace {

// The window that owns the tool windows (the main window); the tool's own window when it stands
// alone.
QWidget *DrawingOwner(QWidget *parent)
{
    QWidget *window = parent ? parent->window() : nullptr;
    return window && window->parentWidget() ? window->parentWidget()->window() : window;
}

} // namespace

CadSession *AttachCad(QWidget *parent)
{
    CadSession *session = CadSession::active();
    if (!session) {
        const auto answer = Prompts::instance().showMessage(parent, CadNotOpenMessage + u'\n' + CadOpenQuestion,
                                                            MessageCaption(parent), QMessageBox::Question,
                                                            QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return nullptr;
        TFormDrawing *drawing = TFormDrawing::instance(DrawingOwner(parent));
        drawing->show(); // a shown drawing window is the active session
        session = CadSession::active();
        if (!session)
            return nullptr;
    }
    if (auto *window = dynamic_cast<QWidget *>(session)) {
        if (window->isMinimized())
            window->showNormal();
        window->raise();
    }
    return session;
}

} // namespace quorvil
