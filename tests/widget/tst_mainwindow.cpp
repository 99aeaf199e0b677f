// The main window as the operator first sees it: built from its layout, with its status bar,
// clock, port list and keyboard behaviour.
#include "controls/fonts.h"
#include "dialogs/dialogbuilder.h"
#include "dialogs/dialogtemplate.h"
#include "dialogs/resource.h"
#include "kestrim-sim/pseudoterminal.h"
#include "manualclock.h"
#include "reception/frame.h"
#include "recordingprompts.h"
#include "window/ckestrimdlg.h"
#include "window/panestatusbar.h"
#include "windowtesting.h"
#include "workingfolder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocumentFragment>

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void controlsComeFromTheLayout();
    void radioButtonsFormTheirGroups();
    void tabOrderFollowsTheLayout();
    void statusBarPanes();
    void clockTicksIntoThePaneAndDate();
    void facesResolveToInstalledFonts_data();
    void facesResolveToInstalledFonts();
    void portListSelectsHighestPortThatOpens();
    void portListWithoutPorts();
    void enterAndEscapeNeverEndTheWindow_data();
    void enterAndEscapeNeverEndTheWindow();
    void enterOnAFocusedButtonClicksIt();
    void framesFromTheThermometer_data();
    void framesFromTheThermometer();
    void portThatCannotBeOpened();
    void speechSlidersTakeTheirValueOnRelease();

private:
    KestrimSeams seams(std::shared_ptr<Prompts> prompts) const;
    std::unique_ptr<CKestrimDlg> makeWindow();
    template <typename T = QWidget> T *control(CKestrimDlg &window, int id)
    {
        return window.findChild<T *>(QString::number(id));
    }

    std::unique_ptr<WorkingFolder> m_workDir;
    std::shared_ptr<ManualClock> m_clock;
};

void TestMainWindow::initTestCase()
{
    InstallFontSubstitutes();
}

void TestMainWindow::init()
{
    m_workDir = std::make_unique<WorkingFolder>();
    QVERIFY(m_workDir->isValid());
    m_clock = std::make_shared<ManualClock>(QDateTime(QDate(2024, 1, 5), QTime(9, 30, 0)));
}

void TestMainWindow::cleanup()
{
    m_workDir.reset();
}

// The test's clock and prompts, and no speech.
KestrimSeams TestMainWindow::seams(std::shared_ptr<Prompts> prompts) const
{
    return TestSeams(m_clock, std::move(prompts));
}

std::unique_ptr<CKestrimDlg> TestMainWindow::makeWindow()
{
    auto window = std::make_unique<CKestrimDlg>(seams(std::make_shared<RecordingPrompts>()));
    window->show();
    return window;
}

void TestMainWindow::controlsComeFromTheLayout()
{
    auto window = makeWindow();
    QCOMPARE(window->windowTitle(), QStringLiteral("QUELLOR   V2.1"));

    const DialogTemplate layout = LoadDialogTemplate(IDD_KESTRIM_DIALOG);
    const DialogUnits units(window->font());
    QVERIFY(units.baseX() > 0 && units.baseY() > 0);
    QCOMPARE(window->size(), units.toPixels(layout.size));
    for (const DialogControl &c : layout.controls) {
        if (c.id < 0 || c.kind == ControlKind::SerialControl)
            continue;
        QWidget *widget = control(*window, c.id);
        QVERIFY2(widget, qPrintable(QString::number(c.id)));
        QCOMPARE(widget->isVisible(), c.visible);
        QCOMPARE(widget->pos(), units.toPixels(c.rect).topLeft());
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            QCOMPARE(button->text(), c.caption);
    }
    QVERIFY(window->findChild<QObject *>(QString::number(IDC_SERIAL)));
    Screenshot(window.get(), QStringLiteral("mainwindow"));
    // Accessible names stay the visible text, not the id.
    QCOMPARE(control(*window, IDC_BUTTON_CONNECT)->accessibleName(), QString());
}

