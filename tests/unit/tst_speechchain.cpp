// Speech engines tried in order for each language (winrt, then sapi on Windows): the first
// engine with a voice of the language speaks it, rate and volume reach every engine, and an
// interruption reaches every engine whichever is speaking.
#include "speech/speechenginechain.h"

#include <QTest>

namespace {

struct Calls {
    QStringList spoken; // "engine: text"
    QList<int> rates, volumes;
    int interrupts = 0;
};

class FakeEngine : public SpeechEngine {
public:
    FakeEngine(QString name, QStringList languages, Calls &calls)
        : m_name(std::move(name))
        , m_languages(std::move(languages))
        , m_calls(calls)
    {}
    bool chooseVoice(const QString &language) override
    {
        m_voice = m_languages.contains(language) ? m_name + QStringLiteral(" voice") : QString();
        return !m_voice.isEmpty();
    }
    void setRate(int rate) override { m_calls.rates.append(rate); }
    void setVolume(int volume) override { m_calls.volumes.append(volume); }
    void speak(const QString &text) override { m_calls.spoken.append(m_name + ": " + text); }
    void interrupt() override { ++m_calls.interrupts; }
    QString voiceName() const override { return m_voice; }

private:
    QString m_name;
    QStringList m_languages;
    Calls &m_calls;
    QString m_voice;
};

} // namespace

class TestSpeechChain : public QObject {
    Q_OBJECT

private slots:
    void firstEngineWithTheLanguageSpeaks_data();
    void firstEngineWithTheLanguageSpeaks();
    void settingsAndInterruptionReachEveryEngine();
};

void TestSpeechChain::firstEngineWithTheLanguageSpeaks_data()
{
    QTest::addColumn<QStringList>("winrtLanguages");
    QTest::addColumn<QStringList>("sapiLanguages");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("engine"); // empty: no voice anywhere, nothing spoken
    const QString en = SpeechEngine::kLanguageEnglish;
    const QString zh = SpeechEngine::kLanguageChinese;
    QTest::newRow("Mandarin only through winrt (OneCore)")
        << QStringList{en, zh} << QStringList{en} << zh << "winrt";
    QTest::newRow("both have English: the first")
        << QStringList{en, zh} << QStringList{en} << en << "winrt";
    QTest::newRow("a SAPI 5 voice only") << QStringList{en} << QStringList{en, zh} << zh << "sapi";
    QTest::newRow("no voice at all") << QStringList{en} << QStringList{en} << zh << "";
}

void TestSpeechChain::firstEngineWithTheLanguageSpeaks()
{
    QFETCH(QStringList, winrtLanguages);
    QFETCH(QStringList, sapiLanguages);
    QFETCH(QString, language);
    QFETCH(QString, engine);
    Calls calls;
    std::vector<SpeechEngineChain::NamedEngine> engines;
    engines.emplace_back("winrt", std::make_unique<FakeEngine>("winrt", winrtLanguages, calls));
    engines.emplace_back("sapi", std::make_unique<FakeEngine>("sapi", sapiLanguages, calls));
    SpeechEngineChain chain(std::move(engines));

    QCOMPARE(chain.chooseVoice(language), !engine.isEmpty());
    QCOMPARE(chain.chosenEngine(), engine);
    QCOMPARE(chain.voiceName(), engine.isEmpty() ? QString() : engine + " voice");
    chain.speak(QStringLiteral("36.5"));
    QCOMPARE(calls.spoken, engine.isEmpty() ? QStringList() : QStringList{engine + ": 36.5"});
}

// English through winrt, then Chinese only through sapi, then English again: each sentence
// goes through its language's engine.
void TestSpeechChain::settingsAndInterruptionReachEveryEngine()
{
    Calls calls;
    const QString en = SpeechEngine::kLanguageEnglish;
    const QString zh = SpeechEngine::kLanguageChinese;
    std::vector<SpeechEngineChain::NamedEngine> engines;
    engines.emplace_back("winrt", std::make_unique<FakeEngine>("winrt", QStringList{en}, calls));
    engines.emplace_back("sapi", std::make_unique<FakeEngine>("sapi", QStringList{en, zh}, calls));
    SpeechEngineChain chain(std::move(engines));
    chain.setRate(-3);
    chain.setVolume(60);
    QVERIFY(chain.chooseVoice(en));
    chain.speak("one");
    QVERIFY(chain.chooseVoice(zh));
    chain.speak("two");
    QVERIFY(chain.chooseVoice(en));
    chain.speak("three");
    QCOMPARE(calls.spoken, (QStringList{"winrt: one", "sapi: two", "winrt: three"}));
    QCOMPARE(calls.rates, (QList<int>{-3, -3}));
    QCOMPARE(calls.volumes, (QList<int>{60, 60}));
    chain.interrupt();
    QCOMPARE(calls.interrupts, 2);
}

QTEST_GUILESS_MAIN(TestSpeechChain)
#include "tst_speechchain.moc"
