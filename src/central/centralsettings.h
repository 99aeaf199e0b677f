// Where this desk sends its readings, when anywhere: the [central] group of Kestrim.ini.
//
//   [central]
//   url=postgresql://kestrim@records.example:5432/kestrim?sslmode=verify-full&sslrootcert=ca.crt
//   desk=Entrance A
//
// Without a url (the default) nothing central happens at all. The password is never taken from
// the ini: the PostgreSQL client library finds it in PGPASSWORD or in ~/.pgpass (PGPASSFILE), so
// a password written into the url is left out and said so in the log. The url's options are the
// socket folder (host), the port, and the TLS settings passed to the client library as they are
// (sslmode, sslrootcert, sslcert, sslkey, sslcrl, require_auth); any other option is refused,
// never ignored.
//
// The desk's own identity is a UUID made once and kept in Kestrim-central-id.txt beside the
// cursor file: the server keys this desk's rows by it, and `desk` is only their readable label.
#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <optional>

inline const QString kInstallationFile = QStringLiteral("Kestrim-central-id.txt");

struct CentralSettings {
    QString host; // a name, an address, or a folder holding the server's socket
    int port = 5432;
    QString user;     // empty: the client library's default (the login name)
    QString database; // empty: the same as the user
    QString desk;     // this desk's name in the central records
    // This installation's UUID ("xxxxxxxx-xxxx-…", without braces).
    QString installation;
    // The url's TLS options, as the client library names them, in the url's order.
    QList<QPair<QString, QString>> tls;
    // How long a statement, or connecting, may go unanswered before the connection is cut and
    // the server counts as unreachable.
    int answerLimitMs = 10000;

    // The server and installation as one text without any password, for the log and to tell
    // whether what the cursors record was confirmed by this server for this installation.
    QString identity() const;
    // Every connection parameter but the password, as libpq keyword/value pairs.
    QList<QPair<QString, QString>> connectParameters(const QString &purpose) const;
    bool operator==(const CentralSettings &other) const = default;
};

// The url's parts and the desk; nothing for a url that is empty, not a PostgreSQL one or with an
// option Kestrim does not pass on (`problem` then says why, for a url that was given, without
// quoting any part of the url: a url that does not parse whole is only "the url could not be
// read", so a password that needed %-escaping never reaches the log or the window). A desk left
// empty is the computer's name. The url may name the host as `?host=/run/postgresql` (a socket
// folder), as libpq does. The installation is left empty.
std::optional<CentralSettings> ParseCentralSettings(const QString &url, const QString &desk,
                                                    QString *problem = nullptr);

// The [central] group of the ini file at `path`, with the installation's identity (kept beside
// it, made at the first call); nothing when it names no server, or names it in a way that is
// refused (`problem` says why).
std::optional<CentralSettings> LoadCentralSettings(const QString &path, QString *problem = nullptr);

// The desk named in the [central] group of the ini file at `path` when it names a server that
// is not refused (the computer's name when it names none for the desk); empty otherwise. Reads
// nothing else and makes no file: for the reports of a desk that is not sending.
QString CentralDeskName(const QString &path);

// The installation's UUID from `path`, made and written there (readable by the owner only) when
// the file is missing or holds no UUID. Empty when it cannot be written.
QString LoadInstallationId(const QString &path = kInstallationFile);
