// The serial port wrapper against the simulator over a real pseudo-terminal: the port opens
// through the Ports/ link, frames cross both ways, and the simulator going away closes the port.
#include "device/cmscomm.h"
#include "reception/frame.h"
#include "reception/framecodec.h"
#include "simprocess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr int kTimeoutMs = 10000;
const QString kSettings = QStringLiteral("115200,N,8,1");

QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// The frames a port has delivered, cut by the same codec the program uses.
class FrameCollector {
public:
    explicit FrameCollector(CMscomm &port)
    {
        QObject::connect(&port, &CMscomm::received, &m_context, [this](const QByteArray &bytes) {
            for (const Frame &frame : m_codec.feed(bytes))
                m_frames.append(frame.bytes);
        });
    }
    const QList<QByteArray> &frames() const { return m_frames; }

private:
    QObject m_context;
    FrameCodec m_codec;
    QList<QByteArray> m_frames;
};

} // namespace

class TestSerialSim : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void talksThroughThePortLink();
    void readingsOnlyOnceAHostListens();
    void hangUpClosesThePortOnce();
    void rejectsInvalidOptions_data();
    void rejectsInvalidOptions();

private:
    QString linkPath() const { return m_folder->filePath(QStringLiteral("Ports/com3")); }

    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_previousFolder;
};

// Each test runs in a fresh working folder, where the port map looks for Ports/.
void TestSerialSim::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    m_previousFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_folder->path()));
}

void TestSerialSim::cleanup()
{
    QDir::setCurrent(m_previousFolder);
    m_folder.reset();
}

void TestSerialSim::talksThroughThePortLink()
{
    // A simulator that was killed leaves its link behind; the next one replaces it.
    QVERIFY(QDir().mkpath(QStringLiteral("Ports")));
    if (SimProcess::UsesPipe()) {
        QFile stale(linkPath());
        QVERIFY(stale.open(QIODevice::WriteOnly) && stale.write("pipe:gone\r\n") > 0);
    } else {
        QVERIFY(QFile::link(QStringLiteral("/dev/pts/nonexistent"), linkPath()));
    }

    SimProcess sim;
    const QString pty = sim.start({QStringLiteral("--link"), linkPath()});
    QVERIFY2(!pty.isEmpty(), qPrintable(sim.stderrLines().join(u'\n')));
    QCOMPARE(SimProcess::EntryTarget(linkPath()), pty);

    CMscomm port;
    FrameCollector collector(port);
    QVERIFY2(port.open(3, kSettings), qPrintable(port.errorString()));

    const QByteArray report = Hex("55AA0D01000177010200000189"); // R9 Pro, Celsius, body, 37.5
    const QByteArray m365 = Hex("55AA07046D0178");
    QVERIFY(port.write(SettingsRequestFrame()));
    QTRY_COMPARE_WITH_TIMEOUT(collector.frames().size(), 1, kTimeoutMs);
    QCOMPARE(collector.frames(), QList<QByteArray>{report});
    QTRY_VERIFY_WITH_TIMEOUT(sim.stderrLines().contains(QStringLiteral("rx 55 AA 05 01 05")),
                             kTimeoutMs);

    QVERIFY(sim.send(QStringLiteral("36.5")));
    QTRY_COMPARE_WITH_TIMEOUT(collector.frames().size(), 2, kTimeoutMs);
    QCOMPARE(collector.frames(), (QList<QByteArray>{report, m365}));
    // The simulator logs a frame after writing it, so its log may trail the port.
    QTRY_COMPARE_WITH_TIMEOUT(sim.sentFrames(), (QList<QByteArray>{report, m365}), kTimeoutMs);

    QVERIFY(sim.stop());
    QVERIFY(!SimProcess::EntryExists(linkPath()));
}

void TestSerialSim::readingsOnlyOnceAHostListens()
{
    SimProcess sim;
    const QStringList arguments = {QStringLiteral("--link"),  linkPath(),
                                   QStringLiteral("--mode"),  QStringLiteral("count"),
                                   QStringLiteral("--every"), QStringLiteral("0.05")};
    QVERIFY2(!sim.start(arguments).isEmpty(), qPrintable(sim.stderrLines().join(u'\n')));
    CMscomm port;
    FrameCollector collector(port);
    QVERIFY2(port.open(3, kSettings), qPrintable(port.errorString()));
    // Several periods pass with the port open but no request: nothing may be sent.
    QTest::qWait(300);
    QVERIFY(sim.sentFrames().isEmpty());
    QVERIFY(collector.frames().isEmpty());

    QVERIFY(port.write(SettingsRequestFrame()));
    QTRY_VERIFY_WITH_TIMEOUT(collector.frames().size() >= 3, kTimeoutMs);
    // The report first, then the counts from 1.
    QCOMPARE(collector.frames().mid(0, 3),
             (QList<QByteArray>{Hex("55AA0D0100027701020000018A"), Hex("55AA070401000B"),
                                Hex("55AA070402000C")}));
}

void TestSerialSim::hangUpClosesThePortOnce()
{
    SimProcess sim;
    QVERIFY2(!sim.start({QStringLiteral("--link"), linkPath()}).isEmpty(),
             qPrintable(sim.stderrLines().join(u'\n')));
    CMscomm port;
    FrameCollector collector(port);
    QVERIFY2(port.open(3, kSettings), qPrintable(port.errorString()));
    QVERIFY(port.write(SettingsRequestFrame()));
    QTRY_COMPARE_WITH_TIMEOUT(collector.frames().size(), 1, kTimeoutMs);

    QSignalSpy lost(&port, &CMscomm::connectionLost);
    QVERIFY(sim.stop());
    QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, kTimeoutMs);
    // A hung-up port repeats its error for as long as it stays open; give it the chance.
    QTest::qWait(200);
    QCOMPARE(lost.count(), 1);
    QVERIFY(!port.isOpen());
    QVERIFY(!SimProcess::EntryExists(linkPath()));
}

void TestSerialSim::rejectsInvalidOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("named");

    QTest::newRow("model") << QStringList{"--model", "r10"} << "--model";
    QTest::newRow("unit") << QStringList{"--unit", "k"} << "--unit";
    QTest::newRow("mode") << QStringList{"--mode", "walk"} << "--mode";
    QTest::newRow("limit") << QStringList{"--limit", "warm"} << "--limit";
    QTest::newRow("negative env") << QStringList{"--env", "-3"} << "--env";
    QTest::newRow("volume") << QStringList{"--volume", "5"} << "--volume";
    QTest::newRow("backlight") << QStringList{"--backlight", "2"} << "--backlight";
    QTest::newRow("every") << QStringList{"--every", "0"} << "--every";
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << "frobnicate";
    QTest::newRow("argument") << QStringList{"/dev/ttyUSB0"} << "/dev/ttyUSB0";
}

void TestSerialSim::rejectsInvalidOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, named);
    SimProcess sim;
    QVERIFY(sim.start(arguments).isEmpty());
    QVERIFY(!sim.isRunning());
    QCOMPARE(sim.exitCode(), 2);
    QCOMPARE(sim.stderrLines().size(), 1);
    QVERIFY2(sim.stderrLines().constFirst().contains(named),
             qPrintable(sim.stderrLines().constFirst()));
}

QTEST_GUILESS_MAIN(TestSerialSim)
#include "tst_serial_sim.moc"
