// kestrim-sim: an R9 / R9 Pro thermometer on a pseudo-terminal. See --help.
#include "portlink.h"
#include "pseudoterminal.h"
#include "simoptions.h"
#include "simulator.h"
#include "terminationsignals.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

constexpr int kUsageError = 2;

int Fail(const QString &message, int exitCode = EXIT_FAILURE)
{
    std::fprintf(stderr, "kestrim-sim: %s\n", qPrintable(message));
    return exitCode;
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

    PseudoTerminal terminal;
    if (!terminal.open())
        return Fail(QStringLiteral("no pseudo-terminal: ") + terminal.errorString());
    PortLink link;
    if (!options->linkPath.isEmpty() && !link.create(options->linkPath, terminal.slavePath()))
        return Fail(link.errorString());

    TerminationSignals stopSignals;
    if (!stopSignals.install())
        return Fail(QStringLiteral("cannot handle signals: %1").arg(std::strerror(errno)));
    QObject::connect(&stopSignals, &TerminationSignals::received, &app, &QCoreApplication::quit);

    Simulator simulator(terminal, Thermometer(options->state, options->refuseSettings));
    simulator.readCommandsFrom(STDIN_FILENO);
    if (options->readingInterval.count() > 0)
        simulator.sendReadingsEvery(options->readingInterval);

    std::printf("%s\n", qPrintable(terminal.slavePath()));
    std::fflush(stdout);
    return QCoreApplication::exec(); // the link goes with `link`
}
