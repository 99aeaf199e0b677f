// Which device stands behind COMn, and the serial settings text.
#include "device/portmap.h"
#include "device/serialsettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestPortMap : public QObject {
    Q_OBJECT

private slots:
    void defaultDevices_data();
    void defaultDevices();
    void linkInPortsFolderWins();
    void textInPortsFolderNamesTheDevice_data();
    void textInPortsFolderNamesTheDevice();
    void onlyListedPortsAreProbed();
    void parsesSettings_data();
    void parsesSettings();
};

void TestPortMap::defaultDevices_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("device");
#ifdef Q_OS_WIN
    QTest::newRow("COM1") << 1 << "\\\\.\\COM1";
    QTest::newRow("COM20") << 20 << "\\\\.\\COM20";
#else
    QTest::newRow("COM1") << 1 << "/dev/ttyUSB0";
    QTest::newRow("COM10") << 10 << "/dev/ttyUSB9";
    QTest::newRow("COM11") << 11 << "/dev/ttyACM0";
    QTest::newRow("COM20") << 20 << "/dev/ttyACM9";
    QTest::newRow("COM0") << 0 << "";
    QTest::newRow("COM21") << 21 << "";
#endif
}

void TestPortMap::defaultDevices()
{
    QFETCH(int, port);
    QFETCH(QString, device);
    QTemporaryDir empty;
    const PortMap map{QDir(empty.path())};
    QCOMPARE(map.device(port), device);
    QCOMPARE(PortMap::PortName(3), QStringLiteral("COM3"));
}

void TestPortMap::linkInPortsFolderWins()
{
#ifdef Q_OS_WIN
    QSKIP("Ports/ links are a Unix feature; Windows uses the text form");
#else
    QTemporaryDir base;
    QVERIFY(QDir(base.path()).mkpath(QStringLiteral("Ports")));
    const QString link = base.filePath(QStringLiteral("Ports/com3"));
    QVERIFY(QFile::link(QStringLiteral("/dev/null"), link));
    const QString dangling = base.filePath(QStringLiteral("Ports/com4"));
    QVERIFY(QFile::link(base.filePath(QStringLiteral("gone")), dangling));

    const PortMap map{QDir(base.path())};
    QCOMPARE(map.device(3), link);
    QCOMPARE(map.describe(3), QStringLiteral("Ports/com3 → /dev/null"));
    // A link whose device has gone still names the port, so opening it says what is wrong.
    QCOMPARE(map.device(4), dangling);
    QCOMPARE(map.device(5), QStringLiteral("/dev/ttyUSB4"));
    QCOMPARE(map.describe(5), QStringLiteral("/dev/ttyUSB4"));
#endif
}

// Ports/comN as a text file, on every system: a Windows port number above 20, a device path,
// a local socket. A byte-order mark and the line end are not part of the name.
void TestPortMap::textInPortsFolderNamesTheDevice_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("shown");
#ifdef Q_OS_WIN
    const QString com37 = QStringLiteral("\\\\.\\COM37");
#else
    const QString com37 = QStringLiteral("COM37");
#endif
    QTest::newRow("Windows port") << QByteArray("COM37\r\n") << com37 << "COM37";
    QTest::newRow("lower case, Notepad's BOM") << QByteArray("\xEF\xBB\xBF"
                                                             "com37\r\n")
#ifdef Q_OS_WIN
                                               << com37
#else
                                               << "com37"
#endif
                                               << "com37";
    QTest::newRow("device path") << QByteArray("/dev/serial/by-id/usb-Prolific-port0\n")
                                 << "/dev/serial/by-id/usb-Prolific-port0"
                                 << "/dev/serial/by-id/usb-Prolific-port0";
    QTest::newRow("local socket") << QByteArray("pipe:kestrim-sim-4711") << "pipe:kestrim-sim-4711"
                                  << "pipe:kestrim-sim-4711";
    QTest::newRow("only the first line") << QByteArray("COM5\nCOM6\n")
#ifdef Q_OS_WIN
                                         << "\\\\.\\COM5"
#else
                                         << "COM5"
#endif
                                         << "COM5";
    QTest::newRow("empty") << QByteArray() << ""
                           << "?";
}

void TestPortMap::textInPortsFolderNamesTheDevice()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, device);
    QFETCH(QString, shown);
    QTemporaryDir base;
    QVERIFY(QDir(base.path()).mkpath(QStringLiteral("Ports")));
    QFile entry(base.filePath(QStringLiteral("Ports/com21")));
    QVERIFY(entry.open(QIODevice::WriteOnly));
    entry.write(text);
    entry.close();

    const PortMap map{QDir(base.path())};
    QCOMPARE(map.device(21), device);
    QCOMPARE(map.describe(21), QDir::toNativeSeparators(QStringLiteral("Ports/com21")) +
                                   QStringLiteral(" → ") + shown);
    QCOMPARE(PortMap::IsPipe(device), text.startsWith("pipe:"));
    // Named in Ports/, it is probed whatever the system lists.
    QVERIFY(map.isListed(21, {}));
}

// Without a Ports/ entry a port is probed only when the system lists its device.
void TestPortMap::onlyListedPortsAreProbed()
{
    QTemporaryDir empty;
    const PortMap map{QDir(empty.path())};
    const QStringList listed = {PortMap::DefaultDevice(3), QStringLiteral("COM7")};
    QVERIFY(map.isListed(3, listed));
    QVERIFY(map.isListed(7, listed)); // by its name, as Windows lists them
    QVERIFY(!map.isListed(4, listed));
    QVERIFY(!map.isListed(20, {}));
}

void TestPortMap::parsesSettings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");
    QTest::newRow("the thermometer's")
        << "115200,N,8,1" << true << 115200 << int(QSerialPort::NoParity) << 8
        << int(QSerialPort::OneStop);
    QTest::newRow("even, 7, 2") << "9600,e,7,2" << true << 9600 << int(QSerialPort::EvenParity) << 7
                                << int(QSerialPort::TwoStop);
    QTest::newRow("too few fields") << "115200,N,8" << false << 0 << 0 << 0 << 0;
    QTest::newRow("bad parity") << "115200,X,8,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("bad data bits") << "115200,N,9,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("bad baud") << "fast,N,8,1" << false << 0 << 0 << 0 << 0;
}

void TestPortMap::parsesSettings()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    const auto settings = ParseSerialSettings(text);
    QCOMPARE(settings.has_value(), valid);
    if (!valid)
        return;
    QFETCH(int, baud);
    QFETCH(int, parity);
    QFETCH(int, dataBits);
    QFETCH(int, stopBits);
    QCOMPARE(settings->baudRate, baud);
    QCOMPARE(int(settings->parity), parity);
    QCOMPARE(int(settings->dataBits), dataBits);
    QCOMPARE(int(settings->stopBits), stopBits);
}

QTEST_GUILESS_MAIN(TestPortMap)
#include "tst_portmap.moc"
