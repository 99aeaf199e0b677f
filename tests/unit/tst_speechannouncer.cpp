// The speech slot and its worker, with a fake engine whose sentences and start-up the test holds.
#include "speech/speechannouncer.h"

#include <QTest>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// What the fake engine saw, and the gates that hold it. Owned through shared_ptr because a worker
// that stop() leaves behind may still use it after the announcer has gone.
struct Stage {
    std::mutex mutex;
    std::condition_variable changed;
    // gates
    bool factoryHeld = false;
    bool sentencesHeld = false;
    QStringList voiceless; // language attributes without a voice
    // observations
    bool factoryEntered = false;
    bool created = false;
    bool destroyed = false;
    bool interrupted = false;
    std::thread::id createdOn;
    std::thread::id destroyedOn;
    QStringList voicesAsked;
    QStringList spoken; // "text|language|rate|volume"
    QString speaking;   // the sentence being spoken now

    template <typename F> auto read(F f)
    {
        const std::lock_guard lock(mutex);
        return f();
    }
    template <typename F> void change(F f)
    {
        {
            const std::lock_guard lock(mutex);
            f();
        }
        changed.notify_all();
    }
};

class FakeEngine final : public SpeechEngine {
public:
    explicit FakeEngine(std::shared_ptr<Stage> stage)
        : m_stage(std::move(stage))
    {
        m_stage->change([this] {
            m_stage->created = true;
            m_stage->createdOn = std::this_thread::get_id();
        });
    }
    ~FakeEngine() override
    {
        m_stage->change([this] {
            m_stage->destroyed = true;
            m_stage->destroyedOn = std::this_thread::get_id();
        });
    }
    bool chooseVoice(const QString &languageAttribute) override
    {
        const std::lock_guard lock(m_stage->mutex);
        m_stage->voicesAsked << languageAttribute;
        m_language = languageAttribute;
        return !m_stage->voiceless.contains(languageAttribute);
    }
    void setRate(int rate) override { m_rate = rate; }
    void setVolume(int volume) override { m_volume = volume; }
    void speak(const QString &text) override
    {
        std::unique_lock lock(m_stage->mutex);
        m_stage->spoken
            << QStringLiteral("%1|%2|%3|%4").arg(text, m_language).arg(m_rate).arg(m_volume);
        m_stage->speaking = text;
        m_stage->changed.notify_all();
        m_stage->changed.wait(lock,
                              [this] { return !m_stage->sentencesHeld || m_stage->interrupted; });
        m_stage->speaking.clear();
    }
    void interrupt() override
    {
        m_stage->change([this] { m_stage->interrupted = true; });
    }

private:
    std::shared_ptr<Stage> m_stage;
    QString m_language;
    int m_rate = 0;
    int m_volume = 0;
};

SpeechAnnouncer::EngineFactory fakeFactory(const std::shared_ptr<Stage> &stage)
{
    return [stage]() -> std::unique_ptr<SpeechEngine> {
        std::unique_lock lock(stage->mutex);
        stage->factoryEntered = true;
        stage->changed.notify_all();
        stage->changed.wait(lock, [&] { return !stage->factoryHeld; });
        lock.unlock();
        return std::make_unique<FakeEngine>(stage);
    };
}

const QString kEnglish = SpeechAnnouncer::kLanguageEnglish;
const QString kChinese = SpeechAnnouncer::kLanguageChinese;

} // namespace

class TestSpeechAnnouncer : public QObject {
    Q_OBJECT

private slots:
    void onlyLatestRequestIsSpoken_data();
    void onlyLatestRequestIsSpoken();
    void requestDuringSentenceIsDiscarded();
    void urgentRequestIsNeverLost_data();
    void urgentRequestIsNeverLost();
    void burstOfTenThousand_data();
    void burstOfTenThousand();
    void stopLeavesStuckEngineBehind();
    void sentenceKeepsRateAndVolumeOfItsStart();
    void languageWithoutVoiceIsDropped();
    void stopEndsWorkerAndEngine_data();
    void stopEndsWorkerAndEngine();
};

void TestSpeechAnnouncer::onlyLatestRequestIsSpoken_data()
{
    // Two moments at which the worker is certainly not at the slot yet.
    QTest::addColumn<bool>("whileEngineStarts");
    QTest::newRow("before start()") << false;
    QTest::newRow("while the engine is being created") << true;
}

void TestSpeechAnnouncer::onlyLatestRequestIsSpoken()
{
    QFETCH(bool, whileEngineStarts);
    auto stage = std::make_shared<Stage>();
    SpeechAnnouncer announcer(fakeFactory(stage));
    if (whileEngineStarts) {
        stage->factoryHeld = true;
        announcer.start();
        QTRY_VERIFY(stage->read([&] { return stage->factoryEntered; }));
    }

    announcer.RequestSpeech(QStringLiteral("Normal Temperature"), kEnglish);
    announcer.RequestSpeech(QStringLiteral("温度异常"), kChinese);
    if (whileEngineStarts)
        stage->change([&] { stage->factoryHeld = false; });
    else
        announcer.start();

    QTRY_VERIFY(!announcer.requestPending());
    // The second text with its own language, never mixed with the first.
    QCOMPARE(stage->read([&] { return stage->spoken; }),
             QStringList{QStringLiteral("温度异常|language=804|1|80")});
}

