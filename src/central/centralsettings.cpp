#include "central/centralsettings.h"

#include "logging.h"

#include <QSettings>
#include <QSysInfo>
#include <QUrl>
#include <QUrlQuery>

namespace {

// Long enough for a server across a slow link, short enough that a desk gives up on a hung one
// in good time; libpq takes no less than 2 s.
constexpr int kConnectTimeoutS = 3;

// QSettings reads an unquoted value with commas as a list; a desk may have a comma in its name.
QString TextValue(const QSettings &ini, const QString &key)
{
    const QVariant value = ini.value(key);
    return value.typeId() == QMetaType::QStringList
               ? value.toStringList().join(QStringLiteral(", "))
               : value.toString();
}

} // namespace

QString CentralSettings::identity() const
{
    return QStringLiteral("postgresql://%1@%2:%3/%4 desk=%5")
        .arg(user, host, QString::number(port), database, desk);
}

QString CentralSettings::connectOptions() const
{
    // Keepalives notice a server that vanished while the connection was idle (a cable pulled,
    // a firewall dropping the link); a server that answers no more is cut off by the store's
    // own watchdog.
    return QStringLiteral("connect_timeout=%1;application_name=kestrim;keepalives=1;"
                          "keepalives_idle=30;keepalives_interval=10;keepalives_count=3")
        .arg(kConnectTimeoutS);
}

std::optional<CentralSettings> ParseCentralSettings(const QString &url, const QString &desk,
                                                    QString *problem)
{
    const auto refuse = [problem](const QString &why) -> std::optional<CentralSettings> {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    if (url.trimmed().isEmpty())
        return refuse({});
    const QUrl parsed(url.trimmed(), QUrl::StrictMode);
    if (!parsed.isValid())
        return refuse(QStringLiteral("not a url: ") + parsed.errorString());
    if (parsed.scheme() != QStringLiteral("postgresql") &&
        parsed.scheme() != QStringLiteral("postgres"))
        return refuse(QStringLiteral("not a postgresql:// url"));
    if (!parsed.password().isEmpty())
        qCWarning(lcCentral) << "the password in the url is not used; PGPASSWORD or ~/.pgpass "
                                "give it";

    CentralSettings settings;
    const QUrlQuery query(parsed);
    settings.host = query.hasQueryItem(QStringLiteral("host"))
                        ? query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded)
                        : parsed.host(QUrl::FullyDecoded);
    if (settings.host.isEmpty())
        return refuse(QStringLiteral("the url names no host"));
    bool portOk = true;
    settings.port = query.hasQueryItem(QStringLiteral("port"))
                        ? query.queryItemValue(QStringLiteral("port")).toInt(&portOk)
                        : parsed.port(5432);
    if (!portOk || settings.port <= 0 || settings.port > 65535)
        return refuse(QStringLiteral("the url's port is not a port number"));
    settings.user = parsed.userName(QUrl::FullyDecoded);
    settings.database = parsed.path(QUrl::FullyDecoded).mid(1);
    if (settings.database.contains(u'/'))
        return refuse(QStringLiteral("the url's path is not a database name"));
    settings.desk = desk.trimmed().isEmpty() ? QSysInfo::machineHostName() : desk.trimmed();
    return settings;
}

std::optional<CentralSettings> LoadCentralSettings(const QString &path)
{
    const QSettings ini(path, QSettings::IniFormat);
    QString problem;
    std::optional<CentralSettings> settings =
        ParseCentralSettings(TextValue(ini, QStringLiteral("central/url")),
                             TextValue(ini, QStringLiteral("central/desk")), &problem);
    if (!settings && !problem.isEmpty())
        qCWarning(lcCentral) << path << "[central] url:" << problem
                             << "; readings are kept on this desk only";
    return settings;
}
