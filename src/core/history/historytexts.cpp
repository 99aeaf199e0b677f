#include "history/historytexts.h"

#include "reception/temperature.h"

namespace {

struct SummaryLabels {
    Bilingual readings{u"读数", u"Readings"};
    Bilingual abnormal{u"异常", u"Abnormal"};
    Bilingual highest{u"最高", u"Highest"};
    Bilingual lowest{u"最低", u"Lowest"};
    Bilingual mean{u"平均", u"Mean"};
    Bilingual first{u"首次", u"First"};
    Bilingual last{u"末次", u"Last"};
    Bilingual counts{u"计数值", u"Counts"};
    Bilingual surface{u"表面温度", u"Surface"};
    Bilingual unreadable{u"无法读取", u"Unreadable"};
};

} // namespace

QString DegreeSign(TempUnit tempUnit)
{
    return u'°' + UnitLetter(tempUnit);
}

QString DegreesText(float degrees, TempUnit tempUnit)
{
    return QString::asprintf("%.1f", double(degrees)) + DegreeSign(tempUnit);
}

QString SummaryText(const DaySummary &summary, TempUnit tempUnit, Language language)
{
    const SummaryLabels labels;
    const QString colon = CaptionColon(language);
    const QString none = QStringLiteral("-");
    const bool temperatures = summary.temperatures > 0;
    const auto time = [&](QTime t) {
        return t.isValid() ? t.toString(QStringLiteral("HH:mm:ss")) : none;
    };
    QStringList items{
        labels.readings.in(language) + colon + QString::number(summary.readings),
        labels.abnormal.in(language) + colon + QString::number(summary.abnormal),
        labels.highest.in(language) + colon +
            (temperatures ? DegreesText(summary.highest, tempUnit) : none),
        labels.lowest.in(language) + colon +
            (temperatures ? DegreesText(summary.lowest, tempUnit) : none),
        labels.mean.in(language) + colon +
            (temperatures ? DegreesText(summary.mean, tempUnit) : none),
        labels.first.in(language) + colon + time(summary.first),
        labels.last.in(language) + colon + time(summary.last),
    };
    if (summary.surface > 0)
        items.append(labels.surface.in(language) + colon + QString::number(summary.surface));
    if (summary.counts > 0)
        items.append(labels.counts.in(language) + colon + QString::number(summary.counts));
    if (summary.unreadable > 0)
        items.append(labels.unreadable.in(language) + colon + QString::number(summary.unreadable));
    return items.join(QStringLiteral("   "));
}

QString FiguresText(const HistoryFigures &figures, TempUnit tempUnit, Language language)
{
    const QString summary = SummaryText(
        SummariseDay(figures.readings, figures.unreadable, tempUnit), tempUnit, language);
    if (!figures.desks)
        return summary;
    const QString colon = CaptionColon(language);
    return HistoryTexts::kDesks.in(language) + colon + QString::number(*figures.desks) +
           QStringLiteral("   ") + summary;
}
