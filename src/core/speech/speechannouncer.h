// Speaks the window's announcements on a worker thread.
//
// The desk puts one request at a time into a one-request slot and never waits. The worker
// sleeps until a request is pending, takes its text and language as one pair and speaks it with
// the rate and volume of that moment: a request made while a sentence is being spoken is
// discarded, not queued, and of two requests made before the worker gets to the slot only the
// second is spoken. An urgent request (an abnormal verdict) is never lost that way: made while a
// sentence is spoken it is spoken right after it, and no later request replaces it; a request
// made after it waits its turn behind it, and the newest of those is spoken next. The worker
// creates its own SpeechEngine, so a speech service that is slow to start, or hangs, never holds up
// the window, and stop() never waits for it long.
#pragma once

#include "speech/speechengine.h"

#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

class SpeechAnnouncer {
public:
    using EngineFactory = std::function<std::unique_ptr<SpeechEngine>()>;

    static constexpr QLatin1String kLanguageEnglish = SpeechEngine::kLanguageEnglish;
    static constexpr QLatin1String kLanguageChinese = SpeechEngine::kLanguageChinese;
    static constexpr int kInitialRate = 1;
    static constexpr int kInitialVolume = 80;
    // How long stop() lets the worker finish before leaving it behind.
    static constexpr std::chrono::milliseconds kStopWait{300};

    // The factory is called on the worker thread, once; it may return null (nothing is spoken).
    explicit SpeechAnnouncer(EngineFactory factory);
    ~SpeechAnnouncer();
    SpeechAnnouncer(const SpeechAnnouncer &) = delete;
    SpeechAnnouncer &operator=(const SpeechAnnouncer &) = delete;

    // Starts the worker; a second call, or one after stop(), does nothing.
    void start();
    // Ends the worker and any sentence being spoken. Returns within about kStopWait even when
    // the speech engine hangs: a worker stuck in the engine is detached and left to finish on
    // its own. Safe to call more than once.
    void stop();

    enum class Urgency { Normal, Urgent };
    // The desk's thread. Replaces whatever request of its urgency is waiting; never waits for
    // speech.
    void RequestSpeech(const QString &text, const QString &languageAttribute,
                       Urgency urgency = Urgency::Normal);
    // Used from the next sentence on; a sentence being spoken keeps its rate and volume.
    void setRate(int rate);
    void setVolume(int volume);
    int rate() const;
    int volume() const;
    // True from a request until the worker has finished with it (spoken or dropped).
    bool requestPending() const;

private:
    struct Shared;
    static void run(const std::shared_ptr<Shared> &shared, const EngineFactory &factory);

    // Shared with the worker, which keeps its own reference: a detached worker outlives us.
    std::shared_ptr<Shared> m_shared;
    EngineFactory m_factory;
    std::thread m_worker;
    bool m_started = false;
};
