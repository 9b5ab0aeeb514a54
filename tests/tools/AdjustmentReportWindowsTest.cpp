// "Word报表" of the eight adjustment windows, driven as a user would: fill a traverse of 22 new
// points, press the button, answer the save dialog, and read the report back with python-docx.
#include "support/DocxReader.h"
#include "support/WindowTestSupport.h"
#include "io/IniFile.h"
#include "tools/BJFH/TFormBJFH.h"
#include "tools/DBFH/TFormDBFH.h"
#include "tools/GCFH/TFormGCFH.h"
#include "tools/WDX/TFormWDX.h"
#include "tools/ZBFH/TFormZBFH.h"
#include "tools/ZBFH1/TFormZBFH1.h"
#include "tools/ZBwdx/TFormZBwdx.h"
#include "tools/ZDX/TFormZDX.h"

#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <functional>
#include <memory>

using namespace quorvil;
using namespace quorvil::test;

namespace {

constexpr int NewPoints = 22;
const QStringList HeaderNames = {"EditGC", "EditDJ", "EditJS", "EditJH", "EditRQ"};
const QStringList Header = {"北郊图根导线", "图根", "陈工", "刘工", "2024-06-01"};

// A winding line of stations in Gauss–Krüger coordinates with the zone number in front.
struct Station {
    double x, y, h;
};
Station TrueStation(int i)
{
    return {3380000.0 + 140.0 * i + 35.0 * std::sin(i), 38500000.0 + 90.0 * i + 60.0 * std::cos(1.3 * i),
            50.0 + 2.0 * std::sin(0.7 * i)};
}
double BearingDeg(const Station &p, const Station &q)
{
    double a = std::atan2(q.y - p.y, q.x - p.x) * 180.0 / M_PI;
    return a < 0 ? a + 360.0 : a;
}
double Length(const Station &p, const Station &q) { return std::hypot(q.x - p.x, q.y - p.y); }
QString Fixed(double v, int decimals) { return QString::number(v, 'f', decimals); }
// A left angle at station i as typed, ddd.mmss to whole seconds.
QString LeftAngle(int i)
{
    double a = BearingDeg(TrueStation(i), TrueStation(i + 1)) - BearingDeg(TrueStation(i - 1), TrueStation(i)) + 180.0;
    a = std::fmod(a + 720.0, 360.0);
    long seconds = std::lround(a * 3600.0);
    return QStringLiteral("%1.%2%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QChar('0'))
        .arg(seconds % 60, 2, 10, QChar('0'));
}
QString Distance(int i) { return Fixed(Length(TrueStation(i), TrueStation(i + 1)) + 0.003 * std::sin(5.0 * i), 3); }
QString Name(int i, int count, const QStringList &known, const QList<int> &knownRows)
{
    // Known names where the known rows are (from the end when negative), P1 … between.
    int front = 0;
    for (int row : knownRows)
        front += row >= 0 ? 1 : 0;
    if (i < front)
        return known[i];
    if (i >= count - (known.size() - front))
        return known[known.size() - (count - i)];
    return QStringLiteral("P%1").arg(i - front + 1);
}

// Angle traverses: name, angle, distance, X, Y of `count` stations from station `first`.
QList<QStringList> AngleRows(int count, const QStringList &known, const QList<int> &knownRows, int firstAngle,
                             int lastAngle, int firstDistance, int lastDistance)
{
    QList<QStringList> rows;
    for (int i = 0; i < count; ++i) {
        const Station s = TrueStation(i);
        const bool isKnown = knownRows.contains(i) || knownRows.contains(i - count);
        QString angle = i >= firstAngle && i <= lastAngle ? (i == 0 ? QStringLiteral("88.0000") : LeftAngle(i)) : QString();
        rows += QStringList{Name(i, count, known, knownRows), angle,
                            i >= firstDistance && i <= lastDistance ? Distance(i) : QString(),
                            isKnown ? Fixed(s.x, 3) : QString(), isKnown ? Fixed(s.y, 3) : QString()};
    }
    return rows;
}

// Coordinate traverses: name, measured X, Y, H, known X, Y, H. Measured coordinates carry a
// few millimetres of error; `turn` turns and shifts them into a local frame.
QList<QStringList> CoordinateRows(int count, const QStringList &known, const QList<int> &knownRows, int firstMeasured,
                                  bool turn)
{
    QList<QStringList> rows;
    for (int i = 0; i < count; ++i) {
        const Station s = TrueStation(i);
        const bool isKnown = knownRows.contains(i) || knownRows.contains(i - count);
        QStringList row{Name(i, count, known, knownRows), "", "", "", "", "", ""};
        if (i >= firstMeasured) {
            double x = s.x + 0.004 * std::sin(3.0 * i), y = s.y + 0.003 * std::cos(2.0 * i);
            if (turn) {
                const double c = std::cos(0.3), sn = std::sin(0.3), dx = x - 3380000.0, dy = y - 38500000.0;
                x = 1000.0 + dx * c - dy * sn;
                y = 2000.0 + dx * sn + dy * c;
            }
            row[1] = Fixed(x, 3);
            row[2] = Fixed(y, 3);
            row[3] = Fixed(s.h + 0.002 * std::sin(i), 3);
        }
        if (isKnown) {
            row[4] = Fixed(s.x, 3);
            row[5] = Fixed(s.y, 3);
            row[6] = Fixed(s.h, 3);
        }
        rows += row;
    }
    return rows;
}

QList<QStringList> LevellingRows(int count)
{
    QList<QStringList> rows;
    double height = 100.0;
    for (int i = 0; i < count; ++i) {
        QStringList row{Name(i, count, {"BM1", "BM2"}, {0, -1}), "", "", "", ""};
        if (i + 1 < count) {
            row[1] = Fixed(0.3 + 0.05 * (i % 4), 2);
            const double diff = 0.8 * std::sin(0.9 * i);
            row[2] = Fixed(diff, 3);
            height += diff;
        }
        if (i == 0)
            row[4] = "100.000";
        if (i + 1 == count)
            row[4] = Fixed(height - 0.009, 3);
        rows += row;
    }
    return rows;
}

struct ReportCase {
    const char *className;
    std::function<TraverseWindow *()> make;
    QList<QStringList> rows;
    int dataRow;            // template row turned into point blocks
    int columns, firstLeg, lastLeg;
    int firstValueColumn;   // report column of the first X (or height) text
    int tableValueColumn;   // table column it comes from
    int legColumn;          // a leg column filled once per leg
    QStringList summaryLabels;
    QString separator = "    ";
};

QList<ReportCase> Cases(int m)
{
    const QStringList traverse = {"LabFB", "LabVB", "LabFx", "LabFy", "LabFs", "LabK"};
    const QStringList side = {"LabFx", "LabFy", "LabFs", "LabK"};
    const QStringList coordinate = {"LabFB", "LabVB", "LabFx", "LabFy", "LabFs", "LabK", "LabFh", "LabES"};
    const QStringList coordinateSide = {"LabFx", "LabFy", "LabFs", "LabK", "LabFh", "LabES"};
    return {
        {"TFormBJFH", [] { return new TFormBJFH(nullptr); },
         AngleRows(m + 4, {"A", "B", "C", "D"}, {0, 1, -2, -1}, 1, m + 2, 1, m + 1), 3, 11, 4, 9, 10, 3, 4, traverse},
        {"TFormDBFH", [] { return new TFormDBFH(nullptr); },
         AngleRows(m + 3, {"A", "B", "C"}, {0, 1, -1}, 1, m + 1, 1, m + 1), 3, 10, 3, 8, 9, 3, 3, side},
        {"TFormWDX", [] { return new TFormWDX(nullptr); },
         AngleRows(m + 2, {"B", "C"}, {0, -1}, 0, m, 0, m), 3, 10, 3, 8, 9, 3, 3, side},
        {"TFormZDX", [] { return new TFormZDX(nullptr); }, // an open traverse needs a new point
         AngleRows(std::max(m, 1) + 2, {"A", "B"}, {0, 1}, 1, std::max(m, 1), 1, std::max(m, 1)), 3, 6, 3, 4, 5, 3,
         3, {}},
        {"TFormGCFH", [] { return new TFormGCFH(nullptr); }, LevellingRows(m + 2), 2, 6, 2, 5, 6, 4, 5,
         {"LabFh", "LabL"}, "          "},
        {"TFormZBFH", [] { return new TFormZBFH(nullptr); },
         CoordinateRows(m + 4, {"A", "B", "C", "D"}, {0, 1, -2, -1}, 2, false), 3, 15, 5, 12, 13, 4, 5, coordinate},
        {"TFormZBFH1", [] { return new TFormZBFH1(nullptr); },
         CoordinateRows(m + 3, {"A", "B", "C"}, {0, 1, -1}, 2, false), 3, 15, 5, 12, 13, 4, 5, coordinateSide},
        {"TFormZBwdx", [] { return new TFormZBwdx(nullptr); },
         CoordinateRows(m + 2, {"B", "C"}, {0, -1}, 0, true), 3, 15, 5, 12, 13, 4, 5, coordinateSide},
    };
}

void Fill(QWidget *w, const QList<QStringList> &rows)
{
    Table(w, "StringGrid1")->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        SetRow(w, "StringGrid1", r, rows[r]);
}

QString Labels(QWidget *w, const QStringList &names, const QString &separator)
{
    QStringList texts;
    for (const QString &name : names)
        texts += w->findChild<QLabel *>(name)->text();
    return texts.join(separator);
}

} // namespace

class AdjustmentReportWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedPrompts> prompts;
    QTemporaryDir dir;

