// The window's settings controls, model buttons and language switch, driven on the offscreen
// platform with frames handed to the receive path (or a bare pseudo-terminal where the
// connection itself matters).
#include "controls/fonts.h"
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
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFontInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

// An R9 Pro in Celsius and body mode, limit 37.5, volume 50 %, backlight off, switch output,
// English.
const QByteArray kProReport = QByteArray::fromHex("55AA0D0100017701020000 0189");
// An R9 in Celsius and body mode, limit 37.5.
const QByteArray kR9Report = QByteArray::fromHex("55AA090100017701 82");

QByteArray FrameOf(quint8 code, const char *payloadHex)
{
    return BuildFrame(code, QByteArray::fromHex(payloadHex));
}

// The caption of a button, label or group box.
QString Caption(QWidget *widget)
{
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    if (auto *group = qobject_cast<QGroupBox *>(widget))
        return group->title();
    return QStringLiteral("<no caption>");
}

} // namespace

class TestWindowSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void captionsInBothLanguages_data();
    void captionsInBothLanguages();
    void panesColumnsTitleAndVerdictInBothLanguages();
    void textsTheSwitchLeavesAlone();
    void everyCaptionFitsItsControl_data();
    void everyCaptionFitsItsControl();
    void newReadingRowIsWhollyVisible();
    void unitButtonsConvertWhatIsShown();
    void modeButtons_data();
    void modeButtons();
    void modelButtonsSetTheRangeAndTheWindow();
    void refusedCommandsSendNothing_data();
    void refusedCommandsSendNothing();
    void reconnectWithinThePauseKeepsConnectDisabled();
    void readingInTheSameChunkAsTheReportIsStoredAtOnce();
    void operatorsLanguageHolds();
    void languageAndRepeatFromMenuAndKeyboard();
    void restartKeepsTheOperatorsChoices();
    void commandLineStartsConnectedInChinese();
    void refusedCommandLeavesTheWindowAsTheThermometer();
    void failedCommandPutsControlsBackAndAsksAgain();
    void readingStaysAsItWasRead_data();
    void readingStaysAsItWasRead();
    void connectWithoutAnswerEndsInFail();
    void modelButtonsFillTheListInTheThermometersUnit();
    void readingsWhileOpeningAreFiledUnderTheOpenedPort();
    void radiosActThroughAccessibilityNotOnTheProgramsOwnChecks();
    void closingWhileConnectedAsksFirst();

private:
    void verifyR9Shape(const QSize &full);
    std::unique_ptr<CKestrimDlg> makeWindow(const LaunchOptions &options = {});
    // A pseudo-terminal behind COM3, so that Connect opens a real port.
    void linkCom3(PseudoTerminal &terminal);
    // The same, connected: the port is open and the settings request has gone out.
    void connectCom3(PseudoTerminal &terminal);
    // Settings commands (code 02) the pseudo-terminal received since the last call.
    QList<QByteArray> commandsSent(PseudoTerminal &terminal);
    template <typename T = QWidget> T *control(int id) const
    {
        return m_window->findChild<T *>(QString::number(id));
    }
    QString pane(int index) const
    {
        return m_window->findChild<PaneStatusBar *>()->paneText(index);
    }

    std::unique_ptr<WorkingFolder> m_workDir;
    std::shared_ptr<ManualClock> m_clock;
    std::shared_ptr<RecordingPrompts> m_prompts;
    std::shared_ptr<SpokenLog> m_spoken;
    std::unique_ptr<CKestrimDlg> m_window;
};

void TestWindowSettings::initTestCase()
{
    InstallFontSubstitutes();
}

void TestWindowSettings::init()
{
    m_workDir = std::make_unique<WorkingFolder>();
    QVERIFY(m_workDir->isValid());
    m_clock = std::make_shared<ManualClock>(QDateTime(QDate(2024, 12, 9), QTime(10, 0, 0)));
    m_prompts = std::make_shared<RecordingPrompts>();
    m_spoken = std::make_shared<SpokenLog>();
    m_window = makeWindow();
}

void TestWindowSettings::cleanup()
{
    m_window.reset();
    m_workDir.reset();
}

std::unique_ptr<CKestrimDlg> TestWindowSettings::makeWindow(const LaunchOptions &options)
{
    auto window = std::make_unique<CKestrimDlg>(TestSeams(m_clock, m_prompts, m_spoken));
    window->SetLaunchOptions(options);
    window->show();
    return window;
}

void TestWindowSettings::linkCom3(PseudoTerminal &terminal)
{
    QVERIFY2(terminal.open(), qPrintable(terminal.errorString()));
    QVERIFY(QDir().mkpath(QStringLiteral("Ports")));
    QVERIFY(QFile::link(terminal.slavePath(), QStringLiteral("Ports/com3")));
    m_window = makeWindow();
    QCOMPARE(control<QComboBox>(IDC_COMBO_COM)->currentText(), QStringLiteral("COM3"));
}

void TestWindowSettings::connectCom3(PseudoTerminal &terminal)
{
    linkCom3(terminal);
    control<QAbstractButton>(IDC_BUTTON_CONNECT)->click();
    QVERIFY(m_window->thermometer().isPortOpen());
    QByteArray sent;
    QTRY_COMPARE((sent += terminal.readAvailable()), QByteArray::fromHex("55AA050105"));
}

QList<QByteArray> TestWindowSettings::commandsSent(PseudoTerminal &terminal)
{
    QTest::qWait(100);
    QByteArray bytes = terminal.readAvailable();
    QList<QByteArray> frames;
    while (bytes.size() >= 5) {
        const int length = quint8(bytes[2]);
        if (bytes[3] == 2)
            frames.append(bytes.first(qMin<qsizetype>(length, bytes.size())));
        // The R9 buffer carries four bytes 00 after its frame.
        bytes.remove(0, bytes[3] == 2 ? 13 : length);
    }
    return frames;
}

