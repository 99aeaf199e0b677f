#include "commandline.h"

#include "exportformats.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace {

const QString kVersion = QStringLiteral("2.1");

CommandLine Failure(const QString &why)
{
    CommandLine line;
    line.action = CommandLine::Action::Error;
    line.text = QStringLiteral("kestrim: %1\nTry 'kestrim --help' for the options.").arg(why);
    return line;
}

// "COM3", "com3" or "3", for COM1 … COM20.
std::optional<int> PortNumber(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(?:com)?(\\d{1,2})$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int port = match.captured(1).toInt();
    return port >= 1 && port <= 20 ? std::optional(port) : std::nullopt;
}

std::optional<QDate> DateOption(const QString &text)
{
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    return date.isValid() ? std::optional(date) : std::nullopt;
}

std::optional<Language> LanguageCode(const QString &text)
{
    const QString code = text.toLower();
    if (code == QStringLiteral("zh") || code == QStringLiteral("chinese"))
        return Language::Chinese;
    if (code == QStringLiteral("en") || code == QStringLiteral("english"))
        return Language::English;
    return std::nullopt;
}

struct ExportOptions {
    QCommandLineOption file, day, from, to, connect, abnormalOnly, summary;
};

CommandLine ParseExport(const QCommandLineParser &parser, CommandLine line,
                        const ExportOptions &options)
{
    ExportRequest &request = line.exportRequest;
    request.file = parser.value(options.file);
    request.port = line.options.port;
    request.language = line.options.language;
    if (parser.isSet(options.connect))
        return Failure(QStringLiteral("--connect and --export do not go together"));
    const ExportFormatRow *row = ExportFormatFor(request.file);
    if (request.file.isEmpty() || !row)
        return Failure(QStringLiteral("--export \"%1\" does not end in %2")
                           .arg(request.file, ExportEndings(false)));
    const ExportFormat format = row->format;
    for (const auto &[option, date] :
         {std::pair{&options.day, &request.day}, std::pair{&options.from, &request.from},
          std::pair{&options.to, &request.to}}) {
        if (!parser.isSet(*option))
            continue;
        const std::optional<QDate> parsed = DateOption(parser.value(*option));
        if (!parsed)
            return Failure(QStringLiteral("--%1 \"%2\" is not a date like 2026-12-09")
                               .arg(option->names().first(), parser.value(*option)));
        *date = *parsed;
    }
    if (request.from.isValid() != request.to.isValid())
        return Failure(QStringLiteral("--from and --to go together"));
    if (request.isRange()) {
        if (request.day.isValid())
            return Failure(QStringLiteral("--day or --from and --to, not both"));
        if (request.from > request.to)
            return Failure(QStringLiteral("--from is after --to"));
        if (!row->range)
            return Failure(
                QStringLiteral("a range of days is exported as %1").arg(ExportEndings(true)));
    }
    if (parser.isSet(options.abnormalOnly) && parser.isSet(options.summary))
        return Failure(QStringLiteral("--abnormal-only or --summary, not both"));
    if (parser.isSet(options.abnormalOnly) || parser.isSet(options.summary)) {
        if (format != ExportFormat::Report || request.isRange())
            return Failure(
                QStringLiteral("--abnormal-only and --summary are for a day's .pdf report"));
        request.form =
            parser.isSet(options.summary) ? ReportForm::Summary : ReportForm::AbnormalOnly;
    }
    line.action = CommandLine::Action::Export;
    return line;
}

} // namespace

