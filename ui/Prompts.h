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
inline const QString WordFilter = QStringLiteral("Word 文档 (*.docx)");
inline const QString XlsxFilter = QStringLiteral("Excel 工作簿 (*.xlsx)");
inline const QString CsvFilter = QStringLiteral("CSV 文件 (*.csv)");
inline const QString AllFilesFilter = QStringLiteral("所有文件 (*)");
inline const QString DxfFilter = QStringLiteral("DXF 图形 (*.dxf)");
inline const QString ObservationFilter = QStringLiteral("观测文件 (*.txt *.gkf *.xml)");
inline const QString GamaFilter = QStringLiteral("Gama 文件 (*.gkf *.xml)");
inline const QString OverwriteQuestion = QStringLiteral("文件已存在,覆盖吗?");
// The caption of message boxes that belong to no window.
inline const QString ProgramCaption = QStringLiteral("Quorvil 测量计算工具集");
inline const QString ProgramFileRefused =
    QStringLiteral("“%1”是程序自带的文件（报表模板、表格模板、图形或帮助），不能覆盖。\n请另选文件夹或文件名保存。");
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
    // "文件已存在,覆盖吗?" under the window's caption with Qt's standard Yes and No buttons.
    virtual bool confirmOverwrite(QWidget *parent) = 0;
    // A message box under the window's caption (errors of commands).
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

// The caption of a message box shown over `parent`: the title of its window (the tool's caption),
// or the program's name when it has none.
QString MessageCaption(const QWidget *parent);

// The folder the file dialogs start in: the one the user last chose a file in (kept in the
// settings file, section "Folders"), else the user's documents folder - never the program's own
// folder, where the report templates live. RememberDialogFolder keeps the folder of a chosen file.
QString DialogStartFolder();
void RememberDialogFolder(const QString &filePath);
// Whether `path` is a file of the program's own folders (templates, the sheet drawing, the help,
// the program itself), which no save may overwrite.
bool IsProgramFile(const QString &path);

// Asks for a file to write with `dialog`, refuses one of the program's own files with a message,
// then asks before overwriting an existing file. Returns an empty string if the user cancelled,
// declined or was refused.
QString AskSaveFileName(QWidget *parent, const FileDialogSpec &dialog);

} // namespace quorvil
