#include "reportpdf.h"

#include "history/historytexts.h"
#include "history/reportsummary.h"
#include "reportpage.h"
#include "reporttexts.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using namespace ReportPage;

constexpr double kChartHeight = 82.0;
// Quantity, time, value, environment, abnormal: 180 mm in all.
constexpr std::array<double, 5> kColumnWidths{24.0, 32.0, 34.0, 44.0, 46.0};
constexpr std::array<Qt::Alignment::Int, 5> kColumnAlign{
    Qt::AlignRight, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignRight, Qt::AlignLeft};
// Past this many readings the line is drawn without a dot for each.
constexpr qsizetype kDottedReadings = 150;

QFont ReportFont(double points, bool bold = false)
{
    return Font(points, bold);
}

class ReportPainter {
public:
    ReportPainter(const DayReport &report, QPdfWriter &writer)
        : m_report(report)
        , m_writer(writer)
        , m_language(report.context.settings.language)
        , m_rowFont(ReportFont(8.5))
        , m_abnormalRowFont(ReportFont(8.5, true))
    {
        for (qsizetype row = 0; row < report.rows.size(); ++row)
            if (report.context.form == ReportForm::Full || report.readings[row].abnormal)
                m_shown.append(row);
    }

    int paint();
    int degreeLines() const { return m_degreeLines; }

private:
    QString colon() const { return CaptionColon(m_language); }
    QString title() const
    {
        QString text = ReportTexts::kTitle.in(m_language) + QStringLiteral("  ") +
                       m_report.day.date.toString(QStringLiteral("yyyy-MM-dd"));
        if (m_report.context.form == ReportForm::AbnormalOnly)
            text += QStringLiteral("  (") + ReportTexts::kAbnormalOnly.in(m_language) + u')';
        return text;
    }
    QString placeLine() const
    {
        return ReportTexts::kPort.in(m_language) + colon() + QStringLiteral("COM") +
               QString::number(m_report.day.port) + QStringLiteral("   ") +
               ReportTexts::kDesk.in(m_language) + colon() + m_report.context.settings.desk;
    }
    bool listsRows() const { return m_report.context.form != ReportForm::Summary; }
    // Where the table starts on the first page: below the heading, summary and chart.
    double layOutFirstPage();
    // Where the table starts on later pages: below the running head.
    double layOutLaterPages();
    void drawFirstPageHead();
    void drawRunningHead();
    void drawChart(const QRectF &area);
    void drawTableHeader(double top);
    void drawRow(qsizetype row, double top);
    void drawNoRows(double top);
    void drawSignOff(double top);
    void drawFooter(int page, int pages);

    const DayReport &m_report;
    QPdfWriter &m_writer;
    QPainter m_painter;
    Language m_language;
    QFont m_rowFont;
    QFont m_abnormalRowFont;
    QList<qsizetype> m_shown; // the rows the table lists
    QRectF m_placeRect;
    QRectF m_runningRect;
    QStringList m_summaryLines;
    QRectF m_summaryRect;
    QRectF m_chartRect;
    int m_degreeLines = 0;
};

// The summary's items ("Readings: 5", "Abnormal: 1", …) flow onto as many lines as they need,
// never broken inside an item.
QStringList SummaryLines(const QString &summary, const QFontMetricsF &metrics, double width)
{
    const QString gap = QStringLiteral("   ");
    QStringList lines;
    for (const QString &item : summary.split(gap)) {
        if (!lines.isEmpty() && metrics.horizontalAdvance(lines.last() + gap + item) <= width)
            lines.last() += gap + item;
        else
            lines.append(item);
    }
    return lines;
}

// Text that wraps at the margin: a long desk name goes on a line of its own instead of being
// cut off.
constexpr int kWrap = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

