// What is remembered between runs (Kestrim.ini) and what the command line asks for.
#include "commandline.h"
#include "datafolder.h"
#include "preferences.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
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
    void dataFolderOption();
    void dataFolder_data();
    void dataFolder();
    void dataFolderIsMadeAndEntered();
};

void TestLaunch::preferencesRoundTrip()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(kPreferencesFile);
    Preferences chosen;
    chosen.port = 7;
    chosen.machineType = MachineType::R9;
    chosen.speechRate = -4;
    chosen.speechVolume = 35;
    chosen.language = Language::Chinese;
    chosen.windowPosition = QPoint(120, 64);
    QVERIFY(SavePreferences(path, chosen));
    QCOMPARE(LoadPreferences(path), chosen);
    // The file keeps the numbers earlier versions wrote and read: 0 R9, 0 Chinese.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY2(text.contains("model=0\n") && text.contains("language=0\n"), text.constData());
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
    QTest::addColumn<std::optional<Language>>("language");
    QTest::addColumn<QString>("text"); // what the printed text contains
    using A = CommandLine::Action;
    const std::optional<Language> asRemembered, chinese = Language::Chinese,
                                                english = Language::English;
    QTest::newRow("nothing") << QStringList{} << int(A::Run) << 0 << false << asRemembered << "";
    QTest::newRow("kiosk") << QStringList{"--port", "COM3", "--connect", "--language", "zh"}
                           << int(A::Run) << 3 << true << chinese << "";
    QTest::newRow("port as a number")
        << QStringList{"--port=20"} << int(A::Run) << 20 << false << asRemembered << "";
    QTest::newRow("lower-case port, English") << QStringList{"--port", "com11", "--language", "en"}
                                              << int(A::Run) << 11 << false << english << "";
    QTest::newRow("help") << QStringList{"--help"} << int(A::Help) << 0 << false << asRemembered
                          << "Usage: kestrim [options]";
    QTest::newRow("help: the exit status")
        << QStringList{"--help"} << int(A::Help) << 0 << false << asRemembered
        << "Exit status:\n  0  the window closed, or --export wrote its file\n  1  ";
    QTest::newRow("help: --language for an export")
        << QStringList{"--help"} << int(A::Help) << 0 << false << asRemembered
        << "language of the report, the workbook's captions";
    QTest::newRow("help: a range as .csv, .pdf or .xlsx")
        << QStringList{"--help"} << int(A::Help) << 0 << false << asRemembered
        << "a range of days as .csv, .pdf or";
    QTest::newRow("version") << QStringList{"--version"} << int(A::Version) << 0 << false
                             << asRemembered << "kestrim 2.1";
    QTest::newRow("device of a port") << QStringList{"--port", "COM3", "--device"} << int(A::Device)
                                      << 3 << false << asRemembered << "";
    QTest::newRow("device without a port") << QStringList{"--device"} << int(A::Error) << 0 << false
                                           << asRemembered << "--device needs --port";
    QTest::newRow("unknown option") << QStringList{"--fast"} << int(A::Error) << 0 << false
                                    << asRemembered << "Unknown option 'fast'";
    QTest::newRow("port out of range")
        << QStringList{"--port", "COM21"} << int(A::Error) << 0 << false << asRemembered
        << "--port \"COM21\" is not COM1 to COM20";
    QTest::newRow("port not a port") << QStringList{"--port", "/dev/ttyUSB0"} << int(A::Error) << 0
                                     << false << asRemembered << "is not COM1 to COM20";
    QTest::newRow("unknown language")
        << QStringList{"--language", "fr"} << int(A::Error) << 0 << false << asRemembered
        << "--language \"fr\" is not en or zh";
    QTest::newRow("missing value") << QStringList{"--port"} << int(A::Error) << 0 << false
                                   << asRemembered << "Missing value after '--port'";
    QTest::newRow("stray argument") << QStringList{"COM3"} << int(A::Error) << 0 << false
                                    << asRemembered << "unexpected argument \"COM3\"";
}

