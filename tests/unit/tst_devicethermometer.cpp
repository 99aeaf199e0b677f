// One thermometer on its own: byte streams in, what it says and what it holds out; frames it
// sends collected instead of written to a port, and its timers on a clock the test moves.
#include "device/reconnector.h"
#include "device/thermometer.h"
#include "manualclock.h"
#include "reception/frame.h"

#include <QSignalSpy>
#include <QTest>

using device::ConnectionState;
using device::Thermometer;

namespace {

QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(text);
}

const QByteArray kRequest = Hex("55AA050105");
// An R9 Pro in Celsius and body mode, limit 37.5, volume 50 %, backlight off, switch output.
const QByteArray kProReport = Hex("55AA0D01000177010200000189");
// An R9 in Celsius and body mode, limit 37.5.
const QByteArray kR9Report = Hex("55AA09010001770182");

// An R9 Pro in Celsius and body mode, as the settings report says it again later.
const QByteArray kSuccess = BuildFrame(FrameCode::SettingsSet, Hex("00"));
const QByteArray kFailure = BuildFrame(FrameCode::SettingsSet, Hex("01"));
// The command that turns kProReport's thermometer to Fahrenheit.
const QByteArray kToFahrenheit = Hex("55AA0D020101E30302000001F9");

QByteArray Reading(int tenths)
{
    const char value[] = {char(tenths & 0xFF), char((tenths >> 8) & 0xFF)};
    return BuildFrame(FrameCode::Measurement, QByteArrayView(value, 2));
}

// A thermometer whose frames go to `sent`; the port reopens when `reopens` says so; its timers
// run when the test moves `clock` on.
struct Bench {
    QList<QByteArray> sent;
    bool portOpen = true;
    bool reopens = false;
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(
        QDateTime(QDate(2026, 12, 11), QTime(8, 0)), ManualClock::Timers::Stepped);
    Thermometer thermometer{{[this](const QByteArray &frame) {
                                 if (portOpen)
                                     sent.append(frame);
                                 return portOpen;
                             },
                             [this] {
                                 return reopens;
                             }},
                            clock};

    // The test values of the measurements handed on by `spy`.
    static QStringList Values(const QSignalSpy &spy)
    {
        QStringList values;
        for (const QList<QVariant> &args : spy)
            values.append(args.at(0).value<Measurement>().testValue);
        return values;
    }
};

} // namespace

Q_DECLARE_METATYPE(Measurement)

class TestDeviceThermometer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<Measurement>(); }
    void framesByKind_data();
    void framesByKind();
    void reportSetsWhatTheThermometerHolds_data();
    void reportSetsWhatTheThermometerHolds();
    void reportWithUnknownUnitOrModeIsNotTaken_data();
    void reportWithUnknownUnitOrModeIsNotTaken();
    void refusedCommandChangesNothing_data();
    void refusedCommandChangesNothing();
    void commandCountsOnlyOnceAccepted();
    void lateReportBeforeTheAcknowledgement();
    void changesWhileOneIsInFlightWaitInOrder();
    void failedOrUnansweredCommandAsksAgain_data();
    void failedOrUnansweredCommandAsksAgain();
    void openingAsksAgainUntilTheReport();
    void operatorsConnectGivesUpAfterFiveSeconds();
    void newLinkDropsTheHalfFrameOfTheOldOne();
    void lostPortIsReopenedAndAskedForItsSettings();
    void environmentAndReadingInTheThermometersUnit();
};

