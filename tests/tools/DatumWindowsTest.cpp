// The four datum transformation windows, driven by object names as a user would: fill the common
// points, estimate, read the panel and the residuals, convert, save and load.
#include "support/WindowTestSupport.h"
#include "tools/GSFS/TFormGSFS.h"
#include "tools/GSZS/TFormGSZS.h"
#include "tools/TQZH/TFormTQZH.h"
#include "tools/TQdTOd/TFormTQdTOd.h"
#include "tools/TQdTOp/TFormTQdTOp.h"
#include "tools/TQpTOd/TFormTQpTOd.h"

#include "core/DatumConversion.h"
#include "core/GaussKruger.h"
#include "core/TextForms.h"
#include "ui/EllipsoidGroup.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>

using namespace quorvil;
using namespace quorvil::test;

namespace {

const QStringList PanelNames = {"EditDX", "EditDY", "EditDZ", "EditWX", "EditWY", "EditWZ", "EditK"};

std::unique_ptr<DatumWindow> Make(const QString &className)
{
    if (className == "TFormTQZH")
        return std::make_unique<TFormTQZH>(nullptr);
    if (className == "TFormTQdTOp")
        return std::make_unique<TFormTQdTOp>(nullptr);
    if (className == "TFormTQpTOd")
        return std::make_unique<TFormTQpTOd>(nullptr);
    return std::make_unique<TFormTQdTOd>(nullptr);
}

bool OldIsGeodetic(const QString &c) { return c == "TFormTQdTOp" || c == "TFormTQdTOd"; }
bool NewIsGeodetic(const QString &c) { return c == "TFormTQpTOd" || c == "TFormTQdTOd"; }

Ellipsoid PresetEllipsoid(int index)
{
    const EllipsoidPreset &p = EllipsoidPresets[static_cast<size_t>(index)];
    return {TextToNumber(p.aText), TextToNumber(p.bText)};
}

int Preset(QWidget *w, const QString &list) { return w->findChild<QComboBox *>(list)->currentIndex(); }
void SetPreset(QWidget *w, const QString &list, int index) { w->findChild<QComboBox *>(list)->setCurrentIndex(index); }

// The window's transformation as the core sees it, for the given central meridian and default
// Y constants and anomalies.
DatumTransform TransformOf(QWidget *w, const QString &c, Real L0)
{
    DatumTransform t;
    t.oldSide.kind = OldIsGeodetic(c) ? DatumCoordinates::Geodetic : DatumCoordinates::Plane;
    t.newSide.kind = NewIsGeodetic(c) ? DatumCoordinates::Geodetic : DatumCoordinates::Plane;
    t.oldSide.ellipsoid = PresetEllipsoid(Preset(w, "ComboBox1"));
    t.newSide.ellipsoid = PresetEllipsoid(Preset(w, "ComboBox2"));
    t.oldSide.centralMeridian = t.newSide.centralMeridian = t.workingMeridian = L0;
    t.oldSide.yConstant = t.newSide.yConstant = 500000;
    t.oldSide.reduceToWorkingMeridian = c == "TFormTQZH";
    return t;
}

void SetMeridian(QWidget *w, const QString &packed)
{
    SetField(w, "EditLL1", packed); // in the plane-to-plane tool the new meridian follows
}

// Old typed values of common points near 117°E, as the old side shows them.
QList<DatumTriple> OldPoints(const QString &c, const Ellipsoid &oldEllipsoid, Real L0)
{
    const DatumTriple geodetic[] = {{34.3L, 116.4L, 30}, {34.25L, 117.35L, 80}, {35.2L, 116.35L, 55},
                                    {35.3L, 117.3L, 10}, {34.45L, 116.55L, 120}};
    QList<DatumTriple> points;
    for (const DatumTriple &g : geodetic) {
        if (OldIsGeodetic(c)) {
            points.append(g);
        } else {
            const PlaneXY p = GaussForward(oldEllipsoid, DmsToDeg(g[0]), DmsToDeg(g[1]) - L0);
            points.append({p.x, p.y + 500000, g[2]});
        }
    }
    return points;
}

// Texts of typed values: plane with 8 decimals, packed angles with 14, so that the typed common
// points carry no rounding of their own.
QStringList TypedTexts(bool geodetic, const DatumTriple &v)
{
    auto t = [](int d, Real x) { return QString::fromStdString(NumberToText(d, x)); };
    if (geodetic)
        return {t(14, v[0]), t(14, v[1]), t(8, v[2])};
    return {t(8, v[0]), t(8, v[1]), t(8, v[2])};
}

// Result texts as the window prints them.
QStringList PrintedTexts(bool geodetic, const DatumTriple &v)
{
    auto t = [](int d, Real x) { return QString::fromStdString(NumberToText(d, x)); };
    if (geodetic)
        return {t(10, DegToDms(v[0])), t(10, DegToDms(v[1])), t(4, v[2])};
    return {t(4, v[0]), t(4, v[1]), t(4, v[2])};
}

QStringList Column(QWidget *w, const QString &table, int column)
{
    QStringList texts;
    PointTableModel *model = Table(w, table);
    for (int r = 0; r < model->rows(); ++r)
        texts += model->cell(r, column);
    return texts;
}

SevenParameters FromSeconds(Real DX, Real DY, Real DZ, Real WXs, Real WYs, Real WZs, Real K)
{
    return {DX, DY, DZ, SecondsToRadians(WXs), SecondsToRadians(WYs), SecondsToRadians(WZs), K};
}

// Fills the common-point table with points made from `truth` by the window's own conversions.
void FillCommonPoints(QWidget *w, const QString &c, const SevenParameters &truth, Real L0)
{
    const DatumTransform t = TransformOf(w, c, L0);
    const QList<DatumTriple> old = OldPoints(c, t.oldSide.ellipsoid, L0);
    Table(w, "StringGrid3")->setRowCount(static_cast<int>(old.size()));
    for (int r = 0; r < old.size(); ++r) {
        DatumTriple made = TransformDatumPoint(t, truth, old.at(r));
        if (NewIsGeodetic(c))
            made = {DegToDms(made[0]), DegToDms(made[1]), made[2]};
        SetRow(w, "StringGrid3", r,
               QStringList{QString("P%1").arg(r + 1)} + TypedTexts(OldIsGeodetic(c), old.at(r)) + TypedTexts(NewIsGeodetic(c), made));
    }
}

// A common point whose old and new coordinates are the same point of one ellipsoid: geodetic
// B, L (decimal degrees) and H, or their Gauss projection about L0 with the Y constant.
QStringList SamePointRow(const QString &c, const Ellipsoid &e, Real L0, int r, Real B, Real L, Real H)
{
    const PlaneXY xy = GaussForward(e, B, L - L0);
    const DatumTriple plane = {xy.x, xy.y + 500000, H};
    const DatumTriple geodetic = {DegToDms(B), DegToDms(L), H};
    return QStringList{QString("S%1").arg(r)} + TypedTexts(OldIsGeodetic(c), OldIsGeodetic(c) ? geodetic : plane)
           + TypedTexts(NewIsGeodetic(c), NewIsGeodetic(c) ? geodetic : plane);
}

void AddWindowRows()
{
    QTest::addColumn<QString>("windowClass");
    for (const char *c : {"TFormTQZH", "TFormTQdTOp", "TFormTQpTOd", "TFormTQdTOd"})
        QTest::newRow(c) << QString(c);
}

} // namespace

class DatumWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { prompts = std::make_unique<ScriptedPrompts>(); }
    void cleanup() { prompts.reset(); }

    void opensWithItsFieldsAndTables_data()
    {
        QTest::addColumn<QString>("windowClass");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("oldPreset");
        QTest::addColumn<int>("newPreset");
        QTest::addColumn<QStringList>("oldFields");
        QTest::addColumn<QStringList>("newFields");
        QTest::addColumn<QStringList>("commonCaptions");
        QTest::addColumn<QList<int>>("commonWidths");
        QTest::addColumn<QStringList>("resultCaptions");
        const QStringList plane = {"点号", "纵坐标x(m)", "横坐标y(m)", "高程H(m)"};
        const QStringList geodetic = {"点号", "纬度B(dms)", "经度L(dms)", "高程H(m)"};
        QTest::newRow("TQZH") << "TFormTQZH" << "椭球间平面坐标转换" << 0 << 1
                              << QStringList{"EditLL1", "EditYY1", "EditDh1"} << QStringList{"EditLL2", "EditYY2", "EditDh2"}
                              << QStringList{"点号", "老坐标x(m)", "老坐标y(m)", "老坐标H(m)", "新坐标x(m)", "新坐标y(m)",
                                             "新坐标H(m)", "残差x(m)", "残差y(m)", "残差H(m)"}
                              << QList<int>{40, 79, 79, 60, 79, 79, 60, 48, 48, 48} << plane;
        QTest::newRow("TQdTOp") << "TFormTQdTOp" << "大地坐标转换为另一椭球平面坐标" << 3 << 0
                                << QStringList{"EditLL1", "EditDh1"} << QStringList{"EditYY2", "EditDh2"}
                                << QStringList{"点号", "老纬度B(dms)", "老经度L(dms)", "老高程H(m)", "新坐标x(m)", "新坐标y(m)",
                                               "新高程H(m)", "残差x(m)", "残差y(m)", "残差H(m)"}
                                << QList<int>{41, 85, 90, 60, 70, 70, 60, 48, 48, 48}
                                << QStringList{"点号", "坐标x(m)", "坐标y(m)", "高程H(m)"};
        QTest::newRow("TQpTOd") << "TFormTQpTOd" << "平面坐标转换为另一椭球大地坐标" << 0 << 3
                                << QStringList{"EditYY1", "EditDh1"} << QStringList{"EditLL1", "EditDh2"}
                                << QStringList{"点号", "老坐标x(m)", "老坐标y(m)", "老高程H(m)", "新纬度B(dms)", "新经度L(dms)",
                                               "新高程H(m)", "残差B(\")", "残差L(\")", "残差H(m)"}
                                << QList<int>{41, 70, 70, 60, 85, 90, 60, 48, 48, 48} << geodetic;
        QTest::newRow("TQdTOd") << "TFormTQdTOd" << "椭球间大地坐标转换" << 3 << 0 << QStringList{"EditLL1", "EditDh1"}
                                << QStringList{"EditDh2"}
                                << QStringList{"点号", "老纬度B(dms)", "老经度L(dms)", "老高程H(m)", "新纬度B(dms)", "新经度L(dms)",
                                               "新高程H(m)", "残差B(\")", "残差L(\")", "残差H(m)"}
                                << QList<int>{41, 80, 80, 58, 80, 80, 58, 48, 48, 48} << geodetic;
    }

    void opensWithItsFieldsAndTables()
    {
        QFETCH(QString, windowClass);
        QFETCH(QString, caption);
        QFETCH(int, oldPreset);
        QFETCH(int, newPreset);
        QFETCH(QStringList, oldFields);
        QFETCH(QStringList, newFields);
        QFETCH(QStringList, commonCaptions);
        QFETCH(QList<int>, commonWidths);
        QFETCH(QStringList, resultCaptions);
        auto w = Make(windowClass);
        QCOMPARE(w->objectName(), windowClass);
        QCOMPARE(w->windowTitle(), caption);
        QCOMPARE(w->oldGroup()->title(), QString("原椭球及坐标系参数设置"));
        QCOMPARE(w->newGroup()->title(), QString("新椭球及坐标系参数设置"));
        QCOMPARE(Preset(w.get(), "ComboBox1"), oldPreset);
        QCOMPARE(Preset(w.get(), "ComboBox2"), newPreset);
        const EllipsoidPreset &o = EllipsoidPresets[static_cast<size_t>(oldPreset)];
        const EllipsoidPreset &n = EllipsoidPresets[static_cast<size_t>(newPreset)];
        QCOMPARE(Field(w.get(), "EditA1").toStdString(), std::string(o.aText));
        QCOMPARE(Field(w.get(), "EditB1").toStdString(), std::string(o.bText));
        QCOMPARE(Field(w.get(), "EditA2").toStdString(), std::string(n.aText));
        QCOMPARE(Field(w.get(), "EditB2").toStdString(), std::string(n.bText));
        QVERIFY(!w->findChild<QLineEdit *>("EditA1")->isEnabled());

        // Each field in its group, with its default; no other central meridian or Y constant.
        auto inGroup = [&](QGroupBox *group, const QStringList &names) {
            for (const QString &name : names) {
                auto *edit = group->findChild<QLineEdit *>(name);
                QVERIFY2(edit, qPrintable(name));
                QCOMPARE(edit->text(), QString(name.startsWith("EditYY") ? "500000" : "0"));
            }
        };
        inGroup(w->oldGroup(), oldFields);
        inGroup(w->newGroup(), newFields);
        for (const char *name : {"EditLL1", "EditLL2", "EditYY1", "EditYY2"})
            if (!oldFields.contains(name) && !newFields.contains(name))
                QVERIFY2(!w->findChild<QLineEdit *>(name), name);

        PointTableModel *common = Table(w.get(), "StringGrid3");
        QCOMPARE(common->captions(), commonCaptions);
        QCOMPARE(common->rows(), 3);
        auto *commonView = w->findChild<PointTableView *>("StringGrid3");
        for (int c = 0; c < commonWidths.size(); ++c)
            QCOMPARE(commonView->columnWidth(c), commonWidths.at(c));
        QCOMPARE(Table(w.get(), "StringGrid1")->rows(), 1);
        QCOMPARE(Table(w.get(), "StringGrid2")->captions(), resultCaptions);
        QVERIFY(Table(w.get(), "StringGrid1")->isEditable());
        QVERIFY(!Table(w.get(), "StringGrid2")->isEditable());

        QCOMPARE(Fields(w.get(), PanelNames), (QStringList{"0", "0", "0", "0", "0", "0", "1"}));
        for (const QString &name : PanelNames)
            QVERIFY(w->findChild<QLineEdit *>(name)->isReadOnly());
        const QStringList buttons = {"ToolButton1", "ToolButton2", "ToolButton3", "ToolButton4", "ToolButton5",
                                     "ToolButton6", "ToolButton7", "ToolButton8", "ToolButton9", "ToolButton10",
                                     "ToolButton11", "ToolButton12", "ToolButton13", "ToolButton14", "ToolButton15",
                                     "ToolButton16"};
        const QStringList captions = {" 追加 ",   " 插入 ",   "文件导入", " 删除 ",     " 清空 ", "转换计算",
                                      "数据另存", " 追加 ",   " 插入 ",   "文件导入",   " 删除 ", " 清空 ",
                                      "解算七参数", "保存参数", "导入参数", "保存公共点"};
        for (int i = 0; i < buttons.size(); ++i) {
            auto *action = w->findChild<QAction *>(buttons.at(i));
            QVERIFY2(action, qPrintable(buttons.at(i)));
            QCOMPARE(action->text(), captions.at(i));
        }
    }

    void identityCommonPointsGiveIdentity_data() { AddWindowRows(); }
    void identityCommonPointsGiveIdentity()
    {
        // The same points on both sides of one ellipsoid: the panel shows the identity and every
        // residual is zero to its decimals.
        QFETCH(QString, windowClass);
        auto w = Make(windowClass);
        SetPreset(w.get(), "ComboBox2", Preset(w.get(), "ComboBox1"));
        SetMeridian(w.get(), "117");
        const Ellipsoid e = PresetEllipsoid(Preset(w.get(), "ComboBox1"));
        const Real points[5][3] = {{34.5L, 116.6L, 30}, {34.4L, 117.6L, 80}, {35.35L, 116.58L, 55}, {35.5L, 117.5L, 10}, {34.75L, 116.9L, 120}};
        Table(w.get(), "StringGrid3")->setRowCount(5);
        for (int r = 0; r < 5; ++r)
            SetRow(w.get(), "StringGrid3", r, SamePointRow(windowClass, e, 117, r, points[r][0], points[r][1], points[r][2]));
        QVERIFY(Press(w.get(), "ToolButton13"));
        QCOMPARE(prompts->errors, QStringList());
        const QStringList identity = {"0.0000000000", "0.0000000000", "0.0000000000", "0.0000000000",
                                      "0.0000000000", "0.0000000000", "1.0000000000"};
        const QStringList shown = Fields(w.get(), PanelNames);
        if (OldIsGeodetic(windowClass) == NewIsGeodetic(windowClass)) {
            QCOMPARE(shown, identity);
        } else {
            // One side is the Gauss projection of the other, and the inverse projection returns a
            // point to about 1e-5": the identity holds to that accuracy, not to every decimal.
            const double tolerance[7] = {1e-5, 1e-5, 1e-5, 1e-6, 1e-6, 1e-6, 1e-11};
            for (int i = 0; i < 7; ++i)
                QVERIFY2(std::fabs(shown.at(i).toDouble() - identity.at(i).toDouble()) < tolerance[i], qPrintable(shown.at(i)));
        }
        const QString zero = NewIsGeodetic(windowClass) ? "0.000000" : "0.0000";
        QCOMPARE(Column(w.get(), "StringGrid3", 7), QStringList(5, zero));
        QCOMPARE(Column(w.get(), "StringGrid3", 8), QStringList(5, zero));
        QCOMPARE(Column(w.get(), "StringGrid3", 9), QStringList(5, "0.0000"));
    }

    void recoversKnownParameters_data() { AddWindowRows(); }
    void recoversKnownParameters()
    {
        // Common points made from DX = 100 m, WZ = 2", K = 1.000005 (and a full set) from the old
        // ellipsoid to the new one: the estimate returns them, the residuals vanish, and the
        // conversion with the panel as shown reproduces the new coordinates.
        QFETCH(QString, windowClass);
        const SevenParameters truths[] = {
            FromSeconds(100, 0, 0, 0, 0, 2, 1.000005L),
            FromSeconds(-15.415L, 157.025L, 94.142L, -1.467L, 0.347L, 1.077L, 1.0000023L),
        };
        for (const SevenParameters &truth : truths) {
            auto w = Make(windowClass);
            SetMeridian(w.get(), "117");
            FillCommonPoints(w.get(), windowClass, truth, 117);
            QVERIFY(Press(w.get(), "ToolButton13"));
            QCOMPARE(prompts->errors, QStringList());
            const QStringList p = Fields(w.get(), PanelNames);
            const Real want[7] = {truth.DX, truth.DY, truth.DZ, RadiansToSeconds(truth.WX),
                                  RadiansToSeconds(truth.WY), RadiansToSeconds(truth.WZ), truth.K};
            // Shifts to 0.1 mm and rotations to 1e-5": the new coordinates pass through the
            // projection and the closed-form inverse, good to some 0.01 mm.
            const double tolerance[7] = {1e-4, 1e-4, 1e-4, 1e-5, 1e-5, 1e-5, 5e-11};
            for (int i = 0; i < 7; ++i) {
                QVERIFY2(p.at(i).contains('.') && p.at(i).section('.', 1).size() == 10, qPrintable(p.at(i)));
                QVERIFY2(std::fabs(p.at(i).toDouble() - static_cast<double>(want[i])) < tolerance[i],
                         qPrintable(PanelNames.at(i) + " = " + p.at(i)));
            }
            const QString zero = NewIsGeodetic(windowClass) ? "0.000000" : "0.0000";
            QCOMPARE(Column(w.get(), "StringGrid3", 7), QStringList(5, zero));
            QCOMPARE(Column(w.get(), "StringGrid3", 8), QStringList(5, zero));
            QCOMPARE(Column(w.get(), "StringGrid3", 9), QStringList(5, "0.0000"));

            // Convert the old common points with the parameters as shown.
            PointTableModel *common = Table(w.get(), "StringGrid3");
            Table(w.get(), "StringGrid1")->setRowCount(common->rows());
            for (int r = 0; r < common->rows(); ++r)
                SetRow(w.get(), "StringGrid1", r, common->rowTexts(r).mid(0, 4));
            QVERIFY(Press(w.get(), "ToolButton6"));
            QCOMPARE(prompts->errors, QStringList());
            for (int r = 0; r < common->rows(); ++r) {
                const QStringList row = common->rowTexts(r);
                DatumTriple given = {TextToNumber(row.at(4).toStdString()), TextToNumber(row.at(5).toStdString()),
                                     TextToNumber(row.at(6).toStdString())};
                if (NewIsGeodetic(windowClass))
                    given = {DmsToDeg(given[0]), DmsToDeg(given[1]), given[2]};
                QCOMPARE(Table(w.get(), "StringGrid2")->rowTexts(r),
                         QStringList{row.at(0)} + PrintedTexts(NewIsGeodetic(windowClass), given));
            }
        }
    }

    void identityConversionAgreesWithTheProjection_data() { AddWindowRows(); }
    void identityConversionAgreesWithTheProjection()
    {
        // The panel as it opens (the identity), one ellipsoid on both sides: the window gives what
        // the Gauss forward and inverse projections give.
        QFETCH(QString, windowClass);
        auto w = Make(windowClass);
        SetPreset(w.get(), "ComboBox2", Preset(w.get(), "ComboBox1"));
        const Ellipsoid e = PresetEllipsoid(Preset(w.get(), "ComboBox1"));
        SetMeridian(w.get(), "114");
        struct Point {
            Real B, L, H;
        };
        const Point points[] = {{35.0123L, 114 + 1.0L / 3, 10}, {30.5L, 113.2512L, -5.5L}, {41.125L, 115.4L, 1234.5678L}};
        PointTableModel *input = Table(w.get(), "StringGrid1");
        input->setRowCount(3);
        QList<QStringList> want;
        for (int r = 0; r < 3; ++r) {
            const Point &p = points[r];
            const PlaneXY xy = GaussForward(e, p.B, p.L - 114);
            auto t = [](int d, Real x) { return QString::fromStdString(NumberToText(d, x)); };
            QStringList typed, expected;
            if (OldIsGeodetic(windowClass)) {
                typed = {t(12, DegToDms(p.B)), t(12, DegToDms(p.L)), t(4, p.H)};
            } else {
                typed = {t(4, xy.x), t(4, xy.y + 38500000), t(4, p.H)}; // zone number 38 in front
            }
            if (windowClass == "TFormTQZH") {
                // Gauss inverse then forward of the typed point.
                const LatLon g = GaussInverse(e, TextToNumber(typed[0].toStdString()), TextToNumber(typed[1].toStdString()) - 38500000);
                const PlaneXY back = GaussForward(e, g.B, g.l);
                expected = {t(4, back.x), t(4, back.y + 500000), t(4, p.H)};
            } else if (windowClass == "TFormTQdTOp") {
                expected = {t(4, xy.x), t(4, xy.y + 500000), t(4, p.H)};
            } else if (windowClass == "TFormTQpTOd") {
                const LatLon g = GaussInverse(e, TextToNumber(typed[0].toStdString()), TextToNumber(typed[1].toStdString()) - 38500000);
                expected = {t(10, DegToDms(g.B)), t(10, DegToDms(g.l + 114)), t(4, p.H)};
            } else {
                expected = {t(10, DegToDms(p.B)), t(10, DegToDms(p.L)), t(4, p.H)};
            }
            SetRow(w.get(), "StringGrid1", r, QStringList{QString("Q%1").arg(r)} + typed);
            want.append(QStringList{QString("Q%1").arg(r)} + expected);
        }
        QVERIFY(Press(w.get(), "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList());
        for (int r = 0; r < 3; ++r)
            QCOMPARE(Table(w.get(), "StringGrid2")->rowTexts(r), want.at(r));
    }

    void parametersSaveAndLoad_data() { AddWindowRows(); }
    void parametersSaveAndLoad()
    {
        QFETCH(QString, windowClass);
        QTemporaryDir dir;
        auto w = Make(windowClass);
        SetMeridian(w.get(), "117");
        FillCommonPoints(w.get(), windowClass, FromSeconds(100, 0, 0, 0, 0, 2, 1.000005L), 117);
        QVERIFY(Press(w.get(), "ToolButton13"));
        const QStringList shown = Fields(w.get(), PanelNames);
        const QString path = dir.filePath("seven.txt");
        prompts->saveAnswers.push_back(path);
        QVERIFY(Press(w.get(), "ToolButton14"));
        QCOMPARE(prompts->saveDialogs.value(0).title, QString("坐标数据另存为..."));
        QCOMPARE(QString::fromLatin1(ReadFile(path)), shown.join(',') + "\r\n");

        // Loaded into a fresh window: the same seven texts; a short line fills "0", K included.
        auto fresh = Make(windowClass);
        prompts->openAnswers.push_back(path);
        QVERIFY(Press(fresh.get(), "ToolButton15"));
        QCOMPARE(prompts->openDialogs.value(0).title, QString("打开坐标数据文件"));
        QCOMPARE(Fields(fresh.get(), PanelNames), shown);
        prompts->openAnswers.push_back(WriteFile(dir.filePath("short.txt"), "1.5, 2\r\nignored,line\r\n"));
        QVERIFY(Press(fresh.get(), "ToolButton15"));
        QCOMPARE(Fields(fresh.get(), PanelNames), (QStringList{"1.5", " 2", "0", "0", "0", "0", "0"}));
        prompts->openAnswers.push_back(WriteFile(dir.filePath("identity.txt"), "0,0,0,0,0,0,1\r\n"));
        QVERIFY(Press(fresh.get(), "ToolButton15"));
        QCOMPARE(Fields(fresh.get(), PanelNames), (QStringList{"0", "0", "0", "0", "0", "0", "1"}));

        // Saving onto the file again asks first; "No" leaves it.
        prompts->saveAnswers.push_back(path);
        prompts->overwriteAnswers.push_back(false);
        QVERIFY(Press(fresh.get(), "ToolButton14"));
        QCOMPARE(prompts->overwriteQuestions, 1);
        QCOMPARE(QString::fromLatin1(ReadFile(path)), shown.join(',') + "\r\n");
    }

    void poorCommonPointsAreRefused_data() { AddWindowRows(); }
    void poorCommonPointsAreRefused()
    {
        // The three empty rows the window opens with, then three points on one straight line:
        // a message, and the panel and the residual columns keep what they showed.
        QFETCH(QString, windowClass);
        QTemporaryDir dir;
        auto w = Make(windowClass);
        prompts->openAnswers.push_back(WriteFile(dir.filePath("p.txt"), "1.25,2,3,4,5,6,7\r\n"));
        QVERIFY(Press(w.get(), "ToolButton15"));
        const QStringList panel = Fields(w.get(), PanelNames);
        QVERIFY(Press(w.get(), "ToolButton13"));
        const QString message = "公共点太少或分布不当，无法解算七参数：至少需要三个不在同一直线上的公共点！";
        QCOMPARE(prompts->errors, QStringList{message});
        QCOMPARE(Fields(w.get(), PanelNames), panel);

        // Four points 10 km apart on one straight line of the plane.
        SetMeridian(w.get(), "117");
        const Ellipsoid e = PresetEllipsoid(Preset(w.get(), "ComboBox1"));
        SetPreset(w.get(), "ComboBox2", Preset(w.get(), "ComboBox1"));
        PointTableModel *common = Table(w.get(), "StringGrid3");
        common->setRowCount(4);
        for (int r = 0; r < 4; ++r) {
            const LatLon g = GaussInverse(e, 3800000 + r * 8000.0L, -20000 + r * 6000.0L);
            SetRow(w.get(), "StringGrid3", r, SamePointRow(windowClass, e, 117, r, g.B, g.l + 117, 50));
            common->setCell(r, 7, "r7");
        }
        QVERIFY(Press(w.get(), "ToolButton13"));
        QCOMPARE(prompts->errors, (QStringList{message, message}));
        QCOMPARE(Fields(w.get(), PanelNames), panel);
        QCOMPARE(Column(w.get(), "StringGrid3", 7), QStringList(common->rows(), "r7"));
    }

    void faultsAreReportedAsSuch()
    {
        // A custom ellipsoid of zero axes: the floating-point fault is the message, the panel
        // and the residual columns keep what they showed.
        auto w = Make("TFormTQdTOd");
        SetMeridian(w.get(), "117");
        FillCommonPoints(w.get(), "TFormTQdTOd", SevenParameters{}, 117);
        SetPreset(w.get(), "ComboBox1", CustomEllipsoidIndex);
        SetField(w.get(), "EditA1", "0");
        SetField(w.get(), "EditB1", "0");
        QVERIFY(Press(w.get(), "ToolButton13"));
        QCOMPARE(prompts->errors.size(), 1);
        QVERIFY2(prompts->errors.at(0).startsWith("Floating point") || prompts->errors.at(0) == "Invalid floating point operation",
                 qPrintable(prompts->errors.at(0)));
        QCOMPARE(Fields(w.get(), PanelNames), (QStringList{"0", "0", "0", "0", "0", "0", "1"}));
        QCOMPARE(Column(w.get(), "StringGrid3", 7), QStringList(5, QString()));
        // The conversion stops at the first row, before writing it.
        SetRow(w.get(), "StringGrid1", 0, {"P", "35", "117", "0"});
        QVERIFY(Press(w.get(), "ToolButton6"));
        QCOMPARE(prompts->errors.size(), 2);
        QCOMPARE(Cell(w.get(), "StringGrid2", 0, 1), QString());
    }

    void commonPointFiles()
    {
        // Import of seven fields a line (residuals stay empty), save of all ten columns.
        QTemporaryDir dir;
        auto w = Make("TFormTQZH");
        const QString in = WriteFile(dir.filePath("common.txt"), "A,1,2,3,4,5,6\r\nB,7,8\r\n");
        prompts->openAnswers.push_back(in);
        QVERIFY(Press(w.get(), "ToolButton10"));
        PointTableModel *common = Table(w.get(), "StringGrid3");
        QCOMPARE(common->rows(), 2);
        QCOMPARE(common->rowTexts(0), (QStringList{"A", "1", "2", "3", "4", "5", "6", "", "", ""}));
        QCOMPARE(common->rowTexts(1), (QStringList{"B", "7", "8", "0", "0", "0", "0", "", "", ""}));
        common->setCell(1, 9, "0.0001");
        const QString out = dir.filePath("saved"); // the default extension is added
        prompts->saveAnswers.push_back(out);
        QVERIFY(Press(w.get(), "ToolButton16"));
        QCOMPARE(ReadFile(out + ".txt"), QByteArray("A,1,2,3,4,5,6,,,\r\nB,7,8,0,0,0,0,,,0.0001\r\n"));
        // " 清空 " of the common table leaves the point tables alone.
        SetRow(w.get(), "StringGrid1", 0, {"K", "1", "2", "3"});
        QVERIFY(Press(w.get(), "ToolButton12"));
        QCOMPARE(common->rows(), 1);
        QCOMPARE(Cell(w.get(), "StringGrid1", 0, 0), QString("K"));
    }

    void planeToPlaneDetails()
    {
        auto w = Make("TFormTQZH");
        // The new central meridian follows the old one until the user edits it.
        SetField(w.get(), "EditLL1", "114.3");
        QCOMPARE(Field(w.get(), "EditLL2"), QString("114.3"));
        SetField(w.get(), "EditLL2", "117");
        QCOMPARE(Field(w.get(), "EditLL1"), QString("114.3"));
        SetField(w.get(), "EditLL1", "111");
        QCOMPARE(Field(w.get(), "EditLL2"), QString("111"));

        // Zone number stripped: 38500000 is the central meridian; the result carries no zone.
        SetPreset(w.get(), "ComboBox2", 0);
        SetField(w.get(), "EditLL1", "114");
        SetRow(w.get(), "StringGrid1", 0, {"Z", "3500000", "38500000", "12.5"});
        Table(w.get(), "StringGrid1")->appendRow(); // an empty row converts as x = y = H = 0
        QVERIFY(Press(w.get(), "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(Table(w.get(), "StringGrid2")->rowTexts(0), (QStringList{"Z", "3500000.0000", "500000.0000", "12.5000"}));
        QCOMPARE(Table(w.get(), "StringGrid2")->rows(), 2);
        {
            // The empty row is the point x = 0, y′ = −500000 of the old zone, projected back.
            const Ellipsoid krasovsky = PresetEllipsoid(0);
            const LatLon g = GaussInverse(krasovsky, 0, -500000);
            const PlaneXY back = GaussForward(krasovsky, g.B, g.l);
            auto t = [](Real x) { return QString::fromStdString(NumberToText(4, x)); };
            QCOMPARE(Table(w.get(), "StringGrid2")->rowTexts(1), (QStringList{"", t(back.x), t(back.y + 500000), "0.0000"}));
        }

        // Height anomalies: in by + ζ old, out by − ζ new.
        SetField(w.get(), "EditDh1", "10");
        SetField(w.get(), "EditDh2", "2.5");
        QVERIFY(Press(w.get(), "ToolButton6"));
        QCOMPARE(Cell(w.get(), "StringGrid2", 0, 3), QString("20.0000"));

        // " 清空 " under the input table empties the result table too.
        QVERIFY(Press(w.get(), "ToolButton5"));
        QCOMPARE(Table(w.get(), "StringGrid1")->rows(), 1);
        QCOMPARE(Table(w.get(), "StringGrid2")->rows(), 1);
        QCOMPARE(Cell(w.get(), "StringGrid2", 0, 1), QString());

        // A cell that is not a number stops the conversion with the rows before it written.
        SetRow(w.get(), "StringGrid1", 0, {"A", "3500000", "500000", "0"});
        Table(w.get(), "StringGrid1")->appendRow();
        SetRow(w.get(), "StringGrid1", 1, {"B", "abc", "500000", "0"});
        QVERIFY(Press(w.get(), "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList{"'abc' is not a valid floating point value"});
        QCOMPARE(Cell(w.get(), "StringGrid2", 0, 0), QString("A"));
        QCOMPARE(Cell(w.get(), "StringGrid2", 1, 1), QString());
    }

    void fieldsAreReadOldBeforeNew()
    {
        // Of two central meridians that are not numbers, the old one is named.
        auto w = Make("TFormTQZH");
        SetField(w.get(), "EditLL1", "1x");
        SetField(w.get(), "EditLL2", "2x");
        QVERIFY(Press(w.get(), "ToolButton6"));
        QVERIFY(Press(w.get(), "ToolButton13"));
        QCOMPARE(prompts->errors, (QStringList{"'1x' is not a valid floating point value", "'1x' is not a valid floating point value"}));
    }

    void badCommonCellStopsTheEstimation()
    {
        // A common-point cell that is not a number: its message, and the panel and the residual
        // columns keep what they showed.
        auto w = Make("TFormTQdTOp");
        SetMeridian(w.get(), "117");
        FillCommonPoints(w.get(), "TFormTQdTOp", FromSeconds(100, 0, 0, 0, 0, 2, 1.000005L), 117);
        QVERIFY(Press(w.get(), "ToolButton13"));
        QCOMPARE(prompts->errors, QStringList());
        const QStringList panel = Fields(w.get(), PanelNames);
        PointTableModel *common = Table(w.get(), "StringGrid3");
        for (int r = 0; r < common->rows(); ++r)
            common->setCell(r, 8, QString("kept%1").arg(r));
        common->setCell(3, 5, "5l2");
        SetField(w.get(), "EditDh2", "3"); // would change every residual
        QVERIFY(Press(w.get(), "ToolButton13"));
        QCOMPARE(prompts->errors, QStringList{"'5l2' is not a valid floating point value"});
        QCOMPARE(Fields(w.get(), PanelNames), panel);
        QCOMPARE(Column(w.get(), "StringGrid3", 8), (QStringList{"kept0", "kept1", "kept2", "kept3", "kept4"}));
        QCOMPARE(Column(w.get(), "StringGrid3", 9), QStringList(5, "0.0000"));
    }

    void agreesWithTheGaussTools()
    {
        // Identity parameters and one ellipsoid: geodetic to plane gives what "高斯投影正算"
        // gives, plane to geodetic what "高斯投影反算" gives, on the same points and zone.
        const QList<QStringList> geodetic = {{"G1", "35.0123", "114.2", "10"}, {"G2", "30.3", "113.2512", "0"},
                                             {"G3", "41.07305", "115.4", "500"}};
        const QList<QStringList> plane = {{"P1", "3876543.2109", "38512345.6789", "10"}, {"P2", "3375601.7135", "367890.123", "0"},
                                          {"P3", "4551234.5", "38623456.78", "500"}};
        auto fill = [](QWidget *w, const QList<QStringList> &rows, int fields) {
            Table(w, "StringGrid1")->setRowCount(static_cast<int>(rows.size()));
            for (int r = 0; r < rows.size(); ++r)
                SetRow(w, "StringGrid1", r, rows.at(r).mid(0, fields));
        };
        auto setUp = [](QWidget *w) {
            SetPreset(w, "ComboBox2", 2);
            SetPreset(w, "ComboBox1", 2);
            SetField(w, "EditLL1", "114");
        };

        TFormGSZS forward(nullptr);
        SetPreset(&forward, "ComboBox1", 2);
        SetField(&forward, "EditLL", "114");
        fill(&forward, geodetic, 3);
        QVERIFY(Press(&forward, "ToolButton6"));
        auto toPlane = Make("TFormTQdTOp");
        setUp(toPlane.get());
        fill(toPlane.get(), geodetic, 4);
        QVERIFY(Press(toPlane.get(), "ToolButton6"));

        TFormGSFS inverse(nullptr);
        SetPreset(&inverse, "ComboBox1", 2);
        SetField(&inverse, "EditLL", "114");
        fill(&inverse, plane, 3);
        QVERIFY(Press(&inverse, "ToolButton6"));
        auto toGeodetic = Make("TFormTQpTOd");
        setUp(toGeodetic.get());
        fill(toGeodetic.get(), plane, 4);
        QVERIFY(Press(toGeodetic.get(), "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList());

        for (int r = 0; r < geodetic.size(); ++r) {
            const QStringList gauss = Table(&forward, "StringGrid2")->rowTexts(r);
            const QStringList datum = Table(toPlane.get(), "StringGrid2")->rowTexts(r);
            QCOMPARE(datum.at(0), gauss.at(0));
            for (int c = 1; c <= 2; ++c) // the Gauss tool shows 3 decimals, the datum tool 4
                QVERIFY2(std::fabs(datum.at(c).toDouble() - gauss.at(c).toDouble()) < 0.00051,
                         qPrintable(datum.join(',') + " / " + gauss.join(',')));
            QCOMPARE(datum.at(3), geodetic.at(r).at(3) + ".0000");

            QCOMPARE(Table(toGeodetic.get(), "StringGrid2")->rowTexts(r).mid(0, 3), Table(&inverse, "StringGrid2")->rowTexts(r));
        }
    }

    void resultFileFields_data()
    {
        QTest::addColumn<QString>("windowClass");
        QTest::addColumn<int>("fields");
        QTest::newRow("TQZH") << "TFormTQZH" << 4;
        QTest::newRow("TQdTOp") << "TFormTQdTOp" << 4;
        QTest::newRow("TQpTOd") << "TFormTQpTOd" << 3;
        QTest::newRow("TQdTOd") << "TFormTQdTOd" << 4;
    }
    void resultFileFields()
    {
        QFETCH(QString, windowClass);
        QFETCH(int, fields);
        QTemporaryDir dir;
        auto w = Make(windowClass);
        SetPreset(w.get(), "ComboBox2", Preset(w.get(), "ComboBox1"));
        SetMeridian(w.get(), "117");
        const QStringList typed = OldIsGeodetic(windowClass) ? QStringList{"P", "35", "117.1", "50"}
                                                             : QStringList{"P", "3880000", "520000", "50"};
        SetRow(w.get(), "StringGrid1", 0, typed);
        QVERIFY(Press(w.get(), "ToolButton6"));
        const QString path = dir.filePath("result.txt");
        prompts->saveAnswers.push_back(path);
        QVERIFY(Press(w.get(), "ToolButton7"));
        const QStringList row = Table(w.get(), "StringGrid2")->rowTexts(0);
        QCOMPARE(QString::fromLatin1(ReadFile(path)), row.mid(0, fields).join(',') + "\r\n");

        // The three-field file of the plane-to-geodetic tool imports into a four-field table with
        // the height "0".
        if (fields == 3) {
            auto other = Make("TFormTQdTOd");
            prompts->openAnswers.push_back(path);
            QVERIFY(Press(other.get(), "ToolButton3"));
            QCOMPARE(Table(other.get(), "StringGrid1")->rowTexts(0), row.mid(0, 3) + QStringList{"0"});
        }
    }

    void workingMeridianTurnsTheFrame()
    {
        // The same common points under the meridians 117 and 114: DZ, WZ and K as shown agree.
        auto at117 = Make("TFormTQdTOd");
        SetMeridian(at117.get(), "117");
        FillCommonPoints(at117.get(), "TFormTQdTOd", FromSeconds(100, 0, 0, 0, 0, 2, 1.000005L), 117);
        auto at114 = Make("TFormTQdTOd");
        SetMeridian(at114.get(), "114");
        PointTableModel *from = Table(at117.get(), "StringGrid3");
        Table(at114.get(), "StringGrid3")->setRowCount(from->rows());
        for (int r = 0; r < from->rows(); ++r)
            SetRow(at114.get(), "StringGrid3", r, from->rowTexts(r));
        QVERIFY(Press(at117.get(), "ToolButton13"));
        QVERIFY(Press(at114.get(), "ToolButton13"));
        QCOMPARE(prompts->errors, QStringList());
        auto value = [](QWidget *w, const char *name) { return Field(w, name).toDouble(); };
        QVERIFY(std::fabs(value(at117.get(), "EditDZ") - value(at114.get(), "EditDZ")) < 1e-4);
        QVERIFY(std::fabs(value(at117.get(), "EditWZ") - value(at114.get(), "EditWZ")) < 1e-5);
        QCOMPARE(Field(at117.get(), "EditK"), Field(at114.get(), "EditK"));
        QVERIFY(std::fabs(value(at114.get(), "EditDY")) > 5);
        const double a = 3 * M_PI / 180;
        const double dx114 = value(at114.get(), "EditDX"), dy114 = value(at114.get(), "EditDY");
        QVERIFY(std::fabs(std::cos(a) * dx114 + std::sin(a) * dy114 - value(at117.get(), "EditDX")) < 1e-4);
        QVERIFY(std::fabs(-std::sin(a) * dx114 + std::cos(a) * dy114 - value(at117.get(), "EditDY")) < 1e-4);
    }

    void resizeSplitsTheLeftGroups()
    {
        auto w = Make("TFormTQZH");
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        for (int width : {809, 1013, 700}) {
            w->resize(width, 640);
            QTRY_COMPARE(w->oldGroup()->width(), static_cast<int>(std::nearbyint((width - 13) / 2.0)));
            QTRY_COMPARE(w->inputGroup()->width(), static_cast<int>(std::nearbyint((width - 13) / 2.0)));
        }
    }

private:
    std::unique_ptr<ScriptedPrompts> prompts;
};

QTEST_MAIN(DatumWindowsTest)
#include "DatumWindowsTest.moc"
