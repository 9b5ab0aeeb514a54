// quorvil-cli: the computations of the tool windows for scripts and servers.
//
//   quorvil-cli <subcommand> [options] input output
//
// Each subcommand reads the files the windows read and writes what their "数据另存" writes.
#include "Commands.h"
#include "Console.h"
#include "PointStream.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <clocale>

using namespace quorvil;
using namespace quorvil::cli;

namespace {

QString ProgramHelp(const QList<Command> &commands)
{
    QString text = QStringLiteral("用法：quorvil-cli <子命令> [选项] 输入文件 输出文件\n\n"
                                  "Quorvil 测量计算的命令行: 与各工具窗口相同的计算与相同的文件.\n"
                                  "表格写到文件或管道时以 GB18030 写出, 与窗口写出的文件逐字节相同; 写到终端时按区域设置的编码\n"
                                  "(一般为 UTF-8); --output-encoding gb18030|utf-8 可另选. 读入时 UTF-8 或 GB18030 均可;\n"
                                  "- 表示标准输入或标准输出.\n\n"
                                  "子命令：\n");
    for (const Command &c : commands)
        text += QStringLiteral("  %1%2\n").arg(c.name, -16).arg(c.summary);
    text += QStringLiteral("\n选项：\n"
                           "  -h, --help      显示帮助; 子命令后给出时显示该子命令的帮助\n"
                           "  -v, --version   显示版本\n\n"
                           "退出状态：0 成功; 1 数据行或文件错误; 2 选项错误; 3 闭合差超限 (adjust --check).\n");
    return text;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvil-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUORVIL_VERSION));
    // Qt calls setlocale(); no library may print a decimal comma.
    std::setlocale(LC_NUMERIC, "C");
    // Qt's own texts of the help (usage, options, arguments) in Chinese.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);

    const QList<Command> commands = AllCommands();
    const QStringList arguments = QCoreApplication::arguments();
    const QString first = arguments.value(1);
    if (first.isEmpty()) {
        PrintError(ProgramHelp(commands).toStdString());
        return ExitBadUsage;
    }
    if (first == QStringLiteral("-h") || first == QStringLiteral("--help") || first == QStringLiteral("help")) {
        PrintOut(ProgramHelp(commands).toStdString());
        return ExitOk;
    }
    if (first == QStringLiteral("-v") || first == QStringLiteral("--version")) {
        PrintOut("quorvil-cli " QUORVIL_VERSION "\n");
        return ExitOk;
    }
    const Command *command = nullptr;
    for (const Command &c : commands)
        if (c.name == first)
            command = &c;
    if (!command) {
        PrintError("quorvil-cli: 未知的子命令 '" + first.toStdString() + "'\n\n" + ProgramHelp(commands).toStdString());
        return ExitBadUsage;
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(command->summary);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({"h", "help"}, QStringLiteral("显示本帮助"));
    parser.addOption(help);
    command->setUp(parser);
    QStringList subArguments = arguments;
    subArguments.removeAt(1);
    // Qt names the program by the path it was started from; the help names the subcommand.
    const auto helpText = [&] {
        QString text = parser.helpText();
        text.replace(arguments.first(), QStringLiteral("quorvil-cli ") + command->name);
        return text.toStdString();
    };
    const auto usage = [&](const std::string &message) {
        PrintError("quorvil-cli " + command->name.toStdString() + ": " + message + "\n\n" + helpText());
        return ExitBadUsage;
    };
    if (!parser.parse(subArguments))
        return usage(parser.errorText().toStdString());
    if (parser.isSet(help)) {
        PrintOut(helpText());
        return ExitOk;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != command->positionalCount)
        return usage("须给出输入文件与输出文件 (- 表示标准输入或标准输出)");
    try {
        return command->run(Options(parser), positional);
    } catch (const UsageError &e) {
        return usage(e.what());
    } catch (const Error &e) {
        PrintError("quorvil-cli " + command->name.toStdString() + ": " + e.what() + "\n");
        return ExitFailed;
    }
}
