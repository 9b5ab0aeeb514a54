// The map-sheet window driven as a user would: each page with its "计算", both numberings, the
// conversion between them, the plane page with its ellipsoid and zone, the pick in the drawing,
// texts that have no sheet number, and the settings it keeps.
#include "core/GaussKruger.h"
#include "core/TextForms.h"
#include "io/IniFile.h"
#include "support/WindowTestSupport.h"
#include "tools/TFH/TFormTFH.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

using namespace quorvil;
using namespace quorvil::test;

namespace {

const QStringList Nine = {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7", "Edit8", "Edit9"};

void Choose(QWidget *window, const char *radio) { window->findChild<QRadioButton *>(QString::fromLatin1(radio))->click(); }


} // namespace

class TFormTFHTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetSettingsFilePath(m_dir.filePath("Quorvil.ini"));
    }
    void init()
    {
        m_prompts.reset(); // its destructor uninstalls it
        m_prompts = std::make_unique<ScriptedPrompts>();
        QFile::remove(SettingsFilePath());
    }
    void cleanupTestCase() { m_prompts.reset(); }

    void opensOnThePlanePageWithDefaults()
    {
        TFormTFH window(nullptr);
        QCOMPARE(window.windowTitle(), QStringLiteral("1:1万图幅号计算"));
        auto *pages = window.findChild<QTabWidget *>();
        QCOMPARE(pages->tabText(pages->currentIndex()), QStringLiteral("根据平面坐标计算"));
        QCOMPARE(Fields(&window, {"EditE", "EditN", "EditX", "EditY", "EditXX", "EditYY", "EditA", "EditB"}),
                 (QStringList{"0", "0", "0", "0", "0", "0", "6378245.0", "6356863.0187730473"}));
        QVERIFY(window.findChild<QRadioButton *>("RadioButton1")->isChecked());
        QVERIFY(window.findChild<QRadioButton *>("RadioButton3")->isChecked());
        QCOMPARE(window.findChild<QComboBox *>("ComboBox1")->count(), 4);
        QCOMPARE(Fields(&window, Nine), QStringList(9, QString()));
    }

    void sheetsOfEveryPage_data()
    {
        QTest::addColumn<QString>("page"); // the button of the page
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("expected"); // the nine fields
        const QStringList nw = {"I49G047096", "I50G047001", "I50G047002", "I49G048096", "I50G048001",
                                "I50G048002", "I49G049096", "I50G049001", "I50G049002"};
        QTest::newRow("114E 34N new") << "Button4" << QStringList{"EditE", "114", "EditN", "34"} << QStringList{} << nw;
        QTest::newRow("114E 34N old") << "Button4" << QStringList{"EditE", "114", "EditN", "34"}
                                      << QStringList{"RadioButton2"}
                                      << QStringList{"I-49-72-(56)", "I-50-61-(49)", "I-50-61-(50)", "I-49-72-(64)",
                                                     "I-50-61-(57)", "I-50-61-(58)", "I-49-84-(8)", "I-50-73-(1)",
                                                     "I-50-73-(2)"};
        QTest::newRow("old to new") << "Button3" << QStringList{"EditT", "J-50-133-(12)"} << QStringList{}
                                    << QStringList{"J50G089003", "J50G089004", "J50G089005", "J50G090003", "J50G090004",
                                                   "J50G090005", "J50G091003", "J50G091004", "J50G091005"};
        QTest::newRow("new to old") << "Button3" << QStringList{"EditT", " J50G090004"}
                                    << QStringList{"RadioButton4", "RadioButton2"}
                                    << QStringList{"J-50-133-(3)", "J-50-133-(4)", "J-50-133-(5)", "J-50-133-(11)",
                                                   "J-50-133-(12)", "J-50-133-(13)", "J-50-133-(19)", "J-50-133-(20)",
                                                   "J-50-133-(21)"};
        QTest::newRow("one-digit column") << "Button3" << QStringList{"EditT", "K1G096096"} << QStringList{"RadioButton4"}
                                          << QStringList{"K1G095095", "K1G095096", "K2G095001", "K1G096095", "K1G096096",
                                                         "K2G096001", "J1G001095", "J1G001096", "J2G001001"};
    }

    void sheetsOfEveryPage()
    {
        QFETCH(QString, page);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, options);
        QFETCH(QStringList, expected);
        TFormTFH window(nullptr);
        for (int i = 0; i + 1 < fields.size(); i += 2)
            SetField(&window, fields[i], fields[i + 1]);
        for (const QString &option : options)
            Choose(&window, qPrintable(option));
        QVERIFY(Press(&window, page));
        QCOMPARE(m_prompts->errors, QStringList());
        QCOMPARE(Fields(&window, Nine), expected);
    }

    void planePageWithShiftsZonesAndEllipsoids()
    {
        // 34.1° N, 114.2° E lies in I50G046004 (new) and I-50-61-(44) (old).
        struct Case {
            int ellipsoid, zoneWidth;
        };
        for (const Case c : {Case{0, 3}, Case{1, 6}, Case{2, 3}}) {
            QFile::remove(SettingsFilePath()); // the window before kept the old numbering
            TFormTFH window(nullptr);
            window.findChild<QComboBox *>("ComboBox1")->setCurrentIndex(c.ellipsoid);
            window.findChild<QComboBox *>("ComboBox2")->setCurrentIndex(c.zoneWidth == 6 ? 1 : 0);
            const Ellipsoid e{TextToNumber(Field(&window, "EditA").toStdString()),
                              TextToNumber(Field(&window, "EditB").toStdString())};
            const Real L0 = c.zoneWidth == 6 ? 117 : 114;
            const int zone = c.zoneWidth == 6 ? 20 : 38;
            const PlaneXY p = GaussForward(e, 34.1L, 114.2L - L0);
            SetField(&window, "EditXX", "1000");
            SetField(&window, "EditYY", QString::number(zone * 1000000));
            SetField(&window, "EditX", QString::fromStdString(NumberToText(4, p.x - 1000)));
            SetField(&window, "EditY", QString::fromStdString(NumberToText(4, p.y + 500000)));
            Press(&window, "Button2");
            QCOMPARE(Field(&window, "Edit5"), QStringLiteral("I50G046004"));
            Choose(&window, "RadioButton2");
            Press(&window, "Button2");
            QCOMPARE(Field(&window, "Edit5"), QStringLiteral("I-50-61-(44)"));
        }
    }

    void textsWithoutSheetNumberKeepTheFields()
    {
        TFormTFH window(nullptr);
        SetField(&window, "EditE", "114");
        SetField(&window, "EditN", "34");
        Press(&window, "Button4");
        const QStringList before = Fields(&window, Nine);
        struct Case {
            QStringList fields;
            const char *option;
            const char *button;
            QString message;
        };
        const Case cases[] = {
            {{"EditT", "J-50-133-(65)"}, "RadioButton3", "Button3", "“J-50-133-(65)”不是旧图幅标准编号（形如J-50-133-(12)）！"},
            {{"EditT", "J50G090004"}, "RadioButton3", "Button3", "“J50G090004”不是旧图幅标准编号（形如J-50-133-(12)）！"},
            {{"EditT", "J-50-133-(12)"}, "RadioButton4", "Button3", "“J-50-133-(12)”不是新图幅标准编号（形如J50G090004）！"},
            {{"EditN", "-1"}, "RadioButton3", "Button4", "点位于赤道以南，没有图幅编号！"},
            {{"EditN", "88.3"}, "RadioButton3", "Button4", "纬度超出图幅编号的范围（北纬0°～88°）！"},
            {{"EditN", ""}, "RadioButton3", "Button4", "'' is not a valid floating point value"},
            {{"EditY", "-20"}, "RadioButton3", "Button2", "Y坐标小于0，点位于投影带原点以西，不能确定带号！"},
            {{"EditY", "130500000"}, "RadioButton3", "Button2", "带号130超出3度带的范围，不能确定中央子午线！"},
        };
        for (const Case &c : cases) {
            m_prompts->errors.clear();
            SetField(&window, c.fields[0], c.fields[1]);
            Choose(&window, c.option);
            Press(&window, c.button);
            QCOMPARE(m_prompts->errors, QStringList{c.message});
            QCOMPARE(Fields(&window, Nine), before);
            SetField(&window, "EditN", "34");
            SetField(&window, "EditY", "0");
        }
    }

    void pickInTheDrawing()
    {
        TFormTFH window(nullptr);
        m_prompts->messageAnswers = {QMessageBox::No};
        Press(&window, "Button1");
        QCOMPARE(m_prompts->messages, QStringList{"图形窗口尚未打开！\n现在打开图形窗口吗？"});
        ActiveCadSession cad;
        cad.answer(ScriptedCadSession::point(38500123.25, 3400000.5, 9));
        Press(&window, "Button1");
        QCOMPARE(cad.callsNamed("GetPoint").at(0).texts, QStringList{"请从屏幕取点"});
        QCOMPARE(Fields(&window, {"EditX", "EditY"}), (QStringList{"3400000.5", "38500123.25"}));
        QCOMPARE(Field(&window, "Edit5"), QString()); // nothing computed until "计算"
        Press(&window, "Button2");
        QCOMPARE(Field(&window, "Edit5"), QStringLiteral("H50G031001"));
    }

    void settingsRoundTrip()
    {
        auto *window = new TFormTFH(nullptr);
        Choose(window, "RadioButton2");
        Choose(window, "RadioButton4");
        window->findChild<QComboBox *>("ComboBox1")->setCurrentIndex(3);
        window->findChild<QComboBox *>("ComboBox2")->setCurrentIndex(1);
        SetField(window, "EditA", "6378000.5");
        SetField(window, "EditB", "6356000");
        SetField(window, "EditXX", "12");
        SetField(window, "EditYY", "abc");
        delete window;
        const IniFile ini(SettingsFilePath());
        QCOMPARE(ini.readString("TFHJS", "BYNEWTFH", {}), QStringLiteral("0"));
        QCOMPARE(ini.readString("TFHJS", "INPOLDTFH", {}), QStringLiteral("0"));
        QCOMPARE(ini.readString("TFHJS", "TQT", {}), QStringLiteral("3"));
        QCOMPARE(ini.readString("TFHJS", "TYD", {}), QStringLiteral("1"));
        TFormTFH again(nullptr);
        QVERIFY(again.findChild<QRadioButton *>("RadioButton2")->isChecked());
        QVERIFY(again.findChild<QRadioButton *>("RadioButton4")->isChecked());
        QCOMPARE(Fields(&again, {"EditA", "EditB", "EditXX", "EditYY"}), (QStringList{"6378000.5", "6356000", "12", "abc"}));
        QVERIFY(again.findChild<QLineEdit *>("EditA")->isEnabled());
        QCOMPARE(again.findChild<QComboBox *>("ComboBox2")->currentIndex(), 1);
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedPrompts> m_prompts;
};

QTEST_MAIN(TFormTFHTest)
#include "TFormTFHTest.moc"
