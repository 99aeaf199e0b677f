// kestrim-sim: an R9 / R9 Pro thermometer on a pseudo-terminal or a local socket. See --help.
#include "localsockettransport.h"
#include "portlink.h"
#include "simoptions.h"
#include "simulator.h"
#include "terminationsignals.h"
#ifndef Q_OS_WIN
#include "ptytransport.h"
#endif

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <memory>

namespace {

constexpr int kUsageError = 2;

int Fail(const QString &message, int exitCode = EXIT_FAILURE)
{
    std::fprintf(stderr, "kestrim-sim: %s\n", qPrintable(message));
    return exitCode;
}

// A pseudo-terminal unless a pipe is asked for; on Windows, which has no pseudo-terminals that
// a serial port can open, always a pipe.
std::unique_ptr<SimTransport> MakeTransport(QString pipeName)
{
#ifdef Q_OS_WIN
    if (pipeName.isEmpty())
        pipeName = QStringLiteral("kestrim-sim-%1").arg(QCoreApplication::applicationPid());
#else
    if (pipeName.isEmpty())
        return std::make_unique<PtyTransport>();
#endif
    return std::make_unique<LocalSocketTransport>(pipeName);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kestrim-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTRIM_VERSION));

    QCommandLineParser parser;
    SimOptions::Declare(parser);
    if (!parser.parse(QCoreApplication::arguments()))
        return Fail(parser.errorText() + QStringLiteral(" (see --help)"), kUsageError);
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(EXIT_SUCCESS);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    QString error;
    const auto options = SimOptions::Read(parser, error);
    if (!options)
        return Fail(error + QStringLiteral(" (see --help)"), kUsageError);

    const std::unique_ptr<SimTransport> transport = MakeTransport(options->pipeName);
    if (!transport->open())
        return Fail(transport->errorString());
    PortLink link;
    if (!options->linkPath.isEmpty()) {
        const bool made = transport->isDevice()
                              ? link.create(options->linkPath, transport->address())
                              : link.createText(options->linkPath, transport->address());
        if (!made)
            return Fail(link.errorString());
    }

    TerminationSignals stopSignals;
    if (!stopSignals.install())
        return Fail(QStringLiteral("cannot handle signals: %1").arg(qt_error_string()));
    QObject::connect(&stopSignals, &TerminationSignals::received, &app, &QCoreApplication::quit);

    Simulator simulator(*transport, Thermometer(options->state, options->refuseSettings));
    QObject::connect(&simulator, &Simulator::quitRequested, &app, &QCoreApplication::quit);
    simulator.readCommands();
    if (options->readingInterval.count() > 0)
        simulator.sendReadingsEvery(options->readingInterval);

    std::printf("%s\n", qPrintable(transport->address()));
    std::fflush(stdout);
    return QCoreApplication::exec(); // the link goes with `link`
}
