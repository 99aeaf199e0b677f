// What the benchmarks share: timing, the process's memory, waiting until a widget has really
// been painted, and a day of records on disk.
#pragma once

#include "clock.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <vector>

inline double Milliseconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// A line of /proc/self/status in MB ("VmRSS", "VmHWM"); 0 where there is none.
inline double StatusMegabytes(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// The value below which `share` of the samples lie (0.5: the median).
inline double Percentile(std::vector<double> samples, double share)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const auto at = size_t(share * double(samples.size() - 1) + 0.5);
    return samples[std::min(at, samples.size() - 1)];
}

// Counts the paint events a widget gets: a widget is shown when it has been painted.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int count() const { return m_count; }

    // Runs the event loop until the widget has been painted once more than `before` (up to
    // `timeoutMs`). Returns whether it was.
    bool waitBeyond(int before, int timeoutMs = 10000)
    {
        QElapsedTimer timer;
        timer.start();
        // Wakes the loop now and then, in case nothing else would.
        QTimer tick;
        tick.start(100);
        while (m_count <= before && timer.elapsed() < timeoutMs)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return m_count > before;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_count;
        return QObject::eventFilter(watched, event);
    }

private:
    int m_count = 0;
};

// A clock that always says the same instant.
class FixedClock : public Clock {
public:
    explicit FixedClock(QDateTime instant)
        : m_instant(std::move(instant))
    {}
    QDateTime now() const override { return m_instant; }

private:
    QDateTime m_instant;
};

// Writes `count` records as a run would have written them: the day file of `port` and the
// day's index naming it, in the working folder.
inline void WriteDay(QDate day, int port, int count)
{
    const QString folder =
        QStringLiteral("TempData/%1/%2").arg(day.year()).arg(day.month(), 2, 10, QLatin1Char('0'));
    QDir().mkpath(folder);
    const QString prefix = folder + u'/' + day.toString(QStringLiteral("yyyyMMdd"));
    QByteArray lines;
    lines.reserve(qsizetype(count) * 26);
    for (int i = 1; i <= count; ++i) {
        const int second = (i * 7) % 86400;
        lines += QByteArray::number(i) + ',' +
                 QTime(0, 0).addSecs(second).toString(QStringLiteral("HH:mm:ss")).toLatin1() +
                 (i % 17 == 0 ? ",37.8C,24.5C\r\n" : ",36.5C,24.5C\r\n");
    }
    QFile dayFile(prefix + QStringLiteral("-%1.txt").arg(port, 2, 10, QLatin1Char('0')));
    if (dayFile.open(QIODevice::WriteOnly))
        dayFile.write(lines);
    QDir().mkpath(QStringLiteral("Ini"));
    QFile index(QStringLiteral("Ini/") + day.toString(QStringLiteral("yyyy-MM-dd")) +
                QStringLiteral(".ini"));
    if (index.open(QIODevice::WriteOnly))
        index.write("[RECORD]\r\nTOTAL_NUM=" + QByteArray::number(count) +
                    "\r\nPATH=" + QDir::toNativeSeparators(prefix).toUtf8() + "\r\n");
}
