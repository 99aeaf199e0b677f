#include "history/reportsummary.h"

#include "history/historytexts.h"
#include "thermometermodel.h"

#include <algorithm>

namespace {

struct Labels {
    Bilingual model{u"型号", u"Model"};
    Bilingual mode{u"模式", u"Mode"};
    Bilingual limit{u"报警上限", u"Alarm limit"};
    Bilingual notRecorded{u"未记录", u"not recorded"};
    Bilingual readings{u"读数", u"Readings"};
    Bilingual abnormal{u"异常", u"Abnormal"};
    Bilingual body{u"人体温度", u"Body temperatures"};
    Bilingual highest{u"最高", u"Highest"};
    Bilingual lowest{u"最低", u"Lowest"};
    Bilingual mean{u"平均", u"Mean"};
    Bilingual median{u"中位数", u"Median"};
    Bilingual surface{u"表面温度", u"Surface"};
    Bilingual counts{u"计数值", u"Counts"};
    Bilingual first{u"首次", u"First"};
    Bilingual last{u"末次", u"Last"};
    Bilingual unreadable{u"无法读取", u"Unreadable"};
};

Bilingual ModeName(WorkMode mode)
{
    switch (mode) {
    case WorkMode::Surface:
        return {u"表面", u"surface"};
    case WorkMode::Body:
        return {u"人体", u"body"};
    case WorkMode::Count:
        return {u"计数", u"count"};
    }
    return {u"人体", u"body"};
}

// "36.4 °C"
QString Degrees(float degrees, TempUnit tempUnit)
{
    return QString::asprintf("%.1f", double(degrees)) + u' ' + DegreeSign(tempUnit);
}

QString Range(quint64 first, quint64 last)
{
    return first == last ? QString::number(first)
                         : QString::number(first) + u'–' + QString::number(last);
}

QString Comma(Language language)
{
    return language == Language::Chinese ? QStringLiteral("，") : QStringLiteral(", ");
}

template <typename Value>
void Extend(QList<SettingSpan<Value>> &spans, const Value &value, quint64 quantity)
{
    if (!spans.isEmpty() && spans.last().value == value)
        spans.last().last = quantity;
    else
        spans.append({value, quantity, quantity});
}

} // namespace

ReportSummary SummariseReport(const QList<HistoryReading> &readings, int unreadable,
                              bool settingsRecorded, TempUnit tempUnit)
{
    ReportSummary summary;
    summary.settingsRecorded = settingsRecorded;
    summary.readings = int(readings.size());
    summary.unreadable = unreadable;
    QList<float> statistics;
    double sum = 0.0;
    for (const HistoryReading &reading : readings) {
        summary.abnormal += reading.abnormal ? 1 : 0;
        if (!summary.first.isValid() || reading.time < summary.first)
            summary.first = reading.time;
        if (!summary.last.isValid() || reading.time > summary.last)
            summary.last = reading.time;
        if (settingsRecorded) {
            std::optional<float> limit;
            if (reading.inForce) {
                limit = reading.inForce->alarmLimitIn(tempUnit);
                Extend(summary.modes, reading.inForce->mode, reading.quantity);
                const QString model = ModelOf(reading.inForce->model).displayName();
                if (!summary.models.contains(model))
                    summary.models.append(model);
            }
            Extend(summary.limits, limit, reading.quantity);
        }
        if (!reading.isTemperature()) {
            ++summary.counts;
            continue;
        }
        const float degrees = reading.degreesIn(tempUnit);
        if (reading.isSurface()) {
            summary.surfaceLowest =
                summary.surface == 0 ? degrees : std::min(summary.surfaceLowest, degrees);
            summary.surfaceHighest =
                summary.surface == 0 ? degrees : std::max(summary.surfaceHighest, degrees);
            ++summary.surface;
            continue;
        }
        statistics.append(degrees);
        sum += degrees;
    }
    summary.statistics = int(statistics.size());
    if (!statistics.isEmpty()) {
        const auto [low, high] = std::minmax_element(statistics.begin(), statistics.end());
        summary.lowest = *low;
        summary.highest = *high;
        summary.mean = float(sum / double(statistics.size()));
        std::sort(statistics.begin(), statistics.end());
        const qsizetype middle = statistics.size() / 2;
        summary.median = statistics.size() % 2 == 1
                             ? statistics[middle]
                             : (statistics[middle - 1] + statistics[middle]) / 2.0f;
    }
    return summary;
}

