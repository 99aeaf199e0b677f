// The real window against the thermometer simulator over a real pseudo-terminal: connect,
// readings on screen, in the list, spoken and on disk, byte for byte.
#include "controls/fonts.h"
#include "device/reconnector.h"
#include "dialogs/resource.h"
#include "kestrim-sim/pseudoterminal.h"
#include "manualclock.h"
#include "recordingprompts.h"
#include "recordingspeech.h"
#include "simprocess.h"
#include "testfiles.h"
#include "window/ckestrimdlg.h"
#include "window/panestatusbar.h"
#include "windowtesting.h"
#include "workingfolder.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>

namespace {
constexpr int kWait = 10000;
const QColor kGreen(0, 111, 3);
const QColor kRed(245, 3, 3);

} // namespace

class TestWindowSim : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void bodyReadingsNormalAndAbnormal();
    void readingsInEachModeAndUnit_data();
    void readingsInEachModeAndUnit();
    void restartOnTheSameDayResumesTheCount();
    void disconnectShowsFail();
    void simulatorEndingMidSessionIsWaitedFor();
    void thermometerComingBackIsReconnected();
    void lostPortIsToldInTheOperatorsLanguage();
    void everySettingReachesTheThermometer();
    void refusedCommandShowsFail();
    void lateReportBeforeTheAcknowledgement();
    void lostAcknowledgementAsksAgain();
    void r9CommandIsItsFrameAndFourZeroBytes();
    void badInputRecordsNothingBogus();
    void r9BehindR9ProBecomesAnR9();
    void silentThermometerAfterUnplugIsAskedAgain();
    void emptyMeasurementIsNoReading();
    void enterInTheListKeepsRecording();

private:
    // Starts the simulator on COM3 and a window, connects, and waits for the settings report.
    void connectWindow(const QStringList &simArguments);
    void closeWindow();
    template <typename T = QWidget> T *control(int id) const
    {
        return m_window->findChild<T *>(QString::number(id));
    }
    QString pane(int index) const
    {
        return m_window->findChild<PaneStatusBar *>()->paneText(index);
    }
    QAbstractItemModel *list() const { return control<QTableView>(IDC_LIST_RECORDS)->model(); }
    QStringList listRow(int row) const
    {
        QStringList fields;
        for (int column = 0; column < 4; ++column)
            fields.append(list()->index(row, column).data().toString());
        return fields;
    }

    std::unique_ptr<WorkingFolder> m_dir;
    std::shared_ptr<ManualClock> m_clock;
    std::shared_ptr<RecordingPrompts> m_prompts;
    std::shared_ptr<SpokenLog> m_spoken;
    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<CKestrimDlg> m_window;
};

void TestWindowSim::initTestCase()
{
    InstallFontSubstitutes();
}

void TestWindowSim::init()
{
    m_dir = std::make_unique<WorkingFolder>();
    QVERIFY(m_dir->isValid());
    m_clock = std::make_shared<ManualClock>(QDateTime(QDate(2024, 5, 21), QTime(14, 3, 27)));
    m_prompts = std::make_shared<RecordingPrompts>();
    m_spoken = std::make_shared<SpokenLog>();
}

void TestWindowSim::cleanup()
{
    closeWindow();
    m_sim.reset();
    m_dir.reset();
}

void TestWindowSim::connectWindow(const QStringList &simArguments)
{
    if (!m_sim) {
        m_sim = std::make_unique<SimProcess>();
        QVERIFY(!m_sim->start(simArguments + QStringList{"--link", m_dir->filePath("Ports/com3")})
                     .isEmpty());
    }
    m_window = std::make_unique<CKestrimDlg>(TestSeams(m_clock, m_prompts, m_spoken));
    m_window->show();
    // The clock has ticked, so readings carry the time.
    QTRY_COMPARE_WITH_TIMEOUT(pane(3), QStringLiteral("14:03:27"), kWait);
    QCOMPARE(control<QComboBox>(IDC_COMBO_COM)->currentText(), QStringLiteral("COM3"));

    control<QAbstractButton>(IDC_BUTTON_CONNECT)->click();
    QCOMPARE(control<QAbstractButton>(IDC_BUTTON_CONNECT)->text(), QStringLiteral("Disconnect"));
    QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(IDC_STATIC_STATUS)->text(), QStringLiteral("success"),
                              kWait);
    // The simulator's log comes through a pipe of its own and may trail the port.
    QVERIFY(m_sim->waitForReceived(QByteArray::fromHex("55AA050105")));
    QVERIFY(!control<QComboBox>(IDC_COMBO_COM)->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(control<QAbstractButton>(IDC_BUTTON_CONNECT)->isEnabled(), kWait);
}

