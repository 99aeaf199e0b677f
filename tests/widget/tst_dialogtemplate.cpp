// Dialog layouts as data: the parser and the built-in main window layout.
#include "dialogs/dialogtemplate.h"
#include "dialogs/resource.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

class TestDialogTemplate : public QObject {
    Q_OBJECT

private slots:
    void parsesControls();
    void reportsTheBadLine_data();
    void reportsTheBadLine();
    void mainWindowLayout();
    void resourcesOfTheRecordDialogs();
    void namesAgreeWithTheTemplates();
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
    const DialogTemplate main = LoadDialogTemplate(IDD_KESTRIM_DIALOG);
    QCOMPARE(main.caption, QStringLiteral("QUELLOR   V2.1"));
    QCOMPARE(main.size, QSize(291, 335));
    QCOMPARE(main.controls.size(), 47);
    QCOMPARE(main.controls.first().id, IDC_GROUP_TEMP_FORMAT);
    QCOMPARE(main.controls.last().id, IDC_STATIC_SPEECH_VOLUME);

    QList<int> hidden;
    for (const DialogControl &control : main.controls) {
        if (!control.visible)
            hidden.append(control.id);
    }
    QCOMPARE(hidden, (QList<int>{IDC_STATIC_VERDICT, IDC_BUTTON_CHINESE, IDC_BUTTON_ENGLISH,
                                 IDC_BUTTON_ENVIRONMENT, IDC_EDIT_ACK, IDC_STATIC_SPARE,
                                 IDC_STATIC_POWER, IDC_PROGRESS_BATTERY, IDC_SLIDER_SPARE}));

    QList<int> groupStarts;
    for (const DialogControl &control : main.controls) {
        if (control.groupStart)
            groupStarts.append(control.id);
    }
    QCOMPARE(groupStarts,
             (QList<int>{IDC_RADIO_CELSIUS, IDC_GROUP_WORK_MODE, IDC_RADIO_BACKLIGHT_OFF,
                         IDC_RADIO_SWITCH_MODE, IDC_RADIO_R9}));
    QCOMPARE(main.control(IDC_RADIO_R9_PRO)->caption, QStringLiteral("R9  Pro"));
    QCOMPARE(main.control(IDC_STATIC_ALARM_LIMIT)->caption, QStringLiteral("Alarm Upper Limit："));
    QCOMPARE(main.control(IDC_BUTTON_SAVE_AS)->rect, QRect(13, 251, 58, 21));
}

void TestDialogTemplate::resourcesOfTheRecordDialogs()
{
    const DialogTemplate del = LoadDialogTemplate(IDD_DELETE_DATA);
    QCOMPARE(del.caption, QStringLiteral("Delete Data"));
    QCOMPARE(del.fontPointSize, 8);
    QVERIFY(del.control(IDC_EDIT_START_LINE)->readOnly &&
            del.control(IDC_EDIT_START_LINE)->digitsOnly);

    const MenuTemplate list = LoadMenuTemplate(IDR_MENU_RECORD_LIST);
    QCOMPARE(list.popupCaption, QStringLiteral("Delete"));
    QCOMPARE(list.items.size(), 2);
    QCOMPARE(list.items[0].command, ID_SELECT_DELETE);
    QCOMPARE(list.items[1].caption, QStringLiteral("Delete All"));
    QCOMPARE(LoadMenuTemplate(IDR_MENU_LINE).items[1].caption, QStringLiteral("Set to Stop Line"));

    QCOMPARE(LoadResourceString(IDS_FAHRENHEIT), QStringLiteral("华氏度℉"));
    QCOMPARE(LoadResourceString(IDS_COUNT_MODE), QStringLiteral("计数模式"));
    QVERIFY(LoadResourceString(1005).isEmpty());
}

// Every number in the built-in templates has its name in resource.h and every name its number
// there, each in the file it belongs to: "kind file id" keys from both sides must be the same set.
void TestDialogTemplate::namesAgreeWithTheTemplates()
{
    const auto key = [](ResourceKind kind, int file, int id) {
        return QStringLiteral("%1 %2 %3").arg(int(kind)).arg(file).arg(id);
    };
    QSet<QString> inTemplates;
    const QRegularExpression fileName(QStringLiteral("^(dialog|menu)(\\d+)\\.txt$"));
    const QStringList files = QDir(QStringLiteral(":/templates")).entryList(QDir::Files);
    for (const QString &name : files) {
        const QRegularExpressionMatch match = fileName.match(name);
        if (!match.hasMatch())
            continue;
        const int id = match.captured(2).toInt();
        if (match.captured(1) == QLatin1String("dialog")) {
            const DialogTemplate dialog = LoadDialogTemplate(id);
            QCOMPARE(dialog.id, id);
            inTemplates.insert(key(ResourceKind::Dialog, 0, id));
            for (const DialogControl &control : dialog.controls) {
                if (control.id != -1)
                    inTemplates.insert(key(ResourceKind::Control, id, control.id));
            }
        } else {
            inTemplates.insert(key(ResourceKind::Menu, 0, id));
            for (const MenuItem &item : LoadMenuTemplate(id).items)
                inTemplates.insert(key(ResourceKind::Command, id, item.command));
        }
    }
    QFile strings(QStringLiteral(":/templates/strings.txt"));
    QVERIFY(strings.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(strings.readAll()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const int id = line.section(QStringLiteral(" | "), 0, 0).toInt();
        QVERIFY2(!LoadResourceString(id).isEmpty(), qPrintable(line));
        inTemplates.insert(key(ResourceKind::String, 0, id));
    }
    QVERIFY(inTemplates.contains(key(ResourceKind::Dialog, 0, IDD_KESTRIM_DIALOG)));

    QSet<QString> named;
    QSet<std::string_view> names;
    for (const ResourceName &resource : kResourceNames) {
        QVERIFY2(!names.contains(resource.name), resource.name.data());
        names.insert(resource.name);
        named.insert(key(resource.kind, resource.file, resource.id));
    }
    QCOMPARE(QStringList((inTemplates - named).values()), QStringList());
    QCOMPARE(QStringList((named - inTemplates).values()), QStringList());
}

QTEST_GUILESS_MAIN(TestDialogTemplate)
#include "tst_dialogtemplate.moc"
