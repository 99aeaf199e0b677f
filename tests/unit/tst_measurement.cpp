// What a measurement means in each work mode, and the settings report with its alarm list.
#include "reception/measurement.h"
#include "reception/settingsreport.h"

#include <QTest>

class TestMeasurement : public QObject {
    Q_OBJECT

private slots:
    void interpretsMeasurements_data();
    void interpretsMeasurements();
    void unknownModeKeepsTheReading();
    void readsSettingsReports();
    void alarmChoicesAfterAReport_data();
    void alarmChoicesAfterAReport();
    void steppedAlarmEntries();
};

void TestMeasurement::interpretsMeasurements_data()
{
    QTest::addColumn<WorkMode>("mode");
    QTest::addColumn<TempUnit>("unit");
    QTest::addColumn<Language>("language");
    QTest::addColumn<int>("value");
    QTest::addColumn<float>("readingC");
    QTest::addColumn<float>("readingF");
    QTest::addColumn<QString>("testValue");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<QString>("sentence");
    QTest::addColumn<QString>("speechLanguage");

    const int normal = int(Verdict::Normal), abnormal = int(Verdict::Abnormal),
              none = int(Verdict::None);
    QTest::newRow("body, normal") << WorkMode::Body << TempUnit::Celsius << Language::English << 365
                                  << 36.5f << 97.7f << "36.5C" << normal << "Normal Temperature"
                                  << "language=409";
    QTest::newRow("body, at the limit is abnormal")
        << WorkMode::Body << TempUnit::Celsius << Language::English << 375 << 37.5f << 99.5f
        << "37.5C" << abnormal << "Abnormal Temperature"
        << "language=409";
    QTest::newRow("body, Chinese") << WorkMode::Body << TempUnit::Celsius << Language::Chinese
                                   << 375 << 37.5f << 99.5f << "37.5C" << abnormal << "温度异常"
                                   << "language=804";
    QTest::newRow("body, Fahrenheit judged in Celsius")
        << WorkMode::Body << TempUnit::Fahrenheit << Language::English << 977 << 36.5f << 97.7f
        << "97.7F" << normal << "Normal Temperature"
        << "language=409";
    QTest::newRow("count") << WorkMode::Count << TempUnit::Celsius << Language::Chinese << 12
                           << 0.0f << 0.0f << "12" << none << "12"
                           << "language=804";
    QTest::newRow("surface, Celsius")
        << WorkMode::Surface << TempUnit::Celsius << Language::English << 365 << 36.5f << 97.7f
        << "36.5C" << none << "36.5degrees celsius"
        << "language=409";
    QTest::newRow("surface is announced in English, also in Chinese")
        << WorkMode::Surface << TempUnit::Celsius << Language::Chinese << 365 << 36.5f << 97.7f
        << "36.5C" << none << "36.5degrees celsius"
        << "language=409";
    QTest::newRow("surface, Fahrenheit")
        << WorkMode::Surface << TempUnit::Fahrenheit << Language::English << 977 << 36.5f << 97.7f
        << "97.7F" << none << "97.7degrees Fahrenheit"
        << "language=409";
    QTest::newRow("largest value")
        << WorkMode::Surface << TempUnit::Celsius << Language::English << 65535 << 6553.5f
        << 11828.3f << "6553.5C" << none << "6553.5degrees celsius"
        << "language=409";
}

void TestMeasurement::interpretsMeasurements()
{
    QFETCH(WorkMode, mode);
    QFETCH(TempUnit, unit);
    QFETCH(Language, language);
    QFETCH(int, value);
    MeasurementSettings settings;
    settings.workMode = mode;
    settings.tempUnit = unit;
    settings.envTempC = 24.5f;
    settings.envTempF = 76.1f;

    const Measurement m = InterpretMeasurement(settings, quint16(value));
    QTEST(m.readingC, "readingC");
    QTEST(m.readingF, "readingF");
    QTEST(m.testValue, "testValue");
    QTEST(int(m.verdict), "verdict");
    const Announcement said = AnnouncementOf(m, language);
    QTEST(said.sentence, "sentence");
    QTEST(said.speechLanguage, "speechLanguage");
    QCOMPARE(said.urgent, m.verdict == Verdict::Abnormal);
    QCOMPARE(m.envTemp,
             unit == TempUnit::Celsius ? QStringLiteral("24.5C") : QStringLiteral("76.1F"));
}

void TestMeasurement::unknownModeKeepsTheReading()
{
    MeasurementSettings settings;
    settings.workMode = WorkMode(7);
    settings.readingC = 36.6f;
    settings.readingF = 97.9f;
    const Measurement m = InterpretMeasurement(settings, 400);
    QCOMPARE(m.readingC, 36.6f);
    QCOMPARE(m.readingF, 97.9f);
    QVERIFY(m.testValue.isEmpty());
    QVERIFY(AnnouncementOf(m, Language::English).sentence.isEmpty());
    QCOMPARE(m.envTemp, QStringLiteral("0.0C"));
}

