// "Save As": the day file exported under a name the operator chooses.
#include "ckestrimdlg.h"

#include "exportformats.h"
#include "records/recordline.h"
#include "reportexport.h"

namespace {

const QString kInitialName = QStringLiteral("test.txt");

} // namespace

void CKestrimDlg::OnBnClickedSaveAs()
{
    // The lines are taken before the dialog; the copy of a .txt is of the file as it is then.
    const QString dayFile = dayRecords().existingDayFile();
    const QStringList lines = dayFile.isEmpty() ? QStringList() : ReadTextLines(dayFile);
    const QString target =
        m_seams.prompts->saveFileName(this, kInitialName, ExportFilters(false, m_language));
    if (target.isEmpty())
        return;

    const ExportResult result = ExportDayAs(
        dayFile, lines, m_csvHeader, {CurrentHistorySettings(), m_seams.clock->now()}, target);
    switch (result.outcome) {
    case ExportResult::Outcome::Written:
        break;
    case ExportResult::Outcome::Unsupported:
        ShowRecordMessage(RecordMessage::ExportUnsupported);
        break;
    case ExportResult::Outcome::NothingRecorded:
        ShowRecordMessage(RecordMessage::ExportNothingRecorded);
        break;
    case ExportResult::Outcome::NotRead:
        ShowRecordMessage(RecordMessage::ExportNotRead, result.path, result.error);
        break;
    case ExportResult::Outcome::NotWritten:
        ShowRecordMessage(RecordMessage::ExportNotWritten, result.path, result.error);
        break;
    }
}
