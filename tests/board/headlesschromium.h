// A headless Chromium (Debian's `chromium`) driven through its DevTools protocol over a pipe
// (--remote-debugging-pipe: commands on the browser's fd 3, answers and events on its fd 4, each
// message JSON ended by a NUL byte), so a test needs nothing but the browser itself. One page
// (a target attached with a flat session) is opened at start.
//
//   HeadlessChromium browser;
//   if (HeadlessChromium::program().isEmpty()) QSKIP("…");
//   QVERIFY2(browser.start(), qPrintable(browser.error()));
//   browser.navigate(url);
//   QVERIFY(browser.waitFor("document.querySelectorAll('#desks tbody tr').length === 3"));
//
// Unix only.
#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

class HeadlessChromium {
public:
    // The browser's program; empty when none is installed.
    static QString program()
    {
        for (const QString &name : {QStringLiteral("chromium"), QStringLiteral("chromium-browser")})
            if (const QString path = QStandardPaths::findExecutable(name); !path.isEmpty())
                return path;
        return {};
    }

    HeadlessChromium() = default;
    ~HeadlessChromium() { stop(); }
    HeadlessChromium(const HeadlessChromium &) = delete;
    HeadlessChromium &operator=(const HeadlessChromium &) = delete;

    bool start(int width = 1280, int height = 900)
    {
        int toBrowser[2], fromBrowser[2];
        if (::pipe2(toBrowser, O_CLOEXEC) != 0 || ::pipe2(fromBrowser, O_CLOEXEC) != 0)
            return fail(QStringLiteral("no pipe"));
        m_write = toBrowser[1];
        m_read = fromBrowser[0];
        const int commands = toBrowser[0], answers = fromBrowser[1];
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(m_profile.filePath(QStringLiteral("browser.log")));
        m_process.setChildProcessModifier([commands, answers] {
            // Out of the way first, so that neither lands on the other's number.
            const int in = ::fcntl(commands, F_DUPFD, 10), out = ::fcntl(answers, F_DUPFD, 10);
            if (in < 0 || out < 0 || ::dup2(in, 3) != 3 || ::dup2(out, 4) != 4)
                ::_exit(126);
        });
        m_process.start(
            program(),
            {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
             QStringLiteral("--disable-gpu"), QStringLiteral("--disable-quic"),
             QStringLiteral("--no-first-run"), QStringLiteral("--disable-background-networking"),
             QStringLiteral("--disable-component-update"), QStringLiteral("--disable-sync"),
             QStringLiteral("--disable-dev-shm-usage"), QStringLiteral("--disable-extensions"),
             QStringLiteral("--remote-debugging-pipe"),
             QStringLiteral("--user-data-dir=") + m_profile.path(),
             QStringLiteral("--window-size=%1,%2").arg(width).arg(height),
             QStringLiteral("about:blank")});
        ::close(commands);
        ::close(answers);
        if (!m_process.waitForStarted(10000))
            return fail(QStringLiteral("the browser did not start: ") + m_process.errorString());
        const QJsonObject target = call(QStringLiteral("Target.createTarget"),
                                        {{QStringLiteral("url"), "about:blank"}}, {}, 30000);
        const QString id = target[QStringLiteral("targetId")].toString();
        if (id.isEmpty())
            return fail(QStringLiteral("no page: ") + m_error);
        m_session = call(QStringLiteral("Target.attachToTarget"),
                         {{QStringLiteral("targetId"), id}, {QStringLiteral("flatten"), true}}, {},
                         10000)[QStringLiteral("sessionId")]
                        .toString();
        if (m_session.isEmpty())
            return fail(QStringLiteral("cannot attach to the page: ") + m_error);
        return true;
    }

