// The simulated thermometer: its reports, its answers to the host's frames, the settings
// commands it applies, and the command lines typed into the simulator.
#include "kestrim-sim/simcommand.h"
#include "kestrim-sim/thermometer.h"

#include "reception/framecodec.h"
#include "reception/payloadreader.h"

#include <QTest>

Q_DECLARE_METATYPE(ThermometerState)
Q_DECLARE_METATYPE(WorkMode)
Q_DECLARE_METATYPE(SimCommand::Kind)

namespace {

QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(text);
}

constexpr ThermometerState kR9Pro{
    .model = MachineType::R9Pro, .unit = TempUnit::Celsius, .mode = WorkMode::Surface};
constexpr ThermometerState kR9{
    .model = MachineType::R9, .unit = TempUnit::Celsius, .mode = WorkMode::Surface};

// Feeds the host's bytes through a codec, as the simulator does, and collects the answers.
QByteArray Converse(Thermometer &thermometer, const QByteArray &received)
{
    FrameCodec codec;
    QByteArray answers;
    for (const Frame &frame : codec.feed(received)) {
        for (const QByteArray &answer : thermometer.answer(frame))
            answers += answer;
    }
    return answers;
}

quint16 MeasuredValue(const QByteArray &frame)
{
    FrameCodec codec;
    const QList<Frame> frames = codec.feed(frame);
    if (frames.size() != 1 || frames[0].code != quint8(FrameCode::Measurement))
        return 0xFFFF;
    return PayloadReader(frames[0].payload).word();
}

} // namespace

class TestThermometer : public QObject {
    Q_OBJECT

private slots:
    void reportsItsSettings_data();
    void reportsItsSettings();
    void answersTheHost_data();
    void answersTheHost();
    void readsCommandLines_data();
    void readsCommandLines();
    void takesReadingsOnItsOwn();
};

void TestThermometer::reportsItsSettings_data()
{
    QTest::addColumn<ThermometerState>("state");
    QTest::addColumn<QByteArray>("report");

    QTest::newRow("R9 Pro, Celsius, surface, 37.5") << kR9Pro << Hex("55AA0D01000077010200000188");
    QTest::newRow("R9, Celsius, surface, 37.5") << kR9 << Hex("55AA09010000770181");
    ThermometerState r9f = kR9;
    r9f.unit = TempUnit::Fahrenheit;
    r9f.mode = WorkMode::Body;
    r9f.alarmLimit = 995;
    QTest::newRow("R9, Fahrenheit, body, 99.5") << r9f << Hex("55AA09010101E303F1");
    ThermometerState pro = kR9Pro;
    pro.unit = TempUnit::Fahrenheit;
    pro.mode = WorkMode::Count;
    pro.alarmLimit = 1022;
    pro.volume = 4;
    pro.backlight = 1;
    pro.output = 1;
    pro.language = 0;
    QTest::newRow("R9 Pro, Fahrenheit, count, 102.2, every extra changed")
        << pro << Hex("55AA0D010102FE030401010017");
}

void TestThermometer::reportsItsSettings()
{
    QFETCH(ThermometerState, state);
    QFETCH(QByteArray, report);
    Thermometer thermometer(state);
    QCOMPARE(thermometer.settingsReport().toHex(' '), report.toHex(' '));
    QVERIFY(!thermometer.hostListening());
    QCOMPARE(Converse(thermometer, SettingsRequestFrame()).toHex(' '), report.toHex(' '));
    QVERIFY(thermometer.hostListening());
}

void TestThermometer::answersTheHost_data()
{
    QTest::addColumn<ThermometerState>("before");
    QTest::addColumn<bool>("refuse");
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<QByteArray>("answers");
    QTest::addColumn<ThermometerState>("after");

    const QByteArray accepted = Hex("55AA06020007");
    const QByteArray refused = Hex("55AA06020108");
    const QByteArray toFahrenheit = Hex("55AA0D020100E30302000001F8");

    QTest::newRow("environment query, Celsius")
        << kR9Pro << false << EnvironmentQueryFrame() << Hex("55AA0703F500FE") << kR9Pro;

    ThermometerState fahrenheit = kR9Pro;
    fahrenheit.unit = TempUnit::Fahrenheit;
    fahrenheit.alarmLimit = 995;
    fahrenheit.environment = 761;
    QTest::newRow("environment query, Fahrenheit")
        << fahrenheit << false << EnvironmentQueryFrame() << Hex("55AA0703F90204") << fahrenheit;
    QTest::newRow("unit command, then the environment in the new unit")
        << kR9Pro << false << toFahrenheit + EnvironmentQueryFrame()
        << accepted + Hex("55AA0703F90204") << fahrenheit;

    ThermometerState extras = kR9Pro;
    extras.mode = WorkMode::Count;
    extras.volume = 4;
    extras.backlight = 1;
    extras.output = 1;
    extras.language = 0;
    QTest::newRow("R9 Pro command sets mode, volume, backlight, output, language")
        << kR9Pro << false << Hex("55AA0D0200027701040101008E") << accepted << extras;

    ThermometerState r9at38 = kR9;
    r9at38.alarmLimit = 380;
    QTest::newRow("R9 host's buffer: 9-byte command and four zero bytes")
        << kR9 << false << Hex("55AA09020000 7C0187 00000000") << accepted << r9at38;
    ThermometerState proAt38 = kR9Pro;
    proAt38.alarmLimit = 380;
    QTest::newRow("9-byte command leaves the R9 Pro fields alone")
        << kR9Pro << false << Hex("55AA09020000 7C0187") << accepted << proAt38;

    QTest::newRow("refused with --ack-fail, nothing applied")
        << kR9Pro << true << toFahrenheit << refused << kR9Pro;
    QTest::newRow("mode out of range refused")
        << kR9 << false << Hex("55AA09020003770185") << refused << kR9;
    QTest::newRow("volume out of range refused")
        << kR9Pro << false << Hex("55AA0D0200007701050000018C") << refused << kR9Pro;
    QTest::newRow("command without a limit refused")
        << kR9Pro << false << BuildFrame(FrameCode::SettingsSet, Hex("0100")) << refused << kR9Pro;
    QTest::newRow("a measurement from the host is ignored")
        << kR9Pro << false << Hex("55AA07046D0178") << QByteArray() << kR9Pro;
}