void TestDeviceThermometer::framesByKind_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QStringList>("measured");
    QTest::addColumn<int>("reports");
    QTest::addColumn<int>("environments");
    QTest::addColumn<int>("tooShort");

    QTest::newRow("measurement") << Hex("55AA07046D0178") << QStringList{"36.5C"} << 0 << 0 << 0;
    QTest::newRow("measurement without its value")
        << Hex("55AA050408") << QStringList{} << 0 << 0 << 1;
    QTest::newRow("measurement with one value byte")
        << Hex("55AA06046D76") << QStringList{} << 0 << 0 << 1;
    QTest::newRow("empty measurement, then a good one")
        << Hex("55AA050408 55AA07046D0178") << QStringList{"36.5C"} << 0 << 0 << 1;
    QTest::newRow("settings request echoed by a loop-back adapter")
        << kRequest << QStringList{} << 0 << 0 << 1;
    QTest::newRow("report of three bytes")
        << BuildFrame(FrameCode::Settings, Hex("000177")) << QStringList{} << 0 << 0 << 1;
    QTest::newRow("R9 report") << kR9Report << QStringList{} << 1 << 0 << 0;
    QTest::newRow("R9 Pro report") << kProReport << QStringList{} << 1 << 0 << 0;
    QTest::newRow("environment query echoed") << Hex("55AA050307") << QStringList{} << 0 << 0 << 1;
    QTest::newRow("environment") << Hex("55AA0703F500FE") << QStringList{} << 0 << 1 << 0;
    QTest::newRow("acknowledgement without its result")
        << Hex("55AA050206") << QStringList{} << 0 << 0 << 1;
}

void TestDeviceThermometer::framesByKind()
{
    QFETCH(QByteArray, stream);
    Bench bench;
    QSignalSpy measured(&bench.thermometer, &Thermometer::measured);
    QSignalSpy reports(&bench.thermometer, &Thermometer::reportApplied);
    QSignalSpy environments(&bench.thermometer, &Thermometer::environment);
    // Byte by byte, as a slow port delivers them.
    for (char byte : stream)
        bench.thermometer.receive(QByteArrayView(&byte, 1));

    QTEST(Bench::Values(measured), "measured");
    QTEST(int(reports.size()), "reports");
    QTEST(int(environments.size()), "environments");
    QTEST(int(bench.thermometer.shortFrames()), "tooShort");
}

void TestDeviceThermometer::reportSetsWhatTheThermometerHolds_data()
{
    QTest::addColumn<MachineType>("chosen");
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<MachineType>("model");
    QTest::addColumn<TempUnit>("unit");
    QTest::addColumn<WorkMode>("mode");
    QTest::addColumn<float>("limitC");
    QTest::addColumn<float>("limitF");
    QTest::addColumn<QByteArray>("kept"); // the frame commands are built from

    QTest::newRow("R9 Pro, Celsius")
        << MachineType::R9Pro << kProReport << MachineType::R9Pro << TempUnit::Celsius
        << WorkMode::Body << 37.5f << 99.5f << kProReport;
    const QByteArray fahrenheit = BuildFrame(FrameCode::Settings, Hex("0102E303 04010101"));
    QTest::newRow("R9 Pro, Fahrenheit 99.5")
        << MachineType::R9Pro << fahrenheit << MachineType::R9Pro << TempUnit::Fahrenheit
        << WorkMode::Count << 37.5f << 99.5f << fahrenheit;
    QTest::newRow("R9") << MachineType::R9 << kR9Report << MachineType::R9 << TempUnit::Celsius
                        << WorkMode::Body << 37.5f << 99.5f << kR9Report;
    QTest::newRow("R9 report, R9 Pro chosen: the model follows the report")
        << MachineType::R9Pro << kR9Report << MachineType::R9 << TempUnit::Celsius << WorkMode::Body
        << 37.5f << 99.5f << kR9Report;
    QTest::newRow("R9 Pro report, R9 chosen")
        << MachineType::R9 << kProReport << MachineType::R9Pro << TempUnit::Celsius
        << WorkMode::Body << 37.5f << 99.5f << kProReport;
    QTest::newRow("six payload bytes are an R9's report and two more")
        << MachineType::R9Pro << BuildFrame(FrameCode::Settings, Hex("00017701 0200"))
        << MachineType::R9 << TempUnit::Celsius << WorkMode::Body << 37.5f << 99.5f << kR9Report;
}

