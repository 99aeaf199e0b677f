// Dialog layouts as data: the parser and the built-in main window layout.
#include "dialogs/dialogtemplate.h"

#include <QTest>

class TestDialogTemplate : public QObject {
    Q_OBJECT

private slots:
    void parsesControls();
    void reportsTheBadLine_data();
    void reportsTheBadLine();
    void mainWindowLayout();
    void resourcesOfTheRecordDialogs();
};

void TestDialogTemplate::parsesControls()
{
    DialogTemplate parsed;
    QString error;
    QVERIFY2(ParseDialogTemplate(QStringLiteral("# comment\n"
                                                "dialog | 7 | A   B | Face | 8 | 100 | 50\n"
                                                "\n"
                                                "12 | radio | R9  Pro | 1 | 2 | 3 | 4 | group\n"
                                                "- | static |  | 5 | 6 | 7 | 8 | centre,hidden\n"),
                                 &parsed, &error),
             qPrintable(error));
    QCOMPARE(parsed.id, 7);
    QCOMPARE(parsed.caption, QStringLiteral("A   B"));
    QCOMPARE(parsed.fontFace, QStringLiteral("Face"));
    QCOMPARE(parsed.size, QSize(100, 50));
    QCOMPARE(parsed.controls.size(), 2);
    const DialogControl &radio = parsed.controls[0];
    QCOMPARE(radio.id, 12);
    QCOMPARE(radio.kind, ControlKind::RadioButton);
    QCOMPARE(radio.caption, QStringLiteral("R9  Pro")); // inner blanks kept
    QCOMPARE(radio.rect, QRect(1, 2, 3, 4));
    QVERIFY(radio.groupStart && radio.visible && !radio.centred);
    const DialogControl &label = parsed.controls[1];
    QCOMPARE(label.id, -1);
    QVERIFY(label.caption.isEmpty());
    QVERIFY(label.centred && !label.visible);
}

void TestDialogTemplate::reportsTheBadLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    const QString header = QStringLiteral("dialog | 1 | X | F | 9 | 10 | 10\n");
    QTest::newRow("no header") << "1 | static | x | 0 | 0 | 1 | 1 |\n"
                               << "line 1: expected the dialog line";
    QTest::newRow("unknown kind") << header + "5 | slider | x | 0 | 0 | 1 | 1 |\n"
                                  << "line 2: unknown kind \"slider\"";
    QTest::newRow("unknown flag") << header + "\n5 | static | x | 0 | 0 | 1 | 1 | shiny\n"
                                  << "line 3: unknown flag \"shiny\"";
    QTest::newRow("short line") << header + "5 | static | x | 0 | 0 | 1\n"
                                << "line 2: expected 8 fields";
}

void TestDialogTemplate::reportsTheBadLine()
{
    QFETCH(QString, text);
    QFETCH(QString, error);
    DialogTemplate parsed;
    QString got;
    QVERIFY(!ParseDialogTemplate(text, &parsed, &got));
    QCOMPARE(got, error);
}

void TestDialogTemplate::mainWindowLayout()
{
    const DialogTemplate main = LoadDialogTemplate(102);
    QCOMPARE(main.caption, QStringLiteral("QUELLOR   V2.1"));
    QCOMPARE(main.size, QSize(291, 335));
    QCOMPARE(main.controls.size(), 47);
    QCOMPARE(main.controls.first().id, 1018);
    QCOMPARE(main.controls.last().id, 1054);

    QList<int> hidden;
    for (const DialogControl &control : main.controls) {
        if (!control.visible)
            hidden.append(control.id);
    }
    QCOMPARE(hidden, (QList<int>{1010, 1022, 1023, 1024, 1025, 1026, 1031, 1032, 1033}));

    QList<int> groupStarts;
    for (const DialogControl &control : main.controls) {
        if (control.groupStart)
            groupStarts.append(control.id);
    }
    QCOMPARE(groupStarts, (QList<int>{1000, 1019, 1036, 1038, 1049}));
    QCOMPARE(main.control(1050)->caption, QStringLiteral("R9  Pro"));
    QCOMPARE(main.control(1021)->caption, QStringLiteral("Alarm Upper Limit："));
    QCOMPARE(main.control(1011)->rect, QRect(13, 251, 58, 21));
}

void TestDialogTemplate::resourcesOfTheRecordDialogs()
{
    const DialogTemplate del = LoadDialogTemplate(146);
    QCOMPARE(del.caption, QStringLiteral("Delete Data"));
    QCOMPARE(del.fontPointSize, 8);
    QVERIFY(del.control(1057)->readOnly && del.control(1057)->digitsOnly);

    const MenuTemplate list = LoadMenuTemplate(145);
    QCOMPARE(list.popupCaption, QStringLiteral("Delete"));
    QCOMPARE(list.items.size(), 2);
    QCOMPARE(list.items[0].command, 32780);
    QCOMPARE(list.items[1].caption, QStringLiteral("Delete All"));
    QCOMPARE(LoadMenuTemplate(147).items[1].caption, QStringLiteral("Set to Stop Line"));

    QCOMPARE(LoadResourceString(1001), QStringLiteral("华氏度℉"));
    QCOMPARE(LoadResourceString(1004), QStringLiteral("计数模式"));
    QVERIFY(LoadResourceString(1005).isEmpty());
}

QTEST_GUILESS_MAIN(TestDialogTemplate)
#include "tst_dialogtemplate.moc"