void TestThermometer::answersTheHost()
{
    QFETCH(ThermometerState, before);
    QFETCH(bool, refuse);
    QFETCH(QByteArray, received);
    QFETCH(QByteArray, answers);
    QFETCH(ThermometerState, after);

    Thermometer thermometer(before, refuse);
    QCOMPARE(Converse(thermometer, received).toHex(' '), answers.toHex(' '));
    QCOMPARE(thermometer.settingsReport().toHex(' '),
             Thermometer(after).settingsReport().toHex(' '));
    QVERIFY(thermometer.state() == after);
}

void TestThermometer::readsCommandLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<WorkMode>("mode");
    QTest::addColumn<SimCommand::Kind>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("tenths");

    using Kind = SimCommand::Kind;
    const QByteArray m365 = Hex("55AA07046D0178");
    QTest::newRow("reading in Celsius") << "36.5" << WorkMode::Body << Kind::Send << m365 << 0;
    QTest::newRow("reading with spaces")
        << "  36.5 " << WorkMode::Surface << Kind::Send << m365 << 0;
    QTest::newRow("reading in Fahrenheit")
        << "97.7" << WorkMode::Body << Kind::Send << Hex("55AA0704D103DE") << 0;
    QTest::newRow("count") << "12" << WorkMode::Count << Kind::Send << Hex("55AA07040C0016") << 0;
    QTest::newRow("raw, spaced") << "raw 55 AA 07 04 6D 01 78" << WorkMode::Body << Kind::Send
                                 << m365 << 0;
    QTest::newRow("raw, packed") << "RAW 55aa07046d0178" << WorkMode::Count << Kind::Send << m365
                                 << 0;
    QTest::newRow("raw, not a frame")
        << "raw 00 ff" << WorkMode::Body << Kind::Send << Hex("00FF") << 0;
    QTest::newRow("environment") << "env 22.5" << WorkMode::Body << Kind::SetEnvironment
                                 << QByteArray() << 225;
    QTest::newRow("empty line") << "   " << WorkMode::Body << Kind::Nothing << QByteArray() << 0;
    QTest::newRow("quit") << " Quit " << WorkMode::Body << Kind::Quit << QByteArray() << 0;

    for (const auto &[line, mode] : {std::pair{"12.5", WorkMode::Count},
                                     {"-1", WorkMode::Body},
                                     {"6553.6", WorkMode::Body},
                                     {"65536", WorkMode::Count},
                                     {"36.5abc", WorkMode::Body},
                                     {"raw", WorkMode::Body},
                                     {"raw 55 A", WorkMode::Body},
                                     {"raw 55 AG", WorkMode::Body},
                                     {"env", WorkMode::Body},
                                     {"env warm", WorkMode::Body},
                                     {"hello", WorkMode::Body},
                                     {"quit now", WorkMode::Body}}) {
        QTest::addRow("bad: %s", line)
            << QString::fromLatin1(line) << mode << Kind::Invalid << QByteArray() << 0;
    }
}

void TestThermometer::readsCommandLines()
{
    QFETCH(QString, line);
    QFETCH(WorkMode, mode);
    QFETCH(SimCommand::Kind, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(int, tenths);

    const SimCommand command = SimCommand::Parse(line, mode);
    QCOMPARE(command.kind, kind);
    QCOMPARE(command.bytes.toHex(' '), bytes.toHex(' '));
    QCOMPARE(int(command.tenths), tenths);
    QCOMPARE(command.complaint.isEmpty(), kind != SimCommand::Kind::Invalid);
}

void TestThermometer::takesReadingsOnItsOwn()
{
    ThermometerState counting = kR9;
    counting.mode = WorkMode::Count;
    Thermometer counter(counting);
    for (quint16 expected = 1; expected <= 3; ++expected)
        QCOMPARE(MeasuredValue(counter.nextReading()), expected);

    Thermometer celsius(kR9Pro);
    ThermometerState fahrenheitState = kR9Pro;
    fahrenheitState.unit = TempUnit::Fahrenheit;
    Thermometer fahrenheit(fahrenheitState);
    for (int i = 0; i < 50; ++i) {
        const quint16 c = MeasuredValue(celsius.nextReading());
        QVERIFY2(c >= 362 && c <= 372, qPrintable(QString::number(c)));
        const quint16 f = MeasuredValue(fahrenheit.nextReading());
        QVERIFY2(f >= 972 && f <= 990, qPrintable(QString::number(f)));
    }
}

QTEST_GUILESS_MAIN(TestThermometer)
#include "tst_thermometer.moc"
