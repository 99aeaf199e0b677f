// The chart of one day in the history window: the temperatures over the time of day as a line,
// the abnormal ones marked in red, and today's alarm limit as a dashed horizontal line.
#pragma once

#include "history/historychartdata.h"
#include "history/historysettings.h"

#include <QChartView>
#include <QDate>

class QDateTimeAxis;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

class HistoryChartView : public QChartView {
    Q_OBJECT

public:
    explicit HistoryChartView(QWidget *parent = nullptr);

    // Draws `data` of `day`; the unit, the limit and the language come from `settings`.
    void showDay(QDate day, const HistoryChartData &data, const HistorySettings &settings);

private:
    QLineSeries *m_readings = nullptr;
    QScatterSeries *m_abnormal = nullptr;
    QLineSeries *m_limit = nullptr;
    QDateTimeAxis *m_time = nullptr;
    QValueAxis *m_degrees = nullptr;
};