void TestDeviceThermometer::reportSetsWhatTheThermometerHolds()
{
    QFETCH(MachineType, chosen);
    QFETCH(QByteArray, report);
    QFETCH(MachineType, model);
    QFETCH(QByteArray, kept);
    Bench bench;
    bench.thermometer.setModel(chosen);
    QSignalSpy reports(&bench.thermometer, &Thermometer::reportApplied);
    QSignalSpy models(&bench.thermometer, &Thermometer::modelChanged);
    bench.thermometer.receive(report);
    QCOMPARE(reports.size(), 1);
    QCOMPARE(bench.thermometer.model(), model);
    QCOMPARE(models.size(), chosen == model ? 0 : 1);
    QTEST(bench.thermometer.unit(), "unit");
    QTEST(bench.thermometer.mode(), "mode");
    QTEST(bench.thermometer.alarmLimitC(), "limitC");
    QTEST(bench.thermometer.alarmLimitF(), "limitF");
    QCOMPARE(bench.thermometer.report(), QString::fromLatin1(kept.toHex().toUpper()));
    // The bottom band is there exactly when the model has it, and every command can be made.
    QCOMPARE(bench.thermometer.proSettings().has_value(), model == MachineType::R9Pro);
    QVERIFY(bench.thermometer.sendCommand(SettingMode, 2));
    QCOMPARE(bench.sent.size(), 1);
    QCOMPARE(bench.sent.constFirst().at(2), char(model == MachineType::R9 ? 9 : 13));
}

void TestDeviceThermometer::reportWithUnknownUnitOrModeIsNotTaken_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("mode 3") << Hex("00037701 02000001");
    QTest::newRow("mode FF") << Hex("00FF7701 02000001");
    QTest::newRow("unit 2") << Hex("02017701 02000001");
}

// Taken, such a report would have every later reading stored with an empty value; instead the
// settings stay, the operator is told once, and the settings are asked for again.
void TestDeviceThermometer::reportWithUnknownUnitOrModeIsNotTaken()
{
    QFETCH(QByteArray, payload);
    Bench bench;
    bench.thermometer.receive(kProReport);
    bench.thermometer.receive(Hex("55AA0703F500FE")); // 24.5
    QSignalSpy reports(&bench.thermometer, &Thermometer::reportApplied);
    QSignalSpy rejected(&bench.thermometer, &Thermometer::reportRejected);
    QSignalSpy measured(&bench.thermometer, &Thermometer::measured);
    bench.sent.clear();

    bench.thermometer.receive(BuildFrame(FrameCode::Settings, payload));
    bench.thermometer.receive(BuildFrame(FrameCode::Settings, payload));
    QCOMPARE(reports.size(), 0);
    QCOMPARE(rejected.size(), 1);
    QCOMPARE(bench.thermometer.mode(), WorkMode::Body);
    QCOMPARE(bench.thermometer.unit(), TempUnit::Celsius);
    bench.clock->advance(Thermometer::kRequestRetryMs);
    QCOMPARE(bench.sent, QList<QByteArray>{kRequest});

    bench.thermometer.receive(Reading(365));
    QCOMPARE(Bench::Values(measured), QStringList{"36.5C"});
    QCOMPARE(measured.at(0).at(0).value<Measurement>().envTemp, QStringLiteral("24.5C"));
    // A good report ends the asking.
    bench.thermometer.receive(kProReport);
    bench.clock->advance(3 * Thermometer::kRequestRetryMs);
    QCOMPARE(bench.sent.size(), 1);
}

void TestDeviceThermometer::refusedCommandChangesNothing_data()
{
    QTest::addColumn<MachineType>("chosenAfterReport");
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<int>("reason");
    QTest::newRow("no report yet")
        << MachineType::R9Pro << QByteArray() << true << int(CommandRefusal::NoReport);
    QTest::newRow("R9 Pro chosen after an R9's report")
        << MachineType::R9Pro << kR9Report << true << int(CommandRefusal::ReportNotOfModel);
    QTest::newRow("port closed") << MachineType::R9Pro << kProReport << false
                                 << int(CommandRefusal::NotConnected);
}

