// Kestrim's command line, for kiosks and scripts:
//   kestrim [--port COM3] [--connect] [--language en|zh] [--data DIR] [--help] [--version]
//   kestrim --export FILE [--day YYYY-MM-DD | --from YYYY-MM-DD --to YYYY-MM-DD] [--port N]
//           [--language en|zh] [--abnormal-only | --summary]
//   kestrim --port COM3 --device   (prints the device that stands behind COM3)
//   kestrim --record --port COM3 [--language en|zh] [--data DIR]   (no window)
#pragma once

#include "history/dayreport.h"
#include "launchoptions.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

// An export without the window: the file's ending names its format, as in the window.
struct ExportRequest {
    QString file;
    QDate day;      // the day exported; invalid: today
    QDate from, to; // a range of days instead, both included (only .csv and .xlsx)
    int port = 0;   // the day file's COM number; 0: the one port with records that day
    std::optional<Language> language;   // none: as remembered
    ReportForm form = ReportForm::Full; // a day's .pdf: --abnormal-only or --summary

    bool isRange() const { return from.isValid(); }
};

struct CommandLine {
    enum class Action { Run, Export, Device, Record, Help, Version, Error };
    Action action = Action::Run;
    LaunchOptions options;
    ExportRequest exportRequest;
    QString text; // the help, the version or the error, ready to print
};

// `arguments` includes the program name first, as argv does.
CommandLine ParseCommandLine(const QStringList &arguments);
