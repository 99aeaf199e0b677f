// kestrim-board's command line:
//
//   kestrim-board --url postgresql://reader@server/kestrim [--listen 127.0.0.1:8080]
//
// The url takes the same forms as a desk's (the socket folder as ?host=, the TLS options); the
// password comes from PGPASSWORD or the password file, as the PostgreSQL client library finds
// it, never from the url. The page listens on 127.0.0.1 unless --listen names another address.
#pragma once

#include "centralsettings.h"

#include <QString>
#include <QStringList>

#include <optional>

inline constexpr int kDefaultBoardPort = 8080;

struct BoardOptions {
    CentralSettings settings;
    QString host = QStringLiteral("127.0.0.1");
    int port = kDefaultBoardPort; // 0: any free port (said on standard output)
};

// host:port, [v6 address]:port, or a port alone (on 127.0.0.1). False for anything else.
bool ParseListenAddress(const QString &text, QString *host, int *port);

// The options of `arguments` (the program's name first); nothing when they are wrong, with
// `problem` saying why, or when only help or the version was asked for (`problem` then holds
// that text and `helpOnly` is set).
std::optional<BoardOptions> ParseBoardOptions(const QStringList &arguments, QString *problem,
                                              bool *helpOnly);
