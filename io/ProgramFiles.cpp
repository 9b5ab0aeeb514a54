#include "io/ProgramFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace quorvil {

QString ProgramFile(const QString &name)
{
    const QDir bin(QCoreApplication::applicationDirPath());
    const QString beside = bin.filePath(name);
    if (QFileInfo::exists(beside))
        return beside;
    const QString shared = QDir::cleanPath(bin.filePath(QStringLiteral("../share/quorvil/") + name));
    if (QFileInfo::exists(shared))
        return shared;
    return beside;
}

} // namespace quorvil
