#include "rangereportpdf.h"

#include "history/historytexts.h"
#include "history/reportsummary.h"
#include "reportpage.h"
#include "reporttexts.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPdfWriter>

#include <algorithm>
#include <array>
#include <cmath>

using namespace ReportPage;

namespace {

constexpr double kChartHeight = 78.0;
// Date, ports, readings, abnormal, highest, limits: 180 mm.
constexpr std::array<double, 6> kDayWidths{26.0, 30.0, 22.0, 22.0, 26.0, 54.0};
constexpr std::array<Qt::Alignment::Int, 6> kDayAlign{
    Qt::AlignLeft, Qt::AlignLeft, Qt::AlignRight, Qt::AlignRight, Qt::AlignRight, Qt::AlignLeft};
// Port, quantity, time, value, environment, limit: 180 mm.
constexpr std::array<double, 6> kRowWidths{22.0, 24.0, 28.0, 32.0, 36.0, 38.0};
constexpr std::array<Qt::Alignment::Int, 6> kRowAlign{Qt::AlignLeft,    Qt::AlignRight,
                                                      Qt::AlignHCenter, Qt::AlignRight,
                                                      Qt::AlignRight,   Qt::AlignRight};

QString DateText(QDate date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString PortsText(const QList<int> &ports)
{
    QStringList names;
    for (int port : ports)
        names.append(QStringLiteral("COM") + QString::number(port));
    return names.join(QStringLiteral(", "));
}

// The report is laid out twice: once to count the pages, once to draw them with "Page n of N".
class RangePainter {
public:
    RangePainter(const RangeReport &report, QPdfWriter &writer)
        : m_report(report)
        , m_writer(writer)
        , m_language(report.context.settings.language)
    {}

    int paint();

private:
    void flow();
    // Room for `height` mm below the cursor, or a new page.
    void need(double height);
    void newPage();
    QString title() const
    {
        return ReportTexts::kRangeTitle.in(m_language) + QStringLiteral("  ") +
               DateText(m_report.first) + u' ' + ReportTexts::kRangeTo.in(m_language) + u' ' +
               DateText(m_report.last);
    }
    QString placeLine() const;
    void text(const QRectF &area, int flags, const QString &line, const QFont &font);
    void cells(const QStringList &texts, const double *widths, const Qt::Alignment::Int *align,
               qsizetype count, double height, const QFont &font, bool shade = false);
    void drawChart(const QRectF &area);

    const RangeReport &m_report;
    QPdfWriter &m_writer;
    QPainter m_painter;
    Language m_language;
    bool m_drawing = false;
    int m_page = 1;
    int m_pages = 0;
    double m_y = 0.0; // the cursor, in drawing units
};

QString RangePainter::placeLine() const
{
    QList<int> ports;
    for (const RangeDay &day : m_report.days)
        for (int port : day.ports)
            if (!ports.contains(port))
                ports.append(port);
    std::sort(ports.begin(), ports.end());
    return ReportTexts::kPort.in(m_language) + CaptionColon(m_language) + PortsText(ports) +
           QStringLiteral("   ") + ReportTexts::kDesk.in(m_language) + CaptionColon(m_language) +
           m_report.context.settings.desk;
}

void RangePainter::text(const QRectF &area, int flags, const QString &line, const QFont &font)
{
    if (!m_drawing)
        return;
    m_painter.setPen(Qt::black);
    m_painter.setFont(font);
    m_painter.drawText(area, flags, line);
}

void RangePainter::cells(const QStringList &texts, const double *widths,
                         const Qt::Alignment::Int *align, qsizetype count, double height,
                         const QFont &font, bool shade)
{
    need(height);
    if (m_drawing) {
        if (shade)
            m_painter.fillRect(QRectF(Mm(kLeft), m_y, Mm(kWidth), Mm(height)), kAbnormalRowShade);
        double x = Mm(kLeft);
        for (qsizetype column = 0; column < count; ++column) {
            text(QRectF(x + Mm(kCellPad), m_y, Mm(widths[column] - 2 * kCellPad), Mm(height)),
                 int(align[column]) | Qt::AlignVCenter, texts.value(column), font);
            x += Mm(widths[column]);
        }
    }
    m_y += Mm(height);
}

void RangePainter::newPage()
{
    if (m_drawing) {
        DrawFooter(m_painter, m_language, m_report.context.made, m_page, m_pages);
        m_writer.newPage();
    }
    ++m_page;
    m_y = Mm(kTop);
    text(QRectF(Mm(kLeft), m_y, Mm(kWidth), Mm(5.0)), Qt::AlignLeft | Qt::AlignVCenter,
         title() + QStringLiteral("   ") + m_report.context.settings.desk, Font(8.5));
    m_y += Mm(7.0);
}

void RangePainter::need(double height)
{
    if (m_y + Mm(height) > Mm(kTableBottom))
        newPage();
}

void RangePainter::flow()
{
    const QString colon = CaptionColon(m_language);
    m_page = 1;
    m_y = Mm(kTop);
    text(QRectF(Mm(kLeft), m_y, Mm(kWidth), Mm(9.0)), Qt::AlignLeft | Qt::AlignVCenter, title(),
         Font(16.0, true));
    m_y += Mm(10.5);
    const QFontMetricsF place(Font(10.5), &m_writer);
    QRectF placeRect =
        place.boundingRect(QRectF(Mm(kLeft), m_y, Mm(kWidth), Mm(100.0)),
                           Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, placeLine());
    placeRect.setWidth(Mm(kWidth));
    text(placeRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, placeLine(), Font(10.5));
    m_y = placeRect.bottom() + Mm(2.0);
    int readings = 0, abnormal = 0;
    for (const RangeDay &day : m_report.days) {
        readings += day.readings;
        abnormal += day.abnormal;
    }
    text(QRectF(Mm(kLeft), m_y, Mm(kWidth), Mm(5.0)), Qt::AlignLeft | Qt::AlignVCenter,
         ReportTexts::kDays.in(m_language) + colon + QString::number(m_report.days.size()) +
             QStringLiteral("   ") + ReportTexts::kReadings.in(m_language) + colon +
             QString::number(readings) + QStringLiteral("   ") +
             ReportTexts::kAbnormal.in(m_language) + colon + QString::number(abnormal),
         Font(9.5));
    m_y += Mm(8.0);

    // The table of days.
    const QStringList dayCaptions{
        ReportTexts::kDate.in(m_language),     ReportTexts::kPort.in(m_language),
        ReportTexts::kReadings.in(m_language), ReportTexts::kAbnormal.in(m_language),
        ReportTexts::kHighest.in(m_language),  ReportTexts::kLimits.in(m_language)};
    const TempUnit unit = m_report.context.settings.tempUnit;
    cells(dayCaptions, kDayWidths.data(), kDayAlign.data(), 6, kHeaderHeight, Font(9.0, true));
    for (const RangeDay &day : m_report.days) {
        const QString limits = day.limitsRecorded
                                   ? day.limits.join(QStringLiteral(", "))
                                   : Bilingual{u"未记录", u"not recorded"}.in(m_language);
        const QString highest =
            day.highest ? QString::asprintf("%.1f", double(*day.highest)) + u' ' + DegreeSign(unit)
                        : QStringLiteral("-");
        if (m_y + Mm(kRowHeight) > Mm(kTableBottom)) {
            newPage();
            cells(dayCaptions, kDayWidths.data(), kDayAlign.data(), 6, kHeaderHeight,
                  Font(9.0, true));
        }
        cells({DateText(day.date), PortsText(day.ports), QString::number(day.readings),
               QString::number(day.abnormal), highest, limits},
              kDayWidths.data(), kDayAlign.data(), 6, kRowHeight, Font(8.5), day.abnormal > 0);
    }

    // The chart of each day's readings.
    m_y += Mm(5.0);
    need(kChartHeight + 7.0);
    text(QRectF(Mm(kLeft), m_y, Mm(kWidth), Mm(6.0)), Qt::AlignLeft | Qt::AlignVCenter,
         ReportTexts::kDailyChart.in(m_language), Font(10.5, true));
    m_y += Mm(7.0);
    if (m_drawing)
        drawChart(QRectF(Mm(kLeft), m_y, Mm(kWidth), Mm(kChartHeight)));
    m_y += Mm(kChartHeight + 5.0);

    // Every abnormal reading, day by day.
    need(7.0 + kHeaderHeight + kRowHeight);
    text(QRectF(Mm(kLeft), m_y, Mm(kWidth), Mm(6.0)), Qt::AlignLeft | Qt::AlignVCenter,
         ReportTexts::kAbnormalReadings.in(m_language), Font(10.5, true));
    m_y += Mm(7.0);
    const QStringList rowCaptions{
        ReportTexts::kPort.in(m_language),        ReportTexts::kQuantity.in(m_language),
        ReportTexts::kTime.in(m_language),        ReportTexts::kValue.in(m_language),
        ReportTexts::kEnvironment.in(m_language), ReportTexts::kLimits.in(m_language)};
    if (abnormal == 0)
        cells({ReportTexts::kNoAbnormalInRange.in(m_language)}, &kWidth, kRowAlign.data(), 1,
              kRowHeight, Font(8.5));
    for (const RangeDay &day : m_report.days) {
        if (day.abnormalRows.isEmpty())
            continue;
        need(kHeaderHeight * 2 + kRowHeight);
        cells({DateText(day.date)}, &kWidth, kDayAlign.data(), 1, kHeaderHeight, Font(9.5, true));
        cells(rowCaptions, kRowWidths.data(), kRowAlign.data(), 6, kHeaderHeight, Font(9.0, true));
        for (const QStringList &row : day.abnormalRows) {
            if (m_y + Mm(kRowHeight) > Mm(kTableBottom)) {
                newPage();
                cells({DateText(day.date)}, &kWidth, kDayAlign.data(), 1, kHeaderHeight,
                      Font(9.5, true));
                cells(rowCaptions, kRowWidths.data(), kRowAlign.data(), 6, kHeaderHeight,
                      Font(9.0, true));
            }
            cells(row, kRowWidths.data(), kRowAlign.data(), 6, kRowHeight, Font(8.5));
        }
        m_y += Mm(2.0);
    }
    need(kSignOffHeight + 4.0);
    if (m_drawing) {
        DrawSignOff(m_painter, m_language, m_y + Mm(4.0));
        DrawFooter(m_painter, m_language, m_report.context.made, m_page, m_pages);
    }
}

// A round step for the counts' axis: at most about six steps.
double CountStep(double highest)
{
    for (double step : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0, 200.0, 500.0, 1000.0, 2000.0,
                        5000.0, 10000.0, 20000.0, 50000.0})
        if (highest / step <= 6.0)
            return step;
    return 100000.0;
}

void RangePainter::drawChart(const QRectF &area)
{
    m_painter.save();
    m_painter.setFont(Font(7.5));
    const QRectF plot = area.adjusted(Mm(14.0), Mm(3.0), -Mm(2.0), -Mm(14.0));
    const qint64 dayCount = m_report.first.daysTo(m_report.last) + 1;
    int highest = 1;
    for (const RangeDay &day : m_report.days)
        highest = std::max(highest, day.readings);
    const double step = CountStep(highest);
    const double top = std::ceil(highest / step) * step;
    const auto yOf = [&](double count) {
        return plot.bottom() - count / top * plot.height();
    };
    for (double count = 0; count <= top + step / 2; count += step) {
        m_painter.setPen(QPen(kGridColour, Mm(0.15)));
        m_painter.drawLine(QPointF(plot.left(), yOf(count)), QPointF(plot.right(), yOf(count)));
        m_painter.setPen(Qt::black);
        m_painter.drawText(QRectF(area.left(), yOf(count) - Mm(2.5), Mm(12.5), Mm(5.0)),
                           Qt::AlignRight | Qt::AlignVCenter, QString::number(count, 'f', 0));
    }
    const double slot = plot.width() / double(dayCount);
    const double bar = std::max(slot * 0.38, Mm(0.2));
    // A date label every so many days, so the labels never run into each other.
    const qint64 every = std::max<qint64>(1, qint64(std::ceil(Mm(14.0) / slot)));
    for (qint64 index = 0; index < dayCount; index += every) {
        const QDate date = m_report.first.addDays(index);
        m_painter.drawText(QRectF(plot.left() + slot * (double(index) + 0.5) - Mm(8.0),
                                  plot.bottom() + Mm(1.5), Mm(16.0), Mm(4.0)),
                           Qt::AlignHCenter | Qt::AlignTop, date.toString(QStringLiteral("MM-dd")));
    }
    for (const RangeDay &day : m_report.days) {
        const double x =
            plot.left() + slot * double(m_report.first.daysTo(day.date)) + slot * 0.5 - bar;
        m_painter.fillRect(QRectF(x, yOf(day.readings), bar, plot.bottom() - yOf(day.readings)),
                           kLineColour);
        if (day.abnormal > 0) {
            const QRectF mark(x + bar, yOf(day.abnormal), bar, plot.bottom() - yOf(day.abnormal));
            m_painter.fillRect(mark, kAbnormalColour);
            m_painter.setPen(QPen(Qt::black, Mm(0.12)));
            m_painter.drawRect(mark);
        }
    }
    m_painter.setPen(QPen(Qt::black, Mm(0.2)));
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRect(plot);
    // The legend.
    double x = plot.left();
    const double y = plot.bottom() + Mm(10.0);
    const auto key = [&](const QColor &colour, const QString &label) {
        m_painter.fillRect(QRectF(x, y - Mm(1.5), Mm(3.0), Mm(3.0)), colour);
        m_painter.setPen(QPen(Qt::black, Mm(0.12)));
        m_painter.drawRect(QRectF(x, y - Mm(1.5), Mm(3.0), Mm(3.0)));
        QRectF used;
        m_painter.drawText(QRectF(x + Mm(4.5), y - Mm(2.0), Mm(60.0), Mm(4.0)),
                           Qt::AlignLeft | Qt::AlignVCenter, label, &used);
        x = used.right() + Mm(7.0);
    };
    key(kLineColour, HistoryTexts::kReadingsSeries.in(m_language));
    key(kAbnormalColour, HistoryTexts::kAbnormalSeries.in(m_language));
    m_painter.restore();
}

int RangePainter::paint()
{
    m_drawing = false;
    m_pages = 0;
    flow();
    m_pages = m_page;
    if (!m_painter.begin(&m_writer))
        return 0;
    m_drawing = true;
    flow();
    m_painter.end();
    return m_pages;
}

} // namespace

