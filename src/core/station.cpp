#include "station.h"

#include "device/cmscomm.h"
#include "logging.h"
#include "records/recordlistmodel.h"
#include "speech/speechenginechain.h"

namespace {

// The thermometer's line settings after the baud rate.
const QString kLineFormat = QStringLiteral(",N,8,1");

} // namespace

Station::Station(Parts parts, QObject *parent)
    : QObject(parent)
    , m_clock(std::move(parts.clock))
{
    qRegisterMetaType<StoredReading>();
    m_port = new CMscomm(this);
    m_listModel = new RecordListModel(this);
    m_announcer = std::make_unique<SpeechAnnouncer>(
        parts.speechEngine ? parts.speechEngine : [] { return MakeSpeechEngine(); });
    m_thermometer =
        new device::Thermometer({[this](const QByteArray &frame) { return m_port->write(frame); },
                                 // The reconnector's attempt: the same port, quietly.
                                 [this] {
                                     return openPort(m_thermometer->portNumber());
                                 }},
                                m_clock, this);
    m_heartbeat = m_clock->makeTimer([this] { heartbeat(); }, Clock::Repeat::Repeating);

    using device::Thermometer;
    connect(m_port, &CMscomm::received, m_thermometer,
            [this](const QByteArray &bytes) { m_thermometer->receive(bytes); });
    connect(m_port, &CMscomm::connectionLost, this, &Station::onPortLost);
    connect(m_thermometer, &Thermometer::reportApplied, this, &Station::onReport);
    connect(m_thermometer, &Thermometer::acknowledged, this, [this](bool success) {
        if (success)
            recordSettingsInForce();
    });
    connect(m_thermometer, &Thermometer::measured, this, &Station::onMeasured);
    connect(m_thermometer, &Thermometer::noAnswer, this, &Station::onNoAnswer);
}

Station::~Station()
{
    stop();
}

void Station::start()
{
    if (m_started)
        return;
    m_started = true;
    m_records.LoadDayIndex(m_clock->now().date());
    reportDamagedIndex();
    m_announcer->start();
    m_heartbeat->start(kHeartbeatMs);
}

void Station::stop()
{
    m_heartbeat->stop();
    m_announcer->stop();
    m_port->close();
    m_thermometer->portClosed();
}

bool Station::openPort(int portNumber)
{
    return m_port->open(portNumber, QString::number(kBaudRate) + kLineFormat);
}

bool Station::connectPort(int portNumber, bool byOperator)
{
    if (!openPort(portNumber))
        return false;
    m_thermometer->portOpened(m_port->portNumber(), byOperator);
    return true;
}

void Station::disconnectPort()
{
    m_port->close();
    m_thermometer->portClosed();
}

int Station::recordPort() const
{
    // Before any port was opened (frames handed in directly) the fallback stands in.
    return m_thermometer->portNumber() > 0 ? m_thermometer->portNumber() : m_fallbackPort;
}

void Station::heartbeat()
{
    queryTick();
    checkDay();
}

void Station::queryTick()
{
    m_thermometer->queryTick();
}

void Station::checkDay()
{
    const QDateTime now = m_clock->now();
    if (now.isValid() && m_records.indexDay().isValid() && now.date() != m_records.indexDay())
        rollOverTo(now.date());
}

// Past midnight the index, the count and the list follow the new day; the day files follow it
// by their names.
void Station::rollOverTo(QDate day)
{
    m_records.rollOverTo(day);
    reportDamagedIndex();
    m_listModel->setRows({});
    emit dayChanged(day);
}

void Station::reportDamagedIndex()
{
    const QString index = m_records.takeDamagedIndex();
    if (!index.isEmpty())
        emit damagedIndex(index);
}

void Station::announce(const QString &sentence, const QString &speechLanguage,
                       SpeechAnnouncer::Urgency urgency)
{
    m_lastSentence = sentence;
    m_lastSpeechLanguage = speechLanguage;
    m_announcer->RequestSpeech(sentence, speechLanguage, urgency);
}

void Station::repeatAnnouncement()
{
    if (!m_lastSentence.isEmpty())
        m_announcer->RequestSpeech(m_lastSentence, m_lastSpeechLanguage);
}

// The report that answers a Connect readies the day's records of the port and lists them.
void Station::onReport(bool answersConnect)
{
    recordSettingsInForce();
    if (!answersConnect)
        return;
    m_listModel->setRows(m_records.PrepareDayRecords(recordPort()));
    reportDamagedIndex();
    announce(ConnectedSentence(m_language), SpeechLanguage(m_language));
    emit connected();
}