void TestMainWindow::radioButtonsFormTheirGroups()
{
    auto window = makeWindow();
    const auto radio = [&](int id) {
        return control<QRadioButton>(*window, id);
    };
    // Settings controls are disabled until a thermometer answers; ticking works all the same.
    // The window is not told (a check it is told of acts as the operator's choice).
    const auto tick = [&](int id) {
        const QSignalBlocker quiet(radio(id));
        radio(id)->setChecked(true);
    };
    for (int id : {IDC_RADIO_FAHRENHEIT, IDC_RADIO_BODY_MODE, IDC_RADIO_BACKLIGHT_ON,
                   IDC_RADIO_PULSE_MODE, IDC_RADIO_R9, IDC_RADIO_CELSIUS})
        tick(id);
    QVERIFY(radio(IDC_RADIO_CELSIUS)->isChecked() && !radio(IDC_RADIO_FAHRENHEIT)->isChecked());
    QVERIFY(radio(IDC_RADIO_BODY_MODE)->isChecked()); // another group, untouched
    tick(IDC_RADIO_COUNT_MODE);
    QVERIFY(radio(IDC_RADIO_COUNT_MODE)->isChecked() && !radio(IDC_RADIO_BODY_MODE)->isChecked() &&
            radio(IDC_RADIO_CELSIUS)->isChecked());
    QVERIFY(radio(IDC_RADIO_BACKLIGHT_ON)->isChecked() &&
            radio(IDC_RADIO_PULSE_MODE)->isChecked() && radio(IDC_RADIO_R9)->isChecked());
}

void TestMainWindow::tabOrderFollowsTheLayout()
{
    auto window = makeWindow();
    QList<QWidget *> expected;
    for (const DialogControl &c : LoadDialogTemplate(IDD_KESTRIM_DIALOG).controls) {
        QWidget *widget = c.id < 0 ? nullptr : control(*window, c.id);
        if (widget && widget->focusPolicy() != Qt::NoFocus)
            expected.append(widget);
    }
    QVERIFY(expected.size() > 20);
    // Walk the focus chain, skipping the inner widgets of composite controls.
    QList<QWidget *> chain;
    for (QWidget *w = expected.first(); chain.size() < expected.size(); w = w->nextInFocusChain()) {
        if (expected.contains(w))
            chain.append(w);
    }
    QCOMPARE(chain, expected);
}

void TestMainWindow::statusBarPanes()
{
    auto window = makeWindow();
    auto *bar = window->findChild<PaneStatusBar *>();
    QVERIFY(bar);
    QCOMPARE(bar->paneCount(), 7);
    const QStringList texts{"Current Date：",
                            "2024-01-05",
                            "Current Time：",
                            "计数模式",
                            "Environment Temp.：",
                            "-----",
                            ""};
    for (int i = 0; i < 7; ++i) {
        // A pane keeps its width, grows where its caption needs more, and the last one
        // takes what is left.
        const int width = bar->pane(i)->width();
        if (i == 1 || i == 3 || i == 5)
            QCOMPARE(width, CKestrimDlg::kPaneWidths[i]);
        else if (i < 6)
            QVERIFY2(width >= CKestrimDlg::kPaneWidths[i], qPrintable(QString::number(i)));
        QCOMPARE(bar->paneText(i), texts[i]);
    }
    // The bar sits at the bottom of the client area, across its width.
    QCOMPARE(bar->geometry().bottom(), window->rect().bottom());
    QCOMPARE(bar->width(), window->width());
}

void TestMainWindow::clockTicksIntoThePaneAndDate()
{
    m_clock->set(QDateTime(QDate(2024, 5, 20), QTime(23, 59, 59)));
    auto window = makeWindow();
    auto *bar = window->findChild<PaneStatusBar *>();
    window->OnTimer(CKestrimDlg::kClockTimer);
    QCOMPARE(bar->paneText(3), QStringLiteral("23:59:59"));
    QCOMPARE(window->shownDay(), QDate(2024, 5, 20));

    m_clock->set(QDateTime(QDate(2024, 5, 21), QTime(0, 0, 0)));
    window->OnTimer(CKestrimDlg::kClockTimer);
    QCOMPARE(bar->paneText(3), QStringLiteral("00:00:00"));
    QCOMPARE(window->shownDay(), QDate(2024, 5, 21));
    // Past midnight the date pane and the title line follow the new day.
    QCOMPARE(bar->paneText(1), QStringLiteral("2024-05-21"));
    QCOMPARE(window->findChild<QLabel *>(QString::number(IDC_STATIC_TITLE))->text(),
             QStringLiteral("May 21,2024 Temp. Statistics"));

    m_clock->set(QDateTime());
    window->OnTimer(CKestrimDlg::kClockTimer);
    QCOMPARE(window->shownDay(), QDate());

    // The real timer drives the same handler.
    m_clock->set(QDateTime(QDate(2024, 5, 21), QTime(8, 1, 2)));
    QTRY_COMPARE_WITH_TIMEOUT(bar->paneText(3), QStringLiteral("08:01:02"), 3000);
}

