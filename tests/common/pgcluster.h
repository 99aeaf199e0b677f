// A private PostgreSQL server for a test, from the Debian packages (postgresql-15): initdb in a
// temporary folder, the server on a free port of 127.0.0.1 and on a socket in that folder, run
// as a child of the test (it dies with it) and removed at the end.
//
// PostgreSQL refuses to run as root; run as root (CI), the server runs as the user "nobody".
// Local (socket) connections are trusted; TCP connections need the password kPassword.
//
// Unix only (sockets in a folder, signals that stop and resume the server): on Windows
// programs() is empty and the tests that need a server skip.
//
//   PgCluster server;
//   if (PgCluster::programs().isEmpty()) QSKIP("…");
//   QVERIFY2(server.start(), qPrintable(server.log()));
#pragma once

#include "centralsettings.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>

#ifndef Q_OS_WIN
#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>
#endif

class PgCluster {
public:
    static inline const QString kUser = QStringLiteral("kestrim");
    static inline const QString kPassword = QStringLiteral("s3cret-pw");

    // The folder with initdb and postgres; empty when PostgreSQL 15 is not installed.
    static QString programs()
    {
#ifdef Q_OS_WIN
        return {};
#else
        for (const QString &folder :
             {QStringLiteral("/usr/lib/postgresql/15/bin"),
              QFileInfo(QStandardPaths::findExecutable(QStringLiteral("initdb"))).path()})
            if (QFileInfo(folder + QStringLiteral("/initdb")).isExecutable() &&
                QFileInfo(folder + QStringLiteral("/postgres")).isExecutable())
                return folder;
        return {};
#endif
    }

    PgCluster()
        : m_dir((AsRoot() ? QStringLiteral("/tmp") : QDir::tempPath()) +
                QStringLiteral("/kestrim-pg-XXXXXX"))
    {
        // The server (not root) must reach its folders; nothing else in them is secret.
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ExeGroup | QFile::ExeOther);
#ifndef Q_OS_WIN
        if (AsRoot()) {
            const passwd *nobody = ::getpwnam("nobody");
            m_uid = nobody ? nobody->pw_uid : 65534;
            m_gid = nobody ? nobody->pw_gid : 65534;
        }
#endif
    }
    ~PgCluster()
    {
        pause(false);
        stop();
    }
    PgCluster(const PgCluster &) = delete;
    PgCluster &operator=(const PgCluster &) = delete;

    // Makes the cluster (once) and starts the server; false with log() saying why.
    bool start()
    {
        if (!m_initialised && !initialise())
            return false;
        m_log.clear();
        m_server = std::make_unique<QProcess>();
        m_server->setProcessChannelMode(QProcess::MergedChannels);
        asServer(*m_server);
        m_server->start(programs() + QStringLiteral("/postgres"),
                        QStringList{QStringLiteral("-D"), data(), QStringLiteral("-p"),
                                    QString::number(m_port), QStringLiteral("-k"), sockets(),
                                    QStringLiteral("-c"),
                                    QStringLiteral("listen_addresses=127.0.0.1"),
                                    QStringLiteral("-c"), QStringLiteral("fsync=off"),
                                    QStringLiteral("-c"), QStringLiteral("max_connections=40")} +
                            m_options);
        const QDeadlineTimer deadline(30000);
        while (!m_log.contains("ready to accept connections") && !deadline.hasExpired()) {
            if (m_server->state() == QProcess::NotRunning)
                return false;
            m_server->waitForReadyRead(100);
            m_log += m_server->readAll();
        }
        return m_log.contains("ready to accept connections");
    }

    // Further server settings (each passed as -c name=value) for the next start().
    void setOptions(const QStringList &settings)
    {
        m_options.clear();
        for (const QString &setting : settings)
            m_options << QStringLiteral("-c") << setting;
    }

    // Writes a file for the server to read, its own and readable by it alone (as it demands of
    // a TLS key); its path.
    QString serverFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return {};
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        if (m_uid >= 0 && ::chown(qPrintable(path), uid_t(m_uid), gid_t(m_gid)) != 0)
            return {};
        return path;
    }

    // A fast shutdown, as an administrator would stop it.
    void stop()
    {
        if (!m_server || m_server->state() == QProcess::NotRunning)
            return;
#ifdef Q_OS_WIN
        m_server->terminate();
#else
        ::kill(pid_t(m_server->processId()), SIGINT);
#endif
        if (!m_server->waitForFinished(30000)) {
            m_server->kill();
            m_server->waitForFinished();
        }
        m_log += m_server->readAll();
    }

    // The server and every process of it stop (or go on): a server that hangs, as a firewall
    // dropping packets looks from the desk.
    void pause(bool on)
    {
        if (!m_server || m_server->state() == QProcess::NotRunning || on == m_paused)
            return;
        m_paused = on;
#ifndef Q_OS_WIN
        const int signal = on ? SIGSTOP : SIGCONT;
        const pid_t postmaster = pid_t(m_server->processId());
        ::kill(postmaster, signal);
        for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            QFile stat(QStringLiteral("/proc/") + entry + QStringLiteral("/stat"));
            if (!stat.open(QIODevice::ReadOnly))
                continue;
            // pid (comm) state ppid …; comm may hold spaces, so read after its ')'.
            const QByteArray line = stat.readAll();
            const QList<QByteArray> rest = line.mid(line.lastIndexOf(')') + 2).split(' ');
            if (rest.size() > 1 && rest[1].toInt() == postmaster)
                ::kill(pid_t(entry.toInt()), signal);
        }
