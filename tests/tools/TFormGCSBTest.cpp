// The field book window driven as a user drives it, from the main window's menu: a session
// imported, the known points typed, reduced; its saved file is the one quorvil-cli fieldbook
// writes, and 送平差 opens 控制网平差 with it, which adjusts. The hand-computed page with its failed
// 2C: the checks page, the report (python-docx) and the workbook (openpyxl) hold the window's rows.
// A bad row is named and leaves the results as they were.
#include "support/WindowTestSupport.h"

#include "app/TFormMain.h"
#include "io/TextCodec.h"
#include "io/survey/FieldBookFile.h"

#include <QApplication>
#include <QMenuBar>
#include <QtTest>

using namespace quorvil;
using namespace quorvil::test;

namespace {

QString Data(const QString &name) { return QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/core/data/fieldbook/") + name; }

QWidget *TopLevel(const QString &name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            return w;
    return nullptr;
}

} // namespace

class TFormGCSBTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QWidget *openFromMenu(TFormMain &main)
    {
        auto *action = main.findChild<QAction *>(QStringLiteral("gcSBClick"));
        if (!action)
            return nullptr;
        action->trigger();
        return TopLevel(QStringLiteral("TFormGCSB"));
    }

private slots:
    void sessionReducedSavedAndSentToTheNetwork()
    {
        ScriptedPrompts prompts;
        TFormMain main;
        QWidget *w = openFromMenu(main);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("观测手簿"));
        prompts.openAnswers.push_back(Data("session.gsi8"));
        QVERIFY(Press(w, QStringLiteral("ToolButton1")));
        QCOMPARE(Table(w, QStringLiteral("StringGrid1"))->rows(), 64);
        SetRows(w, QStringLiteral("StringGridKnown"),
                {{"K1", "3400000.000", "520000.000", "100.000"}, {"K2", "3401200.000", "521500.000", "120.000"}});
        QVERIFY(Press(w, QStringLiteral("ToolButton2")));
        QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join('\n')));
        QCOMPARE(Text(w, QStringLiteral("LabCheck")), QStringLiteral("检核 46 项, 全部合格"));

        // 数据另存 writes the file io/survey writes from the same record (as the command line does).
        const QString saved = m_dir.filePath("window.txt");
        prompts.saveAnswers.push_back(saved);
        QVERIFY(Press(w, QStringLiteral("ToolButton3")));
        const fieldbook::Reduction r = fieldbook::Reduce(ReadFieldBook(Data("session.gsi8")),
                                                         ReadKnownPoints(Data("session-known.txt")), fieldbook::Settings{});
        const SurveyHeader header{"", "一级", "", "", Field(w, QStringLiteral("EditRQ"))};
        QCOMPARE(DecodeText(ReadFile(saved)), FieldBookObservationLines(r, header).join("\r\n") + "\r\n");

        // 送平差: a 控制网平差 window with the file, which adjusts.
        QVERIFY(Press(w, QStringLiteral("ToolButton4")));
        QWidget *network = TopLevel(QStringLiteral("TFormKZWPC"));
        QVERIFY(network);
        QCOMPARE(Table(network, QStringLiteral("StringGridKnown"))->rows(), 2);
        QVERIFY(Press(network, QStringLiteral("ToolButton4")));
        QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join('\n')));
        bool p2 = false;
        for (const QStringList &row : Rows(network, QStringLiteral("StringGridPoints")))
            p2 = p2 || (row[0] == "P2" && row[1].startsWith("3401050.000") && row[3].startsWith("131.250"));
        QVERIFY(p2);
    }

    void failedCheckShownReportedAndSaved()
    {
        ScriptedPrompts prompts;
        TFormMain main;
        QWidget *w = openFromMenu(main);
        QVERIFY(w);
        prompts.openAnswers.push_back(Data("page.csv"));
        QVERIFY(Press(w, QStringLiteral("ToolButton1")));
        SetField(w, QStringLiteral("CheckGrid"), QStringLiteral("off"));
        QVERIFY(Press(w, QStringLiteral("ToolButton2")));
        QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join('\n')));
        QCOMPARE(Text(w, QStringLiteral("LabCheck")), QStringLiteral("检核 16 项, 1 项超限"));
        const QList<QStringList> checks = Rows(w, QStringLiteral("StringGridChecks"));
        int over = -1;
        for (int i = 0; i < checks.size(); ++i)
            if (checks[i][5] == QStringLiteral("超限"))
                over = i;
        QVERIFY(over >= 0);
        QCOMPARE(checks[over], (QStringList{"N2", "2", "", "2C 互差", "64″", "超限", "18″"}));
        QVERIFY(Table(w, QStringLiteral("StringGridChecks"))->isHighlighted(over));

        // The report and the workbook hold the window's rows.
        const QString docx = m_dir.filePath("book.docx"), xlsx = m_dir.filePath("checks.xlsx");
        prompts.saveAnswers.push_back(docx);
        QVERIFY(Press(w, QStringLiteral("ToolButton5")));
        prompts.saveAnswers.push_back(xlsx);
        QVERIFY(Press(w, QStringLiteral("ChecksSave")));
        QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join('\n')));
        const QString out = RunPython(QStringLiteral(R"(
import sys, docx, openpyxl
d = docx.Document(sys.argv[1])
print("|".join(c.text for c in d.tables[-1].rows[%1].cells))
ws = openpyxl.load_workbook(sys.argv[2]).active
rows = [r for r in ws.iter_rows(values_only=True)]
print('|'.join('' if v is None else str(v) for v in rows[0]))
print('|'.join('' if v is None else str(v) for v in rows[%1]))
)")
                                          .arg(over + 1),
                                      {docx, xlsx});
        const QStringList lines = out.trimmed().split('\n');
        QCOMPARE(lines.value(0), checks[over].join('|'));
        QCOMPARE(lines.value(1), QStringLiteral("测站|测回|照准点|检核项目|数值|结论|限差"));
        QCOMPARE(lines.value(2), checks[over].join('|'));
    }

    void badRowIsNamedAndResultsStay()
    {
        ScriptedPrompts prompts;
        TFormMain main;
        QWidget *w = openFromMenu(main);
        QVERIFY(w);
        SetField(w, QStringLiteral("CheckGrid"), QStringLiteral("off"));
        SetRows(w, QStringLiteral("StringGrid1"),
                {{"S", "", "A", "", "1", "左", "0.0000", "", ""}, {"S", "", "B", "", "1", "左", "30.0000", "", ""},
                 {"S", "", "B", "", "1", "右", "210.0000", "", ""}, {"S", "", "A", "", "1", "右", "180.0000", "", ""}});
        QVERIFY(Press(w, QStringLiteral("ToolButton2")));
        QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join('\n')));
        const QList<QStringList> page = Rows(w, QStringLiteral("StringGridPage"));
        QCOMPARE(page.size(), 2);
        SetCell(w, QStringLiteral("StringGrid1"), 1, 6, QStringLiteral("30.6000"));
        QVERIFY(Press(w, QStringLiteral("ToolButton2")));
        QCOMPARE(prompts.errors.size(), 1);
        QVERIFY2(prompts.errors[0].startsWith(QStringLiteral("第 2 行: 水平度盘读数 '30.6000' 不是角度")), qPrintable(prompts.errors[0]));
        QCOMPARE(Rows(w, QStringLiteral("StringGridPage")), page);
    }
};

QTEST_MAIN(TFormGCSBTest)
#include "TFormGCSBTest.moc"
