// How long the printed report and the workbook of a busy day take: 10,000 readings (one in fifty
// abnormal, in the warning file too) exported as .pdf and as .xlsx through the same call the
// window and `kestrim --export` use, the day's files read, the file made and written. Three runs
// each; the report's page count and both files' sizes are printed. Runs offscreen in a scratch
// folder of its own.
#include "history/historyday.h"
#include "records/dayrecords.h"
#include "reportexport.h"
#include "reportpdf.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {

constexpr int kReadings = 10000;
const QDate kDay(2026, 12, 9);

// From 07:00 to 19:00, a reading every 4.3 s or so.
void WriteDay(const DayRecords &names)
{
    QByteArray day, warnings;
    for (int i = 1; i <= kReadings; ++i) {
        const QTime time = QTime(7, 0).addMSecs(int(qint64(i) * 12 * 3600 * 1000 / kReadings));
        const bool abnormal = i % 50 == 0;
        const QByteArray line =
            QByteArray::number(i) + ',' + time.toString(QStringLiteral("HH:mm:ss")).toLatin1() +
            (abnormal ? ",38.1C,24.5C"
                      : QString::asprintf(",%.1fC,24.5C", 36.0 + (i % 9) / 10.0).toLatin1());
        day += line + "\r\n";
        if (abnormal)
            warnings += line + "\r\n";
    }
    QDir().mkpath(QFileInfo(names.dayFilePath(kDay, 3)).path());
    QFile dayFile(names.dayFilePath(kDay, 3)), warningFile(names.warningFilePath(kDay));
    if (dayFile.open(QIODevice::WriteOnly))
        dayFile.write(day);
    if (warningFile.open(QIODevice::WriteOnly))
        warningFile.write(warnings);
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
    WriteDay(names);
    const QString dayFile = names.dayFilePath(kDay, 3);

    for (const Language language : {Language::English, Language::Chinese}) {
        ReportContext context;
        context.settings.language = language;
        context.settings.desk = QStringLiteral("Entrance A");
        context.made = QDateTime(kDay, QTime(19, 5));
        for (const QString &target : {QStringLiteral("day.pdf"), QStringLiteral("day.xlsx")}) {
            for (int run = 1; run <= 3; ++run) {
                QElapsedTimer timer;
                timer.start();
                const std::clock_t cpuStart = std::clock();
                const ExportResult result = ExportDayAs(dayFile, {}, {}, context, target);
                const double cpuMs = double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC;
                const double ms = double(timer.nsecsElapsed()) / 1e6;
                std::printf("%s %-9s run %d: %7.1f ms (CPU %7.1f ms), %lld bytes%s\n",
                            language == Language::Chinese ? "zh" : "en", qPrintable(target), run,
                            ms, cpuMs, QFileInfo(target).size(),
                            result.outcome == ExportResult::Outcome::Written ? "" : " NOT WRITTEN");
            }
        }
        const std::optional<DayReport> report = ReadDayReport(*HistoryDayOfFile(dayFile), context);
        ReportLayout layout;
        QElapsedTimer timer;
        timer.start();
        if (report)
            DayReportPdf(*report, &layout);
        std::printf("%s report drawn alone: %.1f ms\n", language == Language::Chinese ? "zh" : "en",
                    double(timer.nsecsElapsed()) / 1e6);
        std::printf("%s report: %d pages for %d readings\n",
                    language == Language::Chinese ? "zh" : "en", layout.pages, kReadings);
    }
    return 0;
}
