#include "reportpdf.h"

#include "history/historytexts.h"
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

// Drawing units: 300 per inch. Lengths below are in millimetres.
constexpr int kDpi = 300;
constexpr double Mm(double mm)
{
    return mm * kDpi / 25.4;
}

constexpr double kLeft = 15.0;
constexpr double kWidth = 180.0;
constexpr double kTop = 14.0;
constexpr double kTableBottom = 277.0;
constexpr double kFooterTop = 281.0;
constexpr double kRowHeight = 4.8;
constexpr double kHeaderHeight = 6.5;
constexpr double kChartHeight = 82.0;
constexpr double kCellPad = 2.0;
// Quantity, time, value, environment, abnormal: 180 mm in all.
constexpr std::array<double, 5> kColumnWidths{24.0, 32.0, 34.0, 44.0, 46.0};
constexpr std::array<Qt::Alignment::Int, 5> kColumnAlign{
    Qt::AlignRight, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignRight, Qt::AlignLeft};
// Past this many readings the line is drawn without a dot for each.
constexpr qsizetype kDottedReadings = 150;

// The history window's green line and red marks; in black-and-white print the marks differ from
// the line by their shape and outline, not only their colour.
const QColor kLineColour{0, 111, 3};
const QColor kAbnormalColour{245, 3, 3};
const QColor kGridColour{205, 205, 205};
const QColor kAbnormalRowShade{208, 208, 208};

// Latin letters, digits and the degree sign in Liberation Sans, Chinese in AR PL UKai, both
// embedded. Not Noto Sans CJK: Qt's PDF writer names each embedded glyph by the first character
// the font maps to it, and Noto maps the Kangxi radicals (U+2F00…) to the glyphs of the
// ideographs and gives digits among Latin letters glyphs of their own, so copied text would
// read "⽇" for "日" and lose the digits.
QFont ReportFont(double points, bool bold = false)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("AR PL UKai CN")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

class ReportPainter {
public:
    ReportPainter(const DayReport &report, QPdfWriter &writer)
        : m_report(report)
        , m_writer(writer)
        , m_language(report.context.settings.language)
        , m_rowFont(ReportFont(8.5))
        , m_abnormalRowFont(ReportFont(8.5, true))
    {}

    int paint();
    int degreeLines() const { return m_degreeLines; }

private:
    QString colon() const { return CaptionColon(m_language); }
    QString title() const
    {
        return ReportTexts::kTitle.in(m_language) + QStringLiteral("  ") +
               m_report.day.date.toString(QStringLiteral("yyyy-MM-dd"));
    }
    QString placeLine() const
    {
        return ReportTexts::kPort.in(m_language) + colon() + QStringLiteral("COM") +
               QString::number(m_report.day.port) + QStringLiteral("   ") +
               ReportTexts::kDesk.in(m_language) + colon() + m_report.context.settings.desk;
    }
    // Where the table starts on the first page: below the heading, summary and chart.
    double layOutFirstPage();
    void drawFirstPageHead();
    void drawRunningHead();
    void drawChart(const QRectF &area);
    void drawTableHeader(double top);
    void drawRow(qsizetype row, double top);
    void drawFooter(int page, int pages);

