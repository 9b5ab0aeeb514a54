// The coordinate calculator driven as a user would: type into the fields, choose the direction,
// press "计算", read the fields.
#include "support/WindowTestSupport.h"
#include "tools/ZBZFS/TFormZBZFS.h"

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

using namespace quorvil;
using namespace quorvil::test;

namespace {

#define EXPECT_TEXT(actual, expected, what)                                                                    \
    QVERIFY2((actual) == (expected), qPrintable(QStringLiteral("%1: got \"%2\", expected \"%3\"")            \
                                                    .arg(what, actual, expected)))

QLineEdit *Edit(QWidget *window, const char *name) { return window->findChild<QLineEdit *>(QString::fromLatin1(name)); }

bool ShowsAsOutput(QLineEdit *field)
{
    return field->isReadOnly()
        && field->palette().color(QPalette::Base) == QApplication::palette(field).color(QPalette::ToolTipBase);
}

bool ShowsAsInput(QLineEdit *field)
{
    return !field->isReadOnly()
        && field->palette().color(QPalette::Base) == QApplication::palette(field).color(QPalette::Base);
}

void Choose(QWidget *window, const char *radio) { window->findChild<QRadioButton *>(QString::fromLatin1(radio))->click(); }

} // namespace

class TFormZBZFSTest : public QObject {
    Q_OBJECT

private slots:
    void startsAsInverseWithEmptyFields();
    void radioButtonsSwitchInputsAndOutputs();
    void inverseShowsDistanceAndBearing();
    void forwardShowsSecondPoint();
    void failuresWriteNothing();
};

