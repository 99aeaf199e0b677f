// Desks that record readings and send them to a private PostgreSQL (PgCluster) through the real
// sending logic (CentralSync on PgCentralStore), each in its own working folder, as separate
// desks would: a day file per port, abnormal readings also in the day's warning file, every
// desk its own installation. The desks send one after the other, each until all is sent.
#pragma once

#include "centralcursors.h"
#include "centralsync.h"
#include "pgcentralstore.h"
#include "pgcluster.h"
#include "records/dayrecords.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <memory>

class BoardDesks {
public:
    BoardDesks(PgCluster &server, const QString &database)
        : m_server(server)
        , m_database(database)
    {}

    // Appends readings of `desk` on `port`, taken at `at` and a second apart, without sending.
    // `values` are as a day file holds them ("36.5C", "100.4F"); `abnormal` says which are.
    bool write(const QString &desk, int port, const QDateTime &at, const QStringList &values,
               const QList<bool> &abnormal)
    {
        Folder &folder = m_folders[desk];
        if (!folder.dir.isValid())
            return false;
        const Enter enter(folder.dir.path());
        QByteArray lines, warnings;
        QDateTime taken = at;
        for (qsizetype i = 0; i < values.size(); ++i, taken = taken.addSecs(1)) {
            const QByteArray line = QStringLiteral("%1,%2,%3,24.5C\r\n")
                                        .arg(++folder.quantity[port])
                                        .arg(taken.toString(QStringLiteral("HH:mm:ss")), values[i])
                                        .toUtf8();
            lines += line;
            if (abnormal.value(i))
                warnings += line;
        }
        return Append(DayRecords().dayFilePath(at.date(), port), lines) &&
               (warnings.isEmpty() || Append(DayRecords().warningFilePath(at.date()), warnings));
    }

    // Sends everything `desk` has written until the server holds all of it.
    bool send(const QString &desk, int timeoutMs = 60000)
    {
        Folder &folder = m_folders[desk];
        const Enter enter(folder.dir.path());
        const CentralSettings settings = m_server.settings(desk, m_database);
        CentralSync sync(std::make_unique<PgCentralStore>(settings),
                         CentralCursors(kCentralCursorFile, settings.identity()));
        sync.start();
        const bool sent = QTest::qWaitFor(
            [&] {
                return !sync.busy() && sync.status().link == CentralStatus::Link::Reachable &&
                       sync.status().waiting == 0;
            },
            timeoutMs);
        if (!sent)
            qWarning() << "desk" << desk << "could not send:" << sync.status().reason;
        return sent;
    }

    bool record(const QString &desk, int port, const QDateTime &at, const QString &value,
                bool abnormal)
    {
        return write(desk, port, at, {value}, {abnormal}) && send(desk);
    }

private:
    struct Folder {
        QTemporaryDir dir;
        std::map<int, qint64> quantity;
    };
    // The desk's folder is the working folder while it writes or sends.
    struct Enter {
        explicit Enter(const QString &path)
            : previous(QDir::currentPath())
        {
            QDir::setCurrent(path);
        }
        ~Enter() { QDir::setCurrent(previous); }
        QString previous;
    };

    static bool Append(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        return file.open(QIODevice::Append) && file.write(bytes) == bytes.size();
    }

    PgCluster &m_server;
    QString m_database;
    std::map<QString, Folder> m_folders;
};