    void stop()
    {
        if (m_write >= 0)
            ::close(m_write);
        if (m_read >= 0)
            ::close(m_read);
        m_write = m_read = -1;
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000)) {
                m_process.kill();
                m_process.waitForFinished();
            }
        }
    }

    const QString &error() const { return m_error; }
    // What the browser wrote on its standard error.
    QString log() const
    {
        QFile file(m_profile.filePath(QStringLiteral("browser.log")));
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }

    // A command to the page; its result, or an empty object with error() saying why.
    QJsonObject page(const QString &method, const QJsonObject &params = {}, int timeoutMs = 10000)
    {
        return call(method, params, m_session, timeoutMs);
    }

    // Opens `url` and waits until its document and everything in it has loaded.
    bool navigate(const QString &url)
    {
        page(QStringLiteral("Page.navigate"), {{QStringLiteral("url"), url}});
        return waitFor(QStringLiteral("location.href === %1 && document.readyState === 'complete'")
                           .arg(Quoted(url)));
    }

    // The value of `expression` in the page (promises awaited); undefined when it threw.
    QJsonValue evaluate(const QString &expression)
    {
        const QJsonObject answer =
            page(QStringLiteral("Runtime.evaluate"), {{QStringLiteral("expression"), expression},
                                                      {QStringLiteral("returnByValue"), true},
                                                      {QStringLiteral("awaitPromise"), true}});
        if (answer.contains(QStringLiteral("exceptionDetails"))) {
            m_error = QJsonDocument(answer[QStringLiteral("exceptionDetails")].toObject())
                          .toJson(QJsonDocument::Compact);
            return QJsonValue(QJsonValue::Undefined);
        }
        return answer[QStringLiteral("result")].toObject()[QStringLiteral("value")];
    }

    // Waits until `expression` is true in the page.
    bool waitFor(const QString &expression, int timeoutMs = 10000)
    {
        const QDeadlineTimer deadline(timeoutMs);
        do {
            if (evaluate(expression).toBool())
                return true;
            QThread::msleep(50);
        } while (!deadline.hasExpired());
        m_error = QStringLiteral("still not true after %1 ms: %2").arg(timeoutMs).arg(expression);
        return false;
    }

    // The page's viewport; `mobile` as a phone shows it (touch, the viewport meta tag).
    bool setViewport(int width, int height, bool mobile)
    {
        page(QStringLiteral("Emulation.setDeviceMetricsOverride"),
             {{QStringLiteral("width"), width},
              {QStringLiteral("height"), height},
              {QStringLiteral("deviceScaleFactor"), mobile ? 2 : 1},
              {QStringLiteral("mobile"), mobile}});
        return m_error.isEmpty();
    }

    // The languages the browser says it prefers (Accept-Language).
    void setAcceptLanguage(const QString &languages)
    {
        page(QStringLiteral("Emulation.setUserAgentOverride"),
             {{QStringLiteral("userAgent"),
               evaluate(QStringLiteral("navigator.userAgent")).toString()},
              {QStringLiteral("acceptLanguage"), languages}});
    }

    // The whole page as PNG.
    QByteArray screenshot()
    {
        return QByteArray::fromBase64(page(QStringLiteral("Page.captureScreenshot"),
                                           {{QStringLiteral("format"), "png"},
                                            {QStringLiteral("captureBeyondViewport"), true}},
                                           20000)[QStringLiteral("data")]
                                          .toString()
                                          .toLatin1());
    }

    // `text` as a JavaScript string literal.
    static QString Quoted(const QString &text)
    {
        const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
        return QString::fromUtf8(json.mid(1, json.size() - 2));
    }

private:
    bool fail(const QString &why)
    {
        m_error = why;
        return false;
    }

    QJsonObject call(const QString &method, const QJsonObject &params, const QString &session,
                     int timeoutMs)
    {
        m_error.clear();
        const int id = ++m_lastId;
        QJsonObject message{{QStringLiteral("id"), id},
                            {QStringLiteral("method"), method},
                            {QStringLiteral("params"), params}};
        if (!session.isEmpty())
            message[QStringLiteral("sessionId")] = session;
        const QByteArray bytes = QJsonDocument(message).toJson(QJsonDocument::Compact) + '\0';
        for (qsizetype sent = 0; sent < bytes.size();) {
            const ssize_t n =
                ::write(m_write, bytes.constData() + sent, size_t(bytes.size() - sent));
            if (n < 0 && errno != EINTR) {
                m_error = QStringLiteral("the browser's pipe is closed");
                return {};
            }
            sent += n > 0 ? n : 0;
        }
        const QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            // Whole messages first, then more bytes.
            for (qsizetype end = m_pending.indexOf('\0'); end >= 0; end = m_pending.indexOf('\0')) {
                const QJsonObject answer = QJsonDocument::fromJson(m_pending.left(end)).object();
                m_pending.remove(0, end + 1);
                if (answer[QStringLiteral("id")].toInt() != id)
                    continue; // an event, or the answer to a call given up on
                if (answer.contains(QStringLiteral("error"))) {
                    m_error = QJsonDocument(answer[QStringLiteral("error")].toObject())
                                  .toJson(QJsonDocument::Compact);
                    return {};
                }
                return answer[QStringLiteral("result")].toObject();
            }
            pollfd watched{m_read, POLLIN, 0};
            const int ready =
                ::poll(&watched, 1, int(std::max<qint64>(deadline.remainingTime(), 0)));
            if (ready == 0) {
                m_error = QStringLiteral("no answer to %1 in %2 ms").arg(method).arg(timeoutMs);
                return {};
            }
            char buffer[65536];
            const ssize_t n = ready > 0 ? ::read(m_read, buffer, sizeof buffer) : -1;
            if (n <= 0 && !(n < 0 && errno == EINTR)) {
                m_error = QStringLiteral("the browser went away");
                return {};
            }
            if (n > 0)
                m_pending.append(buffer, n);
        }
    }

    QTemporaryDir m_profile;
    QProcess m_process;
    int m_write = -1;
    int m_read = -1;
    int m_lastId = 0;
    QString m_session;
    QByteArray m_pending;
    QString m_error;
};