void TestDeviceThermometer::refusedCommandChangesNothing()
{
    QFETCH(MachineType, chosenAfterReport);
    QFETCH(QByteArray, report);
    QFETCH(bool, portOpen);
    Bench bench;
    bench.thermometer.receive(report);
    bench.thermometer.setModel(chosenAfterReport);
    bench.portOpen = portOpen;
    const device::ThermometerSettings before = bench.thermometer.settings();
    QSignalSpy refused(&bench.thermometer, &Thermometer::commandRefused);

    for (const auto &[field, value] : {std::pair{SettingUnit, 1}, std::pair{SettingMode, 2}})
        QVERIFY(!bench.thermometer.sendCommand(field, value));

    QCOMPARE(refused.size(), 2);
    QTEST(int(refused.at(0).at(0).value<CommandRefusal>()), "reason");
    QVERIFY(bench.sent.isEmpty());
    QVERIFY(!bench.thermometer.commandInFlight());
    QCOMPARE(bench.thermometer.shownSettings().unit, before.unit);
    QCOMPARE(bench.thermometer.unit(), before.unit);
    QCOMPARE(bench.thermometer.mode(), before.mode);
    QCOMPARE(bench.thermometer.report(), before.report);
}

// Until the thermometer says "success", readings are read in the settings it confirmed; the
// controls meanwhile show the change as pending.
void TestDeviceThermometer::commandCountsOnlyOnceAccepted()
{
    Bench bench;
    bench.thermometer.receive(kProReport);
    QSignalSpy measured(&bench.thermometer, &Thermometer::measured);
    QVERIFY(bench.thermometer.sendCommand(SettingUnit, 1));
    QCOMPARE(bench.sent, QList<QByteArray>{kToFahrenheit});
    QCOMPARE(bench.thermometer.unit(), TempUnit::Celsius);
    QCOMPARE(bench.thermometer.shownSettings().unit, TempUnit::Fahrenheit);
    bench.thermometer.receive(Reading(365));

    bench.thermometer.receive(kSuccess);
    QCOMPARE(bench.thermometer.unit(), TempUnit::Fahrenheit);
    QCOMPARE(bench.thermometer.report(), QString::fromLatin1(kToFahrenheit.toHex().toUpper()));
    bench.thermometer.receive(Reading(977));
    QCOMPARE(Bench::Values(measured), (QStringList{"36.5C", "97.7F"}));
    QCOMPARE(measured.at(1).at(0).value<Measurement>().verdict, Verdict::Normal);
}

// A report asked for earlier arrives between the command and its "success": it is taken as the
// confirmed settings, the command stays in flight, and "success" puts the command on top of it.
void TestDeviceThermometer::lateReportBeforeTheAcknowledgement()
{
    Bench bench;
    bench.thermometer.receive(kProReport);
    QSignalSpy measured(&bench.thermometer, &Thermometer::measured);
    QVERIFY(bench.thermometer.sendCommand(SettingUnit, 1));
    bench.thermometer.receive(kProReport); // late: still Celsius
    QVERIFY(bench.thermometer.commandInFlight());
    QCOMPARE(bench.thermometer.shownSettings().unit, TempUnit::Fahrenheit);
    bench.thermometer.receive(kSuccess);
    QCOMPARE(bench.thermometer.unit(), TempUnit::Fahrenheit);

    bench.thermometer.receive(Reading(977));
    const Measurement m = measured.at(0).at(0).value<Measurement>();
    QCOMPARE(m.testValue, QStringLiteral("97.7F"));
    QCOMPARE(m.verdict, Verdict::Normal);
}

