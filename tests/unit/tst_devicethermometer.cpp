// One thermometer on its own: byte streams in, what it says and what it holds out; frames it
// sends collected instead of written to a port.
#include "device/thermometer.h"
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

// A thermometer whose frames go to `sent`; the port reopens when `reopens` says so.
struct Bench {
    QList<QByteArray> sent;
    bool portOpen = true;
    bool reopens = false;
    Thermometer thermometer{{[this](const QByteArray &frame) {
                                 if (portOpen)
                                     sent.append(frame);
                                 return portOpen;
                             },
                             [this] {
                                 return reopens;
                             }}};
};

} // namespace

class TestDeviceThermometer : public QObject {
    Q_OBJECT

private slots:
    void framesByKind_data();
    void framesByKind();
    void reportSetsWhatTheThermometerHolds_data();
    void reportSetsWhatTheThermometerHolds();
    void refusedCommandChangesNothing_data();
    void refusedCommandChangesNothing();
    void commandTakesEffectWhenSentAndStaysWhenTaken();
    void failedCommandIsUndoneAndSettingsAskedAgain();
    void openingAsksAgainUntilTheReport();
    void operatorsConnectGivesUpAfterFiveSeconds();
    void newLinkDropsTheHalfFrameOfTheOldOne();
    void lostPortIsReopenedAndAskedForItsSettings();
    void environmentAndReadingInTheThermometersUnit();
};

void TestDeviceThermometer::framesByKind_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QList<int>>("measured"); // counts
    QTest::addColumn<int>("reports");
    QTest::addColumn<QList<int>>("acks"); // 1 success, 0 failure
    QTest::addColumn<int>("environments");
    QTest::addColumn<int>("tooShort");

    QTest::newRow("measurement") << Hex("55AA07046D0178") << QList<int>{365} << 0 << QList<int>{}
                                 << 0 << 0;
    QTest::newRow("measurement without its value")
        << Hex("55AA050408") << QList<int>{} << 0 << QList<int>{} << 0 << 1;
    QTest::newRow("measurement with one value byte")
        << Hex("55AA06046D76") << QList<int>{} << 0 << QList<int>{} << 0 << 1;
    QTest::newRow("empty measurement, then a good one")
        << Hex("55AA050408 55AA07046D0178") << QList<int>{365} << 0 << QList<int>{} << 0 << 1;
    QTest::newRow("settings request echoed by a loop-back adapter")
        << kRequest << QList<int>{} << 0 << QList<int>{} << 0 << 1;
    QTest::newRow("report of three bytes") << BuildFrame(FrameCode::Settings, Hex("000177"))
                                           << QList<int>{} << 0 << QList<int>{} << 0 << 1;
    QTest::newRow("R9 report") << kR9Report << QList<int>{} << 1 << QList<int>{} << 0 << 0;
    QTest::newRow("R9 Pro report") << kProReport << QList<int>{} << 1 << QList<int>{} << 0 << 0;
    QTest::newRow("environment query echoed")
        << Hex("55AA050307") << QList<int>{} << 0 << QList<int>{} << 0 << 1;
    QTest::newRow("environment") << Hex("55AA0703F500FE") << QList<int>{} << 0 << QList<int>{} << 1
                                 << 0;
    QTest::newRow("acknowledgements") << BuildFrame(FrameCode::SettingsSet, Hex("00")) +
                                             BuildFrame(FrameCode::SettingsSet, Hex("01"))
                                      << QList<int>{} << 0 << QList<int>{1, 0} << 0 << 0;
    QTest::newRow("acknowledgement without its result")
        << Hex("55AA050206") << QList<int>{} << 0 << QList<int>{} << 0 << 1;
}

void TestDeviceThermometer::framesByKind()
{
    QFETCH(QByteArray, stream);
    Bench bench;
    QSignalSpy measured(&bench.thermometer, &Thermometer::measured);
    QSignalSpy reports(&bench.thermometer, &Thermometer::reportApplied);
    QSignalSpy acks(&bench.thermometer, &Thermometer::acknowledged);
    QSignalSpy environments(&bench.thermometer, &Thermometer::environment);
    // Byte by byte, as a slow port delivers them.
    for (char byte : stream)
        bench.thermometer.receive(QByteArrayView(&byte, 1));

    QList<int> counts, results;
    for (const QList<QVariant> &args : measured)
        counts.append(args.at(0).toInt());
    for (const QList<QVariant> &args : acks)
        results.append(args.at(0).toBool() ? 1 : 0);
    QTEST(counts, "measured");
    QTEST(int(reports.size()), "reports");
    QTEST(results, "acks");
    QTEST(int(environments.size()), "environments");
    QTEST(int(bench.thermometer.shortFrames()), "tooShort");
}

