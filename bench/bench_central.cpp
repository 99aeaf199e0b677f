// How long a desk takes to catch up a day of 10,000 readings with the central store: a private
// PostgreSQL server (as the tests start it), a day file of 10,000 readings (one in fifty
// abnormal, in the warning file too) that the server has never seen, sent from the start of the
// sender until the server confirmed the last batch. Then the same day sent again after the
// cursors were lost (every row replaced, none added), and a restart with the cursors (nothing
// sent). Runs in a scratch folder of its own.
//
// With --memory: a day of 1,000,000 readings caught up instead, and the peak memory it took
// (the process's peak resident size during the catch-up, less what it held before), against
// the day file's size. With --all-abnormal as well: every reading of that day is abnormal, so
// the warning file is as long as the day file.
#include "centralsync.h"
#include "pgcentralstore.h"
#include "pgcluster.h"
#include "records/dayrecords.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

namespace {

int kReadings = 10000;
int kAbnormalEvery = 50;
const QDate kDay(2026, 12, 9);

// A field of /proc/self/status, in kB.
qint64 Status(const QByteArray &field)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').first().toLongLong();
    return -1;
}

void WriteDay()
{
    const DayRecords names;
    QByteArray day, warnings;
    QDir().mkpath(QFileInfo(names.dayFilePath(kDay, 1)).path());
    QFile dayFile(names.dayFilePath(kDay, 1));
    if (!dayFile.open(QIODevice::WriteOnly))
        qFatal("cannot write the day");
    for (int i = 1; i <= kReadings; ++i) {
        const QTime time = QTime(7, 0).addMSecs(i * 3600);
        const QByteArray line = QByteArray::number(i) + ',' +
                                time.toString(QStringLiteral("HH:mm:ss")).toLatin1() + ',' +
                                (i % kAbnormalEvery == 0 ? "38.2C" : "36.6C") + ",24.5C";
        day += line + "\r\n";
        if (i % kAbnormalEvery == 0)
            warnings += line + "\r\n";
        if (day.size() > 1 << 20 || i == kReadings) {
            if (dayFile.write(day) != day.size())
                qFatal("cannot write the day");
            day.clear();
        }
    }
    QFile warningFile(names.warningFilePath(kDay));
    if (!warningFile.open(QIODevice::WriteOnly) || warningFile.write(warnings) != warnings.size())
        qFatal("cannot write the day");
}

// Milliseconds from start() until nothing waits.
double SendAll(const CentralSettings &settings)
{
    QElapsedTimer timer;
    timer.start();
    CentralSync sync(std::make_unique<PgCentralStore>(settings),
                     CentralCursors(kCentralCursorFile, settings.identity()));
    sync.start();
    while (sync.busy() || sync.status().waiting > 0) {
        if (sync.retryInMs() > 0)
            qFatal("the server did not take the readings");
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const bool memory = app.arguments().contains(QStringLiteral("--memory"));
    if (memory)
        kReadings = 1000000;
    if (app.arguments().contains(QStringLiteral("--all-abnormal")))
        kAbnormalEvery = 1;
    if (PgCluster::programs().isEmpty()) {
        out << "PostgreSQL 15 is not installed (postgresql-15)\n";
        return 1;
    }
    PgCluster server;
    if (!server.start()) {
        out << server.log();
        return 1;
    }
    server.query(QStringLiteral("CREATE DATABASE records"));
    QTemporaryDir scratch;
    QDir::setCurrent(scratch.path());
    WriteDay();
    const CentralSettings settings =
        server.settings(QStringLiteral("Entrance A"), QStringLiteral("records"));
    // The schema is made by the first connection; that is not part of catching up.
    PgCentralStore(settings).open();

    if (memory) {
        const qint64 fileKb = QFileInfo(DayRecords().dayFilePath(kDay, 1)).size() / 1024;
        const qint64 warningKb = QFileInfo(DayRecords().warningFilePath(kDay)).size() / 1024;
        const qint64 before = Status("VmRSS");
        // The peak from here on (Linux: writing 5 to clear_refs resets it).
        QFile reset(QStringLiteral("/proc/self/clear_refs"));
        if (!reset.open(QIODevice::WriteOnly) || reset.write("5") != 1)
            out << "(the peak cannot be reset: it counts from the start)\n";
        reset.close();
        const double ms = SendAll(settings);
        const qint64 peak = Status("VmHWM") - before;
        out << "catch-up of " << kReadings << " readings: " << ms << " ms; day file " << fileKb
            << " kB, warning file " << warningKb << " kB; peak memory during it " << peak
            << " kB (" << double(peak) / double(fileKb) << "x the day file)\n";
        out << "rows on the server: "
            << server
                   .query(QStringLiteral("SELECT count(*) FROM current_readings"),
                          QStringLiteral("records"))
                   .toInt()
            << '\n';
        return 0;
    }
    out << "catch-up of " << kReadings << " readings: " << SendAll(settings) << " ms\n";
    out << "rows on the server: "
        << server
               .query(QStringLiteral("SELECT count(*) FROM current_readings"),
                      QStringLiteral("records"))
               .toInt()
        << ", abnormal: "
        << server
               .query(QStringLiteral("SELECT count(*) FROM current_readings WHERE abnormal"),
                      QStringLiteral("records"))
               .toInt()
        << '\n';
    QFile::remove(kCentralCursorFile);
    out << "the same day again, cursors lost: " << SendAll(settings) << " ms\n";
    out << "a restart with the cursors: " << SendAll(settings) << " ms\n";
    out << "rows on the server: "
        << server.query(QStringLiteral("SELECT count(*) FROM readings"), QStringLiteral("records"))
               .toInt()
        << '\n';
    return 0;
}
