// Which device stands behind COMn, and the serial settings text.
#include "device/cmscomm.h"
#include "device/portmap.h"
#include "device/privatesocket.h"
#include "device/serialsettings.h"

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

class TestPortMap : public QObject {
    Q_OBJECT

private slots:
    void defaultDevices_data();
    void defaultDevices();
    void linkInPortsFolderWins();
    void textInPortsFolderNamesTheDevice_data();
    void textInPortsFolderNamesTheDevice();
    void onlyListedPortsAreProbed();
    void onlySerialDevicesAreOpened_data();
    void onlySerialDevicesAreOpened();
    void tooltipIsPlainText();
    void socketsLiveInAPrivateFolder_data();
    void socketsLiveInAPrivateFolder();
    void strangerAtTheOtherEndIsRefused();
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
    QCOMPARE(map.describe(3), QStringLiteral("Ports/com3 → /dev/null (not a serial port)"));
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

void TestPortMap::onlySerialDevicesAreOpened_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("openable");
    QTest::newRow("pseudo-terminal") << "pty" << true;
    QTest::newRow("a local socket's name") << "pipe" << true;
    QTest::newRow("named pipe") << "fifo" << false;
    QTest::newRow("socket file") << "socket" << false;
    QTest::newRow("regular file") << "file" << false;
    QTest::newRow("folder") << "folder" << false;
    QTest::newRow("a character device, not a tty") << "memory" << false;
}

// Ports/comN is opened only when it names a serial port or a "pipe:" name: whatever else it
// names is "not a serial port" in the tooltip and the log, and is never opened (a FIFO with no
// writer, /dev/zero, a PostgreSQL socket).
void TestPortMap::onlySerialDevicesAreOpened()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX devices, FIFOs and sockets");
#else
    QFETCH(QString, kind);
    QFETCH(bool, openable);
    QTemporaryDir base;
    QVERIFY(QDir(base.path()).mkpath(QStringLiteral("Ports")));
    const QString target = base.filePath(QStringLiteral("target"));
    const QString entry = base.filePath(QStringLiteral("Ports/com3"));
    int pty = -1;
    QLocalServer server;
    if (kind == "pty") {
        pty = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(pty >= 0 && ::grantpt(pty) == 0 && ::unlockpt(pty) == 0);
        QVERIFY(QFile::link(QString::fromLocal8Bit(::ptsname(pty)), entry));
    } else if (kind == "pipe") {
        QFile text(entry);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("pipe:kestrim-test-not-there\n");
    } else {
        if (kind == "fifo")
            QVERIFY(::mkfifo(qPrintable(target), 0600) == 0);
        else if (kind == "socket")
            QVERIFY(server.listen(target));
        else if (kind == "file")
            QVERIFY(QFile(target).open(QIODevice::WriteOnly));
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(target));
        else if (::mknod(qPrintable(target), S_IFCHR | 0600, makedev(1, 5)) != 0)
            QSKIP("making a device node needs root");
        QVERIFY(QFile::link(target, entry));
    }
    const PortMap map{QDir(base.path())};
    QString reason;
    QCOMPARE(PortMap::IsOpenable(map.device(3), &reason), openable);
    QCOMPARE(reason, openable ? QString() : QStringLiteral("not a serial port"));
    QCOMPARE(map.describe(3).endsWith(QStringLiteral(" (not a serial port)")), !openable);
    if (!openable) {
        QCOMPARE(CMscomm::CanOpen(map.device(3)), false);
        CMscomm port;
        port.setPortMap(map);
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("COM3 Ports/com3 → .* \\(not a serial port\\): it "
                                                "was not opened"));
        QVERIFY(!port.open(3, QStringLiteral("115200,N,8,1")));
        QCOMPARE(port.errorString(), QStringLiteral("not a serial port"));
    }
    if (pty >= 0)
        ::close(pty);
#endif
}