void TestDeviceThermometer::reportSetsWhatTheThermometerHolds_data()
{
    QTest::addColumn<MachineType>("model");
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<TempUnit>("unit");
    QTest::addColumn<WorkMode>("mode");
    QTest::addColumn<float>("limitC");
    QTest::addColumn<float>("limitF");
    QTest::addColumn<bool>("hasPro");
    QTest::newRow("R9 Pro, Celsius") << MachineType::R9Pro << kProReport << TempUnit::Celsius
                                     << WorkMode::Body << 37.5f << 99.5f << true;
    QTest::newRow("R9 Pro, Fahrenheit 99.5")
        << MachineType::R9Pro << BuildFrame(FrameCode::Settings, Hex("0102E303 04010101"))
        << TempUnit::Fahrenheit << WorkMode::Count << 37.5f << 99.5f << true;
    QTest::newRow("R9") << MachineType::R9 << kR9Report << TempUnit::Celsius << WorkMode::Body
                        << 37.5f << 99.5f << false;
    QTest::newRow("R9 report, R9 Pro chosen")
        << MachineType::R9Pro << kR9Report << TempUnit::Celsius << WorkMode::Body << 37.5f << 99.5f
        << false;
}

void TestDeviceThermometer::reportSetsWhatTheThermometerHolds()
{
    QFETCH(MachineType, model);
    QFETCH(QByteArray, report);
    Bench bench;
    bench.thermometer.setModel(model);
    QSignalSpy reports(&bench.thermometer, &Thermometer::reportApplied);
    bench.thermometer.receive(report);
    QCOMPARE(reports.size(), 1);
    QTEST(reports.at(0).at(0).toBool(), "hasPro");
    QTEST(bench.thermometer.unit(), "unit");
    QTEST(bench.thermometer.mode(), "mode");
    QTEST(bench.thermometer.alarmLimitC(), "limitC");
    QTEST(bench.thermometer.alarmLimitF(), "limitF");
    QCOMPARE(bench.thermometer.report(), QString::fromLatin1(report.toHex().toUpper()));
}

void TestDeviceThermometer::refusedCommandChangesNothing_data()
{
    QTest::addColumn<MachineType>("model");
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<int>("reason");
    QTest::newRow("no report yet")
        << MachineType::R9Pro << QByteArray() << true << int(CommandRefusal::NoReport);
    QTest::newRow("R9 behind R9 Pro")
        << MachineType::R9Pro << kR9Report << true << int(CommandRefusal::ReportNotOfModel);
    QTest::newRow("port closed") << MachineType::R9Pro << kProReport << false
                                 << int(CommandRefusal::NotConnected);
}

void TestDeviceThermometer::refusedCommandChangesNothing()
{
    QFETCH(MachineType, model);
    QFETCH(QByteArray, report);
    QFETCH(bool, portOpen);
    Bench bench;
    bench.thermometer.setModel(model);
    bench.thermometer.receive(report);
    bench.portOpen = portOpen;
    const device::ThermometerSettings before = bench.thermometer.settings();
    QSignalSpy refused(&bench.thermometer, &Thermometer::commandRefused);

    for (const auto &[field, value] : {std::pair{SettingUnit, 1}, std::pair{SettingMode, 2}})
        QVERIFY(!bench.thermometer.sendCommand(field, value));

    QCOMPARE(refused.size(), 2);
    QTEST(int(refused.at(0).at(0).value<CommandRefusal>()), "reason");
    QVERIFY(bench.sent.isEmpty());
    QCOMPARE(bench.thermometer.unit(), before.unit);
    QCOMPARE(bench.thermometer.mode(), before.mode);
    QCOMPARE(bench.thermometer.report(), before.report);
}

void TestDeviceThermometer::commandTakesEffectWhenSentAndStaysWhenTaken()
{
    Bench bench;
    bench.thermometer.receive(kProReport);
    QVERIFY(bench.thermometer.sendCommand(SettingUnit, 1));
    QCOMPARE(bench.sent, QList<QByteArray>{Hex("55AA0D020101E30302000001F9")});
    QCOMPARE(bench.thermometer.unit(), TempUnit::Fahrenheit);
    bench.thermometer.receive(BuildFrame(FrameCode::SettingsSet, Hex("00")));
    QVERIFY(bench.thermometer.sendCommand(SettingMode, 2));
    QCOMPARE(bench.thermometer.mode(), WorkMode::Count);
    // Taken: a later failure goes back to here, not to the report.
    bench.thermometer.receive(BuildFrame(FrameCode::SettingsSet, Hex("00")));
    QVERIFY(bench.thermometer.sendCommand(SettingAlarmLimit, 0, QStringLiteral("100.4")));
    bench.thermometer.receive(BuildFrame(FrameCode::SettingsSet, Hex("01")));
    QCOMPARE(bench.thermometer.unit(), TempUnit::Fahrenheit);
    QCOMPARE(bench.thermometer.mode(), WorkMode::Count);
    QCOMPARE(bench.thermometer.alarmLimitF(), 99.5f);
}