void TestLaunch::commandLine()
{
    QFETCH(QStringList, arguments);
    const CommandLine line = ParseCommandLine(QStringList{"kestrim"} + arguments);
    QTEST(int(line.action), "action");
    QTEST(line.options.port, "port");
    QTEST(line.options.connect, "connect");
    QTEST(line.options.language, "language");
    QFETCH(QString, text);
    QVERIFY2(line.text.contains(text), qPrintable(line.text));
    if (line.action == CommandLine::Action::Error)
        QVERIFY(line.text.contains("kestrim --help"));
}

void TestLaunch::dataFolderOption()
{
    const CommandLine given = ParseCommandLine({"kestrim", "--data", "D:/Desk 2"});
    QCOMPARE(int(given.action), int(CommandLine::Action::Run));
    QCOMPARE(given.options.dataFolder, QStringLiteral("D:/Desk 2"));
    QCOMPARE(ParseCommandLine({"kestrim"}).options.dataFolder, QString());
    QCOMPARE(int(ParseCommandLine({"kestrim", "--data", ""}).action),
             int(CommandLine::Action::Error));
}

// Which folder the records go to: --data, then KESTRIM_HOME, then the working folder, which on
// Windows is not taken when it is the install folder or cannot be written.
void TestLaunch::dataFolder_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("environment");
    QTest::addColumn<QString>("working");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("windows");
    QTest::addColumn<QString>("expected");
    const QString install = QStringLiteral("C:/Program Files/Kestrim");
    const QString home = QStringLiteral("C:/Users/desk");
    QTest::newRow("--data wins") << "/data/records"
                                 << "/other" << install << false << true << "/data/records";
    QTest::newRow("--data relative to the working folder")
        << "desk2"
        << ""
        << "/srv/kestrim" << true << false << "/srv/kestrim/desk2";
    QTest::newRow("KESTRIM_HOME") << ""
                                  << "/home/op/Kestrim"
                                  << "/" << true << false << "/home/op/Kestrim";
    QTest::newRow("working folder") << ""
                                    << ""
                                    << "/home/op/desk" << true << false << "/home/op/desk";
    QTest::newRow("Windows, Start menu: the install folder")
        << ""
        << "" << install << true << true << home + "/Kestrim";
    QTest::newRow("Windows, install folder in other letters and separators")
        << ""
        << ""
        << "c:\\program files\\kestrim\\" << true << true << home + "/Kestrim";
    QTest::newRow("Windows, a folder that cannot be written")
        << ""
        << ""
        << "C:/Windows/System32" << false << true << home + "/Kestrim";
    QTest::newRow("Windows, a writable working folder")
        << ""
        << ""
        << "D:/Screening" << true << true << "D:/Screening";
    QTest::newRow("Linux keeps the install folder when started there")
        << ""
        << ""
        << "/usr/bin" << false << false << "/usr/bin";
}

void TestLaunch::dataFolder()
{
    QFETCH(QString, option);
    QFETCH(QString, environment);
    QFETCH(QString, working);
    QFETCH(bool, writable);
    QFETCH(bool, windows);
    QFETCH(QString, expected);
    DataFolderSituation situation;
    situation.option = option;
    situation.environment = environment;
    situation.working = working;
    situation.installFolder = QStringLiteral("C:/Program Files/Kestrim");
    situation.workingWritable = writable;
    situation.userHome = QStringLiteral("C:/Users/desk");
    situation.windows = windows;
    QCOMPARE(ChooseDataFolder(situation), expected);
}

void TestLaunch::dataFolderIsMadeAndEntered()
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    const auto back = qScopeGuard([&previous] { QDir::setCurrent(previous); });
    const QString folder = dir.filePath(QStringLiteral("a/b/Kestrim"));
    QString error;
    QVERIFY2(EnterDataFolder(folder, &error), qPrintable(error));
    QCOMPARE(QDir::currentPath(), QDir(folder).canonicalPath());

    QFile blocker(dir.filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY(!EnterDataFolder(dir.filePath(QStringLiteral("file/Kestrim")), &error));
    QVERIFY2(error.contains(QLatin1String("cannot be made")), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestLaunch)
#include "tst_launch.moc"
