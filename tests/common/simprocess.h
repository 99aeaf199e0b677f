// kestrim-sim run by a test: started with arguments, the address of its end read from its
// first line (the pseudo-terminal's path, or "pipe:NAME"), lines typed into its standard
// input, its log on standard error collected.
//
// With KESTRIM_SIM_TRANSPORT=pipe in the environment, and always on Windows, the simulator
// serves a local socket of a name of its own instead of a pseudo-terminal, and --link makes
// Ports/comN a text file naming it; the same tests then run over that transport.
//
// The accessors only read what the event loop has collected, so they suit QTRY_ macros:
//   QTRY_VERIFY_WITH_TIMEOUT(sim.receivedFrames().contains(SettingsRequestFrame()), 10000);
// The target needs kestrim_use_sim(<target>) for KESTRIM_SIM_PATH.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <atomic>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

class SimProcess {
public:
    SimProcess()
    {
#ifdef Q_OS_LINUX
        // A simulator serves until a signal; it must not outlive a test that crashed.
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
        QObject::connect(&m_process, &QProcess::readyReadStandardError, [this] { collect(); });
    }
    ~SimProcess()
    {
        stop();
        QObject::disconnect(&m_process, nullptr, nullptr, nullptr);
    }
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    // Starts the simulator and returns its pseudo-terminal's path; empty when it did not start
    // (stderrLines() then says why, exitCode() how it ended).
    QString start(QStringList arguments = {}, int timeoutMs = 10000)
    {
        if (UsesPipe() && !arguments.contains(QStringLiteral("--pipe"))) {
            static std::atomic<int> serial = 0;
            arguments.prepend(QStringLiteral("kestrim-test-%1-%2")
                                  .arg(QCoreApplication::applicationPid())
                                  .arg(++serial));
            arguments.prepend(QStringLiteral("--pipe"));
        }
        m_process.start(QStringLiteral(KESTRIM_SIM_PATH), arguments);
        const QDeadlineTimer deadline(timeoutMs);
        while (!m_process.canReadLine() && m_process.state() != QProcess::NotRunning &&
               !deadline.hasExpired())
            m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        if (!m_process.canReadLine()) {
            m_process.waitForFinished(int(qMax<qint64>(1, deadline.remainingTime())));
            collect();
            return {};
        }
        m_ptyPath = QString::fromLocal8Bit(m_process.readLine()).trimmed();
        return m_ptyPath;
    }

    QString ptyPath() const
    {
        return m_ptyPath;
    }

    // Whether simulators are served on local sockets rather than pseudo-terminals.
    static bool UsesPipe()
    {
#ifdef Q_OS_WIN
        return true;
#else
        return qgetenv("KESTRIM_SIM_TRANSPORT") == "pipe";
#endif
    }
    // What a simulator's --link entry names: a link's target, or the text of a file.
    static QString EntryTarget(const QString &path)
    {
        const QFileInfo entry(path);
        if (entry.isSymLink())
            return entry.symLinkTarget();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readLine()).trimmed();
    }
    // Whether anything is at path, a dangling link included.
    static bool EntryExists(const QString &path)
    {
        const QFileInfo entry(path);
        return entry.isSymLink() || entry.exists();
    }

    // Types one line into the simulator: "36.5", "raw 55 AA …", "env 22.5".
    bool send(const QString &line)
    {
        const QByteArray bytes = line.toUtf8() + '\n';
        return m_process.write(bytes) == bytes.size();
    }

    QStringList stderrLines() const
    {
        return m_lines;
    }
    // Frames the simulator received from the host, in order.
    QList<QByteArray> receivedFrames() const
    {
        return framesLogged(QLatin1String("rx "));
    }
    // Bytes the simulator sent, one entry per frame or raw command.
    QList<QByteArray> sentFrames() const
    {
        return framesLogged(QLatin1String("tx "));
    }

    bool waitForReceived(const QByteArray &frame, int timeoutMs = 10000)
    {
        return QTest::qWaitFor([&] { return receivedFrames().contains(frame); }, timeoutMs);
    }

    // SIGTERM (over a local socket: the command "quit", which is how a console program is asked
    // to end on Windows), then waits. True when the simulator ended cleanly (exit code 0).
    bool stop(int timeoutMs = 10000)
    {
        if (m_process.state() == QProcess::NotRunning)
            return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
        if (UsesPipe())
            send(QStringLiteral("quit"));
        else
            m_process.terminate();
        if (!m_process.waitForFinished(timeoutMs)) {
            m_process.kill();
            m_process.waitForFinished(timeoutMs);
            return false;
        }
        collect();
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }

    bool isRunning() const
    {
        return m_process.state() != QProcess::NotRunning;
    }
    int exitCode() const
    {
        return m_process.exitCode();
    }

private:
    void collect()
    {
        m_partial += m_process.readAllStandardError();
        qsizetype end;
        while ((end = m_partial.indexOf('\n')) >= 0) {
            m_lines.append(QString::fromUtf8(m_partial.first(end)));
            m_partial.remove(0, end + 1);
        }
    }

    QList<QByteArray> framesLogged(QLatin1String prefix) const
    {
        QList<QByteArray> frames;
        for (const QString &line : m_lines) {
            if (line.startsWith(prefix))
                frames.append(QByteArray::fromHex(line.sliced(prefix.size()).toLatin1()));
        }
        return frames;
    }

    QProcess m_process;
    QString m_ptyPath;
    QByteArray m_partial;
    QStringList m_lines;
};