void TestDeviceThermometer::changesWhileOneIsInFlightWaitInOrder()
{
    Bench bench;
    bench.thermometer.receive(kProReport);
    QVERIFY(bench.thermometer.sendCommand(SettingUnit, 1));
    QVERIFY(bench.thermometer.sendCommand(SettingMode, 2));
    QVERIFY(bench.thermometer.sendCommand(SettingAlarmLimit, 0, QStringLiteral("100.4")));
    QCOMPARE(bench.sent.size(), 1);
    const device::ThermometerSettings shown = bench.thermometer.shownSettings();
    QCOMPARE(shown.unit, TempUnit::Fahrenheit);
    QCOMPARE(shown.mode, WorkMode::Count);
    QCOMPARE(shown.alarmLimitF, 100.4f);
    QCOMPARE(bench.thermometer.mode(), WorkMode::Body);

    bench.thermometer.receive(kSuccess);
    QCOMPARE(bench.sent.size(), 2);
    // Built on top of the accepted Fahrenheit: unit 01, mode 02, limit 99.5 °F (995 = E3 03).
    QCOMPARE(bench.sent.at(1).mid(4, 4), Hex("0102E303"));
    QCOMPARE(bench.thermometer.mode(), WorkMode::Body);
    bench.thermometer.receive(kSuccess);
    bench.thermometer.receive(kSuccess);
    QCOMPARE(bench.sent.size(), 3);
    QCOMPARE(bench.sent.at(2).mid(4, 4), Hex("0102EC03")); // 100.4 °F
    QCOMPARE(bench.thermometer.unit(), TempUnit::Fahrenheit);
    QCOMPARE(bench.thermometer.mode(), WorkMode::Count);
    QCOMPARE(bench.thermometer.alarmLimitC(), 38.0f);
    QVERIFY(!bench.thermometer.commandInFlight());
}

void TestDeviceThermometer::failedOrUnansweredCommandAsksAgain_data()
{
    QTest::addColumn<bool>("answered");
    QTest::newRow("fail") << true;
    QTest::newRow("no acknowledgement within 2 s") << false;
}

// The thermometer kept its settings (or nobody knows): the waiting changes are dropped, the
// settings are asked for, and a late "success" changes nothing.
void TestDeviceThermometer::failedOrUnansweredCommandAsksAgain()
{
    QFETCH(bool, answered);
    Bench bench;
    bench.thermometer.receive(kProReport);
    QVERIFY(bench.thermometer.sendCommand(SettingUnit, 1));
    QVERIFY(bench.thermometer.sendCommand(SettingMode, 2));
    QSignalSpy acks(&bench.thermometer, &Thermometer::acknowledged);
    QSignalSpy missing(&bench.thermometer, &Thermometer::acknowledgementMissing);
    bench.sent.clear();

    if (answered) {
        bench.thermometer.receive(kFailure);
    } else {
        bench.clock->advance(Thermometer::kAcknowledgementTimeoutMs - 1);
        QCOMPARE(missing.size(), 0);
        bench.clock->advance(1);
    }
    QCOMPARE(acks.size(), answered ? 1 : 0);
    QCOMPARE(missing.size(), answered ? 0 : 1);
    QCOMPARE(bench.sent, QList<QByteArray>{kRequest});
    QVERIFY(!bench.thermometer.commandInFlight());
    QCOMPARE(bench.thermometer.shownSettings().unit, TempUnit::Celsius);
    QCOMPARE(bench.thermometer.shownSettings().mode, WorkMode::Body);
    QCOMPARE(bench.thermometer.report(), QString::fromLatin1(kProReport.toHex().toUpper()));

    bench.thermometer.receive(kSuccess);
    QCOMPARE(bench.thermometer.unit(), TempUnit::Celsius);
    QCOMPARE(bench.sent.size(), 1);
}

void TestDeviceThermometer::openingAsksAgainUntilTheReport()
{
    Bench bench;
    QSignalSpy states(&bench.thermometer, &Thermometer::stateChanged);
    bench.thermometer.portOpened(3, false);
    QCOMPARE(bench.thermometer.state(), ConnectionState::Opening);
    QCOMPARE(bench.sent, QList<QByteArray>{kRequest});
    bench.clock->advance(2 * Thermometer::kRequestRetryMs);
    QCOMPARE(bench.sent, (QList<QByteArray>{kRequest, kRequest, kRequest}));
    // A reopened port never gives up by itself.
    bench.clock->advance(10 * Thermometer::kAnswerTimeoutMs);
    QCOMPARE(bench.thermometer.state(), ConnectionState::Opening);

    bench.thermometer.receive(kProReport);
    QCOMPARE(bench.thermometer.state(), ConnectionState::Connected);
    const qsizetype asked = bench.sent.size();
    bench.clock->advance(3 * Thermometer::kRequestRetryMs);
    QCOMPARE(bench.sent.size(), asked);
    QCOMPARE(states.size(), 2);
}

