// 严密平差 in the eight adjustment windows, driven as a user would, against the command line, the
// Word report read back by python-docx, and the network engine on the same observations written
// as a gama-local file by hand.
#include "support/DocxReader.h"
#include "support/WindowTestSupport.h"

#include "core/TextForms.h"
#include "core/network/Network.h"
#include "io/IniFile.h"
#include "io/TextCodec.h"
#include "io/survey/GamaFile.h"
#include "tools/BJFH/TFormBJFH.h"
#include "tools/DBFH/TFormDBFH.h"
#include "tools/GCFH/TFormGCFH.h"
#include "tools/WDX/TFormWDX.h"
#include "tools/ZBFH/TFormZBFH.h"
#include "tools/ZBFH1/TFormZBFH1.h"
#include "tools/ZBwdx/TFormZBwdx.h"
#include "tools/ZDX/TFormZDX.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <functional>
#include <memory>

using namespace quorvil;
using namespace quorvil::test;

namespace {

ProgramRun Cli(const QStringList &arguments) { return RunProgram(QStringLiteral(QUORVIL_CLI), arguments); }

// The true stations of one traverse, A, B, P1 … P4, C, D (x north, y east, height), from which
// every example is observed with small fixed errors.
struct Station {
    const char *name;
    double x, y, h;
};
constexpr Station Truth[] = {
    {"A", 5000, 5000, 50},     {"B", 5000, 5200, 52},     {"P1", 5080, 5390, 55},    {"P2", 5150, 5600, 53},
    {"P3", 5120, 5820, 58},    {"P4", 5190, 6010, 60},    {"C", 5240, 6200, 61},     {"D", 5400, 6300, 62},
};
constexpr double AngleNoise[] = {0, 3, -4, 2, 5, -3, 4, 0};   // ″, at each station
constexpr double LengthNoise[] = {0, 4, -3, 5, -2, 3, 0, 0};  // mm, of the leg from each station
constexpr double MeasureNoise[] = {0, 0, 6, -4, 5, -7, 8, 3}; // mm, of measured coordinates

QString Fixed(int decimals, long double value) { return QString::fromStdString(NumberToText(decimals, value)); }

long double Bearing(int from, int to)
{
    return Azimuth(Truth[from].x, Truth[from].y, Truth[to].x, Truth[to].y);
}

QString LeftAngle(int i)
{
    long double a = Bearing(i, i + 1) - Bearing(i, i - 1);
    if (a < 0)
        a += TwoPi;
    return Fixed(4, DegToDms(RadToDeg(a) + AngleNoise[i] / 3600));
}

QString Length(int i)
{
    return Fixed(3, std::hypot(Truth[i + 1].x - Truth[i].x, Truth[i + 1].y - Truth[i].y) + LengthNoise[i] / 1000);
}

// A row of an angle traverse: name, angle, distance, X, Y.
QStringList AngleRow(int i, bool angle, bool leg, bool known)
{
    return {Truth[i].name, angle ? LeftAngle(i) : QString(), leg ? Length(i) : QString(),
            known ? Fixed(3, Truth[i].x) : QString(), known ? Fixed(3, Truth[i].y) : QString()};
}

// A row of a coordinate traverse: name, measured X, Y, H (in a frame turned by `turn` about B),
// known X, Y, H.
QStringList CoordinateRow(int i, bool measured, bool known, double turn = 0)
{
    const double dx = Truth[i].x - Truth[1].x, dy = Truth[i].y - Truth[1].y, e = MeasureNoise[i] / 1000;
    const double mx = 1000 + dx * std::cos(turn) - dy * std::sin(turn) + e;
    const double my = 2000 + dx * std::sin(turn) + dy * std::cos(turn) - e;
    const bool local = turn != 0;
    QStringList row = {Truth[i].name};
    row << (measured ? Fixed(3, local ? mx : Truth[i].x + e) : QString())
        << (measured ? Fixed(3, local ? my : Truth[i].y - e) : QString())
        << (measured ? Fixed(3, Truth[i].h + e) : QString());
    row << (known ? Fixed(3, Truth[i].x) : QString()) << (known ? Fixed(3, Truth[i].y) : QString())
        << (known ? Fixed(3, Truth[i].h) : QString());
    return row;
}

QList<QStringList> Connecting()
{
    QList<QStringList> rows;
    for (int i = 0; i <= 7; ++i)
        rows << AngleRow(i, i >= 1 && i <= 6, i >= 1 && i <= 5, i <= 1 || i >= 6);
    return rows;
}
QList<QStringList> SingleSide()
{
    QList<QStringList> rows;
    for (int i = 0; i <= 6; ++i)
        rows << AngleRow(i, i >= 1 && i <= 5, i >= 1 && i <= 5, i <= 1 || i == 6);
    return rows;
}
QList<QStringList> NoOrientation()
{
    QList<QStringList> rows;
    for (int i = 1; i <= 6; ++i)
        rows << AngleRow(i, i >= 2 && i <= 5, i <= 5, i == 1 || i == 6);
    rows[0][1] = "0";
    return rows;
}
QList<QStringList> Open()
{
    QList<QStringList> rows;
    for (int i = 0; i <= 5; ++i)
        rows << AngleRow(i, i >= 1 && i <= 4, i >= 1 && i <= 4, i <= 1);
    return rows;
}
QList<QStringList> Levelling()
{
    QList<QStringList> rows;
    for (int i = 1; i <= 6; ++i) {
        QStringList row = {Truth[i].name, "", "", "", (i == 1 || i == 6) ? Fixed(3, Truth[i].h) : QString()};
        if (i < 6) {
            row[1] = Fixed(3, std::hypot(Truth[i + 1].x - Truth[i].x, Truth[i + 1].y - Truth[i].y) / 1000);
            row[2] = Fixed(3, Truth[i + 1].h - Truth[i].h + LengthNoise[i] / 1000);
        }
        rows << row;
    }
    return rows;
}
QList<QStringList> CoordinateConnecting()
{
    QList<QStringList> rows;
    for (int i = 0; i <= 7; ++i)
        rows << CoordinateRow(i, i >= 2, i <= 1 || i >= 6);
    return rows;
}
QList<QStringList> CoordinateSingleSide()
{
    QList<QStringList> rows;
    for (int i = 0; i <= 6; ++i)
        rows << CoordinateRow(i, i >= 2, i <= 1 || i == 6);
    return rows;
}
QList<QStringList> CoordinateNoOrientation()
{
    QList<QStringList> rows;
    for (int i = 1; i <= 6; ++i)
        rows << CoordinateRow(i, true, i == 1 || i == 6, 0.5);
    return rows;
}

enum class Shape { Closing, Open };

struct Tool {
    const char *name;
    std::function<TraverseWindow *()> make;
    const char *type; // quorvil-cli adjust --type
    std::function<QList<QStringList>()> rows;
    int firstNew, lastNew; // model rows of the new points
    Shape shape;
    const char *closure;   // the summary label whose misclosure bounds the change of the coordinates
};

const std::vector<Tool> &Tools()
{
    static const std::vector<Tool> tools = {
        {"TFormBJFH", [] { return new TFormBJFH(nullptr); }, "connecting", Connecting, 2, 5, Shape::Closing, "LabFs"},
        {"TFormDBFH", [] { return new TFormDBFH(nullptr); }, "single-side", SingleSide, 2, 5, Shape::Closing, "LabFs"},
        {"TFormWDX", [] { return new TFormWDX(nullptr); }, "no-orientation", NoOrientation, 1, 4, Shape::Closing, "LabFs"},
        {"TFormZDX", [] { return new TFormZDX(nullptr); }, "open", Open, 2, 5, Shape::Open, nullptr},
        {"TFormGCFH", [] { return new TFormGCFH(nullptr); }, "levelling", Levelling, 1, 4, Shape::Closing, "LabFh"},
        {"TFormZBFH", [] { return new TFormZBFH(nullptr); }, "coord-connecting", CoordinateConnecting, 2, 5,
         Shape::Closing, "LabFs"},
        {"TFormZBFH1", [] { return new TFormZBFH1(nullptr); }, "coord-single-side", CoordinateSingleSide, 2, 5,
         Shape::Closing, "LabFs"},
        {"TFormZBwdx", [] { return new TFormZBwdx(nullptr); }, "coord-no-orientation", CoordinateNoOrientation, 1, 4,
         Shape::Closing, "LabFs"},
    };
    return tools;
}

QString Label(QWidget *w, const char *name)
{
    auto *label = w->findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QString();
}

// The millimetres of a summary text such as "Fs=27.71mm".
double Millimetres(const QString &text)
{
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("=(-?[0-9.]+)mm")).match(text);
    return m.hasMatch() ? m.captured(1).toDouble() : -1;
}

} // namespace

class RigorousAdjustmentTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<ScriptedPrompts> prompts;

private slots:
    void initTestCase() { SetSettingsFilePath(dir.filePath("Quorvil.ini")); }
    void init() { prompts = std::make_unique<ScriptedPrompts>(); }
    void cleanup() { prompts.reset(); }

    // Every window, approximate then rigorous: the table, the point errors, the summary, the data
    // file, the command line and the report tell the same.
    void everyWindow_data()
    {
        QTest::addColumn<int>("tool");
        for (size_t i = 0; i < Tools().size(); ++i)
            QTest::newRow(Tools()[i].name) << int(i);
    }

    void everyWindow()
    {
        QFETCH(int, tool);
        const Tool &t = Tools()[size_t(tool)];
        std::unique_ptr<TraverseWindow> w(t.make());
        const bool levelling = t.type == QLatin1String("levelling");
        const QList<QStringList> rows = t.rows();
        const int columns = int(rows[0].size());
        SetRows(w.get(), "StringGrid1", rows);
        SetField(w.get(), "EditDJ", levelling ? "四等" : "一级");
        // The grade sets the a priori errors.
        if (levelling) {
            QCOMPARE(Field(w.get(), "EditSigmaLevel"), QString("10"));
        } else {
            QCOMPARE(Fields(w.get(), {"EditSigmaAngle", "EditSigmaDistA", "EditSigmaDistB"}),
                     QStringList({"5", "15", "0"}));
        }
        QVERIFY(Named<QRadioButton>(w.get(), "RadioApprox")->isChecked());

        // 近似平差 and its data file, as today.
        QVERIFY(Press(w.get(), "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList());
        const QList<QStringList> approx = Rows(w.get(), "StringGrid1");
        QCOMPARE(int(approx[0].size()), columns);
        const QString approxFile = dir.filePath(QStringLiteral("%1-approx.txt").arg(t.name));
        prompts->saveAnswers.push_back(approxFile);
        QVERIFY(Press(w.get(), "ToolButton7"));
        const QByteArray approxBytes = ReadFile(approxFile);

        // 严密平差: one column more.
        Named<QRadioButton>(w.get(), "RadioRigorous")->click();
        QVERIFY(w->isRigorous());
        QCOMPARE(Table(w.get(), "StringGrid1")->columns(), columns + 1);
        QCOMPARE(Table(w.get(), "StringGrid1")->captions().last(), QString("点位中误差(mm)"));
        QVERIFY(Press(w.get(), "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList());
        const QList<QStringList> rigorous = Rows(w.get(), "StringGrid1");
        const QString summary = Label(w.get(), "LabRigorous");
        QVERIFY2(summary.startsWith("严密平差："), qPrintable(summary));

        // Point errors: 0 at known points, larger inside a closing traverse than at its ends, growing
        // along an open one.
        std::vector<double> errors;
        for (int r = 0; r < rigorous.size(); ++r) {
            const double e = rigorous[r].value(columns).toDouble();
            const bool isNew = r >= t.firstNew && r <= t.lastNew;
            QVERIFY2(isNew ? e > 0 : rigorous[r].value(columns) == "0.0", qPrintable(QString("row %1").arg(r)));
            errors.push_back(e);
        }
        const double largest = *std::max_element(errors.begin(), errors.end());
        if (t.shape == Shape::Closing) {
            QVERIFY(errors[size_t(t.firstNew)] < largest);
            QVERIFY(errors[size_t(t.lastNew)] < largest);
            QVERIFY2(summary.contains("自由度") && summary.contains("χ²检验"), qPrintable(summary));
        } else {
            for (int r = t.firstNew; r < t.lastNew; ++r)
                QVERIFY(errors[size_t(r)] < errors[size_t(r + 1)]);
            QVERIFY2(summary.contains("无多余观测"), qPrintable(summary));
        }
        // The weakest point is one of those with the largest error as shown.
        bool weakestNamed = false;
        for (size_t r = 0; r < errors.size(); ++r)
            if (errors[r] == largest)
                weakestNamed = weakestNamed || summary.contains(QStringLiteral("最弱点%1 ±%2mm").arg(rigorous[int(r)][0], rigorous[int(r)][columns]));
        QVERIFY2(weakestNamed, qPrintable(summary));

        // Rigorous and approximate coordinates (heights) differ by less than the misclosure; the
        // observations stay as typed.
        const double closure = t.closure ? Millimetres(Label(w.get(), t.closure)) / 1000 : 0;
        for (int r = 0; r < rigorous.size(); ++r) {
            for (int c = 0; c < columns; ++c) {
                const bool result = levelling ? c >= 3 : (columns == 7 ? c >= 4 : c >= 3);
                if (!result) {
                    QCOMPARE(rigorous[r][c], approx[r][c]);
                } else if (t.closure && !(levelling && c == 3)) {
                    const double change = std::fabs(rigorous[r][c].toDouble() - approx[r][c].toDouble());
                    QVERIFY2(change <= closure + 0.001, qPrintable(QString("row %1 column %2: %3 > %4").arg(r).arg(c).arg(change).arg(closure)));
                }
            }
        }

        // 数据另存 appends the point error of each line's row; the lines are otherwise today's.
        const QString rigorousFile = dir.filePath(QStringLiteral("%1-rigorous.txt").arg(t.name));
        prompts->saveAnswers.push_back(rigorousFile);
        QVERIFY(Press(w.get(), "ToolButton7"));
        const QStringList before = DecodeText(approxBytes).split("\r\n");
        const QStringList after = DecodeText(ReadFile(rigorousFile)).split("\r\n");
        QCOMPARE(after.size(), before.size());
        QCOMPARE(after.mid(0, 2), before.mid(0, 2));
        for (int i = 2; i + 1 < after.size(); ++i) {
            QVERIFY2(after[i].startsWith(before[i] + ","), qPrintable(after[i]));
            QVERIFY(after[i].mid(before[i].size() + 1).contains(QRegularExpression("^[0-9]+\\.[0-9]$")));
        }

        // Back to 近似平差: the column goes, and the file is byte for byte the first one.
        Named<QRadioButton>(w.get(), "RadioApprox")->click();
        QCOMPARE(Table(w.get(), "StringGrid1")->columns(), columns);
        QVERIFY(Press(w.get(), "ToolButton6"));
        const QString againFile = dir.filePath(QStringLiteral("%1-again.txt").arg(t.name));
        prompts->saveAnswers.push_back(againFile);
        QVERIFY(Press(w.get(), "ToolButton7"));
        QCOMPARE(ReadFile(againFile), approxBytes);
        QCOMPARE(Rows(w.get(), "StringGrid1"), approx);

        // The command line on the approximate file gives the window's table and rigorous line.
        QStringList arguments = {"adjust", "--type", t.type, "--rigorous"};
        if (!levelling)
            arguments << "--angle-sigma" << "5" << "--distance-sigma" << "15,0";
        const QString report = dir.filePath(QStringLiteral("%1-cli.docx").arg(t.name));
        arguments << "--report" << report << approxFile << "-";
        const ProgramRun run = Cli(arguments);
        QCOMPARE(run.status, 0);
        QStringList cliRows = DecodeText(run.out).split("\r\n");
        cliRows.removeAll(QString());
        QCOMPARE(cliRows.size(), rigorous.size());
        for (int r = 0; r < rigorous.size(); ++r)
            QCOMPARE(cliRows[r], rigorous[r].join(','));
        QVERIFY2(QString::fromUtf8(run.err).contains(summary), run.err.constData());

        // The report of the window: "严密平差" in the title, the column of point errors.
        if (!DocxReaderAvailable())
            QSKIP(DocxReaderMissing);
        Named<QRadioButton>(w.get(), "RadioRigorous")->click();
        const QString windowReport = dir.filePath(QStringLiteral("%1.docx").arg(t.name));
        prompts->saveAnswers.push_back(windowReport);
        QVERIFY(Press(w.get(), "ToolButton8"));
        QCOMPARE(prompts->errors, QStringList());
        for (const QString &path : {windowReport, report}) {
            const DocxContents doc = ReadDocx(path);
            QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
            QVERIFY2(doc.strings("body").value(0).endsWith("（严密平差）"), qPrintable(doc.strings("body").value(0)));
            const int headingRows = levelling ? 1 : 2;
            const int lastColumn = int(doc.row(headingRows + 1).value("cells").toArray().size());
            QCOMPARE(doc.text(1, int(doc.row(1).value("cells").toArray().size())), QString("点位中误差(mm)"));
            for (int r = 0; r < rigorous.size(); ++r)
                QCOMPARE(doc.text(headingRows + 1 + 2 * r, lastColumn), rigorous[r][columns]);
        }
    }

    // The connecting traverse written by hand as a gama-local network and adjusted by the network
    // engine gives the window's coordinates and point errors.
    void connectingTraverseEqualsTheNetworkEngine()
    {
        std::unique_ptr<TraverseWindow> w(new TFormBJFH(nullptr));
        const QList<QStringList> rows = Connecting();
        SetRows(w.get(), "StringGrid1", rows);
        SetField(w.get(), "EditDJ", "二级");
        SetField(w.get(), "EditSigmaDistB", "3");
        Named<QRadioButton>(w.get(), "RadioRigorous")->click();
        QVERIFY(Press(w.get(), "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList());

        QString xml = "<?xml version=\"1.0\"?>\n<gama-local xmlns=\"http://www.gnu.org/software/gama/gama-local\">\n"
                      "<network axes-xy=\"ne\" angles=\"left-handed\">\n"
                      "<parameters sigma-apr=\"1\" conf-pr=\"0.95\" sigma-act=\"aposteriori\"/>\n"
                      "<points-observations>\n";
        for (int i = 0; i <= 7; ++i) {
            const bool known = i <= 1 || i >= 6;
            xml += QStringLiteral("<point id=\"%1\" x=\"%2\" y=\"%3\" %4=\"xy\"/>\n")
                       .arg(Truth[i].name)
                       .arg(Truth[i].x, 0, 'f', 3)
                       .arg(Truth[i].y, 0, 'f', 3)
                       .arg(known ? "fix" : "adj");
        }
        for (int i = 1; i <= 6; ++i) {
            // 二级: 8″ and 15 mm, with the 3 ppm typed.
            const QString dms = rows[i][1];
            const QString angle = dms.section('.', 0, 0) + "-" + dms.section('.', 1).left(2) + "-" + dms.section('.', 1).mid(2);
            xml += QStringLiteral("<obs from=\"%1\">\n<angle bs=\"%2\" fs=\"%3\" val=\"%4\" stdev=\"8\"/>\n")
                       .arg(Truth[i].name, Truth[i - 1].name, Truth[i + 1].name, angle);
            if (i <= 5)
                xml += QStringLiteral("<distance to=\"%1\" val=\"%2\" stdev=\"%3\"/>\n")
                           .arg(Truth[i + 1].name, rows[i][2])
                           .arg(15 + 3 * rows[i][2].toDouble() / 1000, 0, 'g', 17);
            xml += "</obs>\n";
        }
        xml += "</points-observations>\n</network>\n</gama-local>\n";
        const network::Network net = ParseGama(xml.toUtf8());
        const network::Result result = network::Adjust(net);
        QCOMPARE(result.summary.dof, 3);
        for (int i = 2; i <= 5; ++i) {
            const network::PointResult &p = result.points[size_t(i)];
            QCOMPARE(Cell(w.get(), "StringGrid1", i, 3), Fixed(3, p.x));
            QCOMPARE(Cell(w.get(), "StringGrid1", i, 4), Fixed(3, p.y));
            QCOMPARE(Cell(w.get(), "StringGrid1", i, 5), Fixed(1, p.sp * 1000));
        }
        QVERIFY(Label(w.get(), "LabRigorous").contains("σ0=" + Fixed(2, result.summary.chi2.ratio)));
    }

    // The a priori errors are kept in the settings file; a field that is no number stops 计算
    // with a message and leaves the table as it was; errors of 0 are refused.
    void errorsAreKeptAndChecked()
    {
        {
            std::unique_ptr<TraverseWindow> w(new TFormWDX(nullptr));
            SetField(w.get(), "EditSigmaAngle", "2.5");
            Named<QLineEdit>(w.get(), "EditSigmaAngle")->editingFinished();
        }
        QCOMPARE(IniFile(SettingsFilePath()).readString("Rigorous", "AngleSigma", ""), QString("2.5"));
        std::unique_ptr<TraverseWindow> w(new TFormBJFH(nullptr));
        QCOMPARE(Field(w.get(), "EditSigmaAngle"), QString("2.5"));
        QVERIFY(!Named<QLineEdit>(w.get(), "EditSigmaAngle")->isEnabled());
        SetRows(w.get(), "StringGrid1", Connecting());
        Named<QRadioButton>(w.get(), "RadioRigorous")->click();
        QVERIFY(Named<QLineEdit>(w.get(), "EditSigmaAngle")->isEnabled());
        const QList<QStringList> before = Rows(w.get(), "StringGrid1");
        SetField(w.get(), "EditSigmaAngle", "abc");
        Press(w.get(), "ToolButton6");
        QCOMPARE(prompts->errors.size(), 1);
        QCOMPARE(Rows(w.get(), "StringGrid1"), before);
        SetField(w.get(), "EditSigmaAngle", "0");
        Press(w.get(), "ToolButton6");
        QCOMPARE(prompts->errors.value(1), QString("测角中误差必须大于0！"));
    }

    // Tables without a new point have nothing to adjust (the network engine is not asked); tables
    // with one new point are adjusted.
    void fewestPoints()
    {
        struct Case {
            const char *label;
            int tool;
            QList<QStringList> rows;
            QString summary;
        };
        const QList<Case> cases = {
            {"connecting, no new point", 0,
             {{"A", "", "", "0", "0"}, {"B", "180", "100.001", "100", "0"}, {"C", "180", "", "200", "0"}, {"D", "", "", "300", "0"}},
             "严密平差：无待定点，无需平差"},
            {"levelling, two benchmarks", 4, {{"BM1", "1", "0.505", "", "10"}, {"BM2", "", "", "", "10.5"}},
             "严密平差：无待定点，无需平差"},
            {"open, one new point", 3, {{"A", "", "", "0", "0"}, {"B", "90", "100", "100", "0"}, {"P1", "", "", "", ""}},
             "严密平差：无多余观测，点位中误差按先验精度传播  最弱点P1 ±"},
            {"levelling, one new point", 4,
             {{"BM1", "1", "0.5", "", "12.5"}, {"P1", "1", "0.502", "", ""}, {"BM2", "", "", "", "13.5"}},
             "严密平差：σ0="},
        };
        for (const Case &c : cases) {
            std::unique_ptr<TraverseWindow> w(Tools()[size_t(c.tool)].make());
            SetRows(w.get(), "StringGrid1", c.rows);
            Named<QRadioButton>(w.get(), "RadioRigorous")->click();
            QVERIFY2(Press(w.get(), "ToolButton6"), c.label);
            QVERIFY2(prompts->errors.isEmpty(), qPrintable(prompts->errors.join('|')));
            QVERIFY2(Label(w.get(), "LabRigorous").startsWith(c.summary), qPrintable(Label(w.get(), "LabRigorous")));
            QCOMPARE(Cell(w.get(), "StringGrid1", 0, 5), QString("0.0"));
        }
    }
};

QTEST_MAIN(RigorousAdjustmentTest)
#include "RigorousAdjustmentTest.moc"
