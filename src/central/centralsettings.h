// Where this desk sends its readings, when anywhere: the [central] group of Kestrim.ini.
//
//   [central]
//   url=postgresql://kestrim@records.example:5432/kestrim
//   desk=Entrance A
//
// Without a url (the default) nothing central happens at all. The password is never taken from
// the ini: the PostgreSQL client library finds it in PGPASSWORD or in ~/.pgpass (PGPASSFILE), so
// a password written into the url is left out and said so in the log.
#pragma once

#include <QString>

#include <optional>

struct CentralSettings {
    QString host; // a name, an address, or a folder holding the server's socket
    int port = 5432;
    QString user;     // empty: the client library's default (the login name)
    QString database; // empty: the same as the user
    QString desk;     // this desk's name in the central records
    // How long a statement may go unanswered before the connection is cut and the server
    // counts as unreachable.
    int answerLimitMs = 10000;

    // The server and desk as one text without any password, for the log and to tell whether
    // what the cursors record was confirmed by this server for this desk.
    QString identity() const;
    // The connection options besides host, port, user and database (libpq key=value pairs,
    // separated by ';' as QSqlDatabase::setConnectOptions takes them).
    QString connectOptions() const;
    bool operator==(const CentralSettings &other) const = default;
};

// The url's parts and the desk; nothing for a url that is empty or not a PostgreSQL one
// (`problem` then says why, for a url that was given). A desk left empty is the computer's
// name. The url may name the host as `?host=/run/postgresql` (a socket folder), as libpq does.
std::optional<CentralSettings> ParseCentralSettings(const QString &url, const QString &desk,
                                                    QString *problem = nullptr);

// The [central] group of the ini file at `path`; nothing when it names no server.
std::optional<CentralSettings> LoadCentralSettings(const QString &path);