// The thermometer kept its settings: the program does too, and asks for them to be sure.
void TestDeviceThermometer::failedCommandIsUndoneAndSettingsAskedAgain()
{
    Bench bench;
    bench.thermometer.receive(kProReport);
    QVERIFY(bench.thermometer.sendCommand(SettingUnit, 1));
    QVERIFY(bench.thermometer.sendCommand(SettingMode, 2));
    QSignalSpy acks(&bench.thermometer, &Thermometer::acknowledged);
    bench.sent.clear();

    bench.thermometer.receive(BuildFrame(FrameCode::SettingsSet, Hex("01")));
    QCOMPARE(acks.size(), 1);
    QCOMPARE(acks.at(0).at(0).toBool(), false);
    QCOMPARE(bench.thermometer.unit(), TempUnit::Celsius);
    QCOMPARE(bench.thermometer.mode(), WorkMode::Body);
    QCOMPARE(bench.thermometer.alarmLimitC(), 37.5f);
    QCOMPARE(bench.thermometer.report(), QString::fromLatin1(kProReport.toHex().toUpper()));
    QCOMPARE(bench.sent, QList<QByteArray>{kRequest});
}

void TestDeviceThermometer::openingAsksAgainUntilTheReport()
{
    Bench bench;
    QSignalSpy states(&bench.thermometer, &Thermometer::stateChanged);
    bench.thermometer.portOpened(3, false);
    QCOMPARE(bench.thermometer.state(), ConnectionState::Opening);
    QCOMPARE(bench.sent, QList<QByteArray>{kRequest});
    QTRY_COMPARE_WITH_TIMEOUT(bench.sent.size(), 3, 3 * Thermometer::kRequestRetryMs);
    QCOMPARE(bench.sent, (QList<QByteArray>{kRequest, kRequest, kRequest}));
    // A reopened port never gives up by itself.
    QCOMPARE(bench.thermometer.state(), ConnectionState::Opening);

    bench.thermometer.receive(kProReport);
    QCOMPARE(bench.thermometer.state(), ConnectionState::Connected);
    QTest::qWait(Thermometer::kRequestRetryMs + 200);
    QCOMPARE(bench.sent.size(), 3);
    QCOMPARE(states.size(), 2);
}

void TestDeviceThermometer::operatorsConnectGivesUpAfterFiveSeconds()
{
    Bench bench;
    QSignalSpy noAnswer(&bench.thermometer, &Thermometer::noAnswer);
    bench.thermometer.portOpened(4, true);
    QTest::qWait(Thermometer::kAnswerTimeoutMs - 300);
    QCOMPARE(noAnswer.size(), 0);
    QCOMPARE(bench.sent.size(), 3); // at 0, 2 and 4 s
    QTRY_COMPARE(noAnswer.size(), 1);
    QCOMPARE(bench.thermometer.state(), ConnectionState::Closed);
    QTest::qWait(Thermometer::kRequestRetryMs + 200);
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
    QCOMPARE(measured.size(), 1);
    QCOMPARE(measured.at(0).at(0).toInt(), 366);
}

void TestDeviceThermometer::lostPortIsReopenedAndAskedForItsSettings()
{
    Bench bench;
    bench.thermometer.portOpened(7, true);
    bench.thermometer.receive(kProReport);
    bench.sent.clear();
    bench.portOpen = false;
    bench.thermometer.portLost();
    QCOMPARE(bench.thermometer.state(), ConnectionState::Reconnecting);
    QVERIFY(!bench.thermometer.isPortOpen());
    QTRY_VERIFY_WITH_TIMEOUT(bench.thermometer.reconnectAttempts() >= 1,
                             2 * Thermometer::kRequestRetryMs);
    bench.portOpen = true;
    bench.reopens = true;
    QTRY_COMPARE_WITH_TIMEOUT(bench.thermometer.state(), ConnectionState::Opening,
                              2 * Thermometer::kRequestRetryMs);
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
    bench.thermometer.receive(BuildFrame(FrameCode::Settings, Hex("0101E303 02000001")));
    bench.thermometer.receive(BuildFrame(FrameCode::Environment, Hex("FD00"))); // 25.3
    QCOMPARE(bench.thermometer.envTempF(), 25.3f);
    QCOMPARE(bench.thermometer.envTempC(), -3.6f);
    const MeasurementSettings settings = bench.thermometer.measurementSettings(Language::Chinese);
    QCOMPARE(settings.tempUnit, TempUnit::Fahrenheit);
    QCOMPARE(settings.workMode, WorkMode::Body);
    QCOMPARE(settings.alarmLimitC, 37.5f);
    QCOMPARE(settings.language, Language::Chinese);
    const Measurement m = InterpretMeasurement(settings, 977);
    QCOMPARE(m.testValue, QStringLiteral("97.7F"));
    QCOMPARE(m.envTemp, QStringLiteral("25.3F"));
}

QTEST_MAIN(TestDeviceThermometer)
#include "tst_devicethermometer.moc"
