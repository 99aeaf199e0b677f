// The board's HTTP side (cpp-httplib): the page with its script, style and icon, all served by
// the program itself, and the JSON of a day (/api/today, /api/day/yyyy-MM-dd). Its threads
// only take what the reader holds, so they answer at once whatever the central store does.
//
// The page builds every text that comes from the store as text (textContent), never as markup,
// and the Content-Security-Policy allows scripts from the board alone, so a desk's name cannot
// become an element or run.
#pragma once

#include "bilingual.h"

#include <QString>

#include <memory>

class BoardReader;

// The page's language: `lang` ("zh" or "en") when given, else the first of Chinese or English
// the browser prefers in `acceptLanguage` (by its q weights), else English.
Language ChooseLanguage(const QString &lang, const QString &acceptLanguage);

class BoardServer {
public:
    explicit BoardServer(BoardReader &reader);
    ~BoardServer();
    BoardServer(const BoardServer &) = delete;
    BoardServer &operator=(const BoardServer &) = delete;

    // Binds to `host` and `port` (0: any free port). False, with `error` saying why, when it
    // cannot.
    bool bind(const QString &host, int port, QString *error);
    // The port bound to.
    int port() const { return m_port; }
    // Serves on a thread of its own until stop().
    void start();
    void stop();

private:
    struct Http;
    std::unique_ptr<Http> m_http;
    int m_port = 0;
};
