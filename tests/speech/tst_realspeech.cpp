// Real speech: the sentences go through speech-dispatcher and espeak-ng into a PulseAudio null
// sink, are recorded from its monitor, and are measured with sox. Runs under with-audio.sh, which
// provides the sink and a speech-dispatcher that plays into it.
#include "speech/qtspeechengine.h"
#include "speech/speechannouncer.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// RMS amplitude (full scale 1.0) above which a recording holds sound; espeak-ng's speech
// measures about 0.1, a silent sink 0.
constexpr double kAudible = 0.01;

// Records what the sink plays from start() on.
class SinkRecording {
public:
    explicit SinkRecording(const QString &file)
        : m_file(file)
    {}
    ~SinkRecording()
    {
        m_parec.kill();
        m_parec.waitForFinished();
    }

    bool start()
    {
        m_parec.setStandardOutputFile(m_file);
        m_parec.start(QStringLiteral("parec"),
                      {QStringLiteral("--device=") + qEnvironmentVariable("KESTRIM_AUDIO_MONITOR"),
                       QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                       QStringLiteral("--rate=16000"), QStringLiteral("--channels=1")});
        return m_parec.waitForStarted();
    }
    // A monitor delivers samples, silent or not, as soon as it is connected.
    bool running() const { return QFileInfo(m_file).size() > 0; }

    void stop()
    {
        m_parec.terminate();
        m_parec.waitForFinished();
    }

    // The RMS amplitude of everything recorded so far; -1 when it cannot be measured.
    double rms() const
    {
        QProcess sox;
        sox.start(QStringLiteral("sox"),
                  {QStringLiteral("-t"), QStringLiteral("raw"), QStringLiteral("-r"),
                   QStringLiteral("16000"), QStringLiteral("-e"), QStringLiteral("signed"),
                   QStringLiteral("-b"), QStringLiteral("16"), QStringLiteral("-c"),
                   QStringLiteral("1"), m_file, QStringLiteral("-n"), QStringLiteral("stat")});
        if (!sox.waitForFinished())
            return -1;
        // "stat" reports on stderr, e.g. "RMS     amplitude:     0.131072".
        static const QRegularExpression rms(QStringLiteral(R"(RMS\s+amplitude:\s+([0-9.]+))"));
        const QRegularExpressionMatch match =
            rms.match(QString::fromLocal8Bit(sox.readAllStandardError()));
        return match.hasMatch() ? match.captured(1).toDouble() : -1;
    }

    double stopAndMeasure()
    {
        stop();
        return rms();
    }

private:
    QString m_file;
    QProcess m_parec;
};

} // namespace

class TestRealSpeech : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void silenceMeasuresSilent();
    void engineSpeaksAloud_data();
    void engineSpeaksAloud();
    void announcerSpeaksUntilStopped();
    void chosenVoiceReadsInItsOwnLocale_data();
    void chosenVoiceReadsInItsOwnLocale();
    void cleanupTestCase();

private:
    QTemporaryDir m_folder;
    std::unique_ptr<QtSpeechEngine> m_engine;
    int m_recordings = 0;
    QString nextRecordingFile() { return m_folder.filePath(QString::number(++m_recordings)); }
};

void TestRealSpeech::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("KESTRIM_AUDIO_MONITOR"))
        QSKIP("needs the null sink that tests/speech/with-audio.sh sets up");
    QVERIFY(m_folder.isValid());
    m_engine = std::make_unique<QtSpeechEngine>();
}

void TestRealSpeech::init()
{
    // A sentence that reaches its time limit was cut short or lost by speech-dispatcher; a worker
    // left behind means stop() could not end the engine.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("time limit|left behind")));
}

void TestRealSpeech::silenceMeasuresSilent()
{
    // Without this, a meter that always reads loud would pass everything below.
    SinkRecording recording(nextRecordingFile());
    QVERIFY(recording.start());
    QTRY_VERIFY(recording.running());
    QTest::qWait(500);
    const double rms = recording.stopAndMeasure();
    QVERIFY2(rms >= 0 && rms < kAudible, qPrintable(QStringLiteral("RMS %1").arg(rms)));
}

