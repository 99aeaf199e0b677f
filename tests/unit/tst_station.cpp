// The desk without a window: bytes from the port become spoken, stored and listed readings, and
// the signal the window, the history and the central store listen to.
#include "device/cmscomm.h"
#include "manualclock.h"
#include "reception/frame.h"
#include "recordingspeech.h"
#include "records/recordlistmodel.h"
#include "station.h"
#include "testfiles.h"
#include "workingfolder.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

namespace {

const QDate kDay(2026, 12, 11);

QByteArray Report(const char *payloadHex)
{
    return BuildFrame(FrameCode::Settings, QByteArray::fromHex(payloadHex));
}

QByteArray Reading(int value)
{
    const char bytes[] = {char(value & 0xFF), char((value >> 8) & 0xFF)};
    return BuildFrame(FrameCode::Measurement, QByteArrayView(bytes, 2));
}

} // namespace

class TestStation : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void readingBecomesARecord_data();
    void readingBecomesARecord();
    void readingOfANewDayIsTheNewDays();
    void deletionsFollowTheList();

private:
    // Bytes as the port hands them on.
    void receive(const QByteArray &bytes) { emit m_station->port().received(bytes); }

    std::unique_ptr<WorkingFolder> m_dir;
    std::shared_ptr<ManualClock> m_clock;
    std::shared_ptr<SpokenLog> m_spoken;
    std::unique_ptr<Station> m_station;
};

void TestStation::init()
{
    m_dir = std::make_unique<WorkingFolder>();
    QVERIFY(m_dir->isValid());
    m_clock = std::make_shared<ManualClock>(QDateTime(kDay, QTime(8, 0, 5)),
                                            ManualClock::Timers::Stepped);
    m_spoken = std::make_shared<SpokenLog>();
    Station::Parts parts;
    parts.clock = m_clock;
    parts.speechEngine = [spoken = m_spoken] {
        return std::make_unique<RecordingSpeechEngine>(spoken);
    };
    m_station = std::make_unique<Station>(parts);
    m_station->setFallbackPort(2);
    m_station->start();
}

void TestStation::cleanup()
{
    m_station.reset();
    m_dir.reset();
}

void TestStation::readingBecomesARecord_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("warning");
    QTest::addColumn<QString>("spoken");
    // Body mode, limit 37.5 °C, an R9 Pro.
    QTest::newRow("normal") << Report("00017701 02000001") << 365
                            << QByteArray("1,08:00:05,36.5C,0.0C\r\n") << false
                            << "Normal Temperature";
    QTest::newRow("abnormal") << Report("00017701 02000001") << 376
                              << QByteArray("1,08:00:05,37.6C,0.0C\r\n") << true
                              << "Abnormal Temperature";
    QTest::newRow("body mode in Fahrenheit")
        << Report("0101E303 02000001") << 999 << QByteArray("1,08:00:05,99.9F,0.0F\r\n") << true
        << "Abnormal Temperature";
    QTest::newRow("count") << Report("00027701 02000001") << 12
                           << QByteArray("1,08:00:05,12,0.0C\r\n") << false << "12";
    QTest::newRow("surface, an R9")
        << Report("00007701") << 325 << QByteArray("1,08:00:05,32.5C,0.0C\r\n") << false
        << "32.5degrees celsius";
}

// One reading's whole path: spoken, in the day file (and the warning file when abnormal),
// listed, and handed on once.
void TestStation::readingBecomesARecord()
{
    QFETCH(QByteArray, report);
    QFETCH(int, value);
    QFETCH(QByteArray, line);
    QFETCH(bool, warning);
    QSignalSpy stored(m_station.get(), &Station::readingStored);
    QSignalSpy changed(m_station.get(), &Station::recordsChanged);
    QSignalSpy connected(m_station.get(), &Station::connected);
    receive(report);
    QCOMPARE(connected.size(), 1);
    // A sentence asked for while another is spoken is dropped: the greeting is let through first.
    QTRY_VERIFY(!m_station->announcer().requestPending());
    receive(Reading(value));

    QCOMPARE(ReadFile("TempData/2026/12/20261211-02.txt"), line);
    QCOMPARE(ReadFile("TempData/2026/12/20261211-warning.txt"),
             warning ? line : QByteArray("<missing>"));
    QCOMPARE(m_station->listModel()->rowCount(), 1);
    QCOMPARE(m_station->listModel()->index(0, 2).data().toString(),
             QString::fromLatin1(line.split(',').at(2)));
    QCOMPARE(stored.size(), 1);
    const auto reading = stored.at(0).at(0).value<StoredReading>();
    QVERIFY(reading.stored);
    QCOMPARE(reading.port, 2);
    QCOMPARE(reading.record.quantity, QStringLiteral("1"));
    QCOMPARE(reading.measurement.verdict == Verdict::Abnormal, warning);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(m_station->records().recordCount(), quint64(1));
    QFETCH(QString, spoken);
    QTRY_VERIFY(m_spoken->sentences().contains(spoken));
}

// A reading after midnight is counted, listed and stored as the new day's.
void TestStation::readingOfANewDayIsTheNewDays()
{
    QSignalSpy days(m_station.get(), &Station::dayChanged);
    receive(Report("00017701 02000001") + Reading(365));
    m_clock->set(QDateTime(kDay.addDays(1), QTime(0, 0, 1)));
    receive(Reading(366));
    QCOMPARE(days.size(), 1);
    QCOMPARE(days.at(0).at(0).toDate(), kDay.addDays(1));
    QCOMPARE(ReadFile("TempData/2026/12/20261212-02.txt"), QByteArray("1,00:00:01,36.6C,0.0C\r\n"));
    QCOMPARE(m_station->listModel()->rowCount(), 1);
    // The heartbeat notices the change of day by itself as well.
    m_clock->set(QDateTime(kDay.addDays(2), QTime(0, 0, 0)));
    m_clock->advance(Station::kHeartbeatMs);
    QCOMPARE(days.size(), 2);
    QCOMPARE(m_station->records().indexDay(), kDay.addDays(2));
}

void TestStation::deletionsFollowTheList()
{
    receive(Report("00017701 02000001") + Reading(365) + Reading(366) + Reading(367));
    QSignalSpy changed(m_station.get(), &Station::recordsChanged);
    const RecordRows rows = m_station->records().dayFileRows();
    QVERIFY(m_station->replaceDayFile(rows, {rows.at(0), rows.at(2)}, kDay, 2).ok);
    QCOMPARE(m_station->listModel()->rowCount(), 2);
    QCOMPARE(ReadFile("TempData/2026/12/20261211-02.txt"),
             QByteArray("1,08:00:05,36.5C,0.0C\r\n3,08:00:05,36.7C,0.0C\r\n"));
    QVERIFY(m_station->deleteDayFile().ok);
    QCOMPARE(m_station->listModel()->rowCount(), 0);
    QCOMPARE(changed.size(), 2);
}

QTEST_GUILESS_MAIN(TestStation)
#include "tst_station.moc"