// The caption each control shows at start and after each language button, written out as the
// operator reads them (kept typos included): a caption on the wrong control, a changed text or a
// control the switch leaves behind fails here.
void TestWindowSettings::captionsInBothLanguages_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("chinese");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("atStart");
    const auto row = [](int id, const char *chinese, const char *english, const char *atStart) {
        QTest::newRow(english) << id << QString::fromUtf8(chinese) << QString::fromUtf8(english)
                               << QString::fromUtf8(atStart);
    };
    row(IDC_BUTTON_SAVE_AS, "另存为", "Save As", "Save As");
    row(IDC_GROUP_SERIAL_PORT, "串口操作", "Serial Port Operation", "Serial Port Operation");
    row(IDC_GROUP_TEMP_FORMAT, "温度格式", "Temp. Format", "Temp. Format");
    row(IDC_GROUP_WORK_MODE, "工作模式", "Work Mode", "Work Mode");
    row(IDC_RADIO_SURFACE_MODE, "表面模式", "Surface Mode", "Surface Mode");
    row(IDC_RADIO_BODY_MODE, "人体模式", "Body Mode", "Body Mode");
    row(IDC_RADIO_COUNT_MODE, "计数模式", "Count Mode", "Count Mode");
    row(IDC_RADIO_CELSIUS, "摄氏度", "Celsius", "Celsius");
    row(IDC_RADIO_FAHRENHEIT, "华氏度", "Fahrenheit", "Fahrenheit");
    row(IDC_STATIC_ALARM_LIMIT, "报警上限：", "Alarm Upper Limit:", "Alarm Upper Limit：");
    row(IDC_RADIO_BACKLIGHT_OFF, "关", "OFF", "OFF");
    row(IDC_RADIO_BACKLIGHT_ON, "开", "ON", "ON");
    row(IDC_RADIO_SWITCH_MODE, "开关模式", "Switch Mode", "Switch Mode");
    row(IDC_RADIO_PULSE_MODE, "脉冲模式", "Pulse Mode", "Pulse Mode");
    row(IDC_GROUP_OUTPUT_SIGNAL, "输出信号模式", "Output Signal Type", "Output Signal Type");
    row(IDC_STATIC_DEVICE_VOLUME, "音量:", "Volume:", "Volume:");
    row(IDC_GROUP_BACKLIGHT, "背光", "BlackLight", "BackLight");
    row(IDC_STATIC_POWER, "电量：", "Power:", "Power:");
    row(IDC_BUTTON_CONNECT, "连接设备", "Connect", "Connect");
}

void TestWindowSettings::captionsInBothLanguages()
{
    QFETCH(int, id);
    QWidget *widget = control(id);
    QVERIFY(widget);
    QTEST(Caption(widget), "atStart");
    control<QAbstractButton>(IDC_BUTTON_CHINESE)->click();
    QCOMPARE(m_window->language(), Language::Chinese);
    QTEST(Caption(widget), "chinese");
    control<QAbstractButton>(IDC_BUTTON_ENGLISH)->click();
    QCOMPARE(m_window->language(), Language::English);
    QTEST(Caption(widget), "english");
}

void TestWindowSettings::panesColumnsTitleAndVerdictInBothLanguages()
{
    auto *header = control<QTableView>(IDC_LIST_RECORDS)->horizontalHeader();
    auto *title = control<QLabel>(IDC_STATIC_TITLE);
    auto *verdict = control<QLabel>(IDC_STATIC_VERDICT);
    const auto columns = [&] {
        QStringList captions;
        for (int column = 0; column < 4; ++column)
            captions.append(QStringLiteral("%1 %2")
                                .arg(header->model()->headerData(column, Qt::Horizontal).toString())
                                .arg(header->sectionSize(column)));
        return captions;
    };
    QCOMPARE(columns(), (QStringList{"Quantity 60", "Test Time 68", "Test Value 72",
                                     "Envrionment Temp. 123"}));
    QCOMPARE(title->text(), QStringLiteral("Dec 9,2024 Temp. Statistics"));
    // Body mode, limit 37.5 °C; the reading equals the limit: the verdict reads abnormal, and
    // keeps its judgement whatever the language.
    Receive(*m_window, QByteArray::fromHex("55AA0D01000177010200000189"));
    Receive(*m_window, BuildFrame(FrameCode::Measurement, QByteArray::fromHex("7701")));

    control<QAbstractButton>(IDC_BUTTON_CHINESE)->click();
    QCOMPARE(pane(0), QStringLiteral("当前日期："));
    QCOMPARE(pane(2), QStringLiteral("当前时间："));
    QCOMPARE(pane(4), QStringLiteral("环境温度："));
    QCOMPARE(columns(), (QStringList{"数量 60", "测试时间 80", "测量数值 80", "环境温度 80"}));
    QCOMPARE(m_window->csvHeader(), QStringLiteral("数量,测试时间,测量数值,环境温度"));
    QCOMPARE(title->text(), QStringLiteral("2024年12月09日温度采集信息表"));
    QCOMPARE(QFontInfo(title->font()).family(), QStringLiteral("AR PL UKai CN"));
    QCOMPARE(title->font().pointSize(), 14);
    QCOMPARE(verdict->text(), QStringLiteral("异常"));
    QCOMPARE(QFontInfo(verdict->font()).family(), QStringLiteral("Noto Sans CJK SC"));
    QCOMPARE(verdict->font().pointSize(), 30);
    Screenshot(m_window.get(), QStringLiteral("language-chinese"));

    Receive(*m_window, BuildFrame(FrameCode::Measurement, QByteArray::fromHex("6D01")));
    QCOMPARE(verdict->text(), QStringLiteral("正常"));
    control<QAbstractButton>(IDC_BUTTON_ENGLISH)->click();
    QCOMPARE(pane(0), QStringLiteral("Current Date:"));
    QCOMPARE(pane(2), QStringLiteral("Current Time:"));
    QCOMPARE(pane(4), QStringLiteral("Environment Temp.:"));
    QCOMPARE(columns(), (QStringList{"Quantity 60", "Test Time 80", "Test Value 80",
                                     "Envrionment Temp. 140"}));
    QCOMPARE(m_window->csvHeader(),
             QStringLiteral("Quantity,Test Time,Test Value,Envrionment Temp."));
    QCOMPARE(title->text(), QStringLiteral("Dec 9,2024 Temp. Statistics"));
    QCOMPARE(QFontInfo(title->font()).family(), QStringLiteral("Liberation Sans"));
    QCOMPARE(verdict->text(), QStringLiteral("Normal"));
    QCOMPARE(verdict->font().pointSize(), 20);
    Screenshot(m_window.get(), QStringLiteral("language-english"));

    // Not closed (here: waiting for a lost port), the button names the other action in each
    // language; the caption follows the connection's state, never its own text.
    auto *connect = control<QAbstractButton>(IDC_BUTTON_CONNECT);
    ThermometerOf(*m_window).portLost();
    QCOMPARE(connect->text(), QStringLiteral("Disconnect"));
    control<QAbstractButton>(IDC_BUTTON_CHINESE)->click();
    QCOMPARE(connect->text(), QStringLiteral("断开设备"));
    control<QAbstractButton>(IDC_BUTTON_ENGLISH)->click();
    QCOMPARE(connect->text(), QStringLiteral("Disconnect"));
    connect->click(); // gives up waiting
    QCOMPARE(m_window->thermometer().state(), device::ConnectionState::Closed);
    // Not connected, nothing is sent and nothing is said.
    QVERIFY(m_prompts->messages.isEmpty());
}

