#include "Language.h"

#include <QCoreApplication>
#include <QDate>
#include <QLibraryInfo>
#include <QTranslator>

namespace quorvil {

QLocale ProgramLocale()
{
    return QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
}

bool InstallQtTranslations(QCoreApplication &application)
{
    // Owned by the application, so it lives as long as the texts it translates.
    auto *translator = new QTranslator(&application);
    if (!translator->load(ProgramLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QString TodayText()
{
    return ProgramLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
}

} // namespace quorvil
