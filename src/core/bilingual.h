// A text in both interface languages: language 0 is Chinese, anything else English.
#pragma once

#include <QString>
#include <QStringView>

struct Bilingual {
    QStringView chinese;
    QStringView english;

    QString in(int language) const { return (language == 0 ? chinese : english).toString(); }
};