void TestWindowSettings::textsTheSwitchLeavesAlone()
{
    control<QAbstractButton>(IDC_BUTTON_CHINESE)->click();
    QCOMPARE(m_window->windowTitle(), QStringLiteral("QUELLOR   V2.1"));
    QCOMPARE(control<QLabel>(IDC_STATIC_COM)->text(), QStringLiteral("COM："));
    QCOMPARE(control<QAbstractButton>(IDC_RADIO_R9)->text(), QStringLiteral("R9"));
    QCOMPARE(control<QAbstractButton>(IDC_RADIO_R9_PRO)->text(), QStringLiteral("R9  Pro"));
    QCOMPARE(control<QLabel>(IDC_STATIC_STATUS)->text(), QStringLiteral("fail"));
    QCOMPARE(control<QLabel>(IDC_STATIC_UNIT)->text(), QStringLiteral("C"));
    QStringList groups;
    for (auto *group : m_window->findChildren<QGroupBox *>())
        groups.append(group->title());
    QVERIFY(groups.contains(QStringLiteral("Machine Type")));
    QVERIFY(groups.contains(QStringLiteral("PC Volume Setting")));
}

void TestWindowSettings::everyCaptionFitsItsControl_data()
{
    QTest::addColumn<int>("switchTo"); // 0 Chinese, 1 English, -1 as started
    QTest::newRow("at start") << -1;
    QTest::newRow("English") << 1;
    QTest::newRow("Chinese") << 0;
}

// Every visible text is whole in the fonts this machine resolves: no caption is wider or
// taller than the control that shows it, the status panes included.
void TestWindowSettings::everyCaptionFitsItsControl()
{
    QFETCH(int, switchTo);
    // The widest texts the window shows: a three-digit reading, connected, a verdict.
    Receive(*m_window, kProReport + FrameOf(3, "F500") + FrameOf(4, "D403"));
    m_window->OnTimer(CKestrimDlg::kClockTimer);
    if (switchTo >= 0)
        control<QAbstractButton>(switchTo == 0 ? IDC_BUTTON_CHINESE : IDC_BUTTON_ENGLISH)->click();
    // The longest status: waiting for a lost thermometer.
    ThermometerOf(*m_window).portLost();
    Screenshot(m_window.get(), QStringLiteral("fit-") + QTest::currentDataTag());

    QStringList clipped;
    const auto check = [&](QWidget *widget, const QString &text, QSize needed, QSize room) {
        if (needed.width() > room.width() || needed.height() > room.height())
            clipped.append(QStringLiteral("%1 \"%2\": needs %3×%4, has %5×%6")
                               .arg(widget->objectName(), text)
                               .arg(needed.width())
                               .arg(needed.height())
                               .arg(room.width())
                               .arg(room.height()));
    };
    for (QWidget *widget : m_window->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(m_window.get()) || widget->window() != m_window.get())
            continue;
        const QFontMetrics metrics = widget->fontMetrics();
        if (auto *label = qobject_cast<QLabel *>(widget); label && !label->text().isEmpty()) {
            // A label centres its whole line, so the line must fit, not only the glyphs; a
            // Chinese character or a full-width colon makes the line taller.
            check(label, label->text(), metrics.size(Qt::TextSingleLine, label->text()),
                  label->contentsRect().size());
        } else if (auto *radio = qobject_cast<QRadioButton *>(widget)) {
            const QSize needed(radio->sizeHint().width(),
                               metrics.tightBoundingRect(radio->text()).height());
            check(radio, radio->text(), needed, radio->size());
        } else if (auto *button = qobject_cast<QPushButton *>(widget)) {
            check(button, button->text(), metrics.size(Qt::TextSingleLine, button->text()),
                  button->size() - QSize(8, 4));
        } else if (auto *group = qobject_cast<QGroupBox *>(widget)) {
            check(group, group->title(), metrics.size(Qt::TextSingleLine, group->title()),
                  group->size() - QSize(8, 0));
        }
    }
    // The panes sit side by side inside the bar.
    auto *bar = m_window->findChild<PaneStatusBar *>();
    for (int i = 0; i < bar->paneCount(); ++i) {
        const QRect pane = bar->pane(i)->geometry();
        const int end =
            i + 1 < bar->paneCount() ? bar->pane(i + 1)->geometry().left() : bar->width();
        if (pane.right() >= end)
            clipped.append(
                QStringLiteral("pane %1 ends at %2, past %3").arg(i).arg(pane.right()).arg(end));
    }
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(u'\n')));
}

// However many readings the list holds, the newest row is shown whole, above the horizontal
// scroll bar.
void TestWindowSettings::newReadingRowIsWhollyVisible()
{
    Receive(*m_window, kProReport);
    auto *list = control<QTableView>(IDC_LIST_RECORDS);
    for (int reading = 0; reading < 30; ++reading) {
        Receive(*m_window, FrameOf(4, "6D01"));
        QApplication::processEvents();
        const QModelIndex last = list->model()->index(list->model()->rowCount() - 1, 0);
        const QRect row = list->visualRect(last);
        QVERIFY2(list->viewport()->rect().contains(row),
                 qPrintable(QStringLiteral("reading %1: row %2..%3, viewport height %4")
                                .arg(reading + 1)
                                .arg(row.top())
                                .arg(row.bottom())
                                .arg(list->viewport()->height())));
    }
}