    // Fills every window with a traverse of `newPoints` new points, reports it and reads it back.
    void reportEveryWindow(int newPoints);

private slots:
    void initTestCase()
    {
        if (!DocxReaderAvailable())
            QSKIP(DocxReaderMissing);
        SetSettingsFilePath(dir.filePath("Quorvil.ini"));
    }
    void init() { prompts = std::make_unique<ScriptedPrompts>(); }
    void cleanup() { prompts.reset(); }

    void everyWindowReportsALongTraverse() { reportEveryWindow(NewPoints); }
    // No new point at all (one for the open traverse): the blocks of the known points only.
    void everyWindowReportsTheShortestTraverse() { reportEveryWindow(0); }

    void reportComputesTheTableAsItStands()
    {
        // No "计算" before: the report computes first and shows the worked example.
        TFormBJFH w(nullptr);
        Fill(&w, {{"A", "", "", "5000", "5000"},
                  {"B", "135.0006", "141.425", "5000", "5100"},
                  {"P1", "225.0000", "100.002", "", ""},
                  {"C", "224.5957", "", "5100", "5300"},
                  {"D", "", "", "5000", "5400"}});
        const QString path = dir.filePath("example.docx");
        prompts->saveAnswers.push_back(path);
        QVERIFY(Press(&w, "ToolButton8"));
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(Cell(&w, "StringGrid1", 2, 3), QString("5100.001"));
        const DocxContents doc = ReadDocx(path);
        QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
        const QStringList bearings = {doc.text(4, 4), doc.text(6, 4), doc.text(8, 4), doc.text(10, 4)};
        QCOMPARE(bearings, (QStringList{"90.0000", "45.0005", "90.0004", "135.0003"}));
        QCOMPARE((QStringList{doc.text(5, 3), doc.text(7, 3), doc.text(9, 3)}), (QStringList{"-1.00", "-1.00", "-1.00"}));
        QCOMPARE((QStringList{doc.text(6, 7), doc.text(8, 7), doc.text(6, 9), doc.text(8, 9)}),
                 (QStringList{"1.05", "0.74", "-4.10", "-2.90"}));
        QCOMPARE(doc.text(7, 10), QString("5100.001"));

        // A cell changed after the computation: the next report is computed on it.
        SetCell(&w, "StringGrid1", 2, 2, "100.012");
        prompts->saveAnswers.push_back(path);
        prompts->overwriteAnswers.push_back(true);
        QVERIFY(Press(&w, "ToolButton8"));
        QCOMPARE(prompts->overwriteQuestions, 1);
        QCOMPARE(ReadDocx(path).text(8, 5), QString("100.012"));
        QCOMPARE(ReadDocx(path).text(7, 10), Cell(&w, "StringGrid1", 2, 3));
    }

