// Deleting records from the list's context menu: a range through the Delete Data dialog, or
// all of the day's records.
#include "ckestrimdlg.h"

#include "device/interfacetexts.h"
#include "device/portmap.h"
#include "dialogs/cdeletedatadlg.h"
#include "records/recorddeletion.h"
#include "records/recordlistmodel.h"

#include <QComboBox>
#include <QMenu>
#include <QTableView>

// Menu 145 wherever the list is right-clicked, on a row or not.
void CKestrimDlg::OnNMRClickRecordList(const QPoint &pos)
{
    m_recordMenu->popup(m_recordList->viewport()->mapToGlobal(pos));
}

// The day file stays on disk while the dialog is open, and readings keep being stored in it.
// Only when rows were removed are the kept rows, followed by the readings that arrived
// meanwhile, written back in one step; closing without removing leaves the file as it is.
void CKestrimDlg::OnSelectDelete()
{
    const QString dayFile = dayRecords().existingDayFile();
    const QDate day = dayRecords().indexDay();
    const RecordRows rows = dayRecords().dayFileRows();

    CDeleteDataDlg dialog(*m_seams.prompts, this);
    dialog.setRows(rows);
    dialog.exec();
    if (dialog.rows().size() == rows.size())
        return;
    if (dayRecords().indexDay() != day || dayRecords().existingDayFile() != dayFile) {
        ShowRecordMessage(RecordMessage::DayChangedWhileOpen);
        return;
    }

    const RecordRows arrived = LoadRecordRows(dayFile).mid(rows.size());
    const RecordRows kept = FollowOn(dialog.rows(), arrived);
    const qint64 journal = JournalCentralDeletion(dayFile, rows + arrived, kept);
    const RecordWrite write =
        m_station->replaceDayFile(rows + arrived, kept, day, m_station->recordPort());
    FinishCentralDeletion(journal, dayFile, write.ok);
    if (!write.ok)
        ShowRecordMessage(RecordMessage::DayFileNotRewritten, write.path, write.error);
}

// One click must not erase a day: the operator is asked first, with the day, the port and how
// many readings, and No is the answer unless Yes is chosen.
void CKestrimDlg::OnDeleteAll()
{
    const QString dayFile = dayRecords().existingDayFile();
    if (!dayFile.isEmpty()) {
        const QString question =
            Texts::kDeleteAllQuestion.in(m_language)
                .arg(dayRecords().indexDay().toString(QStringLiteral("yyyy-MM-dd")),
                     PortMap::PortName(m_station->recordPort()),
                     QString::number(dayRecords().dayFileRows().size()));
        if (!m_seams.prompts->question(this, windowTitle(), question, Prompts::Default::No))
            return;
    }
    const qint64 journal = JournalCentralDeletion(dayFile, {}, {});
    const RecordWrite write = m_station->deleteDayFile();
    FinishCentralDeletion(journal, dayFile, write.ok);
    if (!write.ok)
        ShowRecordMessage(RecordMessage::DayFileNotRewritten, write.path, write.error);
}
