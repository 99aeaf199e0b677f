// The speech engine on Qt TextToSpeech: speech-dispatcher on Linux, SAPI on Windows.
//
// Build it on the thread that will use it and nowhere near the window's thread: the constructor
// can block for about a second while speech-dispatcher starts, and for good when the service has
// hung. speak() waits in a local event loop, and every sentence has a time limit, because without
// an audio device speech-dispatcher never reports the end of a sentence.
#pragma once

#include "speech/speechengine.h"

#include <QHash>
#include <QObject>
#include <QVoice>

#include <atomic>
#include <chrono>
#include <memory>

class QEventLoop;
class QTextToSpeech;

class QtSpeechEngine final : public SpeechEngine {
public:
    // The engine is named, never left to Qt's choice: the order of the plugins varies.
    explicit QtSpeechEngine(const QString &engineName = DefaultEngineName());
    ~QtSpeechEngine() override;

    static QString DefaultEngineName();
    // How long a sentence may take before it counts as spoken.
    static std::chrono::milliseconds TimeLimit(const QString &text, int rate);

    bool chooseVoice(const QString &languageAttribute) override;
    void setRate(int rate) override { m_rate = rate; }
    void setVolume(int volume) override { m_volume = volume; }
    void speak(const QString &text) override;
    // The locale the speech service reads with, and its voice.
    QLocale locale() const;
    QVoice voice() const;
    void interrupt() override;
    QString voiceName() const override;

private:
    QVoice findVoice(const QString &languageAttribute);

    std::unique_ptr<QTextToSpeech> m_speech;
    // Lives on the engine's thread; interrupt() posts to it to end the waiting loop there.
    QObject m_context;
    QEventLoop *m_sentenceLoop = nullptr;
    // The voice found for each language attribute; a nameless voice means there is none.
    QHash<QString, QVoice> m_voices;
    int m_rate = 1;
    int m_volume = 80;
    std::atomic<bool> m_interrupted = false;
};
