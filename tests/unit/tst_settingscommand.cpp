// Settings commands built from the stored report: the bytes sent, the text kept, the limits,
// and every reason a command is refused.
#include "device/settingscommand.h"

#include <QTest>

namespace {
const QString kProReport = QStringLiteral("55AA0D0100007701020000 0188").remove(u' ');
const QString kR9Report = QStringLiteral("55AA090100007701 81").remove(u' ');

QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// The request a row of the current table describes.
SettingsCommandRequest RequestOfRow()
{
    SettingsCommandRequest request;
    QFETCH(QString, report);
    request.report = report.remove(u' ');
    QFETCH(MachineType, machine);
    request.machineType = machine;
    QFETCH(int, field);
    request.field = SettingField(field);
    QFETCH(QString, alarmText);
    request.alarmText = alarmText;
    QFETCH(int, volumeIndex);
    request.volumeIndex = volumeIndex;
    return request;
}
} // namespace

class TestSettingsCommand : public QObject {
    Q_OBJECT

private slots:
    void composesCommands_data();
    void composesCommands();
    void secondCommandStartsFromTheFirst();
    void refusals_data();
    void refusals();
    void hexText_data();
    void hexText();
};

void TestSettingsCommand::composesCommands_data()
{
    QTest::addColumn<QString>("report");
    QTest::addColumn<MachineType>("machine");
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("alarmText");
    QTest::addColumn<int>("volumeIndex");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<float>("limitC");
    QTest::addColumn<float>("limitF");

    // The limit follows the unit: 99.5 °F = E3 03.
    QTest::newRow("Fahrenheit") << kProReport << MachineType::R9Pro << int(SettingUnit) << 1 << ""
                                << -1 << Hex("55AA0D020100E30302000001F8") << 37.5f << 99.5f;
    QTest::newRow("Celsius") << kProReport << MachineType::R9Pro << int(SettingUnit) << 0 << ""
                             << -1 << Hex("55AA0D02000077010200000189") << 37.5f << 99.5f;
    QTest::newRow("Body Mode") << kProReport << MachineType::R9Pro << int(SettingMode) << 1 << ""
                               << -1 << Hex("55AA0D0200017701020000018A") << 37.5f << 99.5f;
    QTest::newRow("Count Mode") << kProReport << MachineType::R9Pro << int(SettingMode) << 2 << ""
                                << -1 << Hex("55AA0D0200027701020000018B") << 37.5f << 99.5f;
    // An R9 command fills the 13-byte buffer: its 9-byte frame and four bytes 00.
    QTest::newRow("R9, alarm 38.0")
        << kR9Report << MachineType::R9 << int(SettingAlarmLimit) << 0 << "38.0" << 5
        << Hex("55AA090200007C0187 00000000") << 38.0f << 100.4f;
    QTest::newRow("R9, Fahrenheit") << kR9Report << MachineType::R9 << int(SettingUnit) << 1 << ""
                                    << -1 << Hex("55AA09020100E303F1 00000000") << 37.5f << 99.5f;
    QTest::newRow("alarm in Fahrenheit")
        << QStringLiteral("55AA0D010100E303020000 01F7") << MachineType::R9Pro
        << int(SettingAlarmLimit) << 0 << "96.8" << -1 << Hex("55AA0D020100C80302000001DD") << 36.0f
        << 96.8f;
    QTest::newRow("volume 100 %") << kProReport << MachineType::R9Pro << int(SettingVolume) << 0
                                  << "" << 4 << Hex("55AA0D0200007701040000018B") << 37.5f << 99.5f;
    QTest::newRow("backlight on") << kProReport << MachineType::R9Pro << int(SettingBacklight) << 1
                                  << "" << -1 << Hex("55AA0D0200007701020100018A") << 37.5f
                                  << 99.5f;
    QTest::newRow("pulse output") << kProReport << MachineType::R9Pro << int(SettingOutput) << 1
                                  << "" << -1 << Hex("55AA0D0200007701020001018A") << 37.5f
                                  << 99.5f;
    QTest::newRow("device language Chinese")
        << kProReport << MachineType::R9Pro << int(SettingLanguage) << 0 << "" << -1
        << Hex("55AA0D02000077010200000088") << 37.5f << 99.5f;
}

void TestSettingsCommand::composesCommands()
{
    QFETCH(QByteArray, frame);
    SettingsCommandRequest request = RequestOfRow();
    QFETCH(int, value);
    request.value = value;

    const SettingsCommand command = ComposeSettingsCommand(request);
    QCOMPARE(command.refusal, CommandRefusal::None);
    QCOMPARE(command.frame.toHex(' '), frame.toHex(' '));
    // The stored text is exactly the frame sent, without the R9's padding.
    const int length = request.machineType == MachineType::R9 ? 9 : 13;
    QCOMPARE(command.report, QString::fromLatin1(frame.first(length).toHex().toUpper()));
    QTEST(command.alarmLimitC, "limitC");
    QTEST(command.alarmLimitF, "limitF");
}

