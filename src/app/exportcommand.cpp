#include "exportcommand.h"

#include "centralsettings.h"
#include "consoleoutput.h"
#include "datafolder.h"
#include "device/interfacetexts.h"
#include "history/historytexts.h"
#include "preferences.h"
#include "records/recordline.h"
#include "records/recordmessages.h"
#include "regularfile.h"
#include "reportexport.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSysInfo>

#include <cstdio>

namespace {

constexpr int kNothingExported = 1;
constexpr int kNotOneDay = 2;

// One line on standard error for each failure.
int Say(int status, const QString &text)
{
    std::fputs(qPrintable(QStringLiteral("kestrim: ") + OneLine(text) + u'\n'), stderr);
    return status;
}

QString DateText(QDate date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

int Outcome(const ExportResult &result, const QString &nothingText)
{
    switch (result.outcome) {
    case ExportResult::Outcome::Written:
        return 0;
    case ExportResult::Outcome::Unsupported:
        return Say(kNotOneDay,
                   RecordMessageText(RecordMessage::ExportUnsupported, Language::English));
    case ExportResult::Outcome::NothingRecorded:
        return Say(kNothingExported, nothingText);
    case ExportResult::Outcome::NotRead:
    case ExportResult::Outcome::NotWritten:
        return Say(kNothingExported,
                   RecordMessageText(result.outcome == ExportResult::Outcome::NotRead
                                         ? RecordMessage::ExportNotRead
                                         : RecordMessage::ExportNotWritten,
                                     Language::English, QDir::toNativeSeparators(result.path),
                                     result.error));
    }
    return kNothingExported;
}

int ExportRange(const ExportRequest &request, const QList<HistoryDay> &days,
                const ReportContext &context)
{
    const QString nothing = QStringLiteral("no records from %1 to %2")
                                .arg(DateText(request.from), DateText(request.to)) +
                            (request.port ? QStringLiteral(" on COM%1").arg(request.port) : "");
    return Outcome(ExportRangeAs(days, request.from, request.to,
                                 HistoryTexts::kRangeCsvHeader.in(context.settings.language),
                                 context, request.file),
                   nothing);
}

int ExportOneDay(const ExportRequest &request, const QList<HistoryDay> &days, QDate date,
                 ReportContext context)
{
    const QString on = QStringLiteral("no records on %1").arg(DateText(date)) +
                       (request.port ? QStringLiteral(" on COM%1").arg(request.port) : "");
    if (days.isEmpty())
        return Say(kNothingExported, on);
    if (days.size() > 1) {
        QStringList ports;
        for (const HistoryDay &day : days)
            ports.append(QStringLiteral("COM%1").arg(day.port));
        return Say(kNotOneDay, QStringLiteral("%1 has records on %2; choose one with --port")
                                   .arg(DateText(date), ports.join(QStringLiteral(", "))));
    }
    const HistoryDay &day = days.first();
    // A day file that is there but cannot be read (a named pipe or a folder in its place, its
    // permissions taken away) is said as that, not as a day without records.
    if (QString error; !RegularFile::ReadAll(day.path, &error) && !error.isEmpty())
        return Say(kNothingExported,
                   RecordMessageText(RecordMessage::ExportNotRead, Language::English,
                                     QDir::toNativeSeparators(day.path), error));
    const QStringList lines = ReadTextLines(day.path);
    if (lines.isEmpty())
        return Say(kNothingExported, on);
    // Without a window there is no thermometer to say the unit: the day's own is taken, and the
    // alarm limit drawn is the thermometer's default in it.
    if (const std::optional<DayReport> report = ReadDayReport(day, context)) {
        context.settings.tempUnit = DayTempUnit(report->readings);
        context.settings.alarmLimit =
            context.settings.tempUnit == TempUnit::Fahrenheit ? 99.5f : 37.5f;
    }
    return Outcome(ExportDayAs(day.path, lines, RecordColumnsCsv(context.settings.language),
                               context, request.file),
                   on);
}

} // namespace

int RunExport(const ExportRequest &request, const Clock &clock)
{
    ReportContext context;
    context.made = clock.now();
    context.form = request.form;
    context.settings.language =
        request.language.value_or(LoadPreferences(kPreferencesFile).language);
    // Only the desk's name: an export makes and reads none of the central store's files.
    const QString desk = CentralDeskName(kPreferencesFile);
    context.settings.desk = desk.isEmpty() ? QSysInfo::machineHostName() : desk;

    const QDate date = request.day.isValid() ? request.day : context.made.date();
    QList<HistoryDay> days;
    for (const HistoryDay &day : FindHistoryDays()) {
        const bool inDays = request.isRange() ? day.date >= request.from && day.date <= request.to
                                              : day.date == date;
        if (inDays && (request.port == 0 || day.port == request.port))
            days.append(day);
    }
    return request.isRange() ? ExportRange(request, days, context)
                             : ExportOneDay(request, days, date, context);
}

int RunExportCommand(int &argc, char **argv, ExportRequest request, const QString &dataFolderOption)
{
#if !defined(Q_OS_WIN)
    // The report needs fonts, not a screen: never wait for or open a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    const QGuiApplication application(argc, argv);
    // The file is named from where the command was given; the records are the data folder's.
    request.file = QFileInfo(request.file).absoluteFilePath();
    if (!EnterChosenDataFolder(dataFolderOption))
        return kNothingExported;
    return RunExport(request, Clock());
}
