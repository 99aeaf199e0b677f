#include "boardoptions.h"

#include <QCommandLineParser>
#include <QHostAddress>
#include <QRegularExpression>

bool ParseListenAddress(const QString &text, QString *host, int *port)
{
    static const QRegularExpression form(
        QStringLiteral("^(?:(?:\\[([0-9A-Fa-f:.]+)\\]|([^:\\[\\]]+)):)?([0-9]{1,5})$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return false;
    const int number = match.captured(3).toInt();
    if (number > 65535)
        return false;
    QString address = !match.captured(1).isEmpty() ? match.captured(1) : match.captured(2);
    if (address.isEmpty())
        address = QStringLiteral("127.0.0.1");
    // An address, not a name: the board says exactly where it listens.
    if (QHostAddress(address).isNull())
        return false;
    *host = address;
    *port = number;
    return true;
}

std::optional<BoardOptions> ParseBoardOptions(const QStringList &arguments, QString *problem,
                                              bool *helpOnly)
{
    *helpOnly = false;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Serves a live page of every desk that sends its readings to a central "
                       "PostgreSQL store. It only reads the store."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption url(
        QStringLiteral("url"),
        QStringLiteral("The central store, as a desk names it: postgresql://user@host[:port]/"
                       "database[?sslmode=…&sslrootcert=…]. The password comes from PGPASSWORD "
                       "or the password file (~/.pgpass, PGPASSFILE)."),
        QStringLiteral("url"));
    const QCommandLineOption listen(
        QStringLiteral("listen"),
        QStringLiteral("Where the page is served: address:port (default 127.0.0.1:%1). Port 0 "
                       "takes a free one.")
            .arg(kDefaultBoardPort),
        QStringLiteral("address:port"));
    parser.addOption(url);
    parser.addOption(listen);
    if (!parser.parse(arguments)) {
        *problem = parser.errorText();
        return std::nullopt;
    }
    if (parser.isSet(help) || parser.isSet(version)) {
        *helpOnly = true;
        *problem = parser.isSet(help)
                       ? parser.helpText()
                       : QStringLiteral("kestrim-board %1\n").arg(QStringLiteral(KESTRIM_VERSION));
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *problem = QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments()[0]);
        return std::nullopt;
    }
    if (!parser.isSet(url)) {
        *problem = QStringLiteral("--url is required: the central store to read");
        return std::nullopt;
    }
    BoardOptions options;
    QString why;
    const std::optional<CentralSettings> settings =
        ParseCentralSettings(parser.value(url), QStringLiteral("board"), &why);
    if (!settings) {
        // Never the url's text: a password in it must not reach a terminal or a log.
        *problem = QStringLiteral("the --url cannot be used: %1").arg(why);
        return std::nullopt;
    }
    options.settings = *settings;
    // The page is never held up by the server, so a server that stops answering is said soon.
    options.settings.answerLimitMs = 5000;
    if (parser.isSet(listen) &&
        !ParseListenAddress(parser.value(listen), &options.host, &options.port)) {
        *problem = QStringLiteral("--listen %1 is not address:port (such as 127.0.0.1:8080 or "
                                  "[::1]:8080)")
                       .arg(parser.value(listen));
        return std::nullopt;
    }
    return options;
}