CommandLine ParseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows, speaks and records the readings of an R9 or R9  Pro infrared "
                       "thermometer on a serial port. Records go to TempData/ and Ini/ in the "
                       "data folder: the one given with --data, else $KESTRIM_HOME, else the "
                       "working folder (on Windows, %USERPROFILE%\\Kestrim when the working "
                       "folder is the install folder or cannot be written)."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Start on this port, COM1 to COM20. With --export: the day file of this "
                       "port (needed when the day has records on several ports); for a range, "
                       "only this port's files."),
        QStringLiteral("COMn"));
    const QCommandLineOption connect(QStringLiteral("connect"),
                                     QStringLiteral("Connect to the thermometer at once."));
    const QCommandLineOption language(
        QStringLiteral("language"),
        QStringLiteral("Interface language: en or zh. With --export: the language of the report, "
                       "the workbook's captions and the CSV's header (otherwise the one "
                       "remembered in Kestrim.ini of the data folder)."),
        QStringLiteral("en|zh"));
    const QCommandLineOption exportFile(
        QStringLiteral("export"),
        QStringLiteral("Write the records of the data folder to FILE and exit, without a window. "
                       "The ending names the format: .pdf (the printed report), .xlsx (a "
                       "workbook), .csv, or .txt (a copy of the day file); a range of days as "
                       "%1.")
            .arg(ExportEndings(true)),
        QStringLiteral("FILE"));
    const QCommandLineOption day(QStringLiteral("day"),
                                 QStringLiteral("With --export: the day, today when not given."),
                                 QStringLiteral("YYYY-MM-DD"));
    const QCommandLineOption from(
        QStringLiteral("from"),
        QStringLiteral("With --export and --to: a range of days (every port, unless --port "
                       "names one) as one %1 file.")
            .arg(ExportEndings(true)),
        QStringLiteral("YYYY-MM-DD"));
    const QCommandLineOption to(QStringLiteral("to"),
                                QStringLiteral("With --export: the range's last day."),
                                QStringLiteral("YYYY-MM-DD"));
    const QCommandLineOption data(QStringLiteral("data"),
                                  QStringLiteral("Keep the records in this folder (made when "
                                                 "missing)."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption device(
        QStringLiteral("device"),
        QStringLiteral("Print the device that stands behind --port COMn (an entry in Ports/ of "
                       "the data folder, or the system's own name) and exit."));
    const QCommandLineOption abnormalOnly(
        QStringLiteral("abnormal-only"),
        QStringLiteral("With --export of a .pdf: the summary, the chart and only the abnormal "
                       "readings."));
    const QCommandLineOption summary(
        QStringLiteral("summary"),
        QStringLiteral("With --export of a .pdf: the summary and the chart on one page."));
    const QCommandLineOption record(
        QStringLiteral("record"),
        QStringLiteral("Record from the thermometer on --port COMn without a window: each reading "
                       "is spoken, stored and printed as a line, until Ctrl+C or SIGTERM."));
    parser.addOptions({port, connect, language, data, exportFile, day, from, to, abnormalOnly,
                       summary, device, record});

    if (!parser.parse(arguments))
        return Failure(parser.errorText());
    CommandLine line;
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        line.action = CommandLine::Action::Help;
        // The usage line names the program as people type it, whatever path started it.
        static const QRegularExpression usage(QStringLiteral("^Usage: \\S+"));
        line.text =
            parser.helpText().replace(usage, QStringLiteral("Usage: kestrim")) +
            QStringLiteral("\nExit status:\n"
                           "  0  the window closed, or --export wrote its file\n"
                           "  1  --export found nothing to export (no records that day or in the\n"
                           "     range), or a file could not be read or written; nothing is "
                           "written\n"
                           "  2  a mistyped option, an unknown ending, or --export of a day with\n"
                           "     records on several ports without --port\n");
        return line;
    }
    if (parser.isSet(version)) {
        line.action = CommandLine::Action::Version;
        line.text = QStringLiteral("kestrim %1").arg(kVersion);
        return line;
    }
    if (!parser.positionalArguments().isEmpty())
        return Failure(
            QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first()));
    if (parser.isSet(port)) {
        const std::optional<int> number = PortNumber(parser.value(port));
        if (!number)
            return Failure(
                QStringLiteral("--port \"%1\" is not COM1 to COM20").arg(parser.value(port)));
        line.options.port = *number;
    }
    if (parser.isSet(language)) {
        line.options.language = LanguageCode(parser.value(language));
        if (!line.options.language)
            return Failure(
                QStringLiteral("--language \"%1\" is not en or zh").arg(parser.value(language)));
    }
    line.options.connect = parser.isSet(connect);
    if (parser.isSet(data)) {
        line.options.dataFolder = parser.value(data);
        if (line.options.dataFolder.isEmpty())
            return Failure(QStringLiteral("--data needs a folder"));
    }
    if (parser.isSet(device)) {
        if (!parser.isSet(port))
            return Failure(QStringLiteral("--device needs --port"));
        if (parser.isSet(exportFile) || parser.isSet(connect))
            return Failure(QStringLiteral("--device goes with --port and --data only"));
        line.action = CommandLine::Action::Device;
        return line;
    }
    if (parser.isSet(record)) {
        if (!parser.isSet(port))
            return Failure(QStringLiteral("--record needs --port"));
        if (parser.isSet(exportFile) || parser.isSet(connect))
            return Failure(QStringLiteral("--record goes with --port, --language and --data only"));
        line.action = CommandLine::Action::Record;
    }
    if (!parser.isSet(exportFile)) {
        for (const QCommandLineOption &only : {day, from, to, abnormalOnly, summary})
            if (parser.isSet(only))
                return Failure(QStringLiteral("--%1 needs --export").arg(only.names().first()));
        return line;
    }
    return ParseExport(parser, line, {exportFile, day, from, to, connect, abnormalOnly, summary});
}