void TestSettingsCommand::secondCommandStartsFromTheFirst()
{
    SettingsCommandRequest request;
    request.report = kProReport;
    request.field = SettingUnit;
    request.value = 1;
    const SettingsCommand first = ComposeSettingsCommand(request);
    QCOMPARE(first.report, QStringLiteral("55AA0D020100E30302000001F8"));

    request.report = first.report;
    request.field = SettingMode;
    request.value = 2;
    const SettingsCommand second = ComposeSettingsCommand(request);
    QCOMPARE(second.frame, Hex("55AA0D020102E30302000001FA"));
}

void TestSettingsCommand::refusals_data()
{
    QTest::addColumn<QString>("report");
    QTest::addColumn<MachineType>("machine");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("alarmText");
    QTest::addColumn<int>("volumeIndex");
    QTest::addColumn<CommandRefusal>("refusal");
    QTest::newRow("no report") << "" << MachineType::R9Pro << int(SettingUnit) << "" << 0
                               << CommandRefusal::NoReport;
    QTest::newRow("not hex") << "55AA0D01000077010200000G88" << MachineType::R9Pro
                             << int(SettingUnit) << "" << 0 << CommandRefusal::UnrecognizedHex;
    QTest::newRow("lower case") << "55aa0d0100007701020000 0188" << MachineType::R9Pro
                                << int(SettingMode) << "" << 0 << CommandRefusal::UnrecognizedHex;
    QTest::newRow("half a byte") << "55AA0D010000770102000001880" << MachineType::R9Pro
                                 << int(SettingMode) << "" << 0 << CommandRefusal::UnrecognizedHex;
    QTest::newRow("R9 report, R9 Pro selected")
        << kR9Report << MachineType::R9Pro << int(SettingUnit) << "" << 0
        << CommandRefusal::ReportNotOfModel;
    QTest::newRow("R9 Pro report, R9 selected") << kProReport << MachineType::R9 << int(SettingMode)
                                                << "" << 0 << CommandRefusal::ReportNotOfModel;
    // Found by fuzz_settingscommand: the command was sent with 55 AA and a checksum over 54 AA.
    QTest::newRow("not starting with 55 AA")
        << "54AA0901000077018 0" << MachineType::R9 << int(SettingMode) << "" << 0
        << CommandRefusal::ReportNotOfModel;
    QTest::newRow("R9 length byte in an R9 Pro's text")
        << "55AA090100007701020000 0184" << MachineType::R9Pro << int(SettingUnit) << "" << 0
        << CommandRefusal::ReportNotOfModel;
    QTest::newRow("language on an R9") << kR9Report << MachineType::R9 << int(SettingLanguage) << ""
                                       << 0 << CommandRefusal::NotOnThisModel;
    QTest::newRow("volume on an R9") << kR9Report << MachineType::R9 << int(SettingVolume) << ""
                                     << 0 << CommandRefusal::NotOnThisModel;
    QTest::newRow("no volume chosen") << kProReport << MachineType::R9Pro << int(SettingVolume)
                                      << "" << -1 << CommandRefusal::BadValue;
    QTest::newRow("no alarm limit chosen")
        << kProReport << MachineType::R9Pro << int(SettingAlarmLimit) << "" << 0
        << CommandRefusal::BadValue;
    // Found while writing fuzz_settingscommand: "nan" passed the range check and was turned
    // into an integer (undefined behaviour).
    QTest::newRow("alarm entry nan") << kR9Report << MachineType::R9 << int(SettingAlarmLimit)
                                     << "nan" << 0 << CommandRefusal::BadValue;
    QTest::newRow("alarm entry above 6553.5")
        << kProReport << MachineType::R9Pro << int(SettingAlarmLimit) << "6553.6" << 0
        << CommandRefusal::BadValue;
}

// A refused command leaves nothing to send and no text to keep.
void TestSettingsCommand::refusals()
{
    const SettingsCommand command = ComposeSettingsCommand(RequestOfRow());
    QTEST(command.refusal, "refusal");
    QVERIFY(command.frame.isEmpty());
    QVERIFY(command.report.isEmpty());
}

void TestSettingsCommand::hexText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("pieces");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("checksum"); // "-": none
    QTest::newRow("sync and length")
        << "55AA0D" << QStringList{"55", "AA", "0D"} << 0x55AA0D << "0C";
    QTest::newRow("one byte") << "7C" << QStringList{"7C"} << 0x7C << "7C";
    QTest::newRow("empty") << "" << QStringList{} << 0 << "00";
    QTest::newRow("odd length") << "55A" << QStringList{"55", "A"} << 0x55A << "F5";
    QTest::newRow("not a digit") << "5G" << QStringList{"5G"} << 0 << "-";
    QTest::newRow("lower case") << "aa" << QStringList{"aa"} << 0 << "-";
}

void TestSettingsCommand::hexText()
{
    QFETCH(QString, text);
    QTEST(SplitHexPairs(text), "pieces");
    QTEST(HexPairValue(text), "value");
    QTEST(HexTextChecksum(text).value_or(QStringLiteral("-")), "checksum");
}

QTEST_GUILESS_MAIN(TestSettingsCommand)
#include "tst_settingscommand.moc"
