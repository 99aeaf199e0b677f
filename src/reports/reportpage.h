// What the printed reports share: A4 pages drawn at 300 units per inch with lengths given in
// millimetres, the page's margins, the colours of the chart and the abnormal rows, the fonts,
// and the foot of every page.
#pragma once

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QPainter>
#include <QString>

#include "bilingual.h"

namespace ReportPage {

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
constexpr double kCellPad = 2.0;
constexpr double kSignOffHeight = 14.0;

// The history window's green line and red marks; in black-and-white print the marks differ from
// the line by their shape and outline, not only their colour.
inline const QColor kLineColour{0, 111, 3};
inline const QColor kAbnormalColour{245, 3, 3};
inline const QColor kGridColour{205, 205, 205};
inline const QColor kAbnormalRowShade{208, 208, 208};

// Latin letters, digits and the degree sign in Liberation Sans, Chinese in AR PL UKai, both
// embedded. Not Noto Sans CJK: Qt's PDF writer names each embedded glyph by the first character
// the font maps to it, and Noto maps the Kangxi radicals (U+2F00…) to the glyphs of the
// ideographs and gives digits among Latin letters glyphs of their own, so copied text would
// read "⽇" for "日" and lose the digits.
QFont Font(double points, bool bold = false);

// "Made: 2026-12-09 18:30:05" on the left and "Page 1 of 3" on the right, under a rule.
void DrawFooter(QPainter &painter, Language language, const QDateTime &made, int page, int pages);

// "Checked by: ________   Signature: ________   Date: ________" at `top`, for the supervisor
// who files the report.
void DrawSignOff(QPainter &painter, Language language, double top);

} // namespace ReportPage
