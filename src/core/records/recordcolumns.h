// The captions of a record's four fields, in both languages, written once: the record list's
// columns, the first line of a CSV export and the history's tables all take them from here.
// The English "Envrionment" is as exports already filed carry it, and other programs match it.
#pragma once

#include "bilingual.h"

#include <QStringList>

#include <array>

inline constexpr std::array<Bilingual, 4> kRecordColumns{{
    {u"数量", u"Quantity"},
    {u"测试时间", u"Test Time"},
    {u"测量数值", u"Test Value"},
    {u"环境温度", u"Envrionment Temp."},
}};

// The captions joined by commas, as the first line of a CSV export.
inline QString RecordColumnsCsv(Language language)
{
    QStringList captions;
    for (const Bilingual &caption : kRecordColumns)
        captions.append(caption.in(language));
    return captions.join(u',');
}
