// How long the range report of a busy month takes: 31 days of 10,000 readings each (one in fifty
// abnormal, in the warning file too; each day with a settings file whose limit changes at
// midday) exported as one .pdf through the same call the history window and `kestrim --export`
// use: every day file read one at a time, the report drawn and written. Three runs; the page
// count, the file's size and the process's peak memory are printed. Runs offscreen in a scratch
// folder of its own.
#include "history/historyday.h"
#include "rangereportpdf.h"
#include "records/dayrecords.h"
#include "reportexport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

#if defined(Q_OS_UNIX)
#include <sys/resource.h>
#endif

namespace {

constexpr int kReadings = 10000;
constexpr int kDays = 31;
const QDate kFirst(2026, 12, 1);

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// From 07:00 to 19:00, a reading every 4.3 s or so.
void WriteDay(const DayRecords &names, QDate day)
{
    QByteArray lines, warnings;
    for (int i = 1; i <= kReadings; ++i) {
        const QTime time = QTime(7, 0).addMSecs(int(qint64(i) * 12 * 3600 * 1000 / kReadings));
        const bool abnormal = i % 50 == 0;
        const QByteArray line =
            QByteArray::number(i) + ',' + time.toString(QStringLiteral("HH:mm:ss")).toLatin1() +
            (abnormal ? ",38.1C,24.5C"
                      : QString::asprintf(",%.1fC,24.5C", 36.0 + (i % 9) / 10.0).toLatin1());
        lines += line + "\r\n";
        if (abnormal)
            warnings += line + "\r\n";
    }
    const QString dayFile = names.dayFilePath(day, 3);
    WriteFile(dayFile, lines);
    WriteFile(names.warningFilePath(day), warnings);
    WriteFile(DaySettingsPath(dayFile), "06:59:00,1,R9Pro,C,body,37.5C\r\n"
                                        "13:00:00,5001,R9Pro,C,body,38.0C\r\n");
}

long PeakKilobytes()
{
#if defined(Q_OS_UNIX)
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#else
    return 0;
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QTemporaryDir scratch;
    if (!scratch.isValid() || !QDir::setCurrent(scratch.path()))
        return 1;
    const DayRecords names;
    for (int day = 0; day < kDays; ++day)
        WriteDay(names, kFirst.addDays(day));
    std::printf("peak memory after writing the month: %ld kB\n", PeakKilobytes());

    ReportContext context;
    context.settings.desk = QStringLiteral("Entrance A");
    context.made = QDateTime(kFirst.addDays(kDays), QTime(8, 0));
    const QDate last = kFirst.addDays(kDays - 1);
    for (int run = 1; run <= 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        const std::clock_t cpuStart = std::clock();
        const ExportResult result = ExportRangeAs(FindHistoryDays(), kFirst, last, {}, context,
                                                  QStringLiteral("month.pdf"));
        const double cpuMs = double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC;
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        std::printf("month.pdf run %d: %7.1f ms (CPU %7.1f ms), %lld bytes%s\n", run, ms, cpuMs,
                    QFileInfo(QStringLiteral("month.pdf")).size(),
                    result.outcome == ExportResult::Outcome::Written ? "" : " NOT WRITTEN");
    }
    RangeReport report;
    ReadRangeReport(FindHistoryDays(), kFirst, last, context, &report);
    int pages = 0;
    RangeReportPdf(report, &pages);
    std::printf("%d days, %d readings, %d pages; peak memory %ld kB\n", kDays, kDays * kReadings,
                pages, PeakKilobytes());
    return 0;
}