void TestSpeechAnnouncer::requestDuringSentenceIsDiscarded()
{
    auto stage = std::make_shared<Stage>();
    stage->sentencesHeld = true;
    SpeechAnnouncer announcer(fakeFactory(stage));
    announcer.start();

    announcer.RequestSpeech(QStringLiteral("connect successfully"), kEnglish);
    QTRY_COMPARE(stage->read([&] { return stage->speaking; }),
                 QStringLiteral("connect successfully"));
    announcer.RequestSpeech(QStringLiteral("Abnormal Temperature"), kEnglish);
    QVERIFY(announcer.requestPending());
    stage->change([&] { stage->sentencesHeld = false; });
    QTRY_VERIFY(!announcer.requestPending());

    announcer.RequestSpeech(QStringLiteral("Normal Temperature"), kEnglish);
    QTRY_VERIFY(!announcer.requestPending());
    QCOMPARE(stage->read([&] { return stage->spoken; }),
             (QStringList{QStringLiteral("connect successfully|language=409|1|80"),
                          QStringLiteral("Normal Temperature|language=409|1|80")}));
}

void TestSpeechAnnouncer::urgentRequestIsNeverLost_data()
{
    QTest::addColumn<bool>("duringSentence");
    QTest::addColumn<QStringList>("spoken");
    QTest::newRow("while idle") << false
                                << QStringList{"Abnormal Temperature|language=409|1|80",
                                               "Normal Temperature 2|language=409|1|80"};
    QTest::newRow("while a sentence is spoken")
        << true
        << QStringList{"connect successfully|language=409|1|80",
                       "Abnormal Temperature|language=409|1|80"};
}

// An abnormal verdict is always heard: requests after it neither replace it nor, once it is
// said, get lost if they came while the worker was idle (the newest of them is said next).
void TestSpeechAnnouncer::urgentRequestIsNeverLost()
{
    QFETCH(bool, duringSentence);
    auto stage = std::make_shared<Stage>();
    SpeechAnnouncer announcer(fakeFactory(stage));
    if (duringSentence) {
        stage->sentencesHeld = true;
        announcer.start();
        announcer.RequestSpeech(QStringLiteral("connect successfully"), kEnglish);
        QTRY_COMPARE(stage->read([&] { return stage->speaking; }),
                     QStringLiteral("connect successfully"));
    }
    announcer.RequestSpeech(QStringLiteral("Abnormal Temperature"), kEnglish,
                            SpeechAnnouncer::Urgency::Urgent);
    announcer.RequestSpeech(QStringLiteral("Normal Temperature 1"), kEnglish);
    announcer.RequestSpeech(QStringLiteral("Normal Temperature 2"), kEnglish);
    if (duringSentence)
        stage->change([&] { stage->sentencesHeld = false; });
    else
        announcer.start();
    QTRY_VERIFY(!announcer.requestPending());
    QTEST(stage->read([&] { return stage->spoken; }), "spoken");
}

void TestSpeechAnnouncer::burstOfTenThousand_data()
{
    QTest::addColumn<bool>("duringSentence");
    QTest::addColumn<QStringList>("spoken");
    QTest::newRow("while idle") << false << QStringList{"reading 9999|language=409|1|80"};
    QTest::newRow("while a sentence is spoken")
        << true << QStringList{"connect successfully|language=409|1|80"};
}

// A flood of requests (a thermometer stuck sending) is one slot, never a queue: nothing
// piles up, and what is said is the latest or, during a sentence, nothing more.
void TestSpeechAnnouncer::burstOfTenThousand()
{
    QFETCH(bool, duringSentence);
    auto stage = std::make_shared<Stage>();
    SpeechAnnouncer announcer(fakeFactory(stage));
    if (duringSentence) {
        stage->sentencesHeld = true;
        announcer.start();
        announcer.RequestSpeech(QStringLiteral("connect successfully"), kEnglish);
        QTRY_COMPARE(stage->read([&] { return stage->speaking; }),
                     QStringLiteral("connect successfully"));
    }
    for (int i = 0; i < 10000; ++i)
        announcer.RequestSpeech(QStringLiteral("reading %1").arg(i), kEnglish);
    if (duringSentence)
        stage->change([&] { stage->sentencesHeld = false; });
    else
        announcer.start();
    QTRY_VERIFY(!announcer.requestPending());
    QTEST(stage->read([&] { return stage->spoken; }), "spoken");
}