double ReportPainter::layOutFirstPage()
{
    const QFontMetricsF place(ReportFont(10.5), &m_writer);
    m_placeRect = place.boundingRect(QRectF(Mm(kLeft), Mm(kTop + 10.5), Mm(kWidth), Mm(200.0)),
                                     kWrap, placeLine());
    m_placeRect.setWidth(Mm(kWidth));
    const QFontMetricsF metrics(ReportFont(9.5), &m_writer);
    m_summaryLines.clear();
    for (const QString &line : m_report.summaryLines())
        m_summaryLines += SummaryLines(line, metrics, Mm(kWidth));
    m_summaryRect = QRectF(Mm(kLeft), m_placeRect.bottom() + Mm(2.0), Mm(kWidth),
                           metrics.lineSpacing() * m_summaryLines.size());
    m_chartRect = QRectF(Mm(kLeft), m_summaryRect.bottom() + Mm(3.0), Mm(kWidth), Mm(kChartHeight));
    return m_chartRect.bottom() + Mm(5.0);
}

double ReportPainter::layOutLaterPages()
{
    const QFontMetricsF metrics(ReportFont(8.5), &m_writer);
    m_runningRect = metrics.boundingRect(QRectF(Mm(kLeft), Mm(kTop), Mm(kWidth), Mm(100.0)), kWrap,
                                         title() + QStringLiteral("   ") + placeLine());
    m_runningRect.setWidth(Mm(kWidth));
    return std::max(Mm(kTop + 7.0), m_runningRect.bottom() + Mm(2.0));
}

void ReportPainter::drawFirstPageHead()
{
    m_painter.setPen(Qt::black);
    m_painter.setFont(ReportFont(16.0, true));
    m_painter.drawText(QRectF(Mm(kLeft), Mm(kTop), Mm(kWidth), Mm(9.0)),
                       Qt::AlignLeft | Qt::AlignVCenter, title());
    m_painter.setFont(ReportFont(10.5));
    m_painter.drawText(m_placeRect, kWrap, placeLine());
    m_painter.setFont(ReportFont(9.5));
    m_painter.drawText(m_summaryRect, Qt::AlignLeft | Qt::AlignTop, m_summaryLines.join(u'\n'));
    drawChart(m_chartRect);
}

void ReportPainter::drawRunningHead()
{
    m_painter.setPen(Qt::black);
    m_painter.setFont(ReportFont(8.5));
    m_painter.drawText(m_runningRect, kWrap, title() + QStringLiteral("   ") + placeLine());
}

// The tick step of the degrees: a round number (1, 2 or 5 times a power of ten, at least 0.2)
// giving at most ten steps over any span.
double DegreeStep(double span)
{
    constexpr double kSteps = 10.0;
    if (!(span / kSteps > 0.2))
        return 0.2;
    const double power = std::pow(10.0, std::floor(std::log10(span / kSteps)));
    for (double factor : {1.0, 2.0, 5.0})
        if (span / (factor * power) <= kSteps)
            return factor * power;
    return 10.0 * power;
}

// The most lines of degrees drawn: ten steps and their two ends, whatever the span.
constexpr int kMostDegreeLines = 12;