void TestMainWindow::facesResolveToInstalledFonts_data()
{
    QTest::addColumn<QString>("face");
    QTest::addColumn<QString>("family");
    QTest::newRow("Arial") << kFaceArial << "Liberation Sans";
    QTest::newRow("黑体") << kFaceHeiti << "Noto Sans CJK SC";
    QTest::newRow("楷体") << kFaceKaiti << "AR PL UKai CN";
    QTest::newRow("dialog font") << kFaceDialog << "Liberation Sans";
}

void TestMainWindow::facesResolveToInstalledFonts()
{
    QFETCH(QString, face);
    QFETCH(QString, family);
    QCOMPARE(QFontInfo(PointFont(face, 14)).family(), family);
}

void TestMainWindow::portListSelectsHighestPortThatOpens()
{
    PseudoTerminal com3, com7;
    QVERIFY(com3.open() && com7.open());
    QVERIFY(QDir().mkpath(QStringLiteral("Ports")));
    QVERIFY(QFile::link(com3.slavePath(), QStringLiteral("Ports/com3")));
    QVERIFY(QFile::link(com7.slavePath(), QStringLiteral("Ports/com7")));
    QVERIFY(QFile::link(QStringLiteral("/nonexistent"), QStringLiteral("Ports/com9")));

    auto window = makeWindow();
    auto *combo = control<QComboBox>(*window, IDC_COMBO_COM);
    QCOMPARE(combo->count(), 20);
    QCOMPARE(combo->itemText(0), QStringLiteral("COM1"));
    QCOMPARE(combo->itemText(19), QStringLiteral("COM20"));
    QCOMPARE(combo->currentText(), QStringLiteral("COM7"));
    // The tooltips read as the plain text of the port's description.
    const auto tooltip = [combo](int index) {
        return QTextDocumentFragment::fromHtml(combo->itemData(index, Qt::ToolTipRole).toString())
            .toPlainText();
    };
    QCOMPARE(tooltip(6), QStringLiteral("Ports/com7 → ") + com7.slavePath());
    QCOMPARE(tooltip(0), QStringLiteral("/dev/ttyUSB0"));
}

void TestMainWindow::portListWithoutPorts()
{
    auto window = makeWindow();
    auto *combo = control<QComboBox>(*window, IDC_COMBO_COM);
    QCOMPARE(combo->count(), 20);
    QCOMPARE(combo->currentIndex(), 0);
}

void TestMainWindow::enterAndEscapeNeverEndTheWindow_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("focus"); // the control with the focus; the list after a reading
    QTest::newRow("Enter on a radio button") << int(Qt::Key_Return) << IDC_RADIO_CELSIUS;
    QTest::newRow("Escape on a radio button") << int(Qt::Key_Escape) << IDC_RADIO_CELSIUS;
    QTest::newRow("Enter in the list") << int(Qt::Key_Return) << IDC_LIST_RECORDS;
    QTest::newRow("keypad Enter in the list") << int(Qt::Key_Enter) << IDC_LIST_RECORDS;
    QTest::newRow("Escape in the list") << int(Qt::Key_Escape) << IDC_LIST_RECORDS;
}

// A stray Enter (or a keyboard-wedge scanner's) must not end the recording: every reading
// gives the list the focus.
void TestMainWindow::enterAndEscapeNeverEndTheWindow()
{
    QFETCH(int, key);
    QFETCH(int, focus);
    auto window = makeWindow();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    Receive(*window, BuildFrame(FrameCode::Settings, QByteArray::fromHex("0001770102000001")) +
                         BuildFrame(FrameCode::Measurement, QByteArray::fromHex("6D01")));
    if (focus != IDC_LIST_RECORDS) {
        control(*window, focus)->setEnabled(true);
        control(*window, focus)->setFocus();
    }
    QTRY_COMPARE(QApplication::focusWidget(), control(*window, focus));
    QSignalSpy finished(window.get(), &QDialog::finished);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QCOMPARE(finished.count(), 0);
    QVERIFY(window->isVisible());
    Screenshot(window.get(), QStringLiteral("enter-in-list-") + QString::number(key, 16));
}

void TestMainWindow::enterOnAFocusedButtonClicksIt()
{
    auto window = makeWindow();
    auto *connect = control<QAbstractButton>(*window, IDC_BUTTON_CONNECT);
    QSignalSpy clicked(connect, &QAbstractButton::clicked);
    QSignalSpy finished(window.get(), &QDialog::finished);
    connect->setFocus();
    QTest::keyClick(connect, Qt::Key_Return);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(finished.count(), 0);
}

