// What is remembered between runs (Kestrim.ini) and what the command line asks for.
#include "app/commandline.h"
#include "app/preferences.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestLaunch : public QObject {
    Q_OBJECT

private slots:
    void preferencesRoundTrip();
    void preferencesFallBackToDefaults_data();
    void preferencesFallBackToDefaults();
    void commandLine_data();
    void commandLine();
};

void TestLaunch::preferencesRoundTrip()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(kPreferencesFile);
    Preferences chosen;
    chosen.port = 7;
    chosen.machineType = 0;
    chosen.speechRate = -4;
    chosen.speechVolume = 35;
    chosen.language = 0;
    chosen.windowPosition = QPoint(120, 64);
    QVERIFY(SavePreferences(path, chosen));
    QCOMPARE(LoadPreferences(path), chosen);
}

void TestLaunch::preferencesFallBackToDefaults_data()
{
    QTest::addColumn<QByteArray>("file"); // empty: no file at all
    QTest::addColumn<Preferences>("expected");
    Preferences defaults;
    QTest::newRow("no file") << QByteArray() << defaults;
    static const char garbage[] = "\x00\xff\xfe garbage [[[ = =\n";
    QTest::newRow("not an ini file") << QByteArray(garbage, sizeof garbage - 1) << defaults;
    QTest::newRow("values out of range")
        << QByteArray("[device]\nport=42\nmodel=7\n[speech]\nrate=99\nvolume=-1\n"
                      "[window]\nlanguage=2\nposition=nowhere\n")
        << defaults;
    Preferences partly;
    partly.speechVolume = 55;
    QTest::newRow("one good value among bad ones")
        << QByteArray("[speech]\nvolume=55\nrate=fast\n[device]\nport=COM3\n") << partly;
}

void TestLaunch::preferencesFallBackToDefaults()
{
    QFETCH(QByteArray, file);
    QTemporaryDir dir;
    const QString path = dir.filePath(kPreferencesFile);
    if (!file.isEmpty()) {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file);
    }
    QTEST(LoadPreferences(path), "expected");
}

void TestLaunch::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("connect");
    QTest::addColumn<int>("language"); // -1: not given
    QTest::addColumn<QString>("text"); // what the printed text contains
    using A = CommandLine::Action;
    QTest::newRow("nothing") << QStringList{} << int(A::Run) << 0 << false << -1 << "";
    QTest::newRow("kiosk") << QStringList{"--port", "COM3", "--connect", "--language", "zh"}
                           << int(A::Run) << 3 << true << 0 << "";
    QTest::newRow("port as a number")
        << QStringList{"--port=20"} << int(A::Run) << 20 << false << -1 << "";
    QTest::newRow("lower-case port, English") << QStringList{"--port", "com11", "--language", "en"}
                                              << int(A::Run) << 11 << false << 1 << "";
    QTest::newRow("help") << QStringList{"--help"} << int(A::Help) << 0 << false << -1
                          << "Usage: kestrim [options]";
    QTest::newRow("version") << QStringList{"--version"} << int(A::Version) << 0 << false << -1
                             << "kestrim 2.1";
    QTest::newRow("unknown option")
        << QStringList{"--fast"} << int(A::Error) << 0 << false << -1 << "Unknown option 'fast'";
    QTest::newRow("port out of range") << QStringList{"--port", "COM21"} << int(A::Error) << 0
                                       << false << -1 << "--port \"COM21\" is not COM1 to COM20";
    QTest::newRow("port not a port") << QStringList{"--port", "/dev/ttyUSB0"} << int(A::Error) << 0
                                     << false << -1 << "is not COM1 to COM20";
    QTest::newRow("unknown language") << QStringList{"--language", "fr"} << int(A::Error) << 0
                                      << false << -1 << "--language \"fr\" is not en or zh";
    QTest::newRow("missing value") << QStringList{"--port"} << int(A::Error) << 0 << false << -1
                                   << "Missing value after '--port'";
    QTest::newRow("stray argument") << QStringList{"COM3"} << int(A::Error) << 0 << false << -1
                                    << "unexpected argument \"COM3\"";
}

void TestLaunch::commandLine()
{
    QFETCH(QStringList, arguments);
    const CommandLine line = ParseCommandLine(QStringList{"kestrim"} + arguments);
    QTEST(int(line.action), "action");
    QTEST(line.options.port, "port");
    QTEST(line.options.connect, "connect");
    QTEST(line.options.language.value_or(-1), "language");
    QFETCH(QString, text);
    QVERIFY2(line.text.contains(text), qPrintable(line.text));
    if (line.action == CommandLine::Action::Error)
        QVERIFY(line.text.contains("kestrim --help"));
}

QTEST_GUILESS_MAIN(TestLaunch)
#include "tst_launch.moc"