void TestRealSpeech::engineSpeaksAloud_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("volume");
    QTest::addColumn<bool>("audible");
    const QString english = SpeechEngine::kLanguageEnglish;
    const QString chinese = SpeechEngine::kLanguageChinese;
    QTest::newRow("English") << english << "Normal Temperature" << 1 << 80 << true;
    QTest::newRow("Chinese") << chinese << "温度正常" << 1 << 80 << true;
    // Digits read in Chinese at the slowest rate: the slowest speech per character.
    QTest::newRow("Chinese count, slowest") << chinese << "9999" << -10 << 80 << true;
    QTest::newRow("volume 0") << english << "Normal" << 1 << 0 << false;
}

void TestRealSpeech::engineSpeaksAloud()
{
    QFETCH(QString, language);
    QFETCH(QString, text);
    QFETCH(int, rate);
    QFETCH(int, volume);
    QFETCH(bool, audible);

    QVERIFY2(m_engine->chooseVoice(language),
             qPrintable(QStringLiteral("no voice for %1 is installed").arg(language)));
    m_engine->setRate(rate);
    m_engine->setVolume(volume);
    SinkRecording recording(nextRecordingFile());
    QVERIFY(recording.start());
    QTRY_VERIFY(recording.running());
    m_engine->speak(text);
    const double rms = recording.stopAndMeasure();
    QVERIFY2(rms >= 0 && (rms > kAudible) == audible,
             qPrintable(QStringLiteral("RMS %1").arg(rms)));
}

void TestRealSpeech::chosenVoiceReadsInItsOwnLocale_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("English") << QStringLiteral("language=409");
    QTest::newRow("Chinese") << QStringLiteral("language=804");
}

// The voice search walks every locale the service offers; afterwards the service reads with the
// chosen voice's own locale, not with whichever locale the walk ended on.
void TestRealSpeech::chosenVoiceReadsInItsOwnLocale()
{
    QFETCH(QString, language);
    QtSpeechEngine engine;
    QVERIFY2(engine.chooseVoice(language),
             qPrintable(QStringLiteral("no voice for %1 is installed").arg(language)));
    QVERIFY(!engine.voice().name().isEmpty());
    QCOMPARE(engine.locale(), engine.voice().locale());
}

void TestRealSpeech::announcerSpeaksUntilStopped()
{
    SpeechAnnouncer announcer([] { return std::make_unique<QtSpeechEngine>(); });
    SinkRecording speaking(nextRecordingFile());
    QVERIFY(speaking.start());
    QTRY_VERIFY(speaking.running());
    announcer.start();
    // About three seconds long, so stop() comes in the middle of it.
    announcer.RequestSpeech(QStringLiteral("connect successfully, please measure the temperature"),
                            SpeechAnnouncer::kLanguageEnglish);
    // The engine is created on the worker first, which takes a second or two.
    QTRY_VERIFY_WITH_TIMEOUT(speaking.rms() > kAudible, 30000);
    announcer.stop();
    speaking.stop();

    // The rest of the sentence is never heard. What the sound pipeline already holds (about
    // 0.1 s) drains first; the sentence itself would go on for two seconds more.
    QTest::qWait(300);
    SinkRecording afterwards(nextRecordingFile());
    QVERIFY(afterwards.start());
    QTRY_VERIFY(afterwards.running());
    QTest::qWait(1000);
    const double rms = afterwards.stopAndMeasure();
    QVERIFY2(rms >= 0 && rms < kAudible, qPrintable(QStringLiteral("RMS %1").arg(rms)));
}

void TestRealSpeech::cleanupTestCase()
{
    m_engine.reset();
}

QTEST_GUILESS_MAIN(TestRealSpeech)
#include "tst_realspeech.moc"
