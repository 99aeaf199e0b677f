#include "recordcommand.h"

#include "centralcursors.h"
#include "centralsender.h"
#include "centralsettings.h"
#include "centralstatus.h"
#include "datafolder.h"
#include "device/cmscomm.h"
#include "device/portmap.h"
#include "device/portmessages.h"
#include "pgcentralstore.h"
#include "preferences.h"
#include "reception/measurement.h"
#include "records/recordline.h"
#include "records/recordmessages.h"
#include "speechchoice.h"
#include "station.h"
#include "terminationsignals.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

namespace {

void PrintLine(std::FILE *stream, const QString &line)
{
    std::fputs(qPrintable(line + u'\n'), stream);
    std::fflush(stream);
}

// "1,08:00:05,37.6C,0.0C Abnormal": the record line as stored, and the verdict when there is one.
QString ReadingLine(const StoredReading &reading, Language language)
{
    QString line = FormatRecordLine(reading.record);
    if (reading.measurement.verdict != Verdict::None)
        line += u' ' + VerdictText(reading.measurement.verdict, language);
    return line;
}

// The central store, when Kestrim.ini names a server: every stored record is sent, as from the
// window. Problems and changes of state go to standard error.
std::unique_ptr<CentralSender> StartCentral(Station &station)
{
    QString problem;
    const std::optional<CentralSettings> settings = LoadCentralSettings(kPreferencesFile, &problem);
    if (!settings) {
        if (!problem.isEmpty())
            PrintLine(stderr, QStringLiteral("kestrim: central: ") + problem);
        return nullptr;
    }
    if (!KESTRIM_CENTRAL) {
        PrintLine(stderr, QStringLiteral("kestrim: Kestrim.ini names a central server, but this "
                                         "build has no central store"));
        return nullptr;
    }
    auto sender =
        std::make_unique<CentralSender>(std::make_unique<PgCentralStore>(*settings),
                                        CentralCursors(kCentralCursorFile, settings->identity()));
    QObject::connect(sender.get(), &CentralSender::statusChanged, &station,
                     [&station, last = QString()](const CentralStatus &status) mutable {
                         const QString text = CentralStatusText(status, station.language());
                         if (text != last)
                             PrintLine(stderr, QStringLiteral("kestrim: ") + text);
                         last = text;
                     });
    QObject::connect(&station, &Station::recordsChanged, sender.get(),
                     &CentralSender::dayFileChanged);
    return sender;
}

void Report(Station &station)
{
    QObject::connect(&station, &Station::readingStored, &station,
                     [&station](const StoredReading &reading) {
                         PrintLine(stdout, ReadingLine(reading, station.language()));
                     });
    QObject::connect(
        &station, &Station::recordProblem, &station,
        [&station](RecordMessage message, const QString &path, const QString &reason) {
            PrintLine(stderr, QStringLiteral("kestrim: ") +
                                  RecordMessageText(message, station.language(), path, reason));
        });
    QObject::connect(&station, &Station::damagedIndex, &station, [&station](const QString &index) {
        PrintLine(stderr,
                  QStringLiteral("kestrim: ") + DamagedIndexText(station.language(), index));
    });
    QObject::connect(&station, &Station::portLost, &station, [&station](const QString &reason) {
        const CMscomm &port = station.port();
        PrintLine(stderr, QStringLiteral("kestrim: ") +
                              PortLostText(PortMap::PortName(port.portNumber()),
                                           port.openedDevice(), reason, station.language()));
    });
    QObject::connect(&station, &Station::connected, &station, [&station] {
        PrintLine(stderr, QStringLiteral("kestrim: the thermometer on %1 answered; recording")
                              .arg(PortMap::PortName(station.recordPort())));
    });
}

} // namespace

int RunRecordCommand(int argc, char *argv[], const LaunchOptions &options)
{
    QCoreApplication application(argc, argv);
    if (!EnterChosenDataFolder(options.dataFolder))
        return 1;
    const Preferences remembered = LoadPreferences(kPreferencesFile);

    Station::Parts parts;
    parts.speechEngine = ChosenSpeechEngine();
    Station station(parts);
    station.setLanguage(options.language.value_or(remembered.language));
    station.thermometer().setModel(remembered.machineType);
    station.announcer().setRate(remembered.speechRate);
    station.announcer().setVolume(remembered.speechVolume);
    station.setFallbackPort(options.port);
    Report(station);

    TerminationSignals termination;
    if (!termination.install())
        PrintLine(stderr, QStringLiteral("kestrim: cannot catch termination signals; stop it with "
                                         "a kill that lets it end"));
    QObject::connect(&termination, &TerminationSignals::received, &application,
                     &QCoreApplication::quit);

    station.start();
    const std::unique_ptr<CentralSender> central = StartCentral(station);
    // Not by the operator: no answer is waited for with a time limit, the thermometer is asked
    // every 2 s until it answers, and a lost port is reopened, as a service should.
    if (!station.connectPort(options.port, false)) {
        const CMscomm &port = station.port();
        PrintLine(stderr,
                  QStringLiteral("kestrim: ") +
                      PortOpenFailureText(PortMap::PortName(options.port),
                                          port.portMap().describe(options.port), port.error(),
                                          port.errorString(), station.language()));
        return 1;
    }
    const int result = application.exec();
    station.stop();
    PrintLine(
        stderr,
        QStringLiteral("kestrim: stopped; %1 readings today").arg(station.records().recordCount()));
    return result;
}