void ReportPainter::drawChart(const QRectF &area)
{
    const HistoryChartData data = m_report.chartData();
    const HistorySettings &settings = m_report.context.settings;
    m_painter.save();
    m_painter.setFont(ReportFont(7.5));
    if (data.isEmpty()) {
        m_painter.setPen(QPen(Qt::black, Mm(0.2)));
        m_painter.drawRect(area);
        m_painter.drawText(area, Qt::AlignCenter, HistoryTexts::kNoTemperatures.in(m_language));
        m_painter.restore();
        return;
    }
    const QRectF plot = area.adjusted(Mm(13.0), Mm(5.0), -Mm(2.0), -Mm(13.0));
    // The limits in force over the day, as a step line; the axis shows each of them.
    const QList<QPointF> limits = m_report.limitSteps(data);
    double lowestLimit = limits.first().y(), highestLimit = lowestLimit;
    for (const QPointF &point : limits) {
        lowestLimit = std::min(lowestLimit, point.y());
        highestLimit = std::max(highestLimit, point.y());
    }
    const double step =
        DegreeStep(std::max(std::ceil(std::max(double(data.highest), highestLimit) + 0.5) -
                                std::floor(std::min(double(data.lowest), lowestLimit) - 0.5),
                            1.0));
    const double low = std::floor((std::min(double(data.lowest), lowestLimit) - 0.5) / step) * step;
    const double high =
        std::ceil((std::max(double(data.highest), highestLimit) + 0.5) / step) * step;
    const double from = data.axisFromMs;
    const double to = std::max(double(data.axisToMs), from + 1.0);
    const auto at = [&](const QPointF &point) {
        return QPointF(plot.left() + (point.x() - from) / (to - from) * plot.width(),
                       plot.bottom() - (point.y() - low) / (high - low) * plot.height());
    };

    // The grid, with the degrees on the left and the times of day below.
    m_painter.setPen(QPen(kGridColour, Mm(0.15)));
    m_degreeLines = std::isfinite(high) && std::isfinite(low)
                        ? std::clamp(int(std::lround((high - low) / step)) + 1, 2, kMostDegreeLines)
                        : 2;
    for (int line = 0; line < m_degreeLines; ++line) {
        const double degrees = low + line * step;
        const double y = at({from, degrees}).y();
        m_painter.setPen(QPen(kGridColour, Mm(0.15)));
        m_painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        m_painter.setPen(Qt::black);
        m_painter.drawText(QRectF(area.left(), y - Mm(2.5), Mm(11.5), Mm(5.0)),
                           Qt::AlignRight | Qt::AlignVCenter,
                           QString::number(degrees, 'f', step < 1.0 ? 1 : 0));
    }
    const int ticks = std::clamp(data.axisTicks, 2, kMostDegreeLines);
    for (int tick = 0; tick < ticks; ++tick) {
        const double ms = from + (to - from) * tick / (ticks - 1);
        const double x = at({ms, low}).x();
        m_painter.setPen(QPen(kGridColour, Mm(0.15)));
        m_painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        m_painter.setPen(Qt::black);
        m_painter.drawText(
            QRectF(x - Mm(10.0), plot.bottom() + Mm(1.8), Mm(20.0), Mm(4.0)),
            Qt::AlignHCenter | Qt::AlignTop,
            QTime::fromMSecsSinceStartOfDay(int(ms)).toString(QStringLiteral("HH:mm")));
    }
    m_painter.drawText(QRectF(area.left(), area.top(), Mm(11.5), Mm(4.0)),
                       Qt::AlignRight | Qt::AlignTop, DegreeSign(settings.tempUnit));
    m_painter.setPen(QPen(Qt::black, Mm(0.2)));
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRect(plot);

    m_painter.setClipRect(plot.adjusted(-Mm(1.5), -Mm(1.5), Mm(1.5), Mm(1.5)));
    m_painter.setRenderHint(QPainter::Antialiasing);
    const QPen limitPen(kAbnormalColour, Mm(0.35), Qt::DashLine);
    m_painter.setPen(limitPen);
    QPolygonF limitLine;
    for (const QPointF &point : limits)
        limitLine.append(at(point));
    m_painter.drawPolyline(limitLine);
    QPolygonF line;
    line.reserve(data.readings.size());
    for (const QPointF &point : data.readings)
        line.append(at(point));
    const QPen linePen(kLineColour, Mm(0.3));
    m_painter.setPen(linePen);
    m_painter.drawPolyline(line);
    if (data.readings.size() <= kDottedReadings) {
        m_painter.setBrush(kLineColour);
        for (const QPointF &point : line)
            m_painter.drawEllipse(point, Mm(0.45), Mm(0.45));
    }
    const QPen markPen(Qt::black, Mm(0.18));
    m_painter.setPen(markPen);
    m_painter.setBrush(kAbnormalColour);
    for (const QPointF &point : data.abnormal)
        m_painter.drawEllipse(at(point), Mm(1.1), Mm(1.1));
    m_painter.setClipping(false);

    // The legend, below the times.
    const double y = plot.bottom() + Mm(9.5);
    double x = plot.left();
    const auto label = [&](const QString &text) {
        m_painter.setPen(Qt::black);
        const QRectF box(x, y - Mm(2.0), Mm(60.0), Mm(4.0));
        QRectF used;
        m_painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, text, &used);
        x = used.right() + Mm(7.0);
    };
    m_painter.setPen(linePen);
    m_painter.drawLine(QPointF(x, y), QPointF(x + Mm(7.0), y));
    x += Mm(9.0);
    label(HistoryTexts::kReadingsSeries.in(m_language));
    m_painter.setPen(markPen);
    m_painter.setBrush(kAbnormalColour);
    m_painter.drawEllipse(QPointF(x + Mm(1.5), y), Mm(1.1), Mm(1.1));
    x += Mm(4.5);
    label(HistoryTexts::kAbnormalSeries.in(m_language));
    m_painter.setPen(limitPen);
    m_painter.drawLine(QPointF(x, y), QPointF(x + Mm(7.0), y));
    x += Mm(9.0);
    label(HistoryTexts::kAlarmLimit.in(m_language) + u' ' +
          (lowestLimit == highestLimit ? DegreesText(float(lowestLimit), settings.tempUnit)
                                       : DegreesText(float(lowestLimit), settings.tempUnit) + u'–' +
                                             DegreesText(float(highestLimit), settings.tempUnit)));
    m_painter.restore();
}

