// The history window's exports: the day chosen, as Save As exports today, and a range of days
// as one CSV file, workbook or range report. The operator chooses the file; what went wrong is told
// in the window's language.
#include "historywindow/historywindow.h"

#include "clock.h"
#include "device/interfacetexts.h"
#include "dialogs/prompts.h"
#include "exportformats.h"
#include "history/historytexts.h"
#include "records/recordline.h"
#include "records/recordmessages.h"
#include "reportexport.h"

#include <QDateEdit>
#include <QFileInfo>

namespace {

QString Compact(QDate date)
{
    return date.toString(QStringLiteral("yyyyMMdd"));
}

} // namespace

// As Save As does it, for the day chosen: a copy of the day file (.txt), the CSV (.csv), the
// printed report (.pdf) or the workbook (.xlsx).
void HistoryWindow::exportDay()
{
    if (!shownDay())
        return;
    const HistoryDay day = *shownDay();
    const QStringList lines = ReadTextLines(day.path);
    const QString initialName = QFileInfo(day.path).fileName();
    const QString target =
        m_prompts->saveFileName(this, initialName, ExportFilters(false, m_settings.language));
    if (target.isEmpty())
        return;
    tellExportOutcome(ExportDayAs(day.path, lines, RecordColumnsCsv(m_settings.language),
                                  {m_settings, m_clock->now()}, target),
                      HistoryTexts::kDayGone.in(m_settings.language));
}

void HistoryWindow::exportRange()
{
    const QDate first = std::min(m_from->date(), m_to->date());
    const QDate last = std::max(m_from->date(), m_to->date());
    const QString initialName = Compact(first) + u'-' + Compact(last) + QStringLiteral(".csv");
    const QString target =
        m_prompts->saveFileName(this, initialName, ExportFilters(true, m_settings.language));
    if (target.isEmpty())
        return;
    tellExportOutcome(ExportRangeAs(FindHistoryDays(), first, last,
                                    HistoryTexts::kRangeCsvHeader.in(m_settings.language),
                                    {m_settings, m_clock->now()}, target),
                      HistoryTexts::kRangeEmpty.in(m_settings.language));
}

void HistoryWindow::tellExportOutcome(const ExportResult &result, const QString &nothingText)
{
    const Language language = m_settings.language;
    switch (result.outcome) {
    case ExportResult::Outcome::Written:
        return;
    case ExportResult::Outcome::Unsupported:
        m_prompts->message(this, RecordMessageText(RecordMessage::ExportUnsupported, language));
        return;
    case ExportResult::Outcome::NothingRecorded:
        m_prompts->message(this, nothingText);
        return;
    case ExportResult::Outcome::NotRead:
        m_prompts->message(this, RecordMessageText(RecordMessage::ExportNotRead, language,
                                                   result.path, result.error));
        return;
    case ExportResult::Outcome::NotWritten:
        m_prompts->message(this, RecordMessageText(RecordMessage::ExportNotWritten, language,
                                                   result.path, result.error));
        return;
    }
}
