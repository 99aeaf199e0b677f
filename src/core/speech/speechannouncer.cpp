#include "speech/speechannouncer.h"
#include "logging.h"

#include <condition_variable>
#include <mutex>
#include <optional>

// Everything the window thread and the worker share, under one mutex, so that a request's text
// and language always belong together.
struct SpeechAnnouncer::Shared {
    mutable std::mutex mutex;
    std::condition_variable wake;     // a request is pending, or the worker is to end
    std::condition_variable finished; // the worker has ended
    struct Request {
        QString text;
        QString language;
    };
    // An urgent request (an abnormal verdict) waits here until it is spoken; no other request
    // replaces it.
    std::optional<Request> urgent;
    // The newest of the other requests, spoken after any urgent one.
    std::optional<Request> latest;
    bool speaking = false;
    int rate = kInitialRate;
    int volume = kInitialVolume;
    bool running = true;
    bool ended = false;
    // Set while the worker's engine exists, so stop() can interrupt it.
    SpeechEngine *engine = nullptr;
};

namespace {

struct Sentence {
    QString text;
    QString language;
    int rate = 0;
    int volume = 0;
};

void speakSentence(SpeechEngine &engine, const Sentence &sentence)
{
    engine.setRate(sentence.rate);
    engine.setVolume(sentence.volume);
    if (!engine.chooseVoice(sentence.language)) {
        qCDebug(lcSpeech) << "no voice for" << sentence.language << "- dropped:" << sentence.text;
        return;
    }
    qCDebug(lcSpeech) << "speaking" << sentence.text << sentence.language << "rate" << sentence.rate
                      << "volume" << sentence.volume;
    engine.speak(sentence.text);
}

} // namespace

SpeechAnnouncer::SpeechAnnouncer(EngineFactory factory)
    : m_shared(std::make_shared<Shared>())
    , m_factory(std::move(factory))
{}

SpeechAnnouncer::~SpeechAnnouncer()
{
    stop();
}

void SpeechAnnouncer::start()
{
    if (m_started)
        return;
    m_started = true;
    m_worker = std::thread(&SpeechAnnouncer::run, m_shared, m_factory);
}

void SpeechAnnouncer::stop()
{
    m_started = true; // a stopped announcer never starts
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->running = false;
        // Under the mutex, so the worker cannot destroy the engine meanwhile.
        if (m_shared->engine)
            m_shared->engine->interrupt();
    }
    m_shared->wake.notify_all();
    if (!m_worker.joinable())
        return;

    std::unique_lock lock(m_shared->mutex);
    const bool ended =
        m_shared->finished.wait_for(lock, kStopWait, [this] { return m_shared->ended; });
    lock.unlock();
    if (ended) {
        m_worker.join();
    } else {
        qCWarning(lcSpeech) << "speech engine did not stop in time; its thread is left behind";
        m_worker.detach();
    }
}

void SpeechAnnouncer::RequestSpeech(const QString &text, const QString &languageAttribute,
                                    Urgency urgency)
{
    {
        const std::lock_guard lock(m_shared->mutex);
        if (urgency == Urgency::Urgent) {
            m_shared->urgent = Shared::Request{text, languageAttribute};
            // Said after it, the older sentence would be news from before the urgent one.
            m_shared->latest.reset();
        } else if (!m_shared->speaking) {
            m_shared->latest = Shared::Request{text, languageAttribute};
        } else {
            return; // made while a sentence is spoken: dropped
        }
    }
    m_shared->wake.notify_one();
}

void SpeechAnnouncer::setRate(int rate)
{
    const std::lock_guard lock(m_shared->mutex);
    m_shared->rate = rate;
}

void SpeechAnnouncer::setVolume(int volume)
{
    const std::lock_guard lock(m_shared->mutex);
    m_shared->volume = volume;
}

int SpeechAnnouncer::rate() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->rate;
}

int SpeechAnnouncer::volume() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->volume;
}

bool SpeechAnnouncer::requestPending() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->speaking || m_shared->urgent || m_shared->latest;
}

void SpeechAnnouncer::run(const std::shared_ptr<Shared> &shared, const EngineFactory &factory)
{
    // Born here, so a constructor that blocks holds up only this thread.
    std::unique_ptr<SpeechEngine> engine = factory ? factory() : nullptr;
    std::unique_lock lock(shared->mutex);
    shared->engine = engine.get();
    for (;;) {
        shared->wake.wait(lock,
                          [&] { return !shared->running || shared->urgent || shared->latest; });
        if (!shared->running)
            break;
        std::optional<Shared::Request> &next = shared->urgent ? shared->urgent : shared->latest;
        const Sentence sentence{next->text, next->language, shared->rate, shared->volume};
        next.reset();
        shared->speaking = true;
        lock.unlock();
        if (engine)
            speakSentence(*engine, sentence);
        lock.lock();
        shared->speaking = false;
    }
    shared->engine = nullptr;
    lock.unlock();

    engine.reset(); // on this thread, where it was made
    lock.lock();
    shared->ended = true;
    lock.unlock();
    shared->finished.notify_all();
}
