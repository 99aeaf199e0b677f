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
    void parsesSettings_data();
    void parsesSettings();
};

void TestPortMap::defaultDevices_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("device");
    QTest::newRow("COM1") << 1 << "/dev/ttyUSB0";
    QTest::newRow("COM10") << 10 << "/dev/ttyUSB9";
    QTest::newRow("COM11") << 11 << "/dev/ttyACM0";
    QTest::newRow("COM20") << 20 << "/dev/ttyACM9";
    QTest::newRow("COM0") << 0 << "";
    QTest::newRow("COM21") << 21 << "";
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