void TestDeviceThermometer::operatorsConnectGivesUpAfterFiveSeconds()
{
    Bench bench;
    QSignalSpy noAnswer(&bench.thermometer, &Thermometer::noAnswer);
    bench.thermometer.portOpened(4, true);
    bench.clock->advance(Thermometer::kAnswerTimeoutMs - 1);
    QCOMPARE(noAnswer.size(), 0);
    QCOMPARE(bench.sent.size(), 3); // at 0, 2 and 4 s
    bench.clock->advance(1);
    QCOMPARE(noAnswer.size(), 1);
    QCOMPARE(bench.thermometer.state(), ConnectionState::Closed);
    bench.clock->advance(3 * Thermometer::kRequestRetryMs);
    QCOMPARE(bench.sent.size(), 3);
}

// A frame cut off when the old link went away never joins the new link's first bytes.
void TestDeviceThermometer::newLinkDropsTheHalfFrameOfTheOldOne()
{
    Bench bench;
    QSignalSpy measured(&bench.thermometer, &Thermometer::measured);
    bench.thermometer.receive(Hex("55AA0704"));
    bench.thermometer.portLost();
    bench.thermometer.portOpened(3, false);
    bench.thermometer.receive(Hex("6D0178"));
    QCOMPARE(measured.size(), 0);
    bench.thermometer.receive(Hex("55AA07046E0179"));
    QCOMPARE(Bench::Values(measured), QStringList{"36.6C"});
}

void TestDeviceThermometer::lostPortIsReopenedAndAskedForItsSettings()
{
    Bench bench;
    bench.thermometer.portOpened(7, true);
    bench.thermometer.receive(kProReport);
    // A command in flight when the port goes is gone with it.
    QVERIFY(bench.thermometer.sendCommand(SettingUnit, 1));
    bench.sent.clear();
    bench.portOpen = false;
    bench.thermometer.portLost();
    QVERIFY(!bench.thermometer.commandInFlight());
    QCOMPARE(bench.thermometer.state(), ConnectionState::Reconnecting);
    QVERIFY(!bench.thermometer.isPortOpen());
    bench.clock->advance(Reconnector::kIntervalMs);
    QCOMPARE(bench.thermometer.reconnectAttempts(), 1);
    bench.portOpen = true;
    bench.reopens = true;
    bench.clock->advance(Reconnector::kIntervalMs);
    QCOMPARE(bench.thermometer.state(), ConnectionState::Opening);
    QCOMPARE(bench.thermometer.portNumber(), 7);
    QVERIFY(!bench.thermometer.openedByOperator());
    QCOMPARE(bench.sent, QList<QByteArray>{kRequest});
    // Giving up stops the waiting.
    bench.thermometer.portClosed();
    QCOMPARE(bench.thermometer.state(), ConnectionState::Closed);
}

void TestDeviceThermometer::environmentAndReadingInTheThermometersUnit()
{
    Bench bench;
    QSignalSpy measured(&bench.thermometer, &Thermometer::measured);
    bench.thermometer.receive(BuildFrame(FrameCode::Settings, Hex("0101E303 02000001")));
    QVERIFY(!bench.thermometer.hasEnvironment());
    bench.thermometer.receive(BuildFrame(FrameCode::Environment, Hex("FD00"))); // 25.3
    QVERIFY(bench.thermometer.hasEnvironment());
    QCOMPARE(bench.thermometer.envTempF(), 25.3f);
    QCOMPARE(bench.thermometer.envTempC(), -3.7f);
    bench.thermometer.receive(Reading(977));
    const Measurement m = measured.at(0).at(0).value<Measurement>();
    QCOMPARE(m.unit, TempUnit::Fahrenheit);
    QCOMPARE(m.mode, WorkMode::Body);
    QCOMPARE(m.testValue, QStringLiteral("97.7F"));
    QCOMPARE(m.envTemp, QStringLiteral("25.3F"));
    QCOMPARE(m.readingC, 36.5f);
}

QTEST_MAIN(TestDeviceThermometer)
#include "tst_devicethermometer.moc"
