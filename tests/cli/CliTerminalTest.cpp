// quorvil-cli with its table on a terminal (run under a pseudo-terminal with util-linux's `script`):
// the table comes in the encoding of the terminal's locale and reads, while a file or a pipe still
// gets the bytes of the windows' files (CliTest checks those bytes); --output-encoding chooses
// either; the help speaks with one colon after 用法 and one word for a posteriori.
#include "support/WindowTestSupport.h"

#include "io/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtTest>

using namespace quorvil;
using namespace quorvil::test;

namespace {

const QString Program = QStringLiteral(QUORVIL_CLI);

ProgramRun Cli(const QStringList &arguments, const QByteArray &input = {}) { return RunProgram(Program, arguments, input); }

QString Quoted(const QString &word) { return u'\'' + QString(word).replace(u'\'', QLatin1String("'\\''")) + u'\''; }

// The program run with its standard output on a terminal, under `environment` ("NAME=value ...");
// its standard error (the summary of a table written to standard output) goes to `errors`. The
// terminal turns each line end LF into CR LF; the bytes the program wrote are given back.
ProgramRun OnTerminal(const QStringList &arguments, const QString &errors, const QString &environment)
{
    QStringList words{Program};
    for (const QString &a : arguments)
        words << Quoted(a);
    const QString command = QStringLiteral("env ") + environment + u' ' + words.join(u' ') + " 2>" + Quoted(errors);
    ProgramRun run = RunProgram(QStringLiteral("script"), {"-qec", command, "/dev/null"});
    run.out.replace("\r\r\n", "\r\n");
    return run;
}

QByteArray Utf8(const QByteArray &gb18030) { return DecodeText(gb18030).toUtf8(); }

} // namespace

class CliTerminalTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString points, network;

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("script").isEmpty())
            QSKIP("util-linux's script (Debian bsdutils) is not installed");
        points = WriteFile(dir.filePath("points.txt"), EncodeText("P1,35,117\r\n点2,35.3015,117.2530\r\n"));
        network = QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/io/data/krumm/Ghilani16_2_blunder.gkf");
    }

    // A point stream and a whole table (the network's, with its Chinese headings) on a terminal
    // of a UTF-8 locale: the bytes of the pipe, in UTF-8; --output-encoding gb18030 keeps them.
    void terminalGetsItsLocalesEncoding()
    {
        const QList<QStringList> commands = {{"gauss-forward", "--central-meridian", "117", points, "-"},
                                             {"network", network, "-"}};
        for (const QStringList &arguments : commands) {
            const ProgramRun piped = Cli(arguments);
            QVERIFY2(piped.status == 0, qPrintable(piped.diagnosis()));
            QVERIFY(DecodeText(piped.out).contains(arguments[0] == u"network" ? QStringLiteral("控制网严密平差结果")
                                                                             : QStringLiteral("点2,")));
            const ProgramRun utf8 = OnTerminal(arguments, dir.filePath("errors.txt"), "LC_ALL=C.UTF-8");
            QVERIFY2(utf8.status == 0, qPrintable(utf8.diagnosis()));
            QVERIFY2(utf8.out == Utf8(piped.out), utf8.out.constData());
            const ProgramRun kept = OnTerminal(QStringList{arguments[0], "--output-encoding", "gb18030"} + arguments.mid(1),
                                               dir.filePath("errors.txt"), "LC_ALL=C.UTF-8");
            QVERIFY(kept.out == piped.out);
        }
    }

    // A terminal of a GBK locale gets GB18030, as before.
    void gbkTerminalGetsGb18030()
    {
        if (QStandardPaths::findExecutable("localedef").isEmpty() || !QFile::exists("/usr/share/i18n/charmaps/GBK.gz"))
            QSKIP("localedef or the GBK character map (Debian locales) is missing");
        const QString locales = dir.filePath("locales");
        QVERIFY(QDir().mkpath(locales));
        // localedef warns about the categories POSIX leaves out; the locale is made all the same.
        RunProgram("localedef", {"-i", "POSIX", "-f", "GBK", locales + "/C.GBK"});
        QVERIFY(QFile::exists(locales + "/C.GBK"));
        const QStringList arguments = {"gauss-forward", "--central-meridian", "117", points, "-"};
        const ProgramRun run = OnTerminal(arguments, dir.filePath("errors.txt"), "LOCPATH=" + Quoted(locales) + " LC_ALL=C.GBK");
        QVERIFY2(run.status == 0, qPrintable(run.diagnosis()));
        QVERIFY(run.out == Cli(arguments).out);
    }

    // --output-encoding utf-8 writes UTF-8 to files and pipes too, the side tables included;
    // anything else is a bad option.
    void outputEncodingOption()
    {
        const QString common = WriteFile(dir.filePath("common.txt"), EncodeText("公共A,0,0,0,100,-50,2\r\n公共B,100,0,0,200,-50,2\r\n"
                                                                                "公共C,0,100,5,100,50,7\r\n"));
        const QString in = WriteFile(dir.filePath("plane.txt"), EncodeText("点1,1500,1500,15\r\n"));
        // The transformed points and the common points with their residuals.
        const auto files = [&](const QString &suffix, const QStringList &encoding) {
            const QString out = dir.filePath("out" + suffix), residuals = dir.filePath("res" + suffix);
            const ProgramRun r = Cli(QStringList{"plane", "--common", common, "--residuals", residuals} + encoding + QStringList{in, out});
            return r.status == 0 ? QList<QByteArray>{ReadFile(out), ReadFile(residuals)} : QList<QByteArray>{};
        };
        const QList<QByteArray> gb = files(".gb", {}), utf8 = files(".utf8", {"--output-encoding", "utf-8"});
        QCOMPARE(gb.size(), 2);
        QCOMPARE(utf8.size(), 2);
        for (int i = 0; i < 2; ++i) {
            QVERIFY(!IsValidUtf8(gb[i].constData(), gb[i].size()));
            QVERIFY(utf8[i] == Utf8(gb[i]));
        }
        const ProgramRun piped = Cli({"gauss-forward", "--output-encoding", "utf-8", points, "-"});
        QVERIFY(piped.out == Utf8(Cli({"gauss-forward", points, "-"}).out));

        const QList<QStringList> badOnes = {{"gauss-forward", points},
                                            {"adjust", "--type", "connecting", points},
                                            {"height-fit", "--model", "plane", "--common", points, points},
                                            {"network", network}};
        for (const QStringList &arguments : badOnes) {
            const ProgramRun bad = Cli(QStringList{arguments[0], "--output-encoding", "gbk"} + arguments.mid(1) + QStringList{"-"});
            const QString message = QString::fromUtf8(bad.err).section(u'\n', 0, 0);
            QVERIFY2(bad.status == 2 && message.contains("--output-encoding: 'gbk'"), qPrintable(arguments[0] + ": " + bad.err));
            QVERIFY(bad.out.isEmpty());
        }
    }

    // Every help: "用法：" with the full-width colon, as the Chinese texts of the program write it,
    // and 验后 (as the windows say), never 后验.
    void helpSpeaksWithOneColonAndOneWord()
    {
        QList<QStringList> helps = {{"--help"}};
        const QString programHelp = QString::fromUtf8(Cli({"--help"}).out);
        for (const QString &line : programHelp.split(u'\n'))
            if (line.startsWith(QLatin1String("  ")) && !line.trimmed().startsWith(u'-'))
                helps << QStringList{line.trimmed().section(u' ', 0, 0), "--help"};
        QVERIFY(helps.size() > 10);
        for (const QStringList &arguments : helps) {
            const ProgramRun run = Cli(arguments);
            QCOMPARE(run.status, 0);
            const QString text = QString::fromUtf8(run.out);
            QVERIFY2(text.startsWith(QStringLiteral("用法：")), qPrintable(arguments.join(' ') + "\n" + text));
            QVERIFY2(!text.contains(QStringLiteral("用法:")) && !text.contains(QStringLiteral("后验")), qPrintable(text));
        }
        QVERIFY(QString::fromUtf8(Cli({"network", "--help"}).out).contains(QStringLiteral("aposteriori (验后")));
        QFile page(QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/../resources/Help.html"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        QVERIFY(!QString::fromUtf8(page.readAll()).contains(QStringLiteral("后验")));
    }
};

QTEST_MAIN(CliTerminalTest)
#include "CliTerminalTest.moc"