void TestMainWindow::framesFromTheThermometer_data()
{
    QTest::addColumn<QByteArray>("payloads"); // code byte then payload, frames separated by '|'
    QTest::addColumn<QString>("ack");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("environmentPane");
    QTest::addColumn<float>("environmentC"); // what the thermometer holds, in °C
    // Acknowledgements belong to a command in flight; with none (nothing was sent), they change
    // nothing and tell nothing.
    QTest::newRow("success without a command")
        << QByteArray("0200") << "" << QStringList{} << "-----" << 0.0f;
    QTest::newRow("failure without a command")
        << QByteArray("0201") << "" << QStringList{} << "-----" << 0.0f;
    QTest::newRow("no result byte: too short, dropped")
        << QByteArray("02") << "" << QStringList{} << "-----" << 0.0f;
    QTest::newRow("environment in Fahrenheit")
        << QByteArray("01010175030200000001|03FD00") << "" << QStringList{} << "25.3F" << -3.7f;
    QTest::newRow("environment in Celsius")
        << QByteArray("03F500") << "" << QStringList{} << "24.5C" << 24.5f;
    QTest::newRow("unknown code ignored")
        << QByteArray("0E0102") << "" << QStringList{} << "-----" << 0.0f;
}

// Frames handed straight to the receive path, as the port would deliver them.
void TestMainWindow::framesFromTheThermometer()
{
    QFETCH(QByteArray, payloads);
    auto prompts = std::make_shared<RecordingPrompts>();
    CKestrimDlg window(seams(prompts));
    window.show();
    QByteArray stream;
    for (const QByteArray &hex : payloads.split('|')) {
        const QByteArray bytes = QByteArray::fromHex(hex);
        stream += BuildFrame(quint8(bytes[0]), bytes.sliced(1));
    }
    Receive(window, stream);
    QTEST(control<QLineEdit>(window, IDC_EDIT_ACK)->text(), "ack");
    QTEST(prompts->messages, "messages");
    QTEST(window.findChild<PaneStatusBar *>()->paneText(5), "environmentPane");
    QTEST(window.thermometer().envTempC(), "environmentC");
}

void TestMainWindow::portThatCannotBeOpened()
{
    auto prompts = std::make_shared<RecordingPrompts>();
    QVERIFY(QDir().mkpath(QStringLiteral("Ports")));
    QVERIFY(QFile::link(QStringLiteral("/nonexistent/tty"), QStringLiteral("Ports/com2")));
    CKestrimDlg window(seams(prompts));
    window.show();
    control<QComboBox>(window, IDC_COMBO_COM)->setCurrentIndex(1);
    control<QAbstractButton>(window, IDC_BUTTON_CONNECT)->click();
    QCOMPARE(prompts->messages.size(), 1);
    QVERIFY2(
        prompts->messages[0].startsWith(QStringLiteral("COM2 (Ports/com2 → /nonexistent/tty)")),
        qPrintable(prompts->messages[0]));
    QCOMPARE(control<QAbstractButton>(window, IDC_BUTTON_CONNECT)->text(),
             QStringLiteral("Connect"));
    QVERIFY(control<QAbstractButton>(window, IDC_BUTTON_CONNECT)->isEnabled());
    QVERIFY(!window.thermometer().isPortOpen());
}

void TestMainWindow::speechSlidersTakeTheirValueOnRelease()
{
    auto spoken = std::make_shared<SpokenLog>();
    auto window = std::make_unique<CKestrimDlg>(
        TestSeams(m_clock, std::make_shared<RecordingPrompts>(), spoken));
    window->show();
    auto *speed = control<QSlider>(*window, IDC_SLIDER_SPEECH_SPEED);
    auto *label = control<QLabel>(*window, IDC_STATIC_SPEECH_SPEED);
    QCOMPARE(speed->minimum(), -10);
    QCOMPARE(label->text(), QStringLiteral("1"));
    QCOMPARE(control<QLabel>(*window, IDC_STATIC_SPEECH_VOLUME)->text(), QStringLiteral("80"));
    // Keys move the thumb only.
    speed->setFocus();
    QTest::keyClick(speed, Qt::Key_Home);
    QCOMPARE(speed->value(), -10);
    QCOMPARE(label->text(), QStringLiteral("1"));
    // Letting go of the mouse takes the value.
    QTest::mouseRelease(speed, Qt::LeftButton, {}, speed->rect().center());
    QTRY_COMPARE(label->text(), QStringLiteral("-10"));
    // What is said next is spoken at that rate.
    Receive(*window, BuildFrame(FrameCode::Settings, QByteArray::fromHex("0001770102000001")));
    QTRY_COMPARE(spoken->rates(), QList<int>{-10});
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
