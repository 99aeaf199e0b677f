// Picks the installed voice that best suits a language attribute, from voices offered one by one.
//
// Speech services name their languages differently: SAPI voices carry a proper locale (zh-CN,
// en-US), while espeak-ng's Mandarin voice has the language code "cmn", which Qt 6.4 reads as the
// C locale. So a voice qualifies by its locale or by its name.
#pragma once

#include <QString>

class QLocale;

class VoicePicker {
public:
    // languageAttribute: "language=409" or "language=804"; any other suits no voice.
    explicit VoicePicker(const QString &languageAttribute);

    // True when this voice is the best offered so far. Ties go to the first name in alphabetical
    // order, so the pick never depends on the order the service lists its voices in.
    bool offer(const QString &name, const QLocale &locale);
    // Empty while no voice offered suits the language.
    QString best() const { return m_bestName; }

private:
    int score(const QString &name, const QLocale &locale) const;

    QString m_languageAttribute;
    QString m_bestName;
    int m_bestScore = 0;
};