// The port list's tooltips read as the plain text the entry holds, even one that looks like
// markup.
void TestPortMap::tooltipIsPlainText()
{
    QTemporaryDir base;
    QVERIFY(QDir(base.path()).mkpath(QStringLiteral("Ports")));
    QFile entry(base.filePath(QStringLiteral("Ports/com21")));
    QVERIFY(entry.open(QIODevice::WriteOnly));
    entry.write("pipe:<img src=\"http://x/y.png\"><b>a&b</b>\n");
    entry.close();
    const PortMap map{QDir(base.path())};
    const QString shown = QDir::toNativeSeparators(QStringLiteral("Ports/com21")) +
                          QStringLiteral(" → pipe:<img src=\"http://x/y.png\"><b>a&b</b>");
    QCOMPARE(map.describe(21), shown);
    QCOMPARE(map.tooltip(21), QStringLiteral("<p style=\"white-space:pre\">") +
                                  shown.toHtmlEscaped() + QStringLiteral("</p>"));
    QVERIFY(!map.tooltip(21).contains(QStringLiteral("<img")));
}

void TestPortMap::socketsLiveInAPrivateFolder_data()
{
    QTest::addColumn<QString>("runtime");  // XDG_RUNTIME_DIR: "private", "open" or "none"
    QTest::addColumn<QString>("fallback"); // <temp>/kestrim-<uid> before: "none", "open", "link"
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("folder"); // where the socket is: "runtime", "fallback" or ""
    QTest::newRow("the runtime folder") << "private"
                                        << "none"
                                        << "kestrim-sim-1"
                                        << "runtime";
    QTest::newRow("no runtime folder") << "none"
                                       << "none"
                                       << "kestrim-sim-1"
                                       << "fallback";
    QTest::newRow("a runtime folder others may enter") << "open"
                                                       << "none"
                                                       << "kestrim-sim-1"
                                                       << "fallback";
    QTest::newRow("a fallback others may enter") << "none"
                                                 << "open"
                                                 << "kestrim-sim-1"
                                                 << "";
    QTest::newRow("a fallback that is a link") << "none"
                                               << "link"
                                               << "kestrim-sim-1"
                                               << "";
    QTest::newRow("a path, not a name") << "private"
                                        << "none"
                                        << "/run/postgresql/.s.PGSQL.5432"
                                        << "";
    QTest::newRow("up a folder") << "private"
                                 << "none"
                                 << "../kestrim-sim-1"
                                 << "";
}