void TestSpeechAnnouncer::stopLeavesStuckEngineBehind()
{
    // A speech service that hangs keeps the engine's constructor from ever returning.
    auto stage = std::make_shared<Stage>();
    stage->factoryHeld = true;
    auto announcer = std::make_unique<SpeechAnnouncer>(fakeFactory(stage));
    announcer->start();
    QTRY_VERIFY(stage->read([&] { return stage->factoryEntered; }));
    announcer->RequestSpeech(QStringLiteral("Normal Temperature"), kEnglish);

    QTest::ignoreMessage(QtWarningMsg,
                         "speech engine did not stop in time; its thread is left behind");
    announcer.reset(); // must return although the worker cannot end
    QVERIFY(!stage->read([&] { return stage->created; }));

    // When the service comes back, the abandoned worker ends cleanly on its own, without speaking
    // and without touching the announcer that is gone.
    stage->change([&] { stage->factoryHeld = false; });
    QTRY_VERIFY(stage->read([&] { return stage->destroyed; }));
    QCOMPARE(stage->read([&] { return stage->spoken; }), QStringList());
}

void TestSpeechAnnouncer::sentenceKeepsRateAndVolumeOfItsStart()
{
    auto stage = std::make_shared<Stage>();
    stage->sentencesHeld = true;
    SpeechAnnouncer announcer(fakeFactory(stage));
    announcer.start();

    announcer.RequestSpeech(QStringLiteral("36.5degrees celsius"), kEnglish);
    QTRY_VERIFY(!stage->read([&] { return stage->speaking; }).isEmpty());
    announcer.setRate(-10);
    announcer.setVolume(0);
    QCOMPARE(announcer.rate(), -10);
    QCOMPARE(announcer.volume(), 0);
    stage->change([&] { stage->sentencesHeld = false; });
    QTRY_VERIFY(!announcer.requestPending());

    announcer.RequestSpeech(QStringLiteral("37.0degrees celsius"), kEnglish);
    QTRY_VERIFY(!announcer.requestPending());
    QCOMPARE(stage->read([&] { return stage->spoken; }),
             (QStringList{QStringLiteral("36.5degrees celsius|language=409|1|80"),
                          QStringLiteral("37.0degrees celsius|language=409|-10|0")}));
}

void TestSpeechAnnouncer::languageWithoutVoiceIsDropped()
{
    auto stage = std::make_shared<Stage>();
    stage->voiceless = QStringList{kChinese};
    SpeechAnnouncer announcer(fakeFactory(stage));
    announcer.start();

    announcer.RequestSpeech(QStringLiteral("温度正常"), kChinese);
    QTRY_VERIFY(!announcer.requestPending());
    announcer.RequestSpeech(QStringLiteral("Normal Temperature"), kEnglish);
    QTRY_VERIFY(!announcer.requestPending());

    QCOMPARE(stage->read([&] { return stage->voicesAsked; }), (QStringList{kChinese, kEnglish}));
    QCOMPARE(stage->read([&] { return stage->spoken; }),
             QStringList{QStringLiteral("Normal Temperature|language=409|1|80")});
}

void TestSpeechAnnouncer::stopEndsWorkerAndEngine_data()
{
    QTest::addColumn<bool>("midSentence");
    QTest::addColumn<bool>("byDestructor");
    QTest::newRow("idle worker, destructor") << false << true;
    QTest::newRow("sentence being spoken, stop()") << true << false;
}

void TestSpeechAnnouncer::stopEndsWorkerAndEngine()
{
    QFETCH(bool, midSentence);
    QFETCH(bool, byDestructor);
    auto stage = std::make_shared<Stage>();
    stage->sentencesHeld = midSentence; // held until interrupted
    auto announcer = std::make_unique<SpeechAnnouncer>(fakeFactory(stage));
    announcer->start();
    announcer->RequestSpeech(QStringLiteral("connect successfully"), kEnglish);
    if (midSentence)
        QTRY_VERIFY(!stage->read([&] { return stage->speaking; }).isEmpty());
    else
        QTRY_VERIFY(!announcer->requestPending());

    if (byDestructor) {
        announcer.reset();
    } else {
        announcer->stop();
        announcer->stop();
    }

    // The worker was joined, not left behind: its engine is already gone, destroyed on the thread
    // that made it, which is not the window's.
    QVERIFY(stage->read([&] { return stage->destroyed; }));
    const auto createdOn = stage->read([&] { return stage->createdOn; });
    QCOMPARE(stage->read([&] { return stage->destroyedOn; }), createdOn);
    QVERIFY(createdOn != std::this_thread::get_id());
    if (midSentence)
        QVERIFY(stage->read([&] { return stage->interrupted; }));
    QCOMPARE(stage->read([&] { return stage->spoken.size(); }), 1);
}

QTEST_GUILESS_MAIN(TestSpeechAnnouncer)
#include "tst_speechannouncer.moc"
