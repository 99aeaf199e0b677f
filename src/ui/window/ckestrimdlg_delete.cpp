// Deleting records from the list's context menu: a range through the Delete Data dialog, or
// all of the day's records.
#include "ckestrimdlg.h"

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
    const QString dayFile = m_records.existingDayFile();
    const QDate day = m_records.indexDay();
    const RecordRows rows = m_records.dayFileRows();

    CDeleteDataDlg dialog(*m_seams.prompts, this);
    dialog.setRows(rows);
    dialog.exec();
    if (dialog.rows().size() == rows.size())
        return;
    if (m_records.indexDay() != day || m_records.existingDayFile() != dayFile) {
        ShowRecordMessage(RecordMessage::DayChangedWhileOpen);
        return;
    }

    const RecordRows arrived = LoadRecordRows(dayFile).mid(rows.size());
    const RecordRows kept = FollowOn(dialog.rows(), arrived);
    const qint64 journal = JournalCentralDeletion(dayFile, rows + arrived, kept);
    const RecordWrite write = m_records.replaceDayFile(kept, day, m_comboCom->currentIndex() + 1);
    if (!write.ok) {
        WithdrawCentralDeletion(journal);
        ShowRecordMessage(RecordMessage::DayFileNotRewritten, write.path, write.error);
        return;
    }
    m_recordModel->setRows(kept);
    ShowIndexFailure(write);
    RenumberDaySettings(write.path, rows + arrived, kept, nullptr);
    emit recordsChanged(dayFile);
}

// No confirmation is asked.
void CKestrimDlg::OnDeleteAll()
{
    const qint64 journal = JournalCentralDeletion(m_records.existingDayFile(), {}, {});
    const RecordWrite write = m_records.deleteDayFile();
    if (!write.ok) {
        WithdrawCentralDeletion(journal);
        ShowRecordMessage(RecordMessage::DayFileNotRewritten, write.path, write.error);
        return;
    }
    m_recordModel->setRows({});
    ShowIndexFailure(write);
    RenumberDaySettings(write.path, {}, {}, nullptr);
    if (!write.path.isEmpty())
        emit recordsChanged(write.path);
}