void TestMeasurement::readsSettingsReports()
{
    const SettingsReport pro = ParseSettingsReport(QByteArray::fromHex("0101E3030401010D"));
    QCOMPARE(pro.tempUnit, TempUnit::Fahrenheit);
    QCOMPARE(pro.workMode, WorkMode::Body);
    QCOMPARE(pro.alarmLimit, quint16(995));
    QCOMPARE(pro.volume, 4);
    QCOMPARE(pro.backlight, 1);
    QCOMPARE(pro.output, 1);

    const SettingsReport truncated = ParseSettingsReport(QByteArray::fromHex("0102"));
    QCOMPARE(truncated.workMode, WorkMode::Count);
    QCOMPARE(truncated.alarmLimit, quint16(0));
    QCOMPARE(truncated.volume, 0);
}

// The list after a report, or after the operator changes the unit.
void TestMeasurement::alarmChoicesAfterAReport_data()
{
    QTest::addColumn<bool>("unitButton"); // false: after a settings report
    QTest::addColumn<MachineType>("machine");
    QTest::addColumn<TempUnit>("unit");
    QTest::addColumn<float>("limitC");
    QTest::addColumn<float>("limitF");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("selected");
    QTest::newRow("R9, Celsius") << false << MachineType::R9 << TempUnit::Celsius << 37.5f << 99.5f
                                 << 11 << "37.0"
                                 << "38.0"
                                 << "37.5";
    QTest::newRow("R9 Pro, Celsius")
        << false << MachineType::R9Pro << TempUnit::Celsius << 38.2f << 100.8f << 30 << "36.0"
        << "38.9"
        << "38.2";
    QTest::newRow("R9 Pro, Fahrenheit")
        << false << MachineType::R9Pro << TempUnit::Fahrenheit << 37.5f << 99.5f << 30 << "96.8"
        << "102.0"
        << "99.5";
    QTest::newRow("R9, Fahrenheit")
        << false << MachineType::R9 << TempUnit::Fahrenheit << 37.5f << 99.5f << 11 << "98.6"
        << "100.4"
        << "99.5";
    QTest::newRow("limit not offered")
        << false << MachineType::R9Pro << TempUnit::Celsius << 0.0f << 32.0f << 30 << "36.0"
        << "38.9"
        << "";
    // A Celsius entry is chosen by the Celsius limit alone, a Fahrenheit one by the Fahrenheit.
    QTest::newRow("unit button, Celsius")
        << true << MachineType::R9Pro << TempUnit::Celsius << 37.5f << 38.2f << 30 << "36.0"
        << "38.9"
        << "37.5";
    QTest::newRow("unit button, Fahrenheit")
        << true << MachineType::R9Pro << TempUnit::Fahrenheit << 38.0f << 99.5f << 30 << "96.8"
        << "102.0"
        << "99.5";
    QTest::newRow("unit button, R9, Celsius")
        << true << MachineType::R9 << TempUnit::Celsius << 38.0f << 100.4f << 11 << "37.0"
        << "38.0"
        << "38.0";
}

void TestMeasurement::alarmChoicesAfterAReport()
{
    QFETCH(bool, unitButton);
    QFETCH(MachineType, machine);
    QFETCH(TempUnit, unit);
    QFETCH(float, limitC);
    QFETCH(float, limitF);
    const AlarmChoices choices = unitButton ? UnitAlarmChoices(machine, unit, limitC, limitF)
                                            : ReportAlarmChoices(machine, unit, limitC, limitF);
    QTEST(int(choices.entries.size()), "count");
    QTEST(choices.entries.first(), "first");
    QTEST(choices.entries.last(), "last");
    QTEST(choices.entries.value(choices.selected), "selected");
}

void TestMeasurement::steppedAlarmEntries()
{
    const QStringList pro = SteppedAlarmEntries(36.0f, 39.0f);
    QCOMPARE(pro.size(), 31);
    QCOMPARE(pro.first(), QStringLiteral("36.0"));
    QCOMPARE(pro[15], QStringLiteral("37.5"));
    QCOMPARE(pro.last(), QStringLiteral("39.0"));
    const QStringList r9 = SteppedAlarmEntries(37.0f, 38.0f);
    QCOMPARE(r9.size(), 11);
    QCOMPARE(r9.last(), QStringLiteral("38.0"));
}

QTEST_GUILESS_MAIN(TestMeasurement)
#include "tst_measurement.moc"
