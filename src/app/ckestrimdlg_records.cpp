// The day's records: the list, the day and warning files, the index, and the change of day.
#include "ckestrimdlg.h"

#include "logging.h"
#include "panestatusbar.h"
#include "records/recordlistmodel.h"

#include <QComboBox>
#include <QTableView>

QDate CKestrimDlg::Today() const
{
    return m_seams.clock->now().date();
}

void CKestrimDlg::LoadDayIndex()
{
    m_records.LoadDayIndex(Today());
}

void CKestrimDlg::PrepareDayRecords()
{
    m_recordModel->setRows(m_records.PrepareDayRecords(m_comboCom->currentIndex() + 1));
}

// Stores the reading, then lists it. Returns the record line, or nothing when it could not be
// stored (the operator is told which file and why; nothing is counted or listed).
std::optional<QString> CKestrimDlg::AppendReading(const QString &testValue, const QString &envTemp)
{
    const RecordWrite write = m_records.AppendReading(m_timeText, testValue, envTemp, Today(),
                                                      m_comboCom->currentIndex() + 1);
    if (!write.ok) {
        ShowWriteFailure(write);
        return std::nullopt;
    }
    m_lastRecord = write.record;
    m_recordModel->appendRow({write.record.quantity, write.record.testTime, write.record.testValue,
                              write.record.envTemp});
    const QModelIndex row = m_recordModel->index(m_recordModel->rowCount() - 1, 0);
    m_recordList->scrollTo(row);
    // The new row is selected and the one before it no longer.
    m_recordList->selectionModel()->select(
        row.siblingAtRow(row.row() - 1), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    m_recordList->selectionModel()->select(row,
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    m_recordList->setFocus();
    return write.line;
}

void CKestrimDlg::WriteWarningRecord(const QString &line)
{
    const RecordWrite write = m_records.WriteWarningRecord(line, Today());
    if (!write.ok)
        ShowWriteFailure(write);
}

void CKestrimDlg::ShowWriteFailure(const RecordWrite &write)
{
    qCWarning(lcApp) << "cannot write" << write.path << ":" << write.error;
    const QString text =
        m_language == 0
            ? QStringLiteral("无法写入记录文件 %1：%2\n此次测量未保存。")
                  .arg(write.path, write.error)
            : QStringLiteral("The reading could not be stored in %1: %2\nIt is not counted "
                             "or listed; free the disk or fix the folder's permissions.")
                  .arg(write.path, write.error);
    m_seams.prompts->message(this, text);
}

// Past midnight the date pane, the title line, the index, the count and the list follow the
// new day; the day files follow it by their names.
void CKestrimDlg::RollOverTo(const QDate &day)
{
    m_records.RollOverTo(day);
    m_recordModel->setRows({});
    m_statusBar->setPaneText(1, m_records.dateText());
    ShowTitleLine(day);
}
