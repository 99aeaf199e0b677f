// The two interface languages, and a text in both.
#pragma once

#include <QString>
#include <QStringView>

// The numbers are the ones Kestrim.ini keeps and the thermometer's language setting takes.
enum class Language : qint32 { Chinese = 0, English = 1 };

inline constexpr Language kLanguages[] = {Language::Chinese, Language::English};

struct Bilingual {
    QStringView chinese;
    QStringView english;

    QString in(Language language) const
    {
        return (language == Language::Chinese ? chinese : english).toString();
    }
};

// The colon after a caption: full width in Chinese.
inline QString CaptionColon(Language language)
{
    return Bilingual{u"：", u": "}.in(language);
}
