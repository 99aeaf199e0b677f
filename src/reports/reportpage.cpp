#include "reportpage.h"

#include "reporttexts.h"

#include <array>

namespace ReportPage {

QFont Font(double points, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("AR PL UKai CN")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void DrawFooter(QPainter &painter, Language language, const QDateTime &made, int page, int pages)
{
    painter.setPen(QPen(Qt::black, Mm(0.2)));
    painter.drawLine(QPointF(Mm(kLeft), Mm(kFooterTop)),
                     QPointF(Mm(kLeft + kWidth), Mm(kFooterTop)));
    painter.setFont(Font(8.0));
    const QRectF line(Mm(kLeft), Mm(kFooterTop + 1.0), Mm(kWidth), Mm(5.0));
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                     ReportTexts::kMade.in(language) + CaptionColon(language) +
                         made.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter,
                     ReportTexts::kPageOf.in(language).arg(page).arg(pages));
}

void DrawSignOff(QPainter &painter, Language language, double top)
{
    painter.setPen(Qt::black);
    painter.setFont(Font(9.5));
    const std::array<std::pair<QString, double>, 3> fields{
        std::pair{ReportTexts::kCheckedBy.in(language), 70.0},
        std::pair{ReportTexts::kSignature.in(language), 62.0},
        std::pair{ReportTexts::kDate.in(language), 48.0}};
    double x = Mm(kLeft);
    const double baseline = top + Mm(kSignOffHeight) - Mm(3.0);
    for (const auto &[caption, width] : fields) {
        QRectF used;
        painter.drawText(QRectF(x, baseline - Mm(5.0), Mm(width), Mm(5.0)),
                         Qt::AlignLeft | Qt::AlignBottom, caption + CaptionColon(language), &used);
        painter.setPen(QPen(Qt::black, Mm(0.2)));
        painter.drawLine(QPointF(used.right() + Mm(1.0), baseline),
                         QPointF(x + Mm(width) - Mm(5.0), baseline));
        painter.setPen(Qt::black);
        x += Mm(width);
    }
}

} // namespace ReportPage