void TestWindowSim::closeWindow()
{
    if (m_window)
        m_window->close();
    m_window.reset();
}

void TestWindowSim::bodyReadingsNormalAndAbnormal()
{
    connectWindow({"--model", "r9pro", "--mode", "body", "--limit", "37.5", "--env", "24.5"});
    // The report filled the settings controls.
    QVERIFY(control<QRadioButton>(IDC_RADIO_CELSIUS)->isChecked());
    QVERIFY(control<QRadioButton>(IDC_RADIO_BODY_MODE)->isChecked());
    auto *alarm = control<QComboBox>(IDC_COMBO_ALARM);
    QCOMPARE(alarm->count(), 30);
    QCOMPARE(alarm->currentText(), QStringLiteral("37.5"));
    QCOMPARE(control<QLabel>(IDC_STATIC_UNIT)->text(), QStringLiteral("C"));
    QTRY_COMPARE_WITH_TIMEOUT(
        m_spoken->sentences().value(0),
        QStringLiteral("connect successfully, please measure the temperature"), kWait);
    // The environment query follows the report within a tick.
    QTRY_COMPARE_WITH_TIMEOUT(pane(5), QStringLiteral("24.5C"), kWait);

    QVERIFY(m_sim->send("36.5"));
    QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(IDC_STATIC_READING)->text(), QStringLiteral("36.5C"),
                              kWait);
    QCOMPARE(control<QLabel>(IDC_STATIC_READING)->palette().color(QPalette::Window), kGreen);
    QCOMPARE(control<QLabel>(IDC_STATIC_READING)->palette().color(QPalette::WindowText),
             QColor(Qt::white));
    QVERIFY(control<QLabel>(IDC_STATIC_VERDICT)->isVisible());
    QCOMPARE(control<QLabel>(IDC_STATIC_VERDICT)->text(), QStringLiteral("Normal"));
    QCOMPARE(control<QLabel>(IDC_STATIC_VERDICT)->palette().color(QPalette::Window), kGreen);
    QVERIFY(control<QAbstractButton>(IDC_BUTTON_SAVE_AS)->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(m_spoken->sentences().contains("Normal Temperature"), kWait);
    QCOMPARE(list()->rowCount(), 1);
    QCOMPARE(listRow(0), (QStringList{"1", "14:03:27", "36.5C", "24.5C"}));
    QVERIFY(control<QTableView>(IDC_LIST_RECORDS)->selectionModel()->isRowSelected(0));
    Screenshot(m_window.get(), QStringLiteral("reading-normal"));

    m_clock->set(QDateTime(QDate(2024, 5, 21), QTime(14, 4, 2)));
    QTRY_COMPARE_WITH_TIMEOUT(pane(3), QStringLiteral("14:04:02"), kWait);
    QVERIFY(m_sim->send("37.5"));
    QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(IDC_STATIC_READING)->text(), QStringLiteral("37.5C"),
                              kWait);
    QCOMPARE(control<QLabel>(IDC_STATIC_READING)->palette().color(QPalette::Window), kRed);
    QCOMPARE(control<QLabel>(IDC_STATIC_VERDICT)->text(), QStringLiteral("Abnormal"));
    QCOMPARE(control<QLabel>(IDC_STATIC_VERDICT)->palette().color(QPalette::Window), kRed);
    QCOMPARE(control<QLabel>(IDC_STATIC_VERDICT)->font().pointSize(), 20);
    QTRY_VERIFY_WITH_TIMEOUT(m_spoken->sentences().contains("Abnormal Temperature"), kWait);
    QVERIFY(control<QTableView>(IDC_LIST_RECORDS)->selectionModel()->isRowSelected(1));
    QVERIFY(!control<QTableView>(IDC_LIST_RECORDS)->selectionModel()->isRowSelected(0));
    Screenshot(m_window.get(), QStringLiteral("reading-abnormal"));

    QCOMPARE(ReadFile("TempData/2024/05/20240521-03.txt"),
             QByteArray("1,14:03:27,36.5C,24.5C\r\n2,14:04:02,37.5C,24.5C\r\n"));
    QCOMPARE(ReadFile("TempData/2024/05/20240521-warning.txt"),
             QByteArray("2,14:04:02,37.5C,24.5C\r\n"));
    QCOMPARE(ReadFile("Ini/2024-05-21.ini"),
             QByteArray("[RECORD]\r\nTOTAL_NUM=2\r\nPATH=TempData/2024/05/20240521\r\n"));
    QVERIFY(m_prompts->messages.isEmpty());
}

