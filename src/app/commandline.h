// Kestrim's command line, for kiosks and scripts:
//   kestrim [--port COM3] [--connect] [--language en|zh] [--data DIR] [--help] [--version]
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

struct LaunchOptions {
    int port = 0;                // COM number; 0: as remembered or probed
    bool connect = false;        // connect as soon as the window is up
    std::optional<int> language; // 0 Chinese, 1 English; none: as remembered
    QString dataFolder;          // --data; empty: $KESTRIM_HOME or the working folder
};

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    LaunchOptions options;
    QString text; // the help, the version or the error, ready to print
};

// `arguments` includes the program name first, as argv does.
CommandLine ParseCommandLine(const QStringList &arguments);
