// The day's records: the list, the day and warning files, the index, and the change of day.
#include "ckestrimdlg.h"

#include "controls/craisedbutton.h"
#include "logging.h"
#include "panestatusbar.h"
#include "records/recordlistmodel.h"
#include "records/recordmessages.h"
#include "station.h"

#include <QComboBox>
#include <QTableView>

QDate CKestrimDlg::Today() const
{
    return m_seams.clock->now().date();
}

// Told once per index: its PATH is not followed.
void CKestrimDlg::ShowDamagedIndex(const QString &indexPath)
{
    m_seams.prompts->message(this, DamagedIndexText(m_language, indexPath),
                             QStringLiteral("damaged index"));
}

// The row the desk has just listed comes into view, selected, and the one before it no longer.
void CKestrimDlg::ScrollToNewRecord()
{
    const QModelIndex row = m_recordModel->index(m_recordModel->rowCount() - 1, 0);
    // Lay the list out first: the scroll range must already hold the new row (and the scroll
    // bars their final place) for the row to end up wholly in view.
    m_recordList->doItemsLayout();
    m_recordList->scrollTo(row);
    m_recordList->selectionModel()->select(
        row.siblingAtRow(row.row() - 1), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    m_recordList->selectionModel()->select(row,
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    m_recordList->setFocus();
}

void CKestrimDlg::UpdateSaveAs()
{
    m_buttonSaveAs->setEnabled(m_recordModel->rowCount() > 0);
}

void CKestrimDlg::ShowIndexFailure(const RecordWrite &write)
{
    if (!write.indexError.isEmpty())
        ShowRecordMessage(RecordMessage::IndexNotUpdated, write.indexPath, write.indexError);
}

void CKestrimDlg::ShowRecordMessage(RecordMessage message, const QString &path,
                                    const QString &reason)
{
    if (!path.isEmpty())
        qCWarning(lcApp) << "records:" << path << reason;
    m_seams.prompts->message(this, RecordMessageText(message, m_language, path, reason));
}

// Past midnight the date pane and the title line follow the new day; the desk has already moved
// the index, the count and the list to it.
void CKestrimDlg::OnDayChanged(QDate day)
{
    m_statusBar->setPaneText(1, dayRecords().dateText());
    ShowTitleLine(day);
}