void ReportPainter::drawTableHeader(double top)
{
    const QStringList captions{
        ReportTexts::kQuantity.in(m_language), ReportTexts::kTime.in(m_language),
        ReportTexts::kValue.in(m_language), ReportTexts::kEnvironment.in(m_language),
        ReportTexts::kAbnormal.in(m_language)};
    m_painter.setPen(Qt::black);
    m_painter.setFont(ReportFont(9.0, true));
    double x = Mm(kLeft);
    for (size_t column = 0; column < kColumnWidths.size(); ++column) {
        const double width = Mm(kColumnWidths[column]);
        m_painter.drawText(
            QRectF(x + Mm(kCellPad), top, width - Mm(2 * kCellPad), Mm(kHeaderHeight)),
            int(kColumnAlign[column]) | Qt::AlignVCenter, captions[int(column)]);
        x += width;
    }
    m_painter.setPen(QPen(Qt::black, Mm(0.3)));
    m_painter.drawLine(QPointF(Mm(kLeft), top + Mm(kHeaderHeight)),
                       QPointF(Mm(kLeft + kWidth), top + Mm(kHeaderHeight)));
}

void ReportPainter::drawRow(qsizetype row, double top)
{
    const QStringList &fields = m_report.rows[row];
    const bool abnormal = m_report.readings[row].abnormal;
    const QRectF band(Mm(kLeft), top, Mm(kWidth), Mm(kRowHeight));
    if (abnormal)
        m_painter.fillRect(band, kAbnormalRowShade);
    m_painter.setFont(abnormal ? m_abnormalRowFont : m_rowFont);
    m_painter.setPen(Qt::black);
    double x = Mm(kLeft);
    for (size_t column = 0; column < kColumnWidths.size(); ++column) {
        const double width = Mm(kColumnWidths[column]);
        const QString text = column >= 4
                                 ? (abnormal ? ReportTexts::kAbnormal.in(m_language) : QString())
                             : column >= 2 ? ReportValueText(fields.value(int(column)))
                                           : fields.value(int(column));
        if (!text.isEmpty())
            m_painter.drawText(
                QRectF(x + Mm(kCellPad), top, width - Mm(2 * kCellPad), Mm(kRowHeight)),
                int(kColumnAlign[column]) | Qt::AlignVCenter, text);
        x += width;
    }
    // A hairline every five rows guides the eye across the page.
    if ((row + 1) % 5 == 0) {
        m_painter.setPen(QPen(kGridColour, Mm(0.15)));
        m_painter.drawLine(band.bottomLeft(), band.bottomRight());
    }
}

