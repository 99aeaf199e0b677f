#include "speech/speechenginechain.h"

#include "logging.h"
#include "speech/qtspeechengine.h"

#include <QStringList>
#include <QTextToSpeech>

SpeechEngineChain::SpeechEngineChain(std::vector<NamedEngine> engines)
    : m_engines(std::move(engines))
{}

bool SpeechEngineChain::chooseVoice(const QString &languageAttribute)
{
    for (auto &[name, engine] : m_engines) {
        if (!engine->chooseVoice(languageAttribute))
            continue;
        if (m_chosen != engine.get() || m_chosenName != name)
            qCInfo(lcSpeech) << "speaking" << languageAttribute << "through" << name
                             << "with the voice" << engine->voiceName();
        m_chosen = engine.get();
        m_chosenName = name;
        return true;
    }
    qCWarning(lcSpeech) << "no engine has a voice for" << languageAttribute;
    m_chosen = nullptr;
    m_chosenName.clear();
    return false;
}

void SpeechEngineChain::setRate(int rate)
{
    for (auto &entry : m_engines)
        entry.second->setRate(rate);
}

void SpeechEngineChain::setVolume(int volume)
{
    for (auto &entry : m_engines)
        entry.second->setVolume(volume);
}

void SpeechEngineChain::speak(const QString &text)
{
    if (m_chosen)
        m_chosen->speak(text);
}

void SpeechEngineChain::interrupt()
{
    for (auto &entry : m_engines)
        entry.second->interrupt();
}

QString SpeechEngineChain::voiceName() const
{
    return m_chosen ? m_chosen->voiceName() : QString();
}

QString SpeechEngineChain::chosenEngine() const
{
    return m_chosenName;
}

QStringList SpeechEngineOrder()
{
#ifdef Q_OS_WIN
    return {QStringLiteral("winrt"), QStringLiteral("sapi")};
#else
    return {QtSpeechEngine::DefaultEngineName()};
#endif
}

std::unique_ptr<SpeechEngine> MakeSpeechEngine()
{
    const QStringList order = SpeechEngineOrder();
    if (order.size() == 1)
        return std::make_unique<QtSpeechEngine>(order.constFirst());
    const QStringList available = QTextToSpeech::availableEngines();
    std::vector<SpeechEngineChain::NamedEngine> engines;
    for (const QString &name : order) {
        if (available.contains(name))
            engines.emplace_back(name, std::make_unique<QtSpeechEngine>(name));
    }
    if (engines.empty()) {
        qCWarning(lcSpeech) << "none of the speech engines" << order << "is installed; found"
                            << available;
        return std::make_unique<QtSpeechEngine>(QString());
    }
    return std::make_unique<SpeechEngineChain>(std::move(engines));
}
