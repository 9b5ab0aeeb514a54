// The program speaks Chinese: its own texts are Chinese, so Qt's texts (the standard buttons of
// message boxes, the file dialogs, the context menus of tables and fields) are shown in Chinese
// too, whatever language the system is set to. Dates follow the Chinese short form.
#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;

namespace quorvil {

// The locale of the program's texts: simplified Chinese, China.
QLocale ProgramLocale();

// Loads Qt's own Chinese translations (qtbase_zh_CN.qm from Qt's translations folder) into
// `application`. Returns false when they are not installed; Qt's texts then stay English.
bool InstallQtTranslations(QCoreApplication &application);

// Today's date as the "日期" fields show it, in the Chinese short form: 2026/12/7.
QString TodayText();

} // namespace quorvil
