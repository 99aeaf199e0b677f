// The real program, as its own process, against kestrim-sim: killed with SIGKILL at random
// moments while readings pour in, and left by its thermometer again and again. Whatever
// happens, the day file stays whole and nothing the window had listed is missing from it.
//
// KESTRIM_KILL_CYCLES and KESTRIM_UNPLUG_CYCLES set how many rounds (20 and 10 by default;
// tests/e2e/long-robustness.sh runs 100 of each); KESTRIM_APP names another kestrim to run.
#include "simprocess.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kWait = 20000;

int Cycles(const char *variable, int fallback)
{
    bool ok = false;
    const int cycles = qEnvironmentVariableIntValue(variable, &ok);
    return ok && cycles > 0 ? cycles : fallback;
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Kestrim started as the operator's kiosk would: on COM3, connecting at once, silent.
class AppProcess {
public:
    explicit AppProcess(const QString &folder)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("KESTRIM_SPEECH"), QStringLiteral("off"));
        // The records go to the working folder set below, whatever the caller's shell has.
        environment.remove(QStringLiteral("KESTRIM_HOME"));
        // A sanitizer build holds freed memory back for a while; without that, its memory
        // shows what the program really keeps.
        const QString asan = environment.value(QStringLiteral("ASAN_OPTIONS"));
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           asan + (asan.isEmpty() ? "" : ":") +
                               QStringLiteral("quarantine_size_mb=0"));
        environment.insert(QStringLiteral("QT_LOGGING_RULES"),
                           QStringLiteral("kestrim.*.info=false\nkestrim.records.debug=true"));
        m_process.setProcessEnvironment(environment);
        m_process.setWorkingDirectory(folder);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
#ifdef Q_OS_LINUX
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
#endif
        QObject::connect(&m_process, &QProcess::readyReadStandardError,
                         [this] { m_stderr += m_process.readAllStandardError(); });
        m_process.start(
            qEnvironmentVariable("KESTRIM_APP", QStringLiteral(KESTRIM_APP_PATH)),
            {QStringLiteral("--port"), QStringLiteral("COM3"), QStringLiteral("--connect")});
    }
    ~AppProcess()
    {
        kill();
    }

    bool running() const
    {
        return m_process.state() == QProcess::Running;
    }
    qint64 pid() const
    {
        return m_process.processId();
    }

    // The record lines the window had listed when it last wrote to its log.
    QStringList listed() const
    {
        static const QRegularExpression line(QStringLiteral("listed \"([^\"]*)\"\n"));
        QStringList lines;
        for (const QRegularExpressionMatch &match : line.globalMatch(QString::fromUtf8(m_stderr)))
            lines.append(match.captured(1));
        return lines;
    }
    QString log() const
    {
        return QString::fromUtf8(m_stderr.right(2000));
    }

    void kill()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill();
        m_process.waitForFinished(kWait);
        m_stderr += m_process.readAllStandardError();
    }

    // Resident heap and stack in KiB (mapped files such as fonts left out), from the kernel's
    // view of the process.
    qint64 residentKiB() const
    {
        const QByteArray status = ReadFile(QStringLiteral("/proc/%1/status").arg(pid()));
        static const QRegularExpression rss(QStringLiteral("RssAnon:\\s+(\\d+) kB"));
        return rss.match(QString::fromLatin1(status)).captured(1).toLongLong();
    }

private:
    QProcess m_process;
    QByteArray m_stderr;
};

} // namespace

class TestRobustnessSim : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void killedDuringAFloodLosesNothing();
    void thermometerLeavingAndComingBackAgainAndAgain();

private:
    QString dayFile() const;
    QString indexFile() const;
    // The day file is whole: every line well formed and ended by CR LF, quantities 1..n.
    // Returns n.
    int checkDayFile();
    QString simLink() const { return m_dir->filePath(QStringLiteral("Ports/com3")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestRobustnessSim::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("Ports")));
}

void TestRobustnessSim::cleanup()
{
    m_dir.reset();
}

QString TestRobustnessSim::dayFile() const
{
    const QDate today = QDate::currentDate();
    return m_dir->filePath(QStringLiteral("TempData/%1/%2-03.txt")
                               .arg(today.toString(QStringLiteral("yyyy/MM")),
                                    today.toString(QStringLiteral("yyyyMMdd"))));
}

QString TestRobustnessSim::indexFile() const
{
    return m_dir->filePath(
        QStringLiteral("Ini/%1.ini").arg(QDate::currentDate().toString(Qt::ISODate)));
}