// "pipe:NAME" is a socket in a folder only this user can enter, never one in the shared
// temporary folder that any local user could have made.
void TestPortMap::socketsLiveInAPrivateFolder()
{
#ifdef Q_OS_WIN
    QSKIP("named pipes keep their own security on Windows");
#else
    QFETCH(QString, runtime);
    QFETCH(QString, fallback);
    QFETCH(QString, name);
    QFETCH(QString, folder);
    QTemporaryDir scratch;
    const QString runtimeDir = scratch.filePath("runtime");
    const QString temp = scratch.filePath("tmp");
    QVERIFY(QDir().mkpath(runtimeDir) && QDir().mkpath(temp));
    QVERIFY(QFile::setPermissions(runtimeDir, runtime == "open" ? QFile::Permissions(0x7755)
                                                                : QFile::Permissions(0x7700)));
    const QString fallbackDir = temp + QStringLiteral("/kestrim-%1").arg(::getuid());
    if (fallback == "open") {
        QVERIFY(QDir().mkpath(fallbackDir));
        QVERIFY(QFile::setPermissions(fallbackDir, QFile::Permissions(0x7777)));
    } else if (fallback == "link") {
        QVERIFY(QFile::link(runtimeDir, fallbackDir));
    }
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR"), savedTemp = qgetenv("TMPDIR");
    if (runtime == "none")
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", runtimeDir.toUtf8());
    qputenv("TMPDIR", temp.toUtf8());
    QString error;
    const QString path = PrivateSocket::Resolve(name, &error);
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
    qputenv("TMPDIR", savedTemp);
    if (folder.isEmpty()) {
        QVERIFY(path.isEmpty());
        QVERIFY(!error.isEmpty());
        return;
    }
    QVERIFY2(!path.isEmpty(), qPrintable(error));
    const QString expected = folder == "runtime" ? runtimeDir : fallbackDir;
    QCOMPARE(path, QDir::cleanPath(expected) + u'/' + name);
    QCOMPARE(QFileInfo(expected).permissions() & QFile::Permissions(0x0777),
             QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
#endif
}

// A socket served by another user is refused at either end: the host does not take it for the
// thermometer, and the simulator takes no stranger for its host. Another user's process is
// started with setpriv, as root may.
void TestPortMap::strangerAtTheOtherEndIsRefused()
{
#ifndef Q_OS_LINUX
    QSKIP("SO_PEERCRED is Linux's");
#else
    if (::getuid() != 0 || !QFile::exists("/usr/bin/setpriv") || !QFile::exists("/usr/bin/python3"))
        QSKIP("needs root, setpriv and /usr/bin/python3 to run a process as another user");
    QTemporaryDir scratch;
    const QString open = scratch.filePath("open");
    const QString runtime = scratch.filePath("runtime");
    QVERIFY(QDir().mkpath(open) && QDir().mkpath(runtime));
    QVERIFY(QFile::setPermissions(scratch.path(), QFile::Permissions(0x7755)));
    QVERIFY(QFile::setPermissions(open, QFile::Permissions(0x7777)));
    QVERIFY(QFile::setPermissions(runtime, QFile::Permissions(0x7700)));
    const auto asNobody = [](const QString &script) {
        auto process = std::make_unique<QProcess>();
        process->start("/usr/bin/setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups",
                                            "/usr/bin/python3", "-c", script});
        return process;
    };

    // The simulator's side: a stranger connects.
    QLocalServer server;
    server.setSocketOptions(QLocalServer::WorldAccessOption);
    QVERIFY(server.listen(open + "/served"));
    auto client = asNobody(QStringLiteral("import socket,time\ns=socket.socket(socket.AF_UNIX)\n"
                                          "s.connect('%1')\ntime.sleep(5)")
                               .arg(open + "/served"));
    QVERIFY(server.waitForNewConnection(5000));
    QLocalSocket *stranger = server.nextPendingConnection();
    QString error;
    QVERIFY(!PrivateSocket::PeerIsThisUser(stranger->socketDescriptor(), &error));
    QVERIFY2(error.contains("another user (uid 65534)"), qPrintable(error));
    client->kill();
    client->waitForFinished();

    // The host's side: a stranger's socket found in the private folder (moved there: no one
    // else can make one in it).
    auto host = asNobody(QStringLiteral("import socket,time\ns=socket.socket(socket.AF_UNIX)\n"
                                        "s.bind('%1')\ns.listen(1)\nprint('ready',flush=True)\n"
                                        "c,_=s.accept()\ntime.sleep(5)")
                             .arg(open + "/sim"));
    QVERIFY(host->waitForReadyRead(5000));
    QVERIFY(QFile::rename(open + "/sim", runtime + "/kestrim-sim-9"));
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    QVERIFY(QDir(scratch.path()).mkpath("base/Ports"));
    QFile entry(scratch.filePath("base/Ports/com3"));
    QVERIFY(entry.open(QIODevice::WriteOnly));
    entry.write("pipe:kestrim-sim-9\n");
    entry.close();
    CMscomm port;
    port.setPortMap(PortMap(QDir(scratch.filePath("base"))));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("another user \\(uid 65534\\)"));
    const bool opened = port.open(3, QStringLiteral("115200,N,8,1"));
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
    QVERIFY(!opened);
    QVERIFY2(port.errorString().contains("another user (uid 65534)"),
             qPrintable(port.errorString()));
    host->kill();
    host->waitForFinished();
#endif
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
