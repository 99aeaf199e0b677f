#include "boardserver.h"

#include "boardreader.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QRegularExpression>

#include <httplib.h>

#include <thread>

namespace {

// How long a request for an earlier day may wait for the reader to read it.
constexpr int kDayWaitMs = 1500;
// Each request its own connection: a page polling every second never holds a thread between
// its requests.
constexpr size_t kThreads = 16;

struct Asset {
    QByteArray bytes;
    const char *type;
};

QByteArray Resource(const QString &name)
{
    QFile file(QStringLiteral(":/board/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Send(httplib::Response &response, int status, const QByteArray &body, const char *type)
{
    response.status = status;
    response.set_content(body.constData(), size_t(body.size()), type);
}

void SendError(httplib::Response &response, int status, const QString &error)
{
    Send(
        response, status,
        QJsonDocument(QJsonObject{{QStringLiteral("error"), error}}).toJson(QJsonDocument::Compact),
        "application/json; charset=utf-8");
}

} // namespace

Language ChooseLanguage(const QString &lang, const QString &acceptLanguage)
{
    if (lang.startsWith(QStringLiteral("zh"), Qt::CaseInsensitive))
        return Language::Chinese;
    if (lang.startsWith(QStringLiteral("en"), Qt::CaseInsensitive))
        return Language::English;
    // "zh-CN,zh;q=0.9,en;q=0.8": the highest weight wins, the earlier of equal weights.
    double best = 0;
    Language chosen = Language::English;
    for (const QString &entry : acceptLanguage.split(u',', Qt::SkipEmptyParts)) {
        const QStringList parts = entry.trimmed().split(u';');
        const QString tag = parts[0].trimmed().toLower();
        double weight = 1;
        for (const QString &parameter : parts.mid(1)) {
            const QString p = parameter.trimmed();
            if (p.startsWith(QStringLiteral("q="))) {
                bool ok = false;
                weight = p.mid(2).toDouble(&ok);
                if (!ok)
                    weight = 0;
            }
        }
        const bool chinese = tag == QStringLiteral("zh") || tag.startsWith(QStringLiteral("zh-"));
        const bool english = tag == QStringLiteral("en") || tag.startsWith(QStringLiteral("en-"));
        if ((chinese || english) && weight > best) {
            best = weight;
            chosen = chinese ? Language::Chinese : Language::English;
        }
    }
    return chosen;
}

struct BoardServer::Http {
    httplib::Server server;
    std::thread thread;
};

BoardServer::BoardServer(BoardReader &reader)
    : m_http(std::make_unique<Http>())
{
    httplib::Server &server = m_http->server;
    server.new_task_queue = [] {
        return new httplib::ThreadPool(kThreads);
    };
    server.set_keep_alive_max_count(1);
    server.set_payload_max_length(4096);
    server.set_default_headers({
        {"Content-Security-Policy",
         "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; "
         "connect-src 'self'; base-uri 'none'; form-action 'self'; frame-ancestors 'none'"},
        {"X-Content-Type-Options", "nosniff"},
        {"Referrer-Policy", "no-referrer"},
        {"Cache-Control", "no-store"},
    });

    const QByteArray page = Resource(QStringLiteral("index.html"));
    server.Get("/", [page](const httplib::Request &request, httplib::Response &response) {
        const Language language =
            ChooseLanguage(QString::fromStdString(request.get_param_value("lang")),
                           QString::fromStdString(request.get_header_value("Accept-Language")));
        QByteArray html = page;
        html.replace("{{lang}}", language == Language::Chinese ? "zh-CN" : "en");
        Send(response, 200, html, "text/html; charset=utf-8");
    });
    for (const auto &[path, type] : {std::pair{"board.js", "text/javascript; charset=utf-8"},
                                     std::pair{"board.css", "text/css; charset=utf-8"},
                                     std::pair{"icon.svg", "image/svg+xml"}}) {
        const QByteArray bytes = Resource(QString::fromLatin1(path));
        server.Get(std::string("/") + path,
                   [bytes, type](const httplib::Request &, httplib::Response &response) {
                       Send(response, 200, bytes, type);
                   });
    }
    server.Get("/api/today", [&reader](const httplib::Request &, httplib::Response &response) {
        const BoardAnswer answer = reader.today();
        const QDateTime now = reader.now();
        Send(response, answer.known ? 200 : 503, BoardAnswerJson(answer, now, now.date()),
             "application/json; charset=utf-8");
    });
    server.Get(R"(/api/day/(\d{4}-\d{2}-\d{2}))", [&reader](const httplib::Request &request,
                                                            httplib::Response &response) {
        const QDate day =
            QDate::fromString(QString::fromStdString(request.matches[1]), Qt::ISODate);
        if (!day.isValid())
            return SendError(response, 400, QStringLiteral("no such day"));
        const BoardAnswer answer = reader.day(day, kDayWaitMs);
        const QDateTime now = reader.now();
        Send(response, answer.known ? 200 : 503, BoardAnswerJson(answer, now, now.date()),
             "application/json; charset=utf-8");
    });
    server.set_error_handler([](const httplib::Request &, httplib::Response &response) {
        if (response.body.empty())
            SendError(response, response.status,
                      response.status == 404 ? QStringLiteral("not found")
                                             : QStringLiteral("refused"));
    });
}

BoardServer::~BoardServer()
{
    stop();
}

bool BoardServer::bind(const QString &host, int port, QString *error)
{
    httplib::Server &server = m_http->server;
    if (port == 0) {
        m_port = server.bind_to_any_port(host.toStdString());
        if (m_port > 0)
            return true;
    } else if (server.bind_to_port(host.toStdString(), port)) {
        m_port = port;
        return true;
    }
    *error = QStringLiteral("cannot listen on %1:%2: %3")
                 .arg(host, port == 0 ? QStringLiteral("any port") : QString::number(port),
                      QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

void BoardServer::start()
{
    m_http->thread = std::thread([this] { m_http->server.listen_after_bind(); });
}

void BoardServer::stop()
{
    m_http->server.stop();
    if (m_http->thread.joinable())
        m_http->thread.join();
}
