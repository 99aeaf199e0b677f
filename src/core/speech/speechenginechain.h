// Several speech engines, tried in order for each language.
//
// On Windows the voices of a language may be in one engine and not in another: the Mandarin
// voices of a stock Windows 10 or 11 (OneCore) are reached through Qt's "winrt" engine only,
// while voices installed the older way (SAPI 5) are reached through "sapi" only. The chain asks
// each engine in turn for a voice of the language; the first that has one speaks that language,
// and the choice is logged with the engine and the voice.
#pragma once

#include "speech/speechengine.h"

#include <QString>

#include <memory>
#include <utility>
#include <vector>

class SpeechEngineChain final : public SpeechEngine {
public:
    using NamedEngine = std::pair<QString, std::unique_ptr<SpeechEngine>>;

    // All engines are made up front, on the thread that will use them.
    explicit SpeechEngineChain(std::vector<NamedEngine> engines);

    bool chooseVoice(const QString &languageAttribute) override;
    void setRate(int rate) override;
    void setVolume(int volume) override;
    // Through the engine of the last voice chosen; nothing when none was.
    void speak(const QString &text) override;
    void interrupt() override;
    QString voiceName() const override;

    // The engine that speaks now; empty before a voice has been chosen.
    QString chosenEngine() const;

private:
    std::vector<NamedEngine> m_engines; // fixed after construction: interrupt() reads it
    SpeechEngine *m_chosen = nullptr;
    QString m_chosenName;
};

// The engines to try on this system, in order: winrt then sapi on Windows, speechd on Linux.
QStringList SpeechEngineOrder();

// The speech engine of this system: one engine, or a chain where there are several.
std::unique_ptr<SpeechEngine> MakeSpeechEngine();