    void failedComputationOrDeclinedOverwriteWritesNothing()
    {
        TFormGCFH w(nullptr);
        Fill(&w, {{"BM1", "1.2", "0.505", "", "100.000"}, {"P1", "0.8", "abc", "", ""}, {"BM2", "", "", "", "101.000"}});
        const QString path = dir.filePath("none.docx");
        prompts->saveAnswers.push_back(path);
        QVERIFY(Press(&w, "ToolButton8"));
        QCOMPARE(prompts->errors, QStringList{"'abc' is not a valid floating point value"});
        QVERIFY(prompts->saveDialogs.isEmpty());
        QVERIFY(!QFile::exists(path));

        SetCell(&w, "StringGrid1", 1, 2, "0.503");
        WriteFile(path, "old");
        prompts->saveAnswers.push_back(path); // the overwrite prompt is answered No
        QVERIFY(Press(&w, "ToolButton8"));
        QCOMPARE(prompts->overwriteQuestions, 1);
        QCOMPARE(ReadFile(path), QByteArray("old"));
        QVERIFY(!w.findChild<QFrame *>("Panel2")->isVisibleTo(&w));
    }
};


void AdjustmentReportWindowsTest::reportEveryWindow(int newPoints)
{
    for (const ReportCase &c : Cases(newPoints)) {
        const QString name = c.className;
        std::unique_ptr<TraverseWindow> w(c.make());
        Fill(w.get(), c.rows);
        for (int i = 0; i < 5; ++i)
            SetField(w.get(), HeaderNames[i], Header[i]);

        // The strip shows while the report is built and is hidden after.
        auto *panel = w->findChild<QFrame *>("Panel2");
        auto *bar = w->findChild<QProgressBar *>("ProgressBar1");
        QVERIFY2(panel && bar, qPrintable(name));
        QList<QPair<int, bool>> progress;
        connect(bar, &QProgressBar::valueChanged, this,
                [&](int value) { progress.append({value, panel->isVisibleTo(w.get())}); });

        const QString file = QStringLiteral("%1-%2").arg(name).arg(newPoints);
        const QString path = dir.filePath(file + ".docx");
        prompts->saveAnswers.push_back(dir.filePath(file)); // no extension typed
        QVERIFY(Press(w.get(), "ToolButton8"));
        QVERIFY2(prompts->errors.isEmpty(), qPrintable(name + ": " + prompts->errors.join('|')));
        QCOMPARE(prompts->saveDialogs.size(), 1);
        QCOMPARE(prompts->saveDialogs[0].title, QString("生成的Word文件..."));
        QCOMPARE(prompts->saveDialogs[0].filter, QString("Word 文档 (*.docx)"));
        QCOMPARE(prompts->saveDialogs[0].defaultSuffix, QString("docx"));
        prompts->saveDialogs.clear();
        QVERIFY2(!panel->isVisibleTo(w.get()), qPrintable(name));
        QVERIFY2(!progress.isEmpty() && progress.last().first == 100, qPrintable(name));
        for (const auto &[value, shown] : progress)
            QVERIFY2(shown, qPrintable(name + " strip hidden at " + QString::number(value)));

        const DocxContents doc = ReadDocx(path);
        QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
        const PointTableModel *table = Table(w.get(), "StringGrid1");
        const int b = table->rows();
        QCOMPARE(doc.rowCount(), c.dataRow + 2 * b);
        int legs = 0;
        for (int r = 1; r <= b; ++r) {
            const int upper = c.dataRow + 2 * (r - 1);
            QCOMPARE(doc.text(upper, 1), table->cell(r - 1, 0).trimmed());
            QCOMPARE(doc.text(upper, c.firstValueColumn), table->cell(r - 1, c.tableValueColumn).trimmed());
            for (int row : {upper, upper + 1}) {
                QCOMPARE(doc.row(row).value("rule").toString(), QString("EXACTLY"));
                QCOMPARE(doc.row(row).value("height").toDouble(), 8.0);
                for (int column = 1; column <= c.columns; ++column) {
                    const bool leg = column >= c.firstLeg && column <= c.lastLeg;
                    const bool first = row == c.dataRow, last = row == c.dataRow + 2 * b - 1;
                    QString expected;
                    if (!leg)
                        expected = row == upper ? "restart" : "continue";
                    else if (!first && !last)
                        expected = row == upper ? "continue" : "restart";
                    QVERIFY2(doc.vmerge(row, column) == expected,
                             qPrintable(QStringLiteral("%1 (%2, %3)").arg(name).arg(row).arg(column)));
                }
            }
            if (!doc.text(upper + 1, c.legColumn).isEmpty())
                ++legs;
        }
        QVERIFY2(legs == b - 1, qPrintable(QStringLiteral("%1: %2 legs").arg(name).arg(legs)));
        // The summary line, and under it the verdicts on the closures for the grade "图根".
        if (!c.summaryLabels.isEmpty())
            QCOMPARE(doc.text(c.dataRow + 2 * b, 2),
                     Labels(w.get(), c.summaryLabels, c.separator) + "\n" + LimitLineOf(w.get(), "    "));
        const QString body = doc.strings("body").join('\n');
        for (const QString &field : Header)
            QVERIFY2(body.contains(field), qPrintable(name + " " + field));
        QVERIFY2(!body.contains('['), qPrintable(body));
        QCOMPARE(doc.strings("headers").join(""), Header[0]);
    }
}

QTEST_MAIN(AdjustmentReportWindowsTest)
#include "AdjustmentReportWindowsTest.moc"
