#include "historywindow/historychartview.h"

#include "history/historytexts.h"

#include <QChart>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

const QColor kLineColour{0, 111, 3};     // the main window's green for a normal reading
const QColor kAbnormalColour{245, 3, 3}; // and its red for an abnormal one
constexpr qsizetype kDottedReadings = 150;

QList<QPointF> OnDay(const QList<QPointF> &points, qint64 dayStartMs)
{
    QList<QPointF> shifted;
    shifted.reserve(points.size());
    for (const QPointF &point : points)
        shifted.append({double(dayStartMs) + point.x(), point.y()});
    return shifted;
}

} // namespace

HistoryChartView::HistoryChartView(QWidget *parent)
    : QChartView(parent)
{
    setRenderHint(QPainter::Antialiasing);
    QChart *chart = this->chart();
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));

    m_readings = new QLineSeries(this);
    m_readings->setPen(QPen(kLineColour, 1.5));
    m_limit = new QLineSeries(this);
    m_limit->setPen(QPen(kAbnormalColour, 1.2, Qt::DashLine));
    m_abnormal = new QScatterSeries(this);
    m_abnormal->setColor(kAbnormalColour);
    m_abnormal->setBorderColor(kAbnormalColour);
    m_abnormal->setMarkerSize(8.0);
    m_time = new QDateTimeAxis(this);
    m_time->setFormat(QStringLiteral("HH:mm"));
    m_degrees = new QValueAxis(this);
    m_degrees->setLabelFormat(QStringLiteral("%.1f"));
    chart->addAxis(m_time, Qt::AlignBottom);
    chart->addAxis(m_degrees, Qt::AlignLeft);
    for (QXYSeries *series :
         {static_cast<QXYSeries *>(m_readings), static_cast<QXYSeries *>(m_limit),
          static_cast<QXYSeries *>(m_abnormal)}) {
        chart->addSeries(series);
        series->attachAxis(m_time);
        series->attachAxis(m_degrees);
    }
}

void HistoryChartView::showDay(QDate day, const HistoryChartData &data,
                               const HistorySettings &settings)
{
    const Language language = settings.language;
    QChart *chart = this->chart();
    chart->setTitleFont(font());
    chart->legend()->setFont(font());
    for (QAbstractAxis *axis : chart->axes()) {
        axis->setLabelsFont(font());
        axis->setTitleFont(font());
    }
    const bool empty = data.isEmpty();
    chart->setTitle(empty && day.isValid() ? HistoryTexts::kNoTemperatures.in(language)
                                           : QString());
    chart->legend()->setVisible(!empty);
    for (QAbstractAxis *axis : chart->axes())
        axis->setVisible(!empty);

    const qint64 dayStart =
        QDateTime(day.isValid() ? day : QDate(2000, 1, 1), QTime(0, 0)).toMSecsSinceEpoch();
    const qint64 from = dayStart + data.axisFromMs;
    const qint64 to = dayStart + data.axisToMs;
    m_time->setTitleText(HistoryTexts::kTimeAxis.in(language));
    m_time->setRange(QDateTime::fromMSecsSinceEpoch(from), QDateTime::fromMSecsSinceEpoch(to));
    m_time->setTickCount(data.axisTicks);
    m_degrees->setTitleText(DegreeSign(settings.tempUnit));
    // The limits in force when the day's settings are on record, else the window's.
    const QList<QPointF> limits =
        data.limitSteps.isEmpty() ? QList<QPointF>{{double(data.axisFromMs), settings.alarmLimit},
                                                   {double(data.axisToMs), settings.alarmLimit}}
                                  : data.limitSteps;
    float lowestLimit = float(limits.first().y()), highestLimit = lowestLimit;
    for (const QPointF &point : limits) {
        lowestLimit = std::min(lowestLimit, float(point.y()));
        highestLimit = std::max(highestLimit, float(point.y()));
    }
    const float low = std::min(data.lowest, lowestLimit);
    const float high = std::max(data.highest, highestLimit);
    m_degrees->setRange(std::floor(low - 0.5f), std::ceil(high + 0.5f));
    m_degrees->setTickCount(9); // nice numbers then take about a degree a step
    m_degrees->applyNiceNumbers();

    m_readings->setName(HistoryTexts::kReadingsSeries.in(language));
    m_readings->replace(OnDay(data.readings, dayStart));
    // A short day shows each reading as a dot on its line.
    m_readings->setPointsVisible(data.readings.size() <= kDottedReadings);
    m_abnormal->setName(HistoryTexts::kAbnormalSeries.in(language));
    m_abnormal->replace(OnDay(data.abnormal, dayStart));
    m_limit->setName(HistoryTexts::kAlarmLimit.in(language) + u' ' +
                     (lowestLimit == highestLimit
                          ? DegreesText(lowestLimit, settings.tempUnit)
                          : DegreesText(lowestLimit, settings.tempUnit) + u'–' +
                                DegreesText(highestLimit, settings.tempUnit)));
    m_limit->replace(empty ? QList<QPointF>() : OnDay(limits, dayStart));
}