void TestWindowSettings::unitButtonsConvertWhatIsShown()
{
    PseudoTerminal terminal;
    connectCom3(terminal);
    Receive(*m_window, kProReport + FrameOf(3, "F500") + FrameOf(4, "6D01"));
    QCOMPARE(control<QLabel>(IDC_STATIC_READING)->text(), QStringLiteral("36.5C"));
    QCOMPARE(pane(5), QStringLiteral("24.5C"));
    auto *alarm = control<QComboBox>(IDC_COMBO_ALARM);
    auto *ack = control<QLineEdit>(IDC_EDIT_ACK);
    ack->setText(QStringLiteral("success"));

    control<QAbstractButton>(IDC_RADIO_FAHRENHEIT)->click();
    QCOMPARE(ack->text(), QString());
    // Pending: the alarm list and its letter follow the choice at once; what the thermometer
    // measured stays in the unit it holds until it takes the command.
    QCOMPARE(control<QLabel>(IDC_STATIC_UNIT)->text(), QStringLiteral("F"));
    QCOMPARE(alarm->currentText(), QStringLiteral("99.5"));
    QCOMPARE(control<QLabel>(IDC_STATIC_READING)->text(), QStringLiteral("36.5C"));
    QCOMPARE(m_window->thermometer().unit(), TempUnit::Celsius);
    Receive(*m_window, FrameOf(2, "00"));
    QCOMPARE(ack->text(), QStringLiteral("success"));
    QCOMPARE(control<QLabel>(IDC_STATIC_READING)->text(), QStringLiteral("97.7F"));
    QCOMPARE(pane(5), QStringLiteral("76.1F"));
    QCOMPARE(control<QLabel>(IDC_STATIC_UNIT)->text(), QStringLiteral("F"));
    QCOMPARE(alarm->count(), 30);
    QCOMPARE(alarm->itemText(0), QStringLiteral("96.8"));
    QCOMPARE(alarm->currentText(), QStringLiteral("99.5"));
    QCOMPARE(m_window->thermometer().unit(), TempUnit::Fahrenheit);
    QCOMPARE(m_window->thermometer().report(), QStringLiteral("55AA0D020101E30302000001F9"));

    control<QAbstractButton>(IDC_RADIO_CELSIUS)->click();
    Receive(*m_window, FrameOf(2, "00"));
    QCOMPARE(control<QLabel>(IDC_STATIC_READING)->text(), QStringLiteral("36.5C"));
    QCOMPARE(pane(5), QStringLiteral("24.5C"));
    QCOMPARE(alarm->currentText(), QStringLiteral("37.5"));
    QCOMPARE(m_window->thermometer().report(), QStringLiteral("55AA0D0200017701020000018A"));
}

void TestWindowSettings::modeButtons_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("verdictShown");
    QTest::newRow("Surface Mode") << IDC_RADIO_SURFACE_MODE << 0 << false;
    QTest::newRow("Body Mode") << IDC_RADIO_BODY_MODE << 1 << true;
    QTest::newRow("Count Mode") << IDC_RADIO_COUNT_MODE << 2 << false;
}

void TestWindowSettings::modeButtons()
{
    QFETCH(int, id);
    QFETCH(int, mode);
    PseudoTerminal terminal;
    connectCom3(terminal);
    // Start from count mode after an abnormal reading in body mode, so every button has
    // something to change.
    Receive(*m_window,
            FrameOf(1, "00017701020000 01") + FrameOf(4, "8601") + FrameOf(1, "00027701020000 01"));
    QCOMPARE(control<QLabel>(IDC_STATIC_VERDICT)->palette().color(QPalette::Window),
             CKestrimDlg::kAbnormalColour);
    control<QLineEdit>(IDC_EDIT_ACK)->setText(QStringLiteral("success"));
    auto *button = control<QAbstractButton>(id);
    button->setEnabled(true);
    button->click();
    QCOMPARE(control<QLineEdit>(IDC_EDIT_ACK)->text(), QString());
    // Until the thermometer takes the mode, the verdict stays as the last reading left it.
    QVERIFY(control<QLabel>(IDC_STATIC_VERDICT)->isVisible());
    QCOMPARE(m_window->thermometer().mode(), WorkMode::Count);
    Receive(*m_window, FrameOf(2, "00"));
    QCOMPARE(m_window->thermometer().mode(), WorkMode(mode));
    QTEST(control<QLabel>(IDC_STATIC_VERDICT)->isVisible(), "verdictShown");
    QCOMPARE(m_window->thermometer().report().mid(10, 2), QString::asprintf("%02d", mode));
    if (mode == 1) {
        QCOMPARE(control<QLabel>(IDC_STATIC_VERDICT)->text(), QStringLiteral("Normal"));
        QCOMPARE(control<QLabel>(IDC_STATIC_VERDICT)->font().pointSize(), 25);
        QCOMPARE(control<QLabel>(IDC_STATIC_VERDICT)->palette().color(QPalette::Window),
                 QColor(0, 111, 3));
    }
}

// The R9's window ends where the bottom band (volume, backlight, output) began: the band is
// outside it, and the status bar, at the window's bottom, covers none of the controls above.
void TestWindowSettings::verifyR9Shape(const QSize &full)
{
    QCOMPARE(m_window->width(), full.width());
    QVERIFY(m_window->height() < full.height());
    const QRect bar = m_window->findChild<PaneStatusBar *>()->geometry();
    QCOMPARE(bar.bottom(), m_window->rect().bottom());
    for (const int id :
         {IDC_GROUP_BACKLIGHT, IDC_GROUP_OUTPUT_SIGNAL, IDC_STATIC_DEVICE_VOLUME, IDC_COMBO_VOLUME})
        QVERIFY2(control(id)->geometry().top() >= bar.top(), qPrintable(QString::number(id)));
    for (const int id : {IDC_GROUP_WORK_MODE, IDC_RADIO_COUNT_MODE, IDC_BUTTON_SAVE_AS,
                         IDC_COMBO_ALARM, IDC_GROUP_TEMP_FORMAT})
        QVERIFY2(control(id)->geometry().bottom() < bar.top(), qPrintable(QString::number(id)));
}