void TestWindowSim::readingsInEachModeAndUnit_data()
{
    QTest::addColumn<QStringList>("simArguments");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("spoken");
    QTest::addColumn<QByteArray>("dayFile");
    QTest::newRow("body, Fahrenheit")
        << QStringList{"--unit", "f", "--mode", "body", "--env", "75.2"} << "97.7"
        << "97.7F"
        << "Normal Temperature" << QByteArray("1,14:03:27,97.7F,75.2F\r\n");
    QTest::newRow("count") << QStringList{"--mode", "count"} << "12"
                           << "12"
                           << "12" << QByteArray("1,14:03:27,12,24.5C\r\n");
    QTest::newRow("surface") << QStringList{"--mode", "surface"} << "36.5"
                             << "36.5C"
                             << "36.5degrees celsius" << QByteArray("1,14:03:27,36.5C,24.5C\r\n");
    QTest::newRow("R9, body") << QStringList{"--model", "r9", "--mode", "body"} << "36.9"
                              << "36.9C"
                              << "Normal Temperature" << QByteArray("1,14:03:27,36.9C,24.5C\r\n");
}

void TestWindowSim::readingsInEachModeAndUnit()
{
    QFETCH(QStringList, simArguments);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, spoken);
    QFETCH(QByteArray, dayFile);

    connectWindow(simArguments);
    QTRY_VERIFY_WITH_TIMEOUT(pane(5) != QStringLiteral("-----"), kWait);
    QVERIFY(m_sim->send(typed));
    QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(IDC_STATIC_READING)->text(), shown, kWait);
    QCOMPARE(control<QLabel>(IDC_STATIC_READING)->palette().color(QPalette::Window), kGreen);
    QTRY_VERIFY_WITH_TIMEOUT(m_spoken->sentences().contains(spoken), kWait);
    QCOMPARE(ReadFile("TempData/2024/05/20240521-03.txt"), dayFile);
}

void TestWindowSim::restartOnTheSameDayResumesTheCount()
{
    connectWindow({"--mode", "body"});
    QVERIFY(m_sim->send("36.5"));
    QVERIFY(m_sim->send("36.6"));
    QTRY_COMPARE_WITH_TIMEOUT(list()->rowCount(), 2, kWait);
    closeWindow();

    connectWindow({});
    // The day's rows are back in the list, and the next reading continues the count.
    QCOMPARE(list()->rowCount(), 2);
    QCOMPARE(listRow(1).value(2), QStringLiteral("36.6C"));
    QVERIFY(m_sim->send("36.7"));
    QTRY_COMPARE_WITH_TIMEOUT(list()->rowCount(), 3, kWait);
    QCOMPARE(listRow(2).value(0), QStringLiteral("3"));
    QCOMPARE(ReadFile("Ini/2024-05-21.ini"),
             QByteArray("[RECORD]\r\nTOTAL_NUM=3\r\nPATH=TempData/2024/05/20240521\r\n"));
}

void TestWindowSim::disconnectShowsFail()
{
    connectWindow({});
    control<QAbstractButton>(IDC_BUTTON_CONNECT)->click();
    QCOMPARE(control<QLabel>(IDC_STATIC_STATUS)->text(), QStringLiteral("fail"));
    QCOMPARE(control<QLabel>(IDC_STATIC_STATUS)->palette().color(QPalette::WindowText),
             QColor(255, 0, 0));
    QCOMPARE(control<QAbstractButton>(IDC_BUTTON_CONNECT)->text(), QStringLiteral("Connect"));
    QVERIFY(control<QComboBox>(IDC_COMBO_COM)->isEnabled());
    for (int id : {IDC_RADIO_CELSIUS, IDC_RADIO_FAHRENHEIT, IDC_RADIO_SURFACE_MODE,
                   IDC_RADIO_BODY_MODE, IDC_RADIO_COUNT_MODE, IDC_RADIO_BACKLIGHT_OFF,
                   IDC_RADIO_BACKLIGHT_ON, IDC_RADIO_SWITCH_MODE, IDC_RADIO_PULSE_MODE})
        QVERIFY2(!control<QWidget>(id)->isEnabled(), qPrintable(QString::number(id)));
    QVERIFY(!control<QComboBox>(IDC_COMBO_ALARM)->isEnabled());
}

