#include "CadAttach.h"

#include "Prompts.h"
#include "cad/CadSession.h"

#include <QWidget>

namespace quorvil {

CadSession *AttachCad(QWidget *parent)
{
    CadSession *session = CadSession::active();
    if (!session) {
        Prompts::instance().showMessage(parent, CadNotOpenMessage, PromptTexts::InformationCaption,
                                        QMessageBox::Information, QMessageBox::Yes);
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