void TestWindowSettings::modelButtonsSetTheRangeAndTheWindow()
{
    const QSize full = m_window->size();
    auto *alarm = control<QComboBox>(IDC_COMBO_ALARM);
    control<QAbstractButton>(IDC_BUTTON_CONNECT)->setEnabled(false);

    control<QAbstractButton>(IDC_RADIO_R9)->click();
    QCOMPARE(m_window->thermometer().model(), MachineType::R9);
    QVERIFY(control<QAbstractButton>(IDC_BUTTON_CONNECT)->isEnabled());
    QCOMPARE(alarm->count(), 11);
    QCOMPARE(alarm->itemText(0), QStringLiteral("37.0"));
    QCOMPARE(alarm->itemText(10), QStringLiteral("38.0"));
    QCOMPARE(alarm->currentIndex(), -1);
    verifyR9Shape(full);
    // In Chinese the status bar's texts are of another script.
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(m_window.get(), Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(m_window->language(), Language::Chinese);
    verifyR9Shape(full);

    control<QAbstractButton>(IDC_RADIO_R9_PRO)->click();
    QCOMPARE(m_window->thermometer().model(), MachineType::R9Pro);
    QCOMPARE(alarm->count(), 31);
    QCOMPARE(alarm->itemText(30), QStringLiteral("39.0"));
    QCOMPARE(m_window->size(), full);
}

void TestWindowSettings::refusedCommandsSendNothing_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<Language>("language");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("no report") << QByteArray() << Language::English
                               << QStringList{"The instruction is empty, please reconnect the "
                                              "device!"};
    QTest::newRow("no report, Chinese")
        << QByteArray() << Language::Chinese << QStringList{"指令为空，请重新连接设备!"};
    // The window follows the R9's report, and the operator then chooses the R9 Pro again.
    QTest::newRow("R9 report, then R9 Pro chosen")
        << kR9Report << Language::English
        << QStringList{"The thermometer's settings say it is an R9; the model is now R9.",
                       "The thermometer's settings do not match the model selected (R9  Pro); "
                       "nothing was sent.\nSelect the thermometer's model and connect again."};
}

void TestWindowSettings::refusedCommandsSendNothing()
{
    QFETCH(QByteArray, report);
    QFETCH(Language, language);
    if (!report.isEmpty())
        Receive(*m_window, report);
    control<QAbstractButton>(IDC_RADIO_R9_PRO)->click();
    const QString stored = m_window->thermometer().report();
    control<QAbstractButton>(language == Language::Chinese ? IDC_BUTTON_CHINESE
                                                           : IDC_BUTTON_ENGLISH)
        ->click();
    // The button is disabled without a report; its click reaches the window all the same.
    auto *countMode = control<QAbstractButton>(IDC_RADIO_COUNT_MODE);
    countMode->setEnabled(true);
    countMode->click();
    QTEST(m_prompts->messages, "messages");
    QCOMPARE(m_window->thermometer().report(), stored);
}

// The pause after a report belongs to its connection: a disconnect cancels it, so it cannot
// enable Connect during the next handshake.
void TestWindowSettings::reconnectWithinThePauseKeepsConnectDisabled()
{
    PseudoTerminal terminal;
    linkCom3(terminal);
    auto *connect = control<QAbstractButton>(IDC_BUTTON_CONNECT);
    connect->click();
    QVERIFY(!connect->isEnabled());
    Receive(*m_window, kProReport);
    QVERIFY(!connect->isEnabled());

    // Disconnect within the pause: the button is disabled, its click reaches the window.
    emit connect->clicked();
    QVERIFY(connect->isEnabled());
    connect->click();
    QCOMPARE(connect->text(), QStringLiteral("Disconnect"));
    QVERIFY(!connect->isEnabled());
    QTest::qWait(2 * CKestrimDlg::kConnectSettleMs);
    QVERIFY(!connect->isEnabled());
}

// The pause does not hold the window: a reading right behind the report is shown and stored
// while Connect is still waiting.
void TestWindowSettings::readingInTheSameChunkAsTheReportIsStoredAtOnce()
{
    PseudoTerminal terminal;
    linkCom3(terminal);
    m_window->OnTimer(CKestrimDlg::kClockTimer);
    auto *connect = control<QAbstractButton>(IDC_BUTTON_CONNECT);
    connect->click();

    Receive(*m_window, kProReport + FrameOf(4, "6D01"));
    QCOMPARE(control<QLabel>(IDC_STATIC_READING)->text(), QStringLiteral("36.5C"));
    QFile day(QStringLiteral("TempData/2024/12/20241209-03.txt"));
    QVERIFY(day.open(QIODevice::ReadOnly));
    QCOMPARE(day.readAll(), QByteArray("1,10:00:00,36.5C,0.0C\r\n"));
    QVERIFY(!connect->isEnabled());
    QTRY_VERIFY(connect->isEnabled());
}

// The language the operator chose holds through Connect, a report, readings in every mode and
// Disconnect: in the captions and in what is spoken.
void TestWindowSettings::operatorsLanguageHolds()
{
    PseudoTerminal terminal;
    linkCom3(terminal);
    QVERIFY(TriggerAction(*m_window, QStringLiteral("中文")));
    auto *connect = control<QAbstractButton>(IDC_BUTTON_CONNECT);
    connect->click();
    QCOMPARE(connect->text(), QStringLiteral("断开设备"));
    const auto spoken = [&](const QString &sentence, const QString &language) {
        return QTest::qWaitFor([&] {
            const qsizetype at = m_spoken->sentences().lastIndexOf(sentence);
            return at >= 0 && m_spoken->languages().value(at) == language;
        });
    };
    Receive(*m_window, FrameOf(1, "00007701020000 01")); // surface mode
    QVERIFY(spoken(QStringLiteral("连接成功，请测量体温"), QStringLiteral("language=804")));
    // A surface reading has no Chinese sentence; it is read out in English, and that changes
    // nothing else.
    Receive(*m_window, FrameOf(4, "6D01"));
    QVERIFY(spoken(QStringLiteral("36.5degrees celsius"), QStringLiteral("language=409")));
    QCOMPARE(m_window->language(), Language::Chinese);
    control<QAbstractButton>(IDC_RADIO_BODY_MODE)->click();
    Receive(*m_window, FrameOf(2, "00") + FrameOf(4, "6D01"));
    QVERIFY(spoken(QStringLiteral("温度正常"), QStringLiteral("language=804")));
    QCOMPARE(control<QLabel>(IDC_STATIC_VERDICT)->text(), QStringLiteral("正常"));
    QCOMPARE(m_window->language(), Language::Chinese);

    QTRY_VERIFY(connect->isEnabled()); // after the pause that follows the report
    connect->click();
    QCOMPARE(connect->text(), QStringLiteral("连接设备"));
    QCOMPARE(m_window->language(), Language::Chinese);
    QCOMPARE(control<QAbstractButton>(IDC_RADIO_BODY_MODE)->text(), QStringLiteral("人体模式"));
}

