#include "commandline.h"

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

std::optional<int> LanguageCode(const QString &text)
{
    const QString code = text.toLower();
    if (code == QStringLiteral("zh") || code == QStringLiteral("chinese"))
        return 0;
    if (code == QStringLiteral("en") || code == QStringLiteral("english"))
        return 1;
    return std::nullopt;
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
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Start on this port, COM1 to COM20."),
                                  QStringLiteral("COMn"));
    const QCommandLineOption connect(QStringLiteral("connect"),
                                     QStringLiteral("Connect to the thermometer at once."));
    const QCommandLineOption language(QStringLiteral("language"),
                                      QStringLiteral("Interface language: en or zh."),
                                      QStringLiteral("en|zh"));
    const QCommandLineOption data(QStringLiteral("data"),
                                  QStringLiteral("Keep the records in this folder (made when "
                                                 "missing)."),
                                  QStringLiteral("DIR"));
    parser.addOptions({port, connect, language, data});

    if (!parser.parse(arguments))
        return Failure(parser.errorText());
    CommandLine line;
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        line.action = CommandLine::Action::Help;
        // The usage line names the program as people type it, whatever path started it.
        static const QRegularExpression usage(QStringLiteral("^Usage: \\S+"));
        line.text = parser.helpText().replace(usage, QStringLiteral("Usage: kestrim"));
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
    return line;
}
