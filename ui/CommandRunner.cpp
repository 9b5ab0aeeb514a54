#include "CommandRunner.h"

#include "Prompts.h"
#include "core/Error.h"

#include <QApplication>
#include <QString>

#include <new>

namespace quorvil {

bool RunCommand(QWidget *parent, const std::function<void()> &command)
{
    QString message;
    try {
        command();
        return true;
    } catch (const Error &e) {
        message = QString::fromUtf8(e.what());
    } catch (const std::bad_alloc &) {
        message = QStringLiteral("Out of memory");
    }
    Prompts::instance().showError(parent, message);
    return false;
}

} // namespace quorvil
