#include "speech/voicepicker.h"
#include "speech/speechengine.h"

#include <QLocale>

namespace {

// Locale and name weigh the same; a voice that matches on both is the surest choice.
constexpr int kLocaleMatch = 20;
constexpr int kNameMatch = 20;
constexpr int kSameLanguage = 10;
// espeak-ng lists every voice again with each of its variants ("English (America)+Adam"); the
// plain voice is the one a listener expects.
constexpr int kVariantPenalty = 1;

int englishScore(const QString &name, const QLocale &locale)
{
    int score = 0;
    if (locale.language() == QLocale::English && locale.territory() == QLocale::UnitedStates)
        score += kLocaleMatch;
    else if (locale.language() == QLocale::English)
        score += kSameLanguage;
    // The closing bracket keeps out "English (America, New York City)".
    if (name.contains(QLatin1String("English (America)")))
        score += kNameMatch;
    return score;
}

int chineseScore(const QString &name, const QLocale &locale)
{
    int score = 0;
    // Cantonese and Hakka are languages of their own in QLocale, so they never count here.
    if (locale.language() == QLocale::Chinese && locale.territory() == QLocale::China)
        score += kLocaleMatch;
    else if (locale.language() == QLocale::Chinese)
        score += kSameLanguage;
    if (name.contains(QLatin1String("Mandarin")))
        score += kNameMatch;
    return score;
}

} // namespace

VoicePicker::VoicePicker(const QString &languageAttribute)
    : m_languageAttribute(languageAttribute)
{}

bool VoicePicker::offer(const QString &name, const QLocale &locale)
{
    const int offered = score(name, locale);
    if (offered == 0 || offered < m_bestScore)
        return false;
    if (offered == m_bestScore && name >= m_bestName)
        return false;
    m_bestName = name;
    m_bestScore = offered;
    return true;
}

int VoicePicker::score(const QString &name, const QLocale &locale) const
{
    int score = 0;
    if (m_languageAttribute == SpeechEngine::kLanguageEnglish)
        score = englishScore(name, locale);
    else if (m_languageAttribute == SpeechEngine::kLanguageChinese)
        score = chineseScore(name, locale);
    if (score > 0 && name.contains(QLatin1Char('+')))
        score -= kVariantPenalty;
    return score;
}
