// quorvil-cli fieldbook run as a program: its observation file is the one io/survey writes and
// adjusts with quorvil-cli network; --check exits 3 after writing, naming the failed check; bad
// input is one Chinese message naming the line, exit 1, nothing written; bad options exit 2.
#include "support/WindowTestSupport.h"

#include "io/TextCodec.h"
#include "io/survey/FieldBookFile.h"

#include <QtTest>

using namespace quorvil;
using namespace quorvil::test;

namespace {

ProgramRun Cli(const QStringList &arguments) { return RunProgram(QStringLiteral(QUORVIL_CLI), arguments); }

QString Data(const QString &name) { return QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/core/data/fieldbook/") + name; }

} // namespace

class FieldbookCliTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void sessionIsReducedAndAdjusted()
    {
        const QString out = dir.filePath("obs.txt"), table = dir.filePath("net.txt"), report = dir.filePath("fb.docx");
        const ProgramRun run = Cli({"fieldbook", "--known", Data("session-known.txt"), "--report", report, Data("session.gsi16"), out});
        QCOMPARE(run.status, 0);
        QVERIFY2(QString::fromUtf8(run.out).contains(QStringLiteral("全部合格")), run.out.constData());
        QVERIFY(QFile::exists(report));
        const fieldbook::Reduction r = fieldbook::Reduce(ReadFieldBook(Data("session.gsi16")),
                                                         ReadKnownPoints(Data("session-known.txt")), fieldbook::Settings{});
        const QStringList lines = FieldBookObservationLines(r, SurveyHeader{QString(), "一级"});
        QCOMPARE(DecodeText(ReadFile(out)), lines.join("\r\n") + "\r\n");

        const ProgramRun network = Cli({"network", out, table});
        QCOMPARE(network.status, 0);
        QVERIFY(DecodeText(ReadFile(table)).contains(QStringLiteral("P2,待定,3401050,520250,131.25,")));
    }

    void checkExitsThreeAfterWriting()
    {
        const QString out = dir.filePath("page.txt");
        const ProgramRun run = Cli({"fieldbook", "--no-grid", "--check", Data("page.csv"), out});
        QCOMPARE(run.status, 3);
        QVERIFY2(QString::fromUtf8(run.out).contains(QStringLiteral("N2 第 2 测回 2C 互差 64″ 超限 (限差 18″)")), run.out.constData());
        QVERIFY(QFile::exists(out));
        // Without --check the same book is no failure.
        QCOMPARE(Cli({"fieldbook", "--no-grid", Data("page.csv"), out}).status, 0);
    }

    void badInputAndOptions()
    {
        const QString book = dir.filePath("bad.csv"), out = dir.filePath("bad.txt");
        QFile f(book);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("S,,A,,1,左,0.0000,,\nS,,B,,1,右,30.0000,,\n");
        f.close();
        const ProgramRun run = Cli({"fieldbook", "--no-grid", book, out});
        QCOMPARE(run.status, 1);
        QVERIFY2(QString::fromUtf8(run.err).contains(QStringLiteral("第 2 行: 盘右照准 B 在第 1 测回没有盘左观测")), run.err.constData());
        QVERIFY(!QFile::exists(out));
        QCOMPARE(Cli({"fieldbook", "--grade", "五级", Data("page.csv"), out}).status, 2);
        QCOMPARE(Cli({"fieldbook", "--instrument", "3", Data("page.csv"), out}).status, 2);
        // The grid reduction needs known coordinates.
        const ProgramRun grid = Cli({"fieldbook", Data("page.csv"), out});
        QCOMPARE(grid.status, 1);
        QVERIFY(QString::fromUtf8(grid.err).contains(QStringLiteral("没有已知坐标")));
    }
};

QTEST_MAIN(FieldbookCliTest)
#include "FieldbookCliTest.moc"