// The operator is told once, the window keeps trying, and the button gives up the waiting.
void TestWindowSim::simulatorEndingMidSessionIsWaitedFor()
{
    connectWindow({"--mode", "body"});
    QVERIFY(m_sim->send("36.5"));
    QTRY_COMPARE_WITH_TIMEOUT(list()->rowCount(), 1, kWait);
    m_sim->stop();

    QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(IDC_STATIC_STATUS)->text(),
                              QStringLiteral("reconnecting…"), kWait);
    QCOMPARE(control<QLabel>(IDC_STATIC_STATUS)->palette().color(QPalette::WindowText),
             QColor(255, 0, 0));
    auto *button = control<QAbstractButton>(IDC_BUTTON_CONNECT);
    QCOMPARE(button->text(), QStringLiteral("Disconnect"));
    QVERIFY(button->isEnabled());
    QVERIFY(!control<QComboBox>(IDC_COMBO_COM)->isEnabled());
    QCOMPARE(m_prompts->messages.size(), 1);
    QVERIFY2(m_prompts->messages[0].startsWith("COM3 ("), qPrintable(m_prompts->messages[0]));
    QTRY_VERIFY_WITH_TIMEOUT(m_window->thermometer().reconnectAttempts() >= 2, kWait);
    QCOMPARE(m_prompts->messages.size(), 1);
    QCOMPARE(ReadFile("TempData/2024/05/20240521-03.txt"), QByteArray("1,14:03:27,36.5C,0.0C\r\n"));

    button->click();
    QCOMPARE(control<QLabel>(IDC_STATIC_STATUS)->text(), QStringLiteral("fail"));
    QCOMPARE(button->text(), QStringLiteral("Connect"));
    QVERIFY(control<QComboBox>(IDC_COMBO_COM)->isEnabled());
    QVERIFY(m_window->thermometer().state() != device::ConnectionState::Reconnecting);
}

// The thermometer back on the same link: the window connects again by itself, reads the
// settings and records the next reading with the next quantity. After a deliberate
// Disconnect nothing is tried.
void TestWindowSim::thermometerComingBackIsReconnected()
{
    const QStringList simArguments{"--mode", "body", "--env", "24.5"};
    connectWindow(simArguments);
    QTRY_COMPARE_WITH_TIMEOUT(pane(5), QStringLiteral("24.5C"), kWait);
    QVERIFY(m_sim->send("36.5"));
    QTRY_COMPARE_WITH_TIMEOUT(list()->rowCount(), 1, kWait);
    m_sim->stop();
    QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(IDC_STATIC_STATUS)->text(),
                              QStringLiteral("reconnecting…"), kWait);

    m_sim = std::make_unique<SimProcess>();
    QVERIFY(!m_sim->start(simArguments + QStringList{"--link", m_dir->filePath("Ports/com3")})
                 .isEmpty());
    QVERIFY(m_sim->waitForReceived(QByteArray::fromHex("55AA050105")));
    QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(IDC_STATIC_STATUS)->text(), QStringLiteral("success"),
                              kWait);
    QTRY_VERIFY_WITH_TIMEOUT(control<QAbstractButton>(IDC_BUTTON_CONNECT)->isEnabled(), kWait);
    QVERIFY(m_sim->send("36.6"));
    QTRY_COMPARE_WITH_TIMEOUT(list()->rowCount(), 2, kWait);
    QCOMPARE(listRow(1).value(0), QStringLiteral("2"));
    QTRY_COMPARE_WITH_TIMEOUT(ReadFile("TempData/2024/05/20240521-03.txt"),
                              QByteArray("1,14:03:27,36.5C,24.5C\r\n2,14:03:27,36.6C,24.5C\r\n"),
                              kWait);
    QCOMPARE(m_prompts->messages.size(), 1);

    control<QAbstractButton>(IDC_BUTTON_CONNECT)->click();
    QCOMPARE(control<QLabel>(IDC_STATIC_STATUS)->text(), QStringLiteral("fail"));
    m_sim = std::make_unique<SimProcess>();
    QVERIFY(!m_sim->start(simArguments + QStringList{"--link", m_dir->filePath("Ports/com3")})
                 .isEmpty());
    QTest::qWait(2 * Reconnector::kIntervalMs + 500);
    QVERIFY(m_sim->receivedFrames().isEmpty());
    QCOMPARE(control<QLabel>(IDC_STATIC_STATUS)->text(), QStringLiteral("fail"));
}

void TestWindowSim::lostPortIsToldInTheOperatorsLanguage()
{
    connectWindow({});
    control<QAbstractButton>(IDC_BUTTON_CHINESE)->click();
    m_sim->stop();
    QTRY_COMPARE_WITH_TIMEOUT(m_prompts->messages.size(), 1, kWait);
    QVERIFY2(m_prompts->messages[0].contains(QStringLiteral("连接已断开")),
             qPrintable(m_prompts->messages[0]));
}