int TestRobustnessSim::checkDayFile()
{
    const QByteArray content = ReadFile(dayFile());
    if (content.isEmpty())
        return 0;
    [&] {
        QVERIFY2(content.endsWith("\r\n"), content.right(60).constData());
    }();
    static const QRegularExpression record(
        QStringLiteral("^(\\d+),\\d\\d:\\d\\d:\\d\\d,\\d+\\.\\dC,\\d+\\.\\dC$"));
    const QStringList lines = QString::fromLatin1(content.chopped(2)).split(QStringLiteral("\r\n"));
    for (int i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch match = record.match(lines[i]);
        if (!match.hasMatch() || match.captured(1).toInt() != i + 1) {
            qWarning() << "line" << i + 1 << "is" << lines[i];
            return -1;
        }
    }
    return int(lines.size());
}

// The line is synced before the window counts or lists it, so a kill at any moment leaves
// whole lines, every listed one among them, and a count at most one behind (the index is
// written just after the line).
void TestRobustnessSim::killedDuringAFloodLosesNothing()
{
    SimProcess sim;
    QVERIFY(!sim.start({"--mode", "body", "--every", "0.005", "--link", simLink()}).isEmpty());
    const int cycles = Cycles("KESTRIM_KILL_CYCLES", 20);
    int recorded = 0;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        AppProcess app(m_dir->path());
        QTRY_VERIFY2_WITH_TIMEOUT(!app.listed().isEmpty(), qPrintable(app.log()), kWait);
        QTest::qWait(int(QRandomGenerator::global()->bounded(700)));
        app.kill();

        const int lines = checkDayFile();
        QVERIFY2(
            lines > recorded,
            qPrintable(
                QStringLiteral("cycle %1: %2 lines after %3").arg(cycle).arg(lines).arg(recorded)));
        recorded = lines;
        const QStringList onDisk =
            QString::fromLatin1(ReadFile(dayFile())).split(QStringLiteral("\r\n"));
        for (const QString &listed : app.listed())
            QVERIFY2(onDisk.contains(listed), qPrintable(listed));
        const QByteArray index = ReadFile(indexFile());
        const int total = QRegularExpression(QStringLiteral("TOTAL_NUM=(\\d+)"))
                              .match(QString::fromLatin1(index))
                              .captured(1)
                              .toInt();
        QVERIFY2(total == lines || total == lines - 1,
                 qPrintable(QStringLiteral("cycle %1: TOTAL_NUM %2, %3 lines\n%4")
                                .arg(cycle)
                                .arg(total)
                                .arg(lines)
                                .arg(app.log())));
    }
    qInfo("%d kills, %d readings on disk", cycles, recorded);
    // Health data: what the program made is readable by its user alone.
    constexpr QFile::Permissions kOthers = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                           QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    for (const QString &path :
         {dayFile(), indexFile(), QFileInfo(dayFile()).path(), QFileInfo(indexFile()).path()})
        QVERIFY2(!(QFile::permissions(path) & kOthers), qPrintable(path));
}

// Each time the thermometer goes away and comes back, the program connects again by itself;
// every reading sent while it was connected is stored; its memory stays flat.
void TestRobustnessSim::thermometerLeavingAndComingBackAgainAndAgain()
{
    auto sim = std::make_unique<SimProcess>();
    QVERIFY(!sim->start({"--mode", "body", "--link", simLink()}).isEmpty());
    AppProcess app(m_dir->path());
    QVERIFY(sim->waitForReceived(QByteArray::fromHex("55AA050105"), kWait));

    const int cycles = Cycles("KESTRIM_UNPLUG_CYCLES", 10);
    QList<qint64> resident;
    int sent = 0;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        for (const char *reading : {"36.5", "36.6", "36.7"}) {
            QVERIFY(sim->send(QString::fromLatin1(reading)));
            ++sent;
        }
        QTRY_COMPARE_WITH_TIMEOUT(checkDayFile(), sent, kWait);
        resident.append(app.residentKiB());

        sim = std::make_unique<SimProcess>(); // the old one ends: the port hangs up
        QVERIFY(!sim->start({"--mode", "body", "--link", simLink()}).isEmpty());
        QVERIFY2(
            sim->waitForReceived(QByteArray::fromHex("55AA050105"), kWait),
            qPrintable(QStringLiteral("cycle %1: not reconnected\n%2").arg(cycle).arg(app.log())));
        QVERIFY(app.running());
    }
    QStringList samples;
    for (qint64 kib : resident)
        samples.append(QString::number(kib / 1024));
    qInfo("%d returns; resident MiB after each: %s", cycles, qPrintable(samples.join(u' ')));
    // Flat: after the first rounds warm up, no steady growth.
    if (resident.size() >= 4)
        QVERIFY2(resident.last() - resident[1] < 8 * 1024, qPrintable(samples.join(u' ')));
}

QTEST_GUILESS_MAIN(TestRobustnessSim)
#include "tst_robustness_sim.moc"
