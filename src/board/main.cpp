// kestrim-board: a live page of every desk of a site, read from the central store.
#include "boardoptions.h"
#include "boardreader.h"
#include "boardserver.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <pthread.h>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QString problem;
    bool helpOnly = false;
    const std::optional<BoardOptions> options =
        ParseBoardOptions(QCoreApplication::arguments(), &problem, &helpOnly);
    if (!options) {
        std::fputs(
            qPrintable(helpOnly ? problem : QStringLiteral("kestrim-board: ") + problem + u'\n'),
            helpOnly ? stdout : stderr);
        return helpOnly ? 0 : 2;
    }

    // SIGINT and SIGTERM are waited for below, by this thread alone: every thread started from
    // here on has them blocked.
    sigset_t stopping;
    sigemptyset(&stopping);
    sigaddset(&stopping, SIGINT);
    sigaddset(&stopping, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopping, nullptr);
    // A page that went away in the middle of an answer is no reason to stop.
    std::signal(SIGPIPE, SIG_IGN);

    BoardReader reader(options->settings);
    BoardServer server(reader);
    if (!server.bind(options->host, options->port, &problem)) {
        std::fprintf(stderr, "kestrim-board: %s\n", qPrintable(problem));
        return 1;
    }
    reader.start();
    server.start();
    const QString where =
        options->host.contains(u':') ? u'[' + options->host + u']' : options->host;
    const CentralSettings &store = options->settings;
    std::printf("kestrim-board: the page is at http://%s:%d/ reading postgresql://%s@%s:%d/%s\n",
                qPrintable(where), server.port(), qPrintable(store.user), qPrintable(store.host),
                store.port, qPrintable(store.database));
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopping, &signal);
    std::printf("kestrim-board: stopping\n");
    server.stop();
    return 0;
}
