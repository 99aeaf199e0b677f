#include "centralsettings.h"

#include "logging.h"
#include "records/filesharing.h"
#include "regularfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSysInfo>
#include <QUrl>
#include <QUrlQuery>
#include <QUuid>

#if KESTRIM_CENTRAL
#include <libpq-fe.h>
#endif

namespace {

// PostgreSQL's client library version as a number (150004 for 15.4); 0 in a build without it.
int ClientLibraryVersion()
{
#if KESTRIM_CENTRAL
    return PQlibVersion();
#else
    return 0;
#endif
}

// Long enough for a server across a slow link, short enough that a desk gives up on a hung one
// in good time; libpq takes no less than 2 s.
constexpr int kConnectTimeoutS = 3;

// The url options handed to the client library as they are.
const QStringList kTlsOptions{QStringLiteral("sslmode"), QStringLiteral("sslrootcert"),
                              QStringLiteral("sslcert"), QStringLiteral("sslkey"),
                              QStringLiteral("sslcrl"),  QStringLiteral("require_auth")};
const QStringList kSslModes{QStringLiteral("disable"),   QStringLiteral("allow"),
                            QStringLiteral("prefer"),    QStringLiteral("require"),
                            QStringLiteral("verify-ca"), QStringLiteral("verify-full")};

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
    return QStringLiteral("postgresql://%1@%2:%3/%4 installation=%5")
        .arg(user, host, QString::number(port), database, installation);
}

