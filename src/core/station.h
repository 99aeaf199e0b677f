// One screening desk: the thermometer on its port, the day's record files, the list of the
// day's readings and the voice. It is the one place where a reading becomes a record:
//
//   bytes ─▶ Thermometer ─▶ Measurement ─▶ spoken ─▶ day file ─▶ warning file ─▶ list
//                                                                   └─▶ readingStored
//
// It needs no window: the main window draws its state and forwards the operator's clicks, and
// `kestrim --record` runs it alone. What a window would show (a problem with a file, a lost port)
// comes out as signals.
#pragma once

#include "bilingual.h"
#include "clock.h"
#include "device/thermometer.h"
#include "reception/measurement.h"
#include "records/dayrecords.h"
#include "records/measurementrecord.h"
#include "records/recordmessages.h"
#include "speech/speechannouncer.h"

#include <QDateTime>
#include <QObject>

#include <memory>
#include <optional>

class CMscomm;
class RecordListModel;

// A reading, and what became of it.
struct StoredReading {
    Measurement measurement;
    MeasurementRecord record; // as stored: quantity, time, value, environment
    QDateTime instant;        // when it arrived; its date and time text are this instant's
    int port = 0;             // the COM number its day file is filed under
    QString dayFile;          // the file it went to
    bool stored = false;      // false: it could not be written (the operator was told)
};
Q_DECLARE_METATYPE(StoredReading)

class Station : public QObject {
    Q_OBJECT

public:
    // The thermometer's line: 8 data bits, no parity, 1 stop bit.
    static constexpr int kBaudRate = 115200;
    // The heartbeat: the environment query's schedule and the change of day.
    static constexpr int kHeartbeatMs = 1000;

    struct Parts {
        std::shared_ptr<const Clock> clock = std::make_shared<Clock>();
        // Makes the speech engine, on the speech worker's thread. Empty: the system's voice.
        SpeechAnnouncer::EngineFactory speechEngine;
    };

    explicit Station(Parts parts, QObject *parent = nullptr);
    ~Station() override;

    CMscomm &port() { return *m_port; }
    const CMscomm &port() const { return *m_port; }
    device::Thermometer &thermometer() { return *m_thermometer; }
    const device::Thermometer &thermometer() const { return *m_thermometer; }
    const DayRecords &records() const { return m_records; }
    RecordListModel *listModel() const { return m_listModel; }
    SpeechAnnouncer &announcer() { return *m_announcer; }
    const Clock &clock() const { return *m_clock; }

    // The operator's language: the sentences spoken and the texts of the signals.
    Language language() const { return m_language; }
    void setLanguage(Language language) { m_language = language; }

    // Starts the voice and the heartbeat, and resumes the day's count from its index.
    void start();
    // Ends everything that runs: the heartbeat, the voice (without waiting for a sentence), the
    // port and the waiting for the thermometer. Safe to call more than once.
    void stop();

    // Opens COM`portNumber` and asks the thermometer for its settings; false when the port
    // could not be opened (port() says why).
    bool connectPort(int portNumber, bool byOperator = true);
    // Closes the port, or stops waiting for a lost one.
    void disconnectPort();
    // The port readings are filed under: the one opened or, before any was, `fallback`.
    void setFallbackPort(int port) { m_fallbackPort = port; }
    int recordPort() const;

    // One heartbeat: the environment query when it is due, and the change of day.
    void heartbeat();
    // The environment query when its schedule says so.
    void queryTick();
    // When the clock's day is not the records' day, the records roll over to it.
    void checkDay();

    // Says the sentence, and keeps it to say again.
    void announce(const QString &sentence, const QString &speechLanguage,
                  SpeechAnnouncer::Urgency urgency = SpeechAnnouncer::Urgency::Normal);
    void repeatAnnouncement();

    // Deletions: the kept rows replace the day file (`before` were its rows), or the day file
    // goes; the list and the day's settings file follow.
    RecordWrite replaceDayFile(const RecordRows &before, const RecordRows &rows, QDate day,
                               int port);
    RecordWrite deleteDayFile();

    // The last reading handed on, stored or not.
    const std::optional<StoredReading> &lastReading() const { return m_lastReading; }

signals:
    // A reading was stored in the day file (and the warning file when abnormal) and listed.
    void readingStored(const StoredReading &reading);
    // A reading could not be stored; recordProblem() said why.
    void readingNotStored(const StoredReading &reading);
    // Records of `dayFile` were stored or deleted.
    void recordsChanged(const QString &dayFile);
    // A file of the day's records could not be written.
    void recordProblem(RecordMessage message, const QString &path, const QString &reason);
    // The day's index named another place than the day's own; it is not followed.
    void damagedIndex(const QString &indexPath);
    // The records, and the list, follow a new day.
    void dayChanged(QDate day);
    // The thermometer answered a Connect: the day's records are ready and listed.
    void connected();
    // The open port failed; the thermometer is waited for on the same port.
    void portLost(const QString &reason);
    // An operator's Connect got no settings report in time; the port is closed again.
    void noAnswer(int portNumber);

private:
    void onReport(bool answersConnect);
    // The thermometer's settings, now in force, into the day's settings file, for the reports.
    void recordSettingsInForce();
    void renumberDaySettings(const QString &dayFile, const RecordRows &before,
                             const RecordRows &after);
    void onMeasured(const Measurement &measurement);
    void onPortLost(const QString &reason);
    void onNoAnswer();
    void rollOverTo(QDate day);
    void reportDamagedIndex();
    bool openPort(int portNumber);
    void reportWrite(RecordMessage message, const RecordWrite &write);

    std::shared_ptr<const Clock> m_clock;
    CMscomm *m_port = nullptr;
    device::Thermometer *m_thermometer = nullptr;
    DayRecords m_records;
    RecordListModel *m_listModel = nullptr;
    std::unique_ptr<SpeechAnnouncer> m_announcer;
    std::unique_ptr<ClockTimer> m_heartbeat;
    Language m_language = Language::English;
    int m_fallbackPort = 1;
    bool m_started = false;
    std::optional<StoredReading> m_lastReading;
    // The last sentence announced, for Repeat Announcement.
    QString m_lastSentence, m_lastSpeechLanguage;
};