void ReportPainter::drawFooter(int page, int pages)
{
    DrawFooter(m_painter, m_language, m_report.context.made, page, pages);
}

void ReportPainter::drawNoRows(double top)
{
    m_painter.setPen(Qt::black);
    m_painter.setFont(m_rowFont);
    m_painter.drawText(QRectF(Mm(kLeft + kCellPad), top, Mm(kWidth), Mm(kRowHeight)),
                       Qt::AlignLeft | Qt::AlignVCenter, ReportTexts::kNoAbnormal.in(m_language));
}

void ReportPainter::drawSignOff(double top)
{
    DrawSignOff(m_painter, m_language, top);
}

int ReportPainter::paint()
{
    const double firstTop = layOutFirstPage();
    const double laterTop = layOutLaterPages();
    const auto rowsFrom = [](double tableTop) {
        return std::max(1, int((Mm(kTableBottom) - tableTop - Mm(kHeaderHeight)) / Mm(kRowHeight)));
    };
    // Each page's rows; the sign-off follows the last row, on a page of its own when it does not
    // fit below it.
    QList<qsizetype> pageRows;
    double signOffTop = firstTop;
    if (listsRows()) {
        const qsizetype rows = std::max<qsizetype>(m_shown.size(), 1); // "none" takes a row
        qsizetype placed = 0;
        while (placed < rows) {
            const double top = pageRows.isEmpty() ? firstTop : laterTop;
            const qsizetype count = std::min<qsizetype>(rows - placed, rowsFrom(top));
            pageRows.append(count);
            placed += count;
            signOffTop = top + Mm(kHeaderHeight) + count * Mm(kRowHeight) + Mm(4.0);
        }
        if (signOffTop + Mm(kSignOffHeight) > Mm(kTableBottom)) {
            pageRows.append(0);
            signOffTop = laterTop;
        }
    } else {
        pageRows.append(0);
    }
    const int pages = int(pageRows.size());

    if (!m_painter.begin(&m_writer))
        return 0;
    qsizetype shown = 0;
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            m_writer.newPage();
        double top = page == 1 ? firstTop : laterTop;
        if (page == 1)
            drawFirstPageHead();
        else
            drawRunningHead();
        const qsizetype rows = pageRows[page - 1];
        if (rows > 0) {
            drawTableHeader(top);
            top += Mm(kHeaderHeight);
            if (m_shown.isEmpty())
                drawNoRows(top);
            for (qsizetype n = 0; n < rows && shown < m_shown.size();
                 ++n, ++shown, top += Mm(kRowHeight))
                drawRow(m_shown[shown], top);
        }
        if (page == pages)
            drawSignOff(signOffTop);
        drawFooter(page, pages);
    }
    m_painter.end();
    return pages;
}

} // namespace

QByteArray DayReportPdf(const DayReport &report, ReportLayout *layout)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    int pages = 0;
    int degreeLines = 0;
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(kDpi);
        const Language language = report.context.settings.language;
        writer.setTitle(ReportTexts::kTitle.in(language) + u' ' +
                        report.day.date.toString(QStringLiteral("yyyy-MM-dd")) +
                        QStringLiteral(" COM") + QString::number(report.day.port));
        writer.setCreator(QStringLiteral("Kestrim"));
        ReportPainter painter(report, writer);
        pages = painter.paint();
        degreeLines = painter.degreeLines();
    }
    if (layout) {
        layout->pages = pages;
        layout->degreeLines = degreeLines;
    }
    return pages > 0 ? buffer.data() : QByteArray();
}