QList<QPair<QString, QString>> CentralSettings::connectParameters(const QString &purpose) const
{
    QList<QPair<QString, QString>> parameters{
        {QStringLiteral("host"), host},
        {QStringLiteral("port"), QString::number(port)},
        {QStringLiteral("connect_timeout"), QString::number(kConnectTimeoutS)},
        {QStringLiteral("application_name"), QStringLiteral("kestrim ") + purpose},
        // Keepalives notice a server that vanished while the connection was idle (a cable
        // pulled, a firewall dropping the link); tcp_user_timeout one that stopped taking what
        // is sent; a server that takes it and answers no more is given up by the connection's
        // own deadline.
        {QStringLiteral("keepalives"), QStringLiteral("1")},
        {QStringLiteral("keepalives_idle"), QStringLiteral("30")},
        {QStringLiteral("keepalives_interval"), QStringLiteral("10")},
        {QStringLiteral("keepalives_count"), QStringLiteral("3")},
        {QStringLiteral("tcp_user_timeout"), QString::number(answerLimitMs)},
    };
    if (!user.isEmpty())
        parameters.append({QStringLiteral("user"), user});
    if (!database.isEmpty())
        parameters.append({QStringLiteral("dbname"), database});
    parameters.append(tls);
    return parameters;
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
    // No refusal quotes the url or any part of it: a password with a character that needed
    // %-escaping ('#', '/', '?', '@') ends the url's authority early, and whatever follows, the
    // rest of the password included, lands in the port, the path, the options or a fragment.
    // QUrl's own message quotes the url, password and all.
    const QString unread = QStringLiteral("the url could not be read");
    const QUrl parsed(url.trimmed(), QUrl::StrictMode);
    if (!parsed.isValid())
        return refuse(unread);
    if (parsed.scheme() != QStringLiteral("postgresql") &&
        parsed.scheme() != QStringLiteral("postgres"))
        return refuse(QStringLiteral("the url is not a PostgreSQL one"));
    // An '@' after the host is the end of a password cut short; a PostgreSQL url has no
    // fragment.
    if (parsed.hasFragment() || parsed.path(QUrl::FullyEncoded).contains(u'@') ||
        parsed.query(QUrl::FullyEncoded).contains(u'@') ||
        parsed.query(QUrl::FullyDecoded).contains(u'@'))
        return refuse(unread);
    if (!parsed.password().isEmpty())
        qCWarning(lcCentral) << "the password in the url is not used; PGPASSWORD or ~/.pgpass "
                                "give it";

    CentralSettings settings;
    const QUrlQuery query(parsed);
    for (const auto &[key, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (key == QStringLiteral("host") || key == QStringLiteral("port"))
            continue;
        if (key.compare(QStringLiteral("password"), Qt::CaseInsensitive) == 0)
            return refuse(QStringLiteral("the url gives a password as an option; PGPASSWORD or "
                                         "~/.pgpass give it"));
        if (!kTlsOptions.contains(key))
            return refuse(QStringLiteral("the url has an option Kestrim does not pass on (it "
                                         "passes host, port, %1)")
                              .arg(kTlsOptions.join(QStringLiteral(", "))));
        if (key == QStringLiteral("sslmode") && !kSslModes.contains(value))
            return refuse(QStringLiteral("the url's sslmode is none of %1")
                              .arg(kSslModes.join(QStringLiteral(", "))));
        if (key == QStringLiteral("require_auth") && ClientLibraryVersion() < 160000)
            return refuse(QStringLiteral("require_auth needs PostgreSQL's client library 16 or "
                                         "later; this desk has %1")
                              .arg(ClientLibraryVersion() / 10000));
        settings.tls.append({key, value});
    }
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
    // An '@' would read as a password's end run into the path; Kestrim's databases have none.
    if (settings.database.contains(u'/') || settings.database.contains(u'@'))
        return refuse(QStringLiteral("the url's path is not a database name"));
    settings.desk = desk.trimmed().isEmpty() ? QSysInfo::machineHostName() : desk.trimmed();
    return settings;
}

std::optional<CentralSettings> LoadCentralSettings(const QString &path, QString *problem)
{
    QString why;
    // QSettings opens the file itself and would wait for ever on a named pipe in its place.
    if (!RegularFile::Usable(path, &why)) {
        why = QFileInfo(path).fileName() + u' ' + why;
        qCWarning(lcCentral).noquote() << why << "; readings are kept on this desk only";
        if (problem)
            *problem = why;
        return std::nullopt;
    }
    const QSettings ini(path, QSettings::IniFormat);
    const QString url = TextValue(ini, QStringLiteral("central/url"));
    std::optional<CentralSettings> settings =
        ParseCentralSettings(url, TextValue(ini, QStringLiteral("central/desk")), &why);
    if (!settings && !why.isEmpty())
        qCWarning(lcCentral).noquote()
            << path << "[central] url refused:" << why << "; readings are kept on this desk only";
    if (settings) {
        settings->installation =
            LoadInstallationId(QFileInfo(path).dir().filePath(kInstallationFile));
        if (settings->installation.isEmpty()) {
            why = QStringLiteral("%1 cannot be written").arg(kInstallationFile);
            settings.reset();
        }
    }
    if (problem)
        *problem = why;
    return settings;
}

QString CentralDeskName(const QString &path)
{
    if (!RegularFile::Usable(path))
        return {};
    const QSettings ini(path, QSettings::IniFormat);
    const std::optional<CentralSettings> settings =
        ParseCentralSettings(TextValue(ini, QStringLiteral("central/url")),
                             TextValue(ini, QStringLiteral("central/desk")));
    return settings ? settings->desk : QString();
}

QString LoadInstallationId(const QString &path)
{
    QString error;
    if (!RegularFile::Usable(path, &error)) {
        qCWarning(lcCentral).noquote() << path << error;
        return {};
    }
    QFile file(path);
    if (RegularFile::Open(file, QIODevice::ReadOnly)) {
        const QUuid id = QUuid::fromString(QString::fromLatin1(file.read(100)).trimmed());
        if (!id.isNull())
            return id.toString(QUuid::WithoutBraces);
        qCWarning(lcCentral) << path << "holds no installation id; a new one is made";
    }
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!FileSharing::ReplaceContents(path, id.toLatin1() + '\n', &error) ||
        !QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner)) {
        qCWarning(lcCentral) << path << "cannot be written:" << error;
        return {};
    }
    qCInfo(lcCentral) << "this installation is" << id;
    return id;
}