ExportResult ReadRangeReport(const QList<HistoryDay> &days, QDate first, QDate last,
                             const ReportContext &context, RangeReport *report)
{
    const QList<HistoryDay> chosen = DaysInRange(days, first, last);
    if (chosen.isEmpty())
        return {ExportResult::Outcome::NothingRecorded, {}, {}};
    report->first = first;
    report->last = last;
    report->context = context;
    report->days.clear();
    const TempUnit unit = context.settings.tempUnit;
    for (const HistoryDay &file : chosen) {
        QString error;
        const std::optional<DayReport> day = ReadDayReport(file, context, &error);
        if (!day)
            return {ExportResult::Outcome::NotRead, file.path,
                    error.isEmpty() ? QStringLiteral("it is gone") : error};
        if (report->days.isEmpty() || report->days.last().date != file.date)
            report->days.append(RangeDay{file.date, {}, 0, 0, {}, {}, false, {}});
        RangeDay &into = report->days.last();
        into.ports.append(file.port);
        const ReportSummary summary = day->summary();
        into.readings += summary.readings;
        into.abnormal += summary.abnormal;
        if (summary.statistics > 0)
            into.highest =
                into.highest ? std::max(*into.highest, summary.highest) : summary.highest;
        into.limitsRecorded = into.limitsRecorded || summary.settingsRecorded;
        for (const auto &span : summary.limits) {
            const QString limit =
                span.value
                    ? QString::asprintf("%.1f", double(*span.value)) + u' ' + DegreeSign(unit)
                    : Bilingual{u"未记录", u"not recorded"}.in(context.settings.language);
            if (!into.limits.contains(limit))
                into.limits.append(limit);
        }
        for (qsizetype row = 0; row < day->rows.size(); ++row) {
            const HistoryReading &reading = day->readings[row];
            if (!reading.abnormal)
                continue;
            const QStringList &fields = day->rows[row];
            const QString limit =
                reading.inForce
                    ? QString::asprintf("%.1f", double(reading.inForce->alarmLimitIn(unit))) +
                          u' ' + DegreeSign(unit)
                    : QString();
            into.abnormalRows.append({QStringLiteral("COM") + QString::number(file.port),
                                      fields.value(0), fields.value(1),
                                      ReportValueText(fields.value(2)),
                                      ReportValueText(fields.value(3)), limit});
        }
    }
    return {ExportResult::Outcome::Written, {}, {}};
}

QByteArray RangeReportPdf(const RangeReport &report, int *pages)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    int drawn = 0;
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(kDpi);
        const Language language = report.context.settings.language;
        writer.setTitle(ReportTexts::kRangeTitle.in(language) + u' ' + DateText(report.first) +
                        u' ' + ReportTexts::kRangeTo.in(language) + u' ' + DateText(report.last));
        writer.setCreator(QStringLiteral("Kestrim"));
        RangePainter painter(report, writer);
        drawn = painter.paint();
    }
    if (pages)
        *pages = drawn;
    return drawn > 0 ? buffer.data() : QByteArray();
}