// Each control in turn, each command built on the one before: the thermometer receives exactly
// these bytes, takes them and says so, and reports them back after a reconnect.
void TestWindowSim::everySettingReachesTheThermometer()
{
    connectWindow({"--model", "r9pro", "--mode", "body", "--limit", "37.5"});
    const auto choose = [this](int comboId, const QString &entry) {
        auto *combo = control<QComboBox>(comboId);
        const int index = combo->findText(entry);
        QVERIFY2(index >= 0, qPrintable(entry));
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    };
    struct Step {
        const char *what;
        std::function<void()> act;
        const char *frame;
    };
    const auto click = [this](int id) {
        return [this, id] {
            control<QAbstractButton>(id)->click();
        };
    };
    const Step steps[] = {
        {"Fahrenheit", click(IDC_RADIO_FAHRENHEIT), "55AA0D020101E30302000001F9"},
        {"Count Mode", click(IDC_RADIO_COUNT_MODE), "55AA0D020102E30302000001FA"},
        {"Surface Mode", click(IDC_RADIO_SURFACE_MODE), "55AA0D020100E30302000001F8"},
        {"Celsius", click(IDC_RADIO_CELSIUS), "55AA0D02000077010200000189"},
        {"Body Mode", click(IDC_RADIO_BODY_MODE), "55AA0D0200017701020000018A"},
        {"alarm 38.0", [&] { choose(IDC_COMBO_ALARM, QStringLiteral("38.0")); },
         "55AA0D0200017C010200000 18F"},
        {"volume 100%", [&] { choose(IDC_COMBO_VOLUME, QStringLiteral("100%")); },
         "55AA0D0200017C0104000001 91"},
        {"backlight ON", click(IDC_RADIO_BACKLIGHT_ON), "55AA0D0200017C01040100 0192"},
        {"Pulse Mode", click(IDC_RADIO_PULSE_MODE), "55AA0D0200017C01040101 0193"},
        {"backlight OFF", click(IDC_RADIO_BACKLIGHT_OFF), "55AA0D0200017C01040001 0192"},
        {"Switch Mode", click(IDC_RADIO_SWITCH_MODE), "55AA0D0200017C01040000 0191"},
        {"中文", click(IDC_BUTTON_CHINESE), "55AA0D0200017C01040000 0090"},
    };
    for (const Step &step : steps) {
        control<QLineEdit>(IDC_EDIT_ACK)->setText(QString());
        step.act();
        QVERIFY2(m_sim->waitForReceived(QByteArray::fromHex(step.frame)), step.what);
        QTRY_COMPARE_WITH_TIMEOUT(control<QLineEdit>(IDC_EDIT_ACK)->text(),
                                  QStringLiteral("success"), kWait);
    }
    QVERIFY(m_prompts->messages.isEmpty());

    control<QAbstractButton>(IDC_BUTTON_CONNECT)->click();
    control<QAbstractButton>(IDC_BUTTON_CONNECT)->click();
    QTRY_COMPARE_WITH_TIMEOUT(m_sim->receivedFrames().count(QByteArray::fromHex("55AA050105")), 2,
                              kWait);
    QTRY_COMPARE_WITH_TIMEOUT(m_window->thermometer().report(),
                              QStringLiteral("55AA0D0100017C010400000 08F").remove(u' '), kWait);
    QVERIFY(control<QRadioButton>(IDC_RADIO_CELSIUS)->isChecked());
    QVERIFY(control<QRadioButton>(IDC_RADIO_BODY_MODE)->isChecked());
    QCOMPARE(control<QComboBox>(IDC_COMBO_ALARM)->currentText(), QStringLiteral("38.0"));
    QCOMPARE(control<QComboBox>(IDC_COMBO_VOLUME)->currentText(), QStringLiteral("100%"));
    QVERIFY(control<QRadioButton>(IDC_RADIO_BACKLIGHT_OFF)->isChecked());
    QVERIFY(control<QRadioButton>(IDC_RADIO_SWITCH_MODE)->isChecked());
    Screenshot(m_window.get(), QStringLiteral("settings-chinese"));
}

void TestWindowSim::refusedCommandShowsFail()
{
    connectWindow({"--ack-fail"});
    control<QAbstractButton>(IDC_RADIO_FAHRENHEIT)->click();
    QTRY_COMPARE_WITH_TIMEOUT(m_prompts->messages, QStringList{"fail"}, kWait);
    QCOMPARE(control<QLineEdit>(IDC_EDIT_ACK)->text(), QString());
}

