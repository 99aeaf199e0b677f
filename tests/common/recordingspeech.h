// A speech engine that speaks instantly and remembers what it was asked to say.
#pragma once

#include "speech/speechengine.h"

#include <QStringList>

#include <memory>
#include <mutex>

// What was spoken, shared between the speech worker and the test.
class SpokenLog {
public:
    void add(const QString &sentence, const QString &language, int rate = 0)
    {
        const std::lock_guard lock(m_mutex);
        m_sentences.append(sentence);
        m_languages.append(language);
        m_rates.append(rate);
    }
    QStringList sentences() const
    {
        const std::lock_guard lock(m_mutex);
        return m_sentences;
    }
    QStringList languages() const
    {
        const std::lock_guard lock(m_mutex);
        return m_languages;
    }
    // The rate each sentence was spoken at.
    QList<int> rates() const
    {
        const std::lock_guard lock(m_mutex);
        return m_rates;
    }

private:
    mutable std::mutex m_mutex;
    QStringList m_sentences;
    QStringList m_languages;
    QList<int> m_rates;
};

class RecordingSpeechEngine : public SpeechEngine {
public:
    explicit RecordingSpeechEngine(std::shared_ptr<SpokenLog> log)
        : m_log(std::move(log))
    {}
    bool chooseVoice(const QString &languageAttribute) override
    {
        m_language = languageAttribute;
        return true;
    }
    void setRate(int rate) override { m_rate = rate; }
    void setVolume(int) override {}
    void speak(const QString &text) override { m_log->add(text, m_language, m_rate); }
    void interrupt() override {}

private:
    std::shared_ptr<SpokenLog> m_log;
    QString m_language;
    int m_rate = 0;
};
