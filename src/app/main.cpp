// Kestrim: reads an infrared thermometer on a serial port, shows, speaks and records each reading.
#include "ckestrimapp.h"
#include "commandline.h"
#include "consoleoutput.h"
#include "datafolder.h"
#include "device/portmap.h"
#include "exportcommand.h"
#include "recordcommand.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {

void KeepFilesPrivate()
{
#ifndef Q_OS_WIN
    // The records are health data: every file and folder the program makes (day files, the
    // index, the warning files, Kestrim.ini, the central store's files) is its user's alone.
    ::umask(077);
#endif
}

// A command that answers on the terminal says what went wrong in one line of its own; the log's
// lines (and Qt's, such as a missing XDG_RUNTIME_DIR under cron) are shown only when asked for
// with QT_LOGGING_RULES.
void QuietUnlessAsked()
{
    if (!qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        return;
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type == QtFatalMsg)
            std::fputs(qPrintable(text + u'\n'), stderr);
    });
}

// The device the window would open for the port, in the data folder the window would use. A
// name from a Ports/ text is printed with its control characters escaped, so it cannot move the
// cursor, clear the terminal or pass for several lines.
int PrintPortDevice(int argc, char *argv[], const LaunchOptions &options)
{
    KeepFilesPrivate();
    QuietUnlessAsked();
    QCoreApplication application(argc, argv);
    if (!EnterChosenDataFolder(options.dataFolder))
        return 1;
    const QString device = PortMap().device(options.port);
    std::fputs(qPrintable(EscapedForTerminal(QDir::toNativeSeparators(device)) + u'\n'), stdout);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // The command line is read before the window system is touched, so that --help and a
    // mistyped option answer on a machine without a display too.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine line = ParseCommandLine(arguments);
    if (line.action != CommandLine::Action::Run)
        AttachStartingConsole();
    switch (line.action) {
    case CommandLine::Action::Help:
    case CommandLine::Action::Version:
        std::fputs(qPrintable(line.text + u'\n'), stdout);
        return 0;
    case CommandLine::Action::Error:
        std::fputs(qPrintable(line.text + u'\n'), stderr);
        return 2;
    case CommandLine::Action::Export:
        KeepFilesPrivate();
        QuietUnlessAsked();
        return RunExportCommand(argc, argv, line.exportRequest, line.options.dataFolder);
    case CommandLine::Action::Device:
        return PrintPortDevice(argc, argv, line.options);
    case CommandLine::Action::Record:
        KeepFilesPrivate();
        return RunRecordCommand(argc, argv, line.options);
    case CommandLine::Action::Run:
        break;
    }

    KeepFilesPrivate();
    QApplication application(argc, argv);
    if (!EnterChosenDataFolder(line.options.dataFolder))
        return 1;
    CKestrimApp app;
    app.InitInstance(line.options);
    return 0;
}