// A report asked for earlier arrives between the Fahrenheit command and its "success": the
// window ends in Fahrenheit, and the next reading is stored and judged as what it is.
void TestWindowSim::lateReportBeforeTheAcknowledgement()
{
    connectWindow({"--mode", "body"});
    QVERIFY(m_sim->send("late-report"));
    QTRY_VERIFY_WITH_TIMEOUT(
        m_sim->stderrLines().contains("the next settings command gets a late report first"), kWait);
    control<QAbstractButton>(IDC_RADIO_FAHRENHEIT)->click();
    QTRY_COMPARE_WITH_TIMEOUT(control<QLineEdit>(IDC_EDIT_ACK)->text(), QStringLiteral("success"),
                              kWait);
    QCOMPARE(m_window->thermometer().unit(), TempUnit::Fahrenheit);
    QVERIFY(control<QRadioButton>(IDC_RADIO_FAHRENHEIT)->isChecked());
    QCOMPARE(control<QLabel>(IDC_STATIC_UNIT)->text(), QStringLiteral("F"));

    QVERIFY(m_sim->send("97.7"));
    QTRY_COMPARE_WITH_TIMEOUT(list()->rowCount(), 1, kWait);
    // Stored in the unit the thermometer sent it in (the environment depends on when it was
    // last asked for).
    QVERIFY(ReadFile("TempData/2024/05/20240521-03.txt").startsWith("1,14:03:27,97.7F,"));
    QCOMPARE(ReadFile("TempData/2024/05/20240521-warning.txt"), QByteArray("<missing>"));
    QCOMPARE(control<QLabel>(IDC_STATIC_VERDICT)->text(), QStringLiteral("Normal"));
    QVERIFY2(m_prompts->messages.isEmpty(), qPrintable(m_prompts->messages.join('\n')));
}

// The thermometer takes Fahrenheit but its acknowledgement is lost: after 2 s the operator is
// told, the settings are asked for again, and the report puts the window in Fahrenheit.
void TestWindowSim::lostAcknowledgementAsksAgain()
{
    connectWindow({"--mode", "body"});
    QVERIFY(m_sim->send("lose-ack"));
    QTRY_VERIFY_WITH_TIMEOUT(
        m_sim->stderrLines().contains("the next settings command gets no acknowledgement"), kWait);
    const qsizetype before = m_sim->receivedFrames().size();
    control<QAbstractButton>(IDC_RADIO_FAHRENHEIT)->click();
    QVERIFY(m_sim->send("36.5")); // still Celsius on the wire
    QTRY_COMPARE_WITH_TIMEOUT(list()->rowCount(), 1, kWait);
    QCOMPARE(m_window->thermometer().unit(), TempUnit::Celsius);
    QTRY_COMPARE_WITH_TIMEOUT(m_prompts->messages.size(), 1, kWait);
    QVERIFY(m_prompts->messages.constFirst().contains(QStringLiteral("did not confirm")));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->thermometer().unit(), TempUnit::Fahrenheit, kWait);
    QVERIFY(control<QRadioButton>(IDC_RADIO_FAHRENHEIT)->isChecked());
    QVERIFY(m_sim->receivedFrames().mid(before).contains(QByteArray::fromHex("55AA050105")));
    Screenshot(m_window.get(), QStringLiteral("sim-lost-acknowledgement"));
}

void TestWindowSim::r9CommandIsItsFrameAndFourZeroBytes()
{
    m_sim = std::make_unique<SimProcess>();
    QVERIFY(
        !m_sim->start({"--model", "r9", "--mode", "body", "--link", m_dir->filePath("Ports/com3")})
             .isEmpty());
    connectWindow({});
    control<QAbstractButton>(IDC_RADIO_R9)->click();
    QCOMPARE(control<QComboBox>(IDC_COMBO_ALARM)->count(), 11);
    control<QAbstractButton>(IDC_BUTTON_CONNECT)->click();
    control<QAbstractButton>(IDC_BUTTON_CONNECT)->click();
    QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(IDC_STATIC_STATUS)->text(), QStringLiteral("success"),
                              kWait);
    QTRY_VERIFY_WITH_TIMEOUT(control<QAbstractButton>(IDC_BUTTON_CONNECT)->isEnabled(), kWait);

    auto *alarm = control<QComboBox>(IDC_COMBO_ALARM);
    alarm->setCurrentIndex(alarm->findText(QStringLiteral("38.0")));
    emit alarm->activated(alarm->currentIndex());
    QVERIFY(m_sim->waitForReceived(QByteArray::fromHex("55AA090200017C0188")));
    QTRY_COMPARE_WITH_TIMEOUT(control<QLineEdit>(IDC_EDIT_ACK)->text(), QStringLiteral("success"),
                              kWait);
    // The padding after the frame is not taken for a frame of its own.
    const QList<QByteArray> frames = m_sim->receivedFrames();
    QCOMPARE(
        std::count_if(frames.begin(), frames.end(),
                      [](const QByteArray &frame) { return frame.size() > 3 && frame[3] == 2; }),
        1);
    QVERIFY(std::none_of(frames.begin(), frames.end(),
                         [](const QByteArray &frame) { return frame.startsWith('\0'); }));
    QCOMPARE(m_window->thermometer().alarmLimitF(), 100.4f);
}