#endif
    }

    bool running() const
    {
        return m_server && m_server->state() == QProcess::Running;
    }
    int port() const
    {
        return m_port;
    }
    QString sockets() const
    {
        return m_dir.filePath(QStringLiteral("sockets"));
    }
    QString log() const
    {
        return QString::fromLocal8Bit(m_log);
    }

    // A desk's settings for `database` over the socket (trusted).
    CentralSettings settings(const QString &desk, const QString &database) const
    {
        CentralSettings settings;
        settings.host = sockets();
        settings.port = m_port;
        settings.user = kUser;
        settings.database = database;
        settings.desk = desk;
        // One installation per desk name, unless a test says otherwise.
        settings.installation =
            QUuid::createUuidV5(QUuid(), desk.toUtf8()).toString(QUuid::WithoutBraces);
        return settings;
    }

    // Runs `sql` in `database` as the superuser; the first value of its first row, if any.
    QVariant query(const QString &sql, const QString &database = QStringLiteral("postgres"))
    {
        const QString name = QStringLiteral("pgcluster-%1").arg(++m_connections);
        QVariant value;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            db.setHostName(sockets());
            db.setPort(m_port);
            db.setUserName(kUser);
            db.setDatabaseName(database);
            if (!db.open()) {
                qWarning() << "pgcluster:" << db.lastError().text();
            } else {
                QSqlQuery q(db);
                if (!q.exec(sql))
                    qWarning() << "pgcluster:" << sql << q.lastError().text();
                else if (q.next())
                    value = q.value(0);
            }
        }
        QSqlDatabase::removeDatabase(name);
        return value;
    }

private:
    static bool AsRoot()
    {
#ifdef Q_OS_WIN
        return false;
#else
        return ::geteuid() == 0;
#endif
    }

    QString data() const
    {
        return m_dir.filePath(QStringLiteral("data"));
    }

    bool initialise()
    {
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost, 0))
            return false;
        m_port = probe.serverPort();
        probe.close();
        const QString passwordFile = m_dir.filePath(QStringLiteral("password"));
        QFile password(passwordFile);
        if (!password.open(QIODevice::WriteOnly) || password.write(kPassword.toUtf8()) < 0)
            return false;
        password.close();
        for (const QString &path : {data(), sockets(), passwordFile}) {
            if (path != passwordFile && !QDir().mkpath(path))
                return false;
#ifndef Q_OS_WIN
            if (m_uid >= 0 && ::chown(qPrintable(path), uid_t(m_uid), gid_t(m_gid)) != 0)
                return false;
#endif
        }
        QProcess initdb;
        initdb.setProcessChannelMode(QProcess::MergedChannels);
        asServer(initdb);
        initdb.start(programs() + QStringLiteral("/initdb"),
                     {QStringLiteral("-D"), data(), QStringLiteral("-U"), kUser,
                      QStringLiteral("--auth-local=trust"),
                      QStringLiteral("--auth-host=scram-sha-256"),
                      QStringLiteral("--pwfile=") + passwordFile, QStringLiteral("--no-sync"),
                      QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C")});
        initdb.waitForFinished(60000);
        m_log = initdb.readAll();
        m_initialised = initdb.exitStatus() == QProcess::NormalExit && initdb.exitCode() == 0;
        return m_initialised;
    }

    // Runs the program as the server's user, and ends it with the test.
    void asServer(QProcess &process) const
    {
        process.setWorkingDirectory(m_dir.path());
#ifndef Q_OS_WIN
        const int uid = m_uid, gid = m_gid;
        process.setChildProcessModifier([uid, gid] {
            if (uid >= 0 && (::setgroups(0, nullptr) != 0 || ::setgid(gid_t(gid)) != 0 ||
                             ::setuid(uid_t(uid)) != 0))
                ::_exit(126);
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        });
#endif
    }

    // As root, under /tmp whatever TMPDIR says: "nobody" must reach it, and a socket's path has
    // a length limit.
    QTemporaryDir m_dir;
    int m_uid = -1;
    int m_gid = -1;
    int m_port = 0;
    bool m_initialised = false;
    bool m_paused = false;
    int m_connections = 0;
    std::unique_ptr<QProcess> m_server;
    QByteArray m_log;
    QStringList m_options;
};
