// kestrim-demo: Kestrim's main job, scripted, against the simulated thermometer; for machines
// without a person or a display (run it under xvfb-run) and for the README's pictures.
#include "controls/fonts.h"
#include "demoscript.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kestrim-demo"));
    QApplication::setApplicationDisplayName(QStringLiteral("QUELLOR   V2.1"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Runs Kestrim against kestrim-sim in the working folder: connect, "
                       "readings, a settings change, Chinese, an export, Delete Data, History; "
                       "saves a "
                       "picture of each step and prints the day's files."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("sim"), QStringLiteral("The kestrim-sim program."), QStringLiteral("path")},
        {QStringLiteral("port"), QStringLiteral("The COM number to link the simulator as."),
         QStringLiteral("n"), QStringLiteral("1")},
        {QStringLiteral("shots"), QStringLiteral("Where the pictures go."),
         QStringLiteral("folder"), QStringLiteral("screenshots")},
    });
    parser.process(application);
    bool portOk = false;
    DemoOptions options;
    options.simulator = parser.value(QStringLiteral("sim"));
    options.port = parser.value(QStringLiteral("port")).toInt(&portOk);
    options.screenshots = parser.value(QStringLiteral("shots"));
    if (options.simulator.isEmpty() || !portOk || options.port < 1 || options.port > 20) {
        qCritical("kestrim-demo: --sim <kestrim-sim> is needed, and --port must be 1 to 20");
        return 2;
    }

    InstallFontSubstitutes();
    DemoScript script(options);
    return script.run() ? 0 : 1;
}