// Garbage, cut-off frames and bad checksums at line rate between good readings; absurd values;
// a report too short for the model chosen. Only the good readings are stored, exactly as sent,
// and no settings command goes out from a report that cannot carry it.
void TestWindowSim::badInputRecordsNothingBogus()
{
    connectWindow({"--mode", "body", "--env", "24.5"});
    QTRY_COMPARE_WITH_TIMEOUT(pane(5), QStringLiteral("24.5C"), kWait);

    QRandomGenerator random(20261210);
    QByteArray garbage(4096, '\0');
    for (char &byte : garbage) // sync bytes and length bytes come up often, as in real noise
        byte =
            char(random.bounded(4) == 0 ? (random.bounded(2) ? 0x55 : 0xAA) : random.bounded(256));
    const QByteArray good = QByteArray::fromHex("55AA07046D0178"); // 36.5
    const QList<QByteArray> noise{
        garbage,
        QByteArray::fromHex("55AA07046D"),     // cut off
        QByteArray::fromHex("55AA07046E01EA"), // 36.6 with a wrong checksum
        QByteArray::fromHex("55AAFF046D01E8"), // a length no frame has
        QByteArray::fromHex("55AA0504"),       // a measurement too short to hold a value
    };
    int sentGood = 0;
    for (const QByteArray &bad : noise) {
        QVERIFY(m_sim->send(QStringLiteral("raw ") + QString::fromLatin1(bad.toHex())));
        QVERIFY(m_sim->send(QStringLiteral("raw ") + QString::fromLatin1(good.toHex())));
        ++sentGood;
    }
    QVERIFY(m_sim->send("6553.5"));
    QVERIFY(m_sim->send("0"));
    QTRY_COMPARE_WITH_TIMEOUT(list()->rowCount(), sentGood + 2, kWait);
    QTest::qWait(300);
    QByteArray expected;
    for (int i = 1; i <= sentGood; ++i)
        expected += QByteArray::number(i) + ",14:03:27,36.5C,24.5C\r\n";
    expected += QByteArray::number(sentGood + 1) + ",14:03:27,6553.5C,24.5C\r\n";
    expected += QByteArray::number(sentGood + 2) + ",14:03:27,0.0C,24.5C\r\n";
    QCOMPARE(ReadFile("TempData/2024/05/20240521-03.txt"), expected);
    QCOMPARE(ReadFile("TempData/2024/05/20240521-warning.txt"),
             QByteArray::number(sentGood + 1) + ",14:03:27,6553.5C,24.5C\r\n");
    QCOMPARE(control<QLabel>(IDC_STATIC_READING)->text(), QStringLiteral("0.0C"));

    // An R9's report while the R9 Pro is chosen: the window takes the R9's shape, and says so.
    QVERIFY(m_sim->send("raw 55AA09010001770182"));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->thermometer().report(),
                              QStringLiteral("55AA09010001770182"), kWait);
    QVERIFY(m_prompts->messages.last().contains(QStringLiteral("the model is now R9")));
    QVERIFY(control<QRadioButton>(IDC_RADIO_R9)->isChecked());
}

// An R9 on the line while the R9 Pro is chosen: the window follows its report and becomes an
// R9's, and Fahrenheit goes out as an R9 command; readings are stored as what they are.
void TestWindowSim::r9BehindR9ProBecomesAnR9()
{
    connectWindow({"--model", "r9", "--mode", "body"});
    QVERIFY(control<QRadioButton>(IDC_RADIO_R9)->isChecked());
    QCOMPARE(m_prompts->messages,
             QStringList{"The thermometer's settings say it is an R9; the model is now R9."});
    QVERIFY(m_sim->send("39.0"));
    QTRY_COMPARE_WITH_TIMEOUT(list()->rowCount(), 1, kWait);
    QCOMPARE(control<QLabel>(IDC_STATIC_VERDICT)->text(), QStringLiteral("Abnormal"));

    const qsizetype before = m_sim->receivedFrames().size();
    control<QAbstractButton>(IDC_RADIO_FAHRENHEIT)->click();
    QTRY_COMPARE_WITH_TIMEOUT(m_window->thermometer().unit(), TempUnit::Fahrenheit, kWait);
    const QList<QByteArray> received = m_sim->receivedFrames().mid(before);
    QVERIFY(std::any_of(received.begin(), received.end(), [](const QByteArray &frame) {
        return frame.size() > 3 && frame[3] == 2 && frame[2] == 9;
    }));
    QVERIFY(m_sim->send("96.8"));
    QTRY_COMPARE_WITH_TIMEOUT(list()->rowCount(), 2, kWait);
    // The environment depends on when it was last asked for; the readings' own fields do not.
    const QList<QByteArray> lines = ReadFile("TempData/2024/05/20240521-03.txt").split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines.at(0).startsWith("1,14:03:27,39.0C,"), lines.at(0).constData());
    QVERIFY2(lines.at(1).startsWith("2,14:03:27,96.8F,"), lines.at(1).constData());
    QVERIFY(ReadFile("TempData/2024/05/20240521-warning.txt").startsWith("1,14:03:27,39.0C,"));
    QCOMPARE(ReadFile("TempData/2024/05/20240521-warning.txt").count('\n'), 1);
    QCOMPARE(m_prompts->messages.size(), 1);
    Screenshot(m_window.get(), QStringLiteral("sim-r9-behind-r9-pro"));
}

