// kestrim-sim run by a test: started with arguments, the pseudo-terminal's path read from its
// first line, lines typed into its standard input, its log on standard error collected.
//
// The accessors only read what the event loop has collected, so they suit QTRY_ macros:
//   QTRY_VERIFY_WITH_TIMEOUT(sim.receivedFrames().contains(SettingsRequestFrame()), 10000);
// The target needs kestrim_use_sim(<target>) for KESTRIM_SIM_PATH.
#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>

class SimProcess {
public:
    SimProcess()
    {
        // A simulator serves until a signal; it must not outlive a test that crashed.
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
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
    QString start(const QStringList &arguments = {}, int timeoutMs = 10000)
    {
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

    QString ptyPath() const { return m_ptyPath; }

    // Types one line into the simulator: "36.5", "raw 55 AA …", "env 22.5".
    bool send(const QString &line)
    {
        const QByteArray bytes = line.toUtf8() + '\n';
        return m_process.write(bytes) == bytes.size();
    }

    QStringList stderrLines() const { return m_lines; }
    // Frames the simulator received from the host, in order.
    QList<QByteArray> receivedFrames() const { return framesLogged(QLatin1String("rx ")); }
    // Bytes the simulator sent, one entry per frame or raw command.
    QList<QByteArray> sentFrames() const { return framesLogged(QLatin1String("tx ")); }

    bool waitForReceived(const QByteArray &frame, int timeoutMs = 10000)
    {
        return QTest::qWaitFor([&] { return receivedFrames().contains(frame); }, timeoutMs);
    }

    // SIGTERM, then waits. True when the simulator ended cleanly (exit code 0).
    bool stop(int timeoutMs = 10000)
    {
        if (m_process.state() == QProcess::NotRunning)
            return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
        m_process.terminate();
        if (!m_process.waitForFinished(timeoutMs)) {
            m_process.kill();
            m_process.waitForFinished(timeoutMs);
            return false;
        }
        collect();
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }

    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    int exitCode() const { return m_process.exitCode(); }

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
