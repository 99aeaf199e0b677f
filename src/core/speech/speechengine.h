// The voice that announcements are spoken through. An engine belongs to one thread: the speech
// worker creates it, uses it and destroys it there. Only interrupt() may come from another thread,
// because the window has to be able to end a sentence without waiting for the speech service.
#pragma once

#include <QLatin1String>
#include <QString>

class SpeechEngine {
public:
    // The language attributes that announcements carry, as Windows language identifiers.
    static constexpr QLatin1String kLanguageEnglish{"language=409"}; // English (United States)
    static constexpr QLatin1String kLanguageChinese{"language=804"}; // Chinese (PRC)

    SpeechEngine() = default;
    SpeechEngine(const SpeechEngine &) = delete;
    SpeechEngine &operator=(const SpeechEngine &) = delete;
    virtual ~SpeechEngine() = default;

    // Chooses an installed voice for a language attribute; false when no voice has that language.
    virtual bool chooseVoice(const QString &languageAttribute) = 0;
    // -10 (slowest) .. 10; applies from the next sentence on.
    virtual void setRate(int rate) = 0;
    // 0 .. 100; applies from the next sentence on.
    virtual void setVolume(int volume) = 0;
    // Returns when the sentence has been spoken, its time limit has passed or interrupt() was
    // called.
    virtual void speak(const QString &text) = 0;
    // Any thread. Ends the sentence being spoken, and every later speak() returns at once: an
    // engine is interrupted only on its way out.
    virtual void interrupt() = 0;
    // The voice chosen last, for the log; empty when unknown.
    virtual QString voiceName() const { return {}; }
};