// The link comes back but the thermometer behind it says nothing (still starting up): the
// window asks again every 2 s, and Connect lets the operator give up.
void TestWindowSim::silentThermometerAfterUnplugIsAskedAgain()
{
    connectWindow({"--mode", "body"});
    m_sim->stop();
    QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(IDC_STATIC_STATUS)->text(),
                              QStringLiteral("reconnecting…"), kWait);
    PseudoTerminal silent;
    QVERIFY(silent.open());
    QFile::remove(m_dir->filePath("Ports/com3"));
    QVERIFY(QFile::link(silent.slavePath(), m_dir->filePath("Ports/com3")));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->thermometer().state(), device::ConnectionState::Opening,
                              kWait);
    QByteArray asked;
    QTRY_VERIFY_WITH_TIMEOUT(
        (asked += silent.readAvailable()).count(QByteArray::fromHex("55AA050105")) >= 2, kWait);
    QVERIFY(control<QAbstractButton>(IDC_BUTTON_CONNECT)->isEnabled());
    QVERIFY(!control<QComboBox>(IDC_COMBO_COM)->isEnabled());
    Screenshot(m_window.get(), QStringLiteral("sim-silent-after-unplug"));
    control<QAbstractButton>(IDC_BUTTON_CONNECT)->click();
    QCOMPARE(control<QLabel>(IDC_STATIC_STATUS)->text(), QStringLiteral("fail"));
    QCOMPARE(control<QAbstractButton>(IDC_BUTTON_CONNECT)->text(), QStringLiteral("Connect"));
    QVERIFY(control<QComboBox>(IDC_COMBO_COM)->isEnabled());
}

// A measurement frame with no value is no reading: nothing counted, listed or stored, and the
// next good reading takes quantity 1.
void TestWindowSim::emptyMeasurementIsNoReading()
{
    connectWindow({"--mode", "body"});
    QVERIFY(m_sim->send("raw 55AA050408"));
    QVERIFY(m_sim->send("raw 55AA050105")); // the request, echoed: no report either
    QVERIFY(m_sim->send("36.5"));
    QTRY_COMPARE_WITH_TIMEOUT(list()->rowCount(), 1, kWait);
    QTest::qWait(300);
    QCOMPARE(list()->rowCount(), 1);
    QCOMPARE(ReadFile("TempData/2024/05/20240521-03.txt"), QByteArray("1,14:03:27,36.5C,0.0C\r\n"));
    QCOMPARE(m_window->thermometer().shortFrames(), 2u);
    QVERIFY(control<QRadioButton>(IDC_RADIO_BODY_MODE)->isChecked());
    Screenshot(m_window.get(), QStringLiteral("sim-empty-measurement"));
}

void TestWindowSim::enterInTheListKeepsRecording()
{
    connectWindow({"--mode", "body"});
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QVERIFY(m_sim->send("36.5"));
    QTRY_COMPARE_WITH_TIMEOUT(list()->rowCount(), 1, kWait);
    QTRY_COMPARE(QApplication::focusWidget(), control(IDC_LIST_RECORDS));
    QTest::keyClick(control(IDC_LIST_RECORDS), Qt::Key_Return);
    QTest::keyClick(control(IDC_LIST_RECORDS), Qt::Key_Escape);
    QVERIFY(m_window->isVisible());
    QVERIFY(m_sim->send("36.6"));
    QTRY_COMPARE_WITH_TIMEOUT(list()->rowCount(), 2, kWait);
    Screenshot(m_window.get(), QStringLiteral("sim-enter-in-list"));
}

QTEST_MAIN(TestWindowSim)
#include "tst_window_sim.moc"