void TestWindowSettings::languageAndRepeatFromMenuAndKeyboard()
{
    QStringList captions;
    for (QAction *action :
         m_window->findChild<QMenu *>(QString::number(IDR_MENU_RECORD_LIST))->actions())
        captions.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(captions, (QStringList{"Select Delete", "Delete All", "-", "History…", "Language",
                                    "Repeat Announcement"}));

    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(m_window.get(), Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(m_window->language(), Language::Chinese);
    QCOMPARE(control<QAbstractButton>(IDC_BUTTON_SAVE_AS)->text(), QStringLiteral("另存为"));
    QTest::keyClick(m_window.get(), Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(m_window->language(), Language::English);
    QVERIFY(TriggerAction(*m_window, QStringLiteral("中文")));
    QCOMPARE(m_window->language(), Language::Chinese);
    QVERIFY(TriggerAction(*m_window, QStringLiteral("English")));
    QCOMPARE(m_window->language(), Language::English);

    Receive(*m_window, FrameOf(1, "00017701020000 01"));
    QTRY_COMPARE(m_spoken->sentences().size(), 1);
    Receive(*m_window, FrameOf(4, "7701"));
    QTRY_COMPARE(m_spoken->sentences().count(QStringLiteral("Abnormal Temperature")), 1);
    QTest::keyClick(m_window.get(), Qt::Key_F5);
    QTRY_COMPARE(m_spoken->sentences().count(QStringLiteral("Abnormal Temperature")), 2);
    QVERIFY(TriggerAction(*m_window, QStringLiteral("Repeat Announcement")));
    QTRY_COMPARE(m_spoken->sentences().count(QStringLiteral("Abnormal Temperature")), 3);
}

// Model, voice, language, port and place come back at the next start; Kestrim.ini lies beside
// the records, where the start-up clean-up of Ini/ never looks.
void TestWindowSettings::restartKeepsTheOperatorsChoices()
{
    PseudoTerminal com3, com5;
    QVERIFY(com3.open() && com5.open());
    QVERIFY(QDir().mkpath(QStringLiteral("Ports")));
    QVERIFY(QFile::link(com3.slavePath(), QStringLiteral("Ports/com3")));
    QVERIFY(QFile::link(com5.slavePath(), QStringLiteral("Ports/com5")));
    m_window = makeWindow();
    QCOMPARE(control<QComboBox>(IDC_COMBO_COM)->currentText(), QStringLiteral("COM5"));
    auto *combo = control<QComboBox>(IDC_COMBO_COM);
    combo->setCurrentIndex(2);
    emit combo->activated(2);
    control<QAbstractButton>(IDC_RADIO_R9)->click();
    auto *speed = control<QSlider>(IDC_SLIDER_SPEECH_SPEED);
    speed->setValue(-3);
    QTest::mouseRelease(speed, Qt::LeftButton, {}, speed->rect().center());
    const int rate = speed->value();
    QTRY_COMPARE(control<QLabel>(IDC_STATIC_SPEECH_SPEED)->text(), QString::number(rate));
    Receive(*m_window, kR9Report);
    QTRY_COMPARE(m_spoken->rates().value(0), rate);
    control<QAbstractButton>(IDC_BUTTON_CHINESE)->click();
    const QSize shortened = m_window->size();
    m_window->close();
    m_window.reset();
    speed = nullptr;
    QVERIFY(QFile::exists(QStringLiteral("Kestrim.ini")));

    m_window = makeWindow();
    QCOMPARE(control<QComboBox>(IDC_COMBO_COM)->currentText(), QStringLiteral("COM3"));
    QCOMPARE(m_window->thermometer().model(), MachineType::R9);
    QVERIFY(control<QRadioButton>(IDC_RADIO_R9)->isChecked());
    QCOMPARE(m_window->size(), shortened);
    QCOMPARE(control<QComboBox>(IDC_COMBO_ALARM)->count(), 11);
    speed = control<QSlider>(IDC_SLIDER_SPEECH_SPEED);
    QCOMPARE(speed->value(), rate);
    QCOMPARE(control<QLabel>(IDC_STATIC_SPEECH_SPEED)->text(), QString::number(rate));
    QCOMPARE(m_window->language(), Language::Chinese);
    QCOMPARE(control<QAbstractButton>(IDC_BUTTON_CONNECT)->text(), QStringLiteral("连接设备"));
    // Speech goes on at the remembered rate.
    Receive(*m_window, kR9Report);
    QTRY_COMPARE(m_spoken->rates().size(), 2);
    QCOMPARE(m_spoken->rates().value(1), rate);
}

void TestWindowSettings::commandLineStartsConnectedInChinese()
{
    PseudoTerminal com3, com7;
    QVERIFY(com3.open() && com7.open());
    QVERIFY(QDir().mkpath(QStringLiteral("Ports")));
    QVERIFY(QFile::link(com3.slavePath(), QStringLiteral("Ports/com3")));
    QVERIFY(QFile::link(com7.slavePath(), QStringLiteral("Ports/com7")));
    LaunchOptions options;
    options.port = 3;
    options.connect = true;
    options.language = Language::Chinese;
    m_window = makeWindow(options);
    QCOMPARE(control<QComboBox>(IDC_COMBO_COM)->currentText(), QStringLiteral("COM3"));
    QTRY_VERIFY(m_window->thermometer().isPortOpen());
    QCOMPARE(control<QAbstractButton>(IDC_BUTTON_CONNECT)->text(), QStringLiteral("断开设备"));
    QCOMPARE(control<QAbstractButton>(IDC_RADIO_BODY_MODE)->text(), QStringLiteral("人体模式"));
    // The settings request went out on COM3.
    QByteArray sent;
    QTRY_COMPARE((sent += com3.readAvailable()), QByteArray::fromHex("55AA050105"));
}

// An R9 behind the R9 Pro choice: its report is an R9's, so the window becomes an R9's (told
// once), its commands are R9 commands, and a reading taken while a change is pending is stored
// and judged in the settings the thermometer confirmed: Celsius, body mode.
void TestWindowSettings::refusedCommandLeavesTheWindowAsTheThermometer()
{
    PseudoTerminal terminal;
    connectCom3(terminal);
    const QSize full = m_window->size();
    Receive(*m_window, kR9Report);
    QVERIFY(control<QRadioButton>(IDC_RADIO_CELSIUS)->isChecked());
    QVERIFY(control<QRadioButton>(IDC_RADIO_BODY_MODE)->isChecked());
    QVERIFY(control<QRadioButton>(IDC_RADIO_R9)->isChecked());
    verifyR9Shape(full);
    QVERIFY(!control<QAbstractButton>(IDC_RADIO_BACKLIGHT_ON)->isEnabled());
    QVERIFY(!control<QComboBox>(IDC_COMBO_VOLUME)->isEnabled());
    QCOMPARE(m_prompts->messages,
             QStringList{"The thermometer's settings say it is an R9; the model is now R9."});
    Receive(*m_window, kR9Report);
    QCOMPARE(m_prompts->messages.size(), 1);

    control<QAbstractButton>(IDC_RADIO_FAHRENHEIT)->click();
    QVERIFY(control<QRadioButton>(IDC_RADIO_FAHRENHEIT)->isChecked());
    QCOMPARE(commandsSent(terminal),
             QList<QByteArray>{QByteArray::fromHex("55AA0902 0101E303 F2")});
    QCOMPARE(m_window->thermometer().unit(), TempUnit::Celsius);
    Screenshot(m_window.get(), QStringLiteral("r9-behind-r9-pro"));

    Receive(*m_window, FrameOf(4, "8601")); // 39.0
    QCOMPARE(control<QLabel>(IDC_STATIC_READING)->text(), QStringLiteral("39.0C"));
    QCOMPARE(control<QLabel>(IDC_STATIC_VERDICT)->text(), QStringLiteral("Abnormal"));
    QFile day(QStringLiteral("TempData/2024/12/20241209-03.txt"));
    QVERIFY(day.open(QIODevice::ReadOnly));
    QCOMPARE(day.readAll(), QByteArray("1,10:00:00,39.0C,0.0C\r\n"));
    QFile warning(QStringLiteral("TempData/2024/12/20241209-warning.txt"));
    QVERIFY(warning.open(QIODevice::ReadOnly));
    QCOMPARE(warning.readAll(), QByteArray("1,10:00:00,39.0C,0.0C\r\n"));
}

// The thermometer answers "fail": it kept its settings, so the controls go back, and the
// settings are asked for again so that the window shows what the device really holds.
void TestWindowSettings::failedCommandPutsControlsBackAndAsksAgain()
{
    PseudoTerminal terminal;
    connectCom3(terminal);
    Receive(*m_window, kProReport + FrameOf(4, "6D01"));
    control<QAbstractButton>(IDC_RADIO_FAHRENHEIT)->click();
    QCOMPARE(commandsSent(terminal).size(), 1);
    QVERIFY(control<QRadioButton>(IDC_RADIO_FAHRENHEIT)->isChecked());
    QCOMPARE(control<QLabel>(IDC_STATIC_READING)->text(), QStringLiteral("36.5C"));

    // The reading stays what it was: "fail" redraws the settings controls only.
    Receive(*m_window, FrameOf(2, "01"));
    QCOMPARE(m_prompts->messages, QStringList{QStringLiteral("fail")});
    QVERIFY(control<QRadioButton>(IDC_RADIO_CELSIUS)->isChecked());
    QCOMPARE(control<QLabel>(IDC_STATIC_UNIT)->text(), QStringLiteral("C"));
    QCOMPARE(control<QLabel>(IDC_STATIC_READING)->text(), QStringLiteral("36.5C"));
    QCOMPARE(control<QComboBox>(IDC_COMBO_ALARM)->currentText(), QStringLiteral("37.5"));
    QCOMPARE(m_window->thermometer().unit(), TempUnit::Celsius);
    QByteArray sent;
    QTRY_VERIFY((sent += terminal.readAvailable()).contains(QByteArray::fromHex("55AA050105")));
}

void TestWindowSettings::readingStaysAsItWasRead_data()
{
    QTest::addColumn<QByteArray>("frames"); // the report and what came before the click
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("ack"); // the thermometer's answer: 00 taken, 01 refused
    QTest::addColumn<QString>("reading");
    QTest::addColumn<bool>("verdictShown");
    QTest::addColumn<QString>("environment");
    const QByteArray count = FrameOf(1, "00027701 02000001") + FrameOf(4, "0C00");
    const QByteArray body = FrameOf(1, "00017701 02000001") + FrameOf(4, "6D01");
    QTest::newRow("a count, Fahrenheit refused") << count << IDC_RADIO_FAHRENHEIT << "01"
                                                 << "12" << false << "-----";
    QTest::newRow("a count stays a count in Fahrenheit") << count << IDC_RADIO_FAHRENHEIT << "00"
                                                         << "12" << false << "-----";
    QTest::newRow("no reading yet, Fahrenheit refused")
        << FrameOf(1, "00017701 02000001") << IDC_RADIO_FAHRENHEIT << "01"
        << "--.-" << false << "-----";
    QTest::newRow("body to surface refused: the verdict stays")
        << body << IDC_RADIO_SURFACE_MODE << "01"
        << "36.5C" << true << "-----";
    QTest::newRow("an environment of 0.0 is converted too")
        << body + FrameOf(3, "0000") << IDC_RADIO_FAHRENHEIT << "00"
        << "97.7F" << true << "32.0F";
}

// The reading and the verdict show the last reading in the settings it was read in: a refused
// command, or one whose effect does not apply to it, leaves them as they are.
void TestWindowSettings::readingStaysAsItWasRead()
{
    QFETCH(QByteArray, frames);
    QFETCH(int, button);
    QFETCH(QString, ack);
    PseudoTerminal terminal;
    connectCom3(terminal);
    Receive(*m_window, frames);
    control<QAbstractButton>(button)->click();
    QCOMPARE(commandsSent(terminal).size(), 1);
    Receive(*m_window, FrameOf(2, qPrintable(ack)));
    QTEST(control<QLabel>(IDC_STATIC_READING)->text(), "reading");
    QTEST(control<QLabel>(IDC_STATIC_VERDICT)->isVisible(), "verdictShown");
    QTEST(pane(5), "environment");
}

// Connect opens the port but the thermometer never answers: asked again every 2 s, and after
// 5 s the window gives up with a message instead of waiting with every control disabled.
void TestWindowSettings::connectWithoutAnswerEndsInFail()
{
    PseudoTerminal terminal;
    connectCom3(terminal);
    auto *connect = control<QAbstractButton>(IDC_BUTTON_CONNECT);
    QVERIFY(!connect->isEnabled());
    QVERIFY(!control<QComboBox>(IDC_COMBO_COM)->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(connect->isEnabled(), device::Thermometer::kAnswerTimeoutMs + 1000);
    QCOMPARE(connect->text(), QStringLiteral("Connect"));
    QCOMPARE(control<QLabel>(IDC_STATIC_STATUS)->text(), QStringLiteral("fail"));
    QVERIFY(control<QComboBox>(IDC_COMBO_COM)->isEnabled());
    QVERIFY(!control<QAbstractButton>(IDC_RADIO_FAHRENHEIT)->isEnabled());
    QCOMPARE(m_prompts->messages.size(), 1);
    QVERIFY2(m_prompts->messages[0].contains(QStringLiteral("did not answer")),
             qPrintable(m_prompts->messages[0]));
    QCOMPARE(terminal.readAvailable(), QByteArray::fromHex("55AA050105 55AA050105"));
    Screenshot(m_window.get(), QStringLiteral("no-answer"));
    // Connect works again.
    connect->click();
    QCOMPARE(m_window->thermometer().state(), device::ConnectionState::Opening);
}

void TestWindowSettings::modelButtonsFillTheListInTheThermometersUnit()
{
    Receive(*m_window, FrameOf(1, "0101E303 02000001")); // Fahrenheit, limit 99.5
    control<QAbstractButton>(IDC_RADIO_R9)->click();
    auto *alarm = control<QComboBox>(IDC_COMBO_ALARM);
    QCOMPARE(alarm->count(), 11);
    QCOMPARE(alarm->itemText(0), QStringLiteral("98.6"));
    QCOMPARE(alarm->itemText(5), QStringLiteral("99.5"));
    QCOMPARE(alarm->itemText(10), QStringLiteral("100.4"));
    QCOMPARE(control<QLabel>(IDC_STATIC_UNIT)->text(), QStringLiteral("F"));
    control<QAbstractButton>(IDC_RADIO_R9_PRO)->click();
    QCOMPARE(alarm->count(), 31);
    QCOMPARE(alarm->itemText(0), QStringLiteral("96.8"));
    QCOMPARE(alarm->itemText(30), QStringLiteral("102.2"));
}

// The COM list is locked from the moment the port opens; a reading before the report belongs
// to the port that was opened.
void TestWindowSettings::readingsWhileOpeningAreFiledUnderTheOpenedPort()
{
    PseudoTerminal terminal;
    connectCom3(terminal);
    m_window->OnTimer(CKestrimDlg::kClockTimer);
    auto *combo = control<QComboBox>(IDC_COMBO_COM);
    QVERIFY(!combo->isEnabled());
    combo->setCurrentIndex(4); // COM5, as a stale choice would read
    Receive(*m_window, FrameOf(4, "6D01"));
    QVERIFY(QFile::exists(QStringLiteral("TempData/2024/12/20241209-03.txt")));
    QVERIFY(!QFile::exists(QStringLiteral("TempData/2024/12/20241209-05.txt")));
}

// A screen reader's "Toggle" action checks a radio button without a click: it acts like one.
// The program's own check marks (a settings report) send nothing.
void TestWindowSettings::radiosActThroughAccessibilityNotOnTheProgramsOwnChecks()
{
    PseudoTerminal terminal;
    connectCom3(terminal);
    Receive(*m_window, kProReport);
    QVERIFY(commandsSent(terminal).isEmpty());

    QAccessibleInterface *fahrenheit =
        QAccessible::queryAccessibleInterface(control<QRadioButton>(IDC_RADIO_FAHRENHEIT));
    QVERIFY(fahrenheit && fahrenheit->actionInterface());
    QVERIFY(fahrenheit->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::toggleAction()));
    fahrenheit->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QCOMPARE(control<QLabel>(IDC_STATIC_UNIT)->text(), QStringLiteral("F"));
    QCOMPARE(commandsSent(terminal),
             QList<QByteArray>{QByteArray::fromHex("55AA0D020101E30302000001F9")});
    Receive(*m_window, FrameOf(2, "00"));
    QCOMPARE(m_window->thermometer().unit(), TempUnit::Fahrenheit);

    QAccessibleInterface *pulse =
        QAccessible::queryAccessibleInterface(control<QRadioButton>(IDC_RADIO_PULSE_MODE));
    pulse->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QCOMPARE(commandsSent(terminal).size(), 1);
    Receive(*m_window, FrameOf(2, "00"));

    // A report with everything changed checks other buttons: nothing goes out.
    Receive(*m_window, FrameOf(1, "0002E303 04000001"));
    QVERIFY(control<QRadioButton>(IDC_RADIO_COUNT_MODE)->isChecked());
    QVERIFY(control<QRadioButton>(IDC_RADIO_SWITCH_MODE)->isChecked());
    QVERIFY(commandsSent(terminal).isEmpty());
    // A click still sends once, also on the button already checked; the second waits for the
    // first to be taken.
    control<QAbstractButton>(IDC_RADIO_BODY_MODE)->click();
    control<QAbstractButton>(IDC_RADIO_BODY_MODE)->click();
    QCOMPARE(commandsSent(terminal).size(), 1);
    Receive(*m_window, FrameOf(2, "00"));
    QCOMPARE(commandsSent(terminal).size(), 1);
}

void TestWindowSettings::closingWhileConnectedAsksFirst()
{
    PseudoTerminal terminal;
    connectCom3(terminal);
    m_prompts->answers = {false};
    QVERIFY(!m_window->close());
    QVERIFY(m_window->isVisible());
    QCOMPARE(m_prompts->questions.size(), 1);
    QVERIFY(m_window->close()); // the next answer is Yes
    QVERIFY(!m_window->isVisible());

    // Not connected: closes without a question.
    m_window = makeWindow();
    m_prompts->questions.clear();
    QVERIFY(m_window->close());
    QVERIFY(m_prompts->questions.isEmpty());
}

QTEST_MAIN(TestWindowSettings)
#include "tst_windowsettings.moc"
