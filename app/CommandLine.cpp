#include "CommandLine.h"

#include "Catalogue.h"
#include "TFormMain.h"
#include "io/IniFile.h"
#include "io/ProgramFiles.h"
#include "ui/CommandRunner.h"
#include "ui/Prompts.h"
#include "ui/drawing/TFormDrawing.h"

#include <QApplication>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QString>

#include <cstdio>
#include <cstring>

namespace quorvil {

namespace {

void Print(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

QString VersionLine()
{
    return QStringLiteral("Quorvil %1\n").arg(QStringLiteral(QUORVIL_VERSION));
}

// Where the program looks for its files: the folder of the help page (with the templates, the
// sheet drawing and the icons beside it), and the settings file.
QString FilesText()
{
    const QString help = ProgramFile(QStringLiteral("Help.html"));
    const QString folder = QDir::toNativeSeparators(QFileInfo(help).absolutePath());
    return QStringLiteral("文件位置:\n"
                          "  帮助、报表模板与图标: %1%2\n"
                          "  设置文件:             %3\n")
        .arg(folder, QFileInfo::exists(help) ? QString() : QStringLiteral(" (未找到帮助文件)"),
             QDir::toNativeSeparators(SettingsFilePath()));
}

QString HelpText()
{
    return VersionLine()
         + QStringLiteral("测量计算工具集：高斯投影正反算与换带、椭球间七参数转换、平面坐标转换、\n"
                          "导线与高程路线平差（Word 报表）、坐标正反算、极坐标测量、图幅号、CAD 标注、电力线平断面表。\n"
                          "\n"
                          "用法: quorvil [选项] [图形.dxf]\n"
                          "  给出 DXF 图形文件时，程序打开后在图形窗口中显示该图形。\n"
                          "\n"
                          "选项:\n"
                          "  -h, --help     显示本说明后退出\n"
                          "  -v, --version  显示版本后退出\n"
                          "  Qt 的通用选项（例如 -platform offscreen）同样可用。\n"
                          "\n")
         + FilesText()
         + QStringLiteral("\n本软件是自由软件，按 GNU 通用公共许可证第 3 版或（由您选择）任何更高版本"
                          "（GPL-3.0-or-later）发布，不提供任何担保。\n");
}

} // namespace

QStringList CommandLineFiles(const QStringList &arguments)
{
    // Qt's options that take a value as the next argument.
    static const QStringList withValue = {"-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-style",
                                          "-stylesheet", "-session", "-display", "-geometry", "-qwindowgeometry",
                                          "-title", "-qwindowtitle", "-qwindowicon", "-qwindowcolor", "-name",
                                          "-graphicssystem"};
    QStringList files;
    bool onlyFiles = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!onlyFiles && argument == u"--") {
            onlyFiles = true;
        } else if (!onlyFiles && argument.startsWith(u'-') && argument.size() > 1) {
            QString option = argument;
            if (option.startsWith(QLatin1String("--")))
                option.remove(0, 1);
            if (withValue.contains(option))
                ++i;
        } else {
            files.append(argument);
        }
    }
    return files;
}

QWidget *OpenCommandLineFiles(TFormMain &main, const QStringList &files)
{
    TFormDrawing *drawing = nullptr;
    QStringList notOpened;
    for (const QString &file : files) {
        if (drawing || QFileInfo(file).suffix().compare(QLatin1String("dxf"), Qt::CaseInsensitive) != 0) {
            notOpened.append(QDir::toNativeSeparators(file));
            continue;
        }
        const CatalogueEntry *entry = FindCatalogueEntry(QStringLiteral("TFormDrawing"));
        auto *window = entry ? qobject_cast<TFormDrawing *>(main.openTool(*entry)) : nullptr;
        if (!window)
            return nullptr;
        const QString path = QFileInfo(file).absoluteFilePath();
        if (RunCommand(window, [&] { window->openFile(path); }))
            drawing = window;
    }
    if (!notOpened.isEmpty())
        Prompts::instance().showMessage(&main,
                                        QStringLiteral("从命令行只能打开一个 DXF 图形（*.dxf），以下文件未打开：\n%1")
                                            .arg(notOpened.join(u'\n')),
                                        MessageCaption(&main), QMessageBox::Information);
    return drawing;
}

std::optional<int> AnswerCommandLine(int argc, char *argv[])
{
    bool help = false;
    bool version = false;
    for (int i = 1; i < argc; ++i) {
        help = help || std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0;
        version = version || std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0;
    }
    if (!help && !version)
        return std::nullopt;
    // A core application only: it knows the program's folder and the configuration folder, and
    // needs no display.
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quorvil"));
    Print(help ? HelpText() : VersionLine());
    return 0;
}

} // namespace quorvil