void Station::onMeasured(const Measurement &measurement)
{
    // One read of the clock: the reading's date and time are those of one instant.
    StoredReading reading;
    reading.measurement = measurement;
    reading.instant = m_clock->now();
    reading.port = recordPort();

    const Announcement said = AnnouncementOf(measurement, m_language);
    if (!said.sentence.isEmpty())
        announce(said.sentence, said.speechLanguage,
                 said.urgent ? SpeechAnnouncer::Urgency::Urgent : SpeechAnnouncer::Urgency::Normal);

    // A record line never has an empty field: other programs read the fields by position.
    if (measurement.testValue.isEmpty()) {
        qCWarning(lcRecords) << "a reading in no known mode is not stored";
        m_lastReading = reading;
        emit readingNotStored(reading);
        return;
    }
    // A reading of a new day is counted, listed and stored as the new day's.
    if (reading.instant.isValid() && reading.instant.date() != m_records.indexDay())
        rollOverTo(reading.instant.date());
    const RecordWrite write = m_records.AppendReading(reading.instant, measurement.testValue,
                                                      measurement.envTemp, reading.port);
    reading.record = write.record;
    reading.dayFile = write.path;
    if (!write.ok) {
        reportWrite(RecordMessage::ReadingNotStored, write);
        m_lastReading = reading;
        emit readingNotStored(reading);
        return;
    }
    reading.stored = true;
    if (!write.indexError.isEmpty())
        emit recordProblem(RecordMessage::IndexNotUpdated, write.indexPath, write.indexError);
    if (measurement.verdict == Verdict::Abnormal) {
        const RecordWrite warning =
            m_records.WriteWarningRecord(write.line, reading.instant.date());
        if (!warning.ok)
            reportWrite(RecordMessage::WarningNotStored, warning);
    }
    qCDebug(lcRecords) << "listed" << write.line;
    m_listModel->appendRow({write.record.quantity, write.record.testTime, write.record.testValue,
                            write.record.envTemp});
    m_lastReading = reading;
    emit readingStored(reading);
    emit recordsChanged(m_records.dayFilePath());
}

void Station::reportWrite(RecordMessage message, const RecordWrite &write)
{
    if (!write.path.isEmpty())
        qCWarning(lcRecords) << "records:" << write.path << write.error;
    emit recordProblem(message, write.path, write.error);
}

void Station::recordSettingsInForce()
{
    const device::ThermometerSettings &now = m_thermometer->settings();
    DaySettingsLine settings;
    settings.model = m_thermometer->model();
    settings.unit = now.unit;
    settings.mode = now.mode;
    settings.alarmLimit = now.unit == TempUnit::Celsius ? now.alarmLimitC : now.alarmLimitF;
    const RecordWrite write = m_records.AppendSettings(m_clock->now(), settings, recordPort());
    if (!write.ok)
        reportWrite(RecordMessage::SettingsNotStored, write);
}

// The settings file names quantities: it follows the day file's renumbered rows.
void Station::renumberDaySettings(const QString &dayFile, const RecordRows &before,
                                  const RecordRows &after)
{
    QString error;
    if (!dayFile.isEmpty() && !RenumberDaySettings(dayFile, before, after, &error))
        qCWarning(lcRecords) << "settings file of" << dayFile << "not renumbered:" << error;
}

RecordWrite Station::replaceDayFile(const RecordRows &before, const RecordRows &rows, QDate day,
                                    int port)
{
    const RecordWrite write = m_records.replaceDayFile(rows, day, port);
    if (!write.ok)
        return write;
    renumberDaySettings(write.path, before, rows);
    m_listModel->setRows(rows);
    if (!write.indexError.isEmpty())
        emit recordProblem(RecordMessage::IndexNotUpdated, write.indexPath, write.indexError);
    emit recordsChanged(write.path);
    return write;
}

RecordWrite Station::deleteDayFile()
{
    const RecordWrite write = m_records.deleteDayFile();
    if (!write.ok)
        return write;
    renumberDaySettings(write.path, {}, {});
    m_listModel->setRows({});
    if (!write.indexError.isEmpty())
        emit recordProblem(RecordMessage::IndexNotUpdated, write.indexPath, write.indexError);
    if (!write.path.isEmpty())
        emit recordsChanged(write.path);
    return write;
}

void Station::onPortLost(const QString &reason)
{
    m_thermometer->portLost();
    emit portLost(reason);
}

// The operator's Connect opened the port but no settings report came: the port is closed again.
void Station::onNoAnswer()
{
    const int port = m_port->portNumber();
    m_port->close();
    m_thermometer->portClosed();
    emit noAnswer(port);
}