void TFormZBZFSTest::startsAsInverseWithEmptyFields()
{
    TFormZBZFS window(nullptr);
    QCOMPARE(window.objectName(), QStringLiteral("TFormZBZFS"));
    QCOMPARE(window.windowTitle(), QStringLiteral("坐标正反算"));
    for (const char *name : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6"})
        QVERIFY2(Edit(&window, name)->text().isEmpty(), name);
    QVERIFY(window.findChild<QRadioButton *>("RadioButton1")->isChecked());
    QCOMPARE(window.findChild<QRadioButton *>("RadioButton1")->text(), QStringLiteral("反算距离和方位角"));
    QCOMPARE(window.findChild<QRadioButton *>("RadioButton2")->text(), QStringLiteral("反算坐标"));
    QVERIFY(ShowsAsOutput(Edit(&window, "Edit5")));
    QVERIFY(ShowsAsOutput(Edit(&window, "Edit6")));
    QVERIFY(ShowsAsInput(Edit(&window, "Edit3")));
    QVERIFY(ShowsAsInput(Edit(&window, "Edit4")));
}

void TFormZBZFSTest::radioButtonsSwitchInputsAndOutputs()
{
    TFormZBZFS window(nullptr);
    struct Case {
        const char *radio;
        bool inverse;
    } cases[] = {{"RadioButton2", false}, {"RadioButton1", true}, {"RadioButton2", false}};
    for (const auto &c : cases) {
        Choose(&window, c.radio);
        for (const char *name : {"Edit1", "Edit2"})
            QVERIFY2(ShowsAsInput(Edit(&window, name)), qPrintable(QStringLiteral("%1 after %2").arg(name, c.radio)));
        for (const char *name : {"Edit3", "Edit4"})
            QVERIFY2(c.inverse ? ShowsAsInput(Edit(&window, name)) : ShowsAsOutput(Edit(&window, name)),
                     qPrintable(QStringLiteral("%1 after %2").arg(name, c.radio)));
        for (const char *name : {"Edit5", "Edit6"})
            QVERIFY2(c.inverse ? ShowsAsOutput(Edit(&window, name)) : ShowsAsInput(Edit(&window, name)),
                     qPrintable(QStringLiteral("%1 after %2").arg(name, c.radio)));
    }
}

void TFormZBZFSTest::inverseShowsDistanceAndBearing()
{
    struct Case {
        const char *name;
        QString x1, y1, x2, y2, distance, bearing;
    } cases[] = {
        {"north-east", "0", "0", "100", "100", "141.421", "45.000000"},
        {"due south", "0", "0", "-100", "0", "100.000", "180.000000"},
        {"due west", "0", "0", "0", "-100", "100.000", "270.000000"},
        {"empty point 1", "", "", "0", "100", "100.000", "90.000000"},
        {"30°15′20″", "1000", "2000", "1086.3786653840", "2050.3857734531", "100.000", "30.152000"},
        {"blanks around", " 10 ", "20", "10", " 25\t", "5.000", "90.000000"},
    };
    TFormZBZFS window(nullptr);
    ScriptedPrompts prompts;
    for (const auto &c : cases) {
        SetField(&window, "Edit1", c.x1);
        SetField(&window, "Edit2", c.y1);
        SetField(&window, "Edit3", c.x2);
        SetField(&window, "Edit4", c.y2);
        QVERIFY(Press(&window, "Button1"));
        QVERIFY2(prompts.errors.isEmpty(), c.name);
        EXPECT_TEXT(Field(&window, "Edit5"), c.distance, c.name);
        EXPECT_TEXT(Field(&window, "Edit6"), c.bearing, c.name);
    }
}

void TFormZBZFSTest::forwardShowsSecondPoint()
{
    struct Case {
        const char *name;
        QString x1, y1, distance, bearing, x2, y2;
    } cases[] = {
        {"due east", "1000", "2000", "100", "90", "1000.000", "2100.000"},
        {"empty distance and bearing", "1000", "2000", "", "", "1000.000", "2000.000"},
        {"negative distance", "1000", "2000", "-100", "90", "1000.000", "1900.000"},
        {"due west", "1000", "2000", "100", "270", "1000.000", "1900.000"},
        {"30°15′20″", "1000", "2000", "100", "30.1520", "1086.379", "2050.386"},
        {"minutes as typed", "0", "0", "100", "30.3", "86.163", "50.754"},
    };
    TFormZBZFS window(nullptr);
    ScriptedPrompts prompts;
    Choose(&window, "RadioButton2");
    for (const auto &c : cases) {
        SetField(&window, "Edit1", c.x1);
        SetField(&window, "Edit2", c.y1);
        SetField(&window, "Edit5", c.distance);
        SetField(&window, "Edit6", c.bearing);
        QVERIFY(Press(&window, "Button1"));
        QVERIFY2(prompts.errors.isEmpty(), c.name);
        EXPECT_TEXT(Field(&window, "Edit3"), c.x2, c.name);
        EXPECT_TEXT(Field(&window, "Edit4"), c.y2, c.name);
    }
}

void TFormZBZFSTest::failuresWriteNothing()
{
    struct Case {
        const char *name;
        bool inverse;
        QString x1, y1, a, b; // point 2 (inverse) or distance and bearing (forward)
        QString message;
    } cases[] = {
        {"inverse, comma decimal", true, "12,5", "0", "1", "1", "'12,5' is not a valid floating point value"},
        {"inverse, text in point 2", true, "0", "0", "1", "abc", "'abc' is not a valid floating point value"},
        {"inverse, identical points", true, "100", "200", "100", "200", "Invalid floating point operation"},
        {"inverse, both empty", true, "", "", "", "", "Invalid floating point operation"},
        {"forward, bad distance", false, "0", "0", "1O0", "90", "'1O0' is not a valid floating point value"},
        {"forward, bad bearing", false, "0", "0", "100", "9O", "'9O' is not a valid floating point value"},
        {"forward, bad point 1", false, "x", "0", "100", "90", "'x' is not a valid floating point value"},
        // The bearing overflows on its way to radians; its cosine is then an invalid operation.
        {"forward, bearing beyond the range", false, "0", "0", "100", "1e4932", "Invalid floating point operation"},
    };
    TFormZBZFS window(nullptr);
    for (const auto &c : cases) {
        ScriptedPrompts prompts;
        Choose(&window, c.inverse ? "RadioButton1" : "RadioButton2");
        const char *out1 = c.inverse ? "Edit5" : "Edit3";
        const char *out2 = c.inverse ? "Edit6" : "Edit4";
        SetField(&window, "Edit1", c.x1);
        SetField(&window, "Edit2", c.y1);
        SetField(&window, c.inverse ? "Edit3" : "Edit5", c.a);
        SetField(&window, c.inverse ? "Edit4" : "Edit6", c.b);
        SetField(&window, out1, "old 1");
        SetField(&window, out2, "old 2");
        QVERIFY(Press(&window, "Button1"));
        QVERIFY2(prompts.errors == QStringList{c.message},
                 qPrintable(QStringLiteral("%1: %2").arg(c.name, prompts.errors.join(" | "))));
        EXPECT_TEXT(Field(&window, out1), QStringLiteral("old 1"), c.name);
        EXPECT_TEXT(Field(&window, out2), QStringLiteral("old 2"), c.name);
    }
}

QTEST_MAIN(TFormZBZFSTest)
#include "TFormZBZFSTest.moc"
