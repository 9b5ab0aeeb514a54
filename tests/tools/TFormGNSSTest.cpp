// The GNSS network window driven as a user would: the sample baselines imported through the
// button, the known points typed, the grade chosen, "平差计算" pressed; the window's summary and
// tables agree with the reader and computation of the command line on the same files, the report is written, the heights go to
// the height fitting window, and a bad row is refused with its row and the tables kept. The
// numbers themselves are checked in tests/core/GnssTest.cpp.
#include "support/WindowTestSupport.h"
#include "tools/GNSS/TFormGNSS.h"

#include "io/TextCodec.h"
#include "io/survey/BaselineFile.h"
#include "io/survey/GnssOutput.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

using namespace quorvil;
using namespace quorvil::test;

namespace {

QString Sample(const QString &name)
{
    return QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/data/gnss/") + name;
}

QList<QStringList> KnownRows()
{
    QList<QStringList> rows;
    for (const QString &line : QString::fromUtf8(ReadFile(Sample("known.csv"))).split('\n', Qt::SkipEmptyParts))
        if (!line.startsWith('#'))
            rows.append(line.split(','));
    return rows;
}

} // namespace

class TFormGNSSTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void sampleAgreesWithTheCommandLineReportAndHeightFit()
    {
        ScriptedPrompts prompts;
        TFormGNSS w(nullptr);
        prompts.openAnswers.push_back(Sample("baselines.csv"));
        QVERIFY(Press(&w, QStringLiteral("ToolButton1")));
        QCOMPARE(Table(&w, QStringLiteral("StringGridBaselines"))->rows(), 36);
        SetRows(&w, QStringLiteral("StringGridKnown"), KnownRows());
        SetField(&w, QStringLiteral("EditLL"), QStringLiteral("117"));
        QVERIFY(Press(&w, QStringLiteral("ToolButton4")));
        QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join('\n')));

        // the same files through the reader and the computation the command line uses
        gnss::Job job;
        job.network = ParseBaselines(ReadFile(Sample("baselines.csv")));
        job.known = ParseKnownPoints(ReadFile(Sample("known.csv")));
        job.grid.ellipsoid = {6378137.0L, 6356752.3141403558478521068615295L};
        job.grid.centralMeridian = 117;
        job.grade = *gnss::GradeOf("二级");
        const gnss::JobResults expected = gnss::RunJob(job);
        const QString summary = Named<QPlainTextEdit>(&w, QStringLiteral("MemoSummary"))->toPlainText();
        QVERIFY2(summary.startsWith(QString::fromStdString(GnssSummaryLine(job, expected))), qPrintable(summary));
        const QList<GnssTable> tables = GnssTables(job, expected);
        QCOMPARE(Rows(&w, QStringLiteral("StringGridGrid")), tables[int(GnssSection::GridPoints)].rows);
        QCOMPARE(Rows(&w, QStringLiteral("StringGridLoops")).size(), 27);

        // the report
        const QString report = m_dir.filePath("gnss.docx");
        prompts.saveAnswers.push_back(report);
        QVERIFY(Press(&w, QStringLiteral("ToolButton5")));
        QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join('\n')));
        QVERIFY(ReadFile(report).startsWith("PK"));

        // the heights to the height fitting window: the four known points with their normal heights
        QVERIFY(Press(&w, QStringLiteral("ToolButton7")));
        QWidget *fit = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top->objectName() == QStringLiteral("TFormGCNH"))
                fit = top;
        QVERIFY(fit);
        QCOMPARE(Table(fit, QStringLiteral("StringGrid1"))->rows(), 4);
        QCOMPARE(Table(fit, QStringLiteral("StringGrid2"))->rows(), 8);
        QCOMPARE(Cell(fit, QStringLiteral("StringGrid1"), 0, 4), QStringLiteral("19.5000"));
        delete fit;
    }

    void badRowIsRefusedWithItsRowAndTheTablesKept()
    {
        ScriptedPrompts prompts;
        TFormGNSS w(nullptr);
        SetRows(&w, QStringLiteral("StringGridBaselines"),
                {{"1", "A", "B", "1", "2", "3", "0.003", "0.003", "0.003", "0", "0", "0"},
                 {"1", "B", "C", "1", "", "3", "0.003", "0.003", "0.003", "0", "0", "0"}});
        w.findChild<QComboBox *>(QStringLiteral("ComboFix"))->setCurrentText(QStringLiteral("A"));
        SetField(&w, QStringLiteral("EditFixX"), QStringLiteral("-2421598.6"));
        SetField(&w, QStringLiteral("EditFixY"), QStringLiteral("4671737.3"));
        SetField(&w, QStringLiteral("EditFixZ"), QStringLiteral("3592303.0"));
        QVERIFY(Press(&w, QStringLiteral("ToolButton4")));
        QCOMPARE(prompts.errors.size(), 1);
        QVERIFY2(prompts.errors[0].contains(QStringLiteral("第 2 行: 缺少 ΔY")), qPrintable(prompts.errors[0]));
        QCOMPARE(Cell(&w, QStringLiteral("StringGridBaselines"), 1, 1), QStringLiteral("B"));
    }
};

QTEST_MAIN(TFormGNSSTest)
#include "TFormGNSSTest.moc"
