// Every dialog and message box of the program goes through this one service, so that each text,
// title and filter is written once. Production shows Qt's dialogs; tests install a scripted
// stand-in (see tests/support).
#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace quorvil {

// Titles and filters of the file dialogs shared by the point tools.
struct FileDialogSpec {
    QString title;
    QString filter;        // Qt form: "Text files (*.txt)"
    QString defaultSuffix; // added to a typed name without extension (save dialogs)
    // Further choices after `filter`, in order. A save dialog adds the suffix of the one chosen.
    QStringList moreFilters = {};

    // Every filter, in the form of Qt's file dialogs ("a (*.txt);;b (*.xlsx)").
    QString allFilters() const;
};

namespace PromptTexts {
inline const QString OpenPointsTitle = QStringLiteral("打开坐标数据文件");
inline const QString SavePointsTitle = QStringLiteral("坐标数据另存为...");
inline const QString TextFilter = QStringLiteral("Text files (*.txt)");
inline const QString ReportTitle = QStringLiteral("生成的Word文件...");
inline const QString WordFilter = QStringLiteral("Word files (*.docx)");
inline const QString XlsxFilter = QStringLiteral("Excel 工作簿 (*.xlsx)");
inline const QString CsvFilter = QStringLiteral("CSV 文件 (*.csv)");
inline const QString AllFilesFilter = QStringLiteral("所有文件 (*)");
inline const QString DxfFilter = QStringLiteral("DXF 图形 (*.dxf)");
inline const QString OverwriteQuestion = QStringLiteral("文件已存在,覆盖吗?");
inline const QString InformationCaption = QStringLiteral("Information");
} // namespace PromptTexts

// The point files' dialogs: text files first, then workbooks, .csv (and every file, to open).
FileDialogSpec OpenPointsDialog();
FileDialogSpec SavePointsDialog();
// The save dialog of the adjustment reports.
FileDialogSpec ReportDialog();

class Prompts {
public:
    virtual ~Prompts() = default;

    // An empty result means the user cancelled.
    virtual QString openFileName(QWidget *parent, const FileDialogSpec &dialog) = 0;
    virtual QString saveFileName(QWidget *parent, const FileDialogSpec &dialog) = 0;
    // "文件已存在,覆盖吗?" with the caption "Information" and Qt's standard Yes and No buttons.
    virtual bool confirmOverwrite(QWidget *parent) = 0;
    // A message box with the application title as caption (errors of commands).
    virtual void showError(QWidget *parent, const QString &text) = 0;
    // A message box with its own caption and icon; returns the button pressed.
    virtual QMessageBox::StandardButton showMessage(QWidget *parent, const QString &text, const QString &caption,
                                                    QMessageBox::Icon icon,
                                                    QMessageBox::StandardButtons buttons = QMessageBox::Ok) = 0;

    // The service in use; Qt dialogs unless a stand-in was installed.
    static Prompts &instance();
    // Installs a stand-in (not owned); nullptr restores the Qt dialogs.
    static void install(Prompts *prompts);
};

// Asks for a file to write with `dialog`, then asks before overwriting an existing file.
// Returns an empty string if the user cancelled or declined.
QString AskSaveFileName(QWidget *parent, const FileDialogSpec &dialog);

} // namespace quorvil
