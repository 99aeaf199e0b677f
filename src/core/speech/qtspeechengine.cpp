#include "speech/qtspeechengine.h"
#include "logging.h"
#include "speech/voicepicker.h"

#include <QEventLoop>
#include <QTextToSpeech>
#include <QTimer>

#include <algorithm>

using namespace std::chrono_literals;

QtSpeechEngine::QtSpeechEngine(const QString &engineName)
    : m_speech(std::make_unique<QTextToSpeech>(engineName))
{
    if (m_speech->state() == QTextToSpeech::Error)
        qCWarning(lcSpeech) << "speech engine" << engineName
                            << "is not available:" << m_speech->errorString();
}

QtSpeechEngine::~QtSpeechEngine() = default;

QString QtSpeechEngine::voiceName() const
{
    return m_speech->voice().name();
}

QString QtSpeechEngine::DefaultEngineName()
{
#if defined(Q_OS_WIN)
    return QStringLiteral("sapi");
#elif defined(Q_OS_LINUX)
    return QStringLiteral("speechd");
#else
    return QString(); // the platform's own
#endif
}

std::chrono::milliseconds QtSpeechEngine::TimeLimit(const QString &text, int rate)
{
    // Generous, because the limit only ends a sentence whose end the service never reports.
    // Measured with espeak-ng at the default rate: a Chinese character, or a digit read in
    // Chinese, takes up to 0.5 s, a letter about 0.1 s; the slowest rate takes 2.3 times as long.
    std::chrono::milliseconds budget = 0ms;
    for (const QChar c : text)
        budget += (c.isDigit() || c.unicode() >= 0x2E80) ? 500ms : 150ms;
    const double slowness = 1.0 + 1.5 * std::clamp(-rate, 0, 10) / 10.0;
    const auto limit =
        3s + std::chrono::duration_cast<std::chrono::milliseconds>(budget * slowness);
    return std::min<std::chrono::milliseconds>(limit, 60s);
}

bool QtSpeechEngine::chooseVoice(const QString &languageAttribute)
{
    // Speech-dispatcher's voice list is read once, when the engine connects, so a voice found
    // once stays the right one for the engine's life.
    auto found = m_voices.find(languageAttribute);
    if (found == m_voices.end())
        found = m_voices.insert(languageAttribute, findVoice(languageAttribute));
    if (found->name().isEmpty())
        return false;
    // The search walked every locale; the service keeps the last one set, and its rules for
    // numbers and words, unless the voice's own locale is set again.
    m_speech->setLocale(found->locale());
    m_speech->setVoice(*found);
    return m_speech->voice().name() == found->name();
}

QVoice QtSpeechEngine::findVoice(const QString &languageAttribute)
{
    // availableVoices() lists only the current locale's voices, so walk the locales. Looking a
    // locale up by the attribute would miss espeak-ng's Mandarin, whose locale reads as C.
    VoicePicker picker(languageAttribute);
    QVoice best;
    const QLocale before = m_speech->locale();
    const QList<QLocale> locales = m_speech->availableLocales();
    for (const QLocale &locale : locales) {
        m_speech->setLocale(locale);
        const QList<QVoice> voices = m_speech->availableVoices();
        for (const QVoice &voice : voices) {
            if (picker.offer(voice.name(), voice.locale()))
                best = voice;
        }
    }
    m_speech->setLocale(before);
    if (best.name().isEmpty())
        qCInfo(lcSpeech) << "no voice for" << languageAttribute;
    else
        qCInfo(lcSpeech) << "voice for" << languageAttribute << "is" << best.name();
    return best;
}

QLocale QtSpeechEngine::locale() const
{
    return m_speech->locale();
}

QVoice QtSpeechEngine::voice() const
{
    return m_speech->voice();
}

void QtSpeechEngine::speak(const QString &text)
{
    if (m_interrupted || text.isEmpty())
        return;
    m_speech->setRate(std::clamp(m_rate / 10.0, -1.0, 1.0));
    m_speech->setVolume(std::clamp(m_volume / 100.0, 0.0, 1.0));

    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    // say() first cancels a sentence whose end was never reported, and the cancel may arrive
    // as Ready; only a Ready after Speaking ends this sentence.
    bool started = false;
    QObject::connect(m_speech.get(), &QTextToSpeech::stateChanged, &loop,
                     [&loop, &started](QTextToSpeech::State state) {
                         if (state == QTextToSpeech::Speaking)
                             started = true;
                         else if (state == QTextToSpeech::Error ||
                                  (state == QTextToSpeech::Ready && started))
                             loop.quit();
                     });
    m_speech->say(text);
    limit.start(TimeLimit(text, m_rate));
    m_sentenceLoop = &loop;
    // An interrupt that came before this point has its quit already posted to m_context, so
    // the loop ends as soon as it starts.
    if (!m_interrupted)
        loop.exec();
    m_sentenceLoop = nullptr;

    if (m_interrupted)
        m_speech->stop();
    else if (!limit.isActive())
        qCWarning(lcSpeech) << "sentence not finished after its time limit:" << text;
}

void QtSpeechEngine::interrupt()
{
    m_interrupted = true;
    QMetaObject::invokeMethod(
        &m_context,
        [this] {
            if (m_sentenceLoop)
                m_sentenceLoop->quit();
        },
        Qt::QueuedConnection);
}