    const DayReport &m_report;
    QPdfWriter &m_writer;
    QPainter m_painter;
    Language m_language;
    QFont m_rowFont;
    QFont m_abnormalRowFont;
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

double ReportPainter::layOutFirstPage()
{
    const QFontMetricsF metrics(ReportFont(9.5), &m_writer);
    m_summaryLines = SummaryLines(m_report.summaryText(), metrics, Mm(kWidth));
    m_summaryRect = QRectF(Mm(kLeft), Mm(kTop + 17.0), Mm(kWidth),
                           metrics.lineSpacing() * m_summaryLines.size());
    m_chartRect = QRectF(Mm(kLeft), m_summaryRect.bottom() + Mm(3.0), Mm(kWidth), Mm(kChartHeight));
    return m_chartRect.bottom() + Mm(5.0);
}

void ReportPainter::drawFirstPageHead()
{
    m_painter.setPen(Qt::black);
    m_painter.setFont(ReportFont(16.0, true));
    m_painter.drawText(QRectF(Mm(kLeft), Mm(kTop), Mm(kWidth), Mm(9.0)),
                       Qt::AlignLeft | Qt::AlignVCenter, title());
    m_painter.setFont(ReportFont(10.5));
    m_painter.drawText(QRectF(Mm(kLeft), Mm(kTop + 10.0), Mm(kWidth), Mm(6.0)),
                       Qt::AlignLeft | Qt::AlignVCenter, placeLine());
    m_painter.setFont(ReportFont(9.5));
    m_painter.drawText(m_summaryRect, Qt::AlignLeft | Qt::AlignTop, m_summaryLines.join(u'\n'));
    drawChart(m_chartRect);
}

void ReportPainter::drawRunningHead()
{
    m_painter.setPen(Qt::black);
    m_painter.setFont(ReportFont(8.5));
    m_painter.drawText(QRectF(Mm(kLeft), Mm(kTop), Mm(kWidth), Mm(5.0)),
                       Qt::AlignLeft | Qt::AlignVCenter,
                       title() + QStringLiteral("   ") + placeLine());
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
    const double limit = settings.alarmLimit;
    const double step =
        DegreeStep(std::max(std::ceil(std::max(double(data.highest), limit) + 0.5) -
                                std::floor(std::min(double(data.lowest), limit) - 0.5),
                            1.0));
    const double low = std::floor((std::min(double(data.lowest), limit) - 0.5) / step) * step;
    const double high = std::ceil((std::max(double(data.highest), limit) + 0.5) / step) * step;
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
    m_painter.drawLine(at({from, limit}), at({to, limit}));
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
          DegreesText(settings.alarmLimit, settings.tempUnit));
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
        const QString text = column < 4 ? fields.value(int(column))
                             : abnormal ? ReportTexts::kAbnormal.in(m_language)
                                        : QString();
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
    m_painter.setPen(QPen(Qt::black, Mm(0.2)));
    m_painter.drawLine(QPointF(Mm(kLeft), Mm(kFooterTop)),
                       QPointF(Mm(kLeft + kWidth), Mm(kFooterTop)));
    m_painter.setFont(ReportFont(8.0));
    const QRectF line(Mm(kLeft), Mm(kFooterTop + 1.0), Mm(kWidth), Mm(5.0));
    m_painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                       ReportTexts::kMade.in(m_language) + colon() +
                           m_report.context.made.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    m_painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter,
                       ReportTexts::kPageOf.in(m_language).arg(page).arg(pages));
}

int ReportPainter::paint()
{
    const double firstTop = layOutFirstPage();
    const double laterTop = Mm(kTop + 7.0);
    const auto rowsFrom = [](double tableTop) {
        return std::max(1, int((Mm(kTableBottom) - tableTop - Mm(kHeaderHeight)) / Mm(kRowHeight)));
    };
    const qsizetype rows = m_report.rows.size();
    const int firstRows = rowsFrom(firstTop);
    const int laterRows = rowsFrom(laterTop);
    const int pages =
        1 + (rows > firstRows ? int((rows - firstRows + laterRows - 1) / laterRows) : 0);

    if (!m_painter.begin(&m_writer))
        return 0;
    qsizetype row = 0;
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            m_writer.newPage();
        double top = page == 1 ? firstTop : laterTop;
        if (page == 1)
            drawFirstPageHead();
        else
            drawRunningHead();
        drawTableHeader(top);
        top += Mm(kHeaderHeight);
        const qsizetype end = std::min(rows, row + (page == 1 ? firstRows : laterRows));
        for (; row < end; ++row, top += Mm(kRowHeight))
            drawRow(row, top);
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