QString ModesText(const ReportSummary &summary, Language language)
{
    QStringList modes;
    for (const auto &span : summary.modes)
        modes.append(ModeName(span.value).in(language) + QStringLiteral(" (") +
                     Range(span.first, span.last) + u')');
    return modes.isEmpty() ? QStringLiteral("-") : modes.join(Comma(language));
}

QString ModelsText(const ReportSummary &summary, Language language)
{
    return summary.models.isEmpty() ? QStringLiteral("-") : summary.models.join(Comma(language));
}

QString LimitsText(const ReportSummary &summary, TempUnit tempUnit, Language language)
{
    const Labels labels;
    if (!summary.settingsRecorded)
        return labels.notRecorded.in(language);
    QStringList parts;
    for (const auto &span : summary.limits)
        parts.append(
            (span.value ? Degrees(*span.value, tempUnit) : labels.notRecorded.in(language)) +
            QStringLiteral(" (") + Range(span.first, span.last) + u')');
    return parts.isEmpty() ? labels.notRecorded.in(language) : parts.join(Comma(language));
}

QStringList ReportSummaryLines(const ReportSummary &summary, TempUnit tempUnit, Language language)
{
    const Labels labels;
    const QString colon = CaptionColon(language);
    const QString none = QStringLiteral("-");
    const QString gap = QStringLiteral("   ");
    QStringList lines;
    if (summary.settingsRecorded)
        lines.append(labels.model.in(language) + colon + ModelsText(summary, language) + gap +
                     labels.mode.in(language) + colon + ModesText(summary, language));
    lines.append(labels.limit.in(language) + colon + LimitsText(summary, tempUnit, language));

    const bool any = summary.statistics > 0;
    const auto figure = [&](const Bilingual &label, float value) {
        return label.in(language) + colon + (any ? Degrees(value, tempUnit) : none);
    };
    const auto time = [&](QTime t) {
        return t.isValid() ? t.toString(QStringLiteral("HH:mm:ss")) : none;
    };
    QStringList items{labels.readings.in(language) + colon + QString::number(summary.readings),
                      labels.abnormal.in(language) + colon + QString::number(summary.abnormal)};
    if (summary.settingsRecorded)
        items.append(labels.body.in(language) + colon + QString::number(summary.statistics));
    items += {figure(labels.highest, summary.highest),
              figure(labels.lowest, summary.lowest),
              figure(labels.mean, summary.mean),
              figure(labels.median, summary.median),
              labels.first.in(language) + colon + time(summary.first),
              labels.last.in(language) + colon + time(summary.last)};
    if (summary.surface > 0)
        items.append(labels.surface.in(language) + colon + QString::number(summary.surface) +
                     QStringLiteral(" (") +
                     QString::asprintf("%.1f", double(summary.surfaceLowest)) + u'–' +
                     Degrees(summary.surfaceHighest, tempUnit) + u')');
    if (summary.counts > 0)
        items.append(labels.counts.in(language) + colon + QString::number(summary.counts));
    if (summary.unreadable > 0)
        items.append(labels.unreadable.in(language) + colon + QString::number(summary.unreadable));
    lines.append(items.join(gap));
    return lines;
}

QString ReportValueText(const QString &storedField)
{
    if (storedField.size() >= 2 && (storedField.endsWith(u'C') || storedField.endsWith(u'F')))
        return storedField.chopped(1) + u' ' + u'°' + storedField.back();
    return storedField;
}
