// The day's records: the list, the day and warning files, the index, and the change of day.
#include "ckestrimdlg.h"

#include "logging.h"
#include "panestatusbar.h"
#include "records/recordlistmodel.h"
#include "records/recordmessages.h"

#include <QComboBox>
#include <QTableView>

QDate CKestrimDlg::Today() const
{
    return m_seams.clock->now().date();
}

void CKestrimDlg::LoadDayIndex()
{
    m_records.LoadDayIndex(Today());
    ShowDamagedIndex();
}

void CKestrimDlg::PrepareDayRecords()
{
    m_recordModel->setRows(m_records.PrepareDayRecords(RecordPort()));
    ShowDamagedIndex();
}

// Told once per index: its PATH is not followed.
void CKestrimDlg::ShowDamagedIndex()
{
    const QString index = m_records.takeDamagedIndex();
    if (!index.isEmpty())
        m_seams.prompts->message(this, DamagedIndexText(m_language, index),
                                 QStringLiteral("damaged index"));
}

int CKestrimDlg::RecordPort() const
{
    // Before any port was opened (frames handed in directly) the list's entry stands in.
    return m_thermometer->portNumber() > 0 ? m_thermometer->portNumber()
                                           : m_comboCom->currentIndex() + 1;
}

// Stores the reading taken at `instant`, then lists it. Returns the record line, or nothing
// when it could not be stored (the operator is told which file and why; nothing is counted or
// listed). A reading of a new day rolls the window over first, so that it is counted, listed
// and stored as the new day's.
std::optional<QString> CKestrimDlg::AppendReading(const QDateTime &instant,
                                                  const QString &testValue, const QString &envTemp)
{
    if (instant.isValid() && instant.date() != m_records.indexDay())
        rollOverTo(instant.date());
    const RecordWrite write = m_records.AppendReading(instant, testValue, envTemp, RecordPort());
    if (!write.ok) {
        ShowRecordMessage(RecordMessage::ReadingNotStored, write.path, write.error);
        return std::nullopt;
    }
    m_lastRecord = write.record;
    qCDebug(lcRecords) << "listed" << write.line;
    m_recordModel->appendRow({write.record.quantity, write.record.testTime, write.record.testValue,
                              write.record.envTemp});
    const QModelIndex row = m_recordModel->index(m_recordModel->rowCount() - 1, 0);
    // Lay the list out first: the scroll range must already hold the new row (and the scroll
    // bars their final place) for the row to end up wholly in view.
    m_recordList->doItemsLayout();
    m_recordList->scrollTo(row);
    // The new row is selected and the one before it no longer.
    m_recordList->selectionModel()->select(
        row.siblingAtRow(row.row() - 1), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    m_recordList->selectionModel()->select(row,
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    m_recordList->setFocus();
    ShowIndexFailure(write);
    return write.line;
}

void CKestrimDlg::WriteWarningRecord(const QString &line, const QDate &day)
{
    const RecordWrite write = m_records.WriteWarningRecord(line, day);
    if (!write.ok)
        ShowRecordMessage(RecordMessage::WarningNotStored, write.path, write.error);
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

// Past midnight the date pane, the title line, the index, the count and the list follow the
// new day; the day files follow it by their names.
void CKestrimDlg::rollOverTo(const QDate &day)
{
    m_records.rollOverTo(day);
    ShowDamagedIndex();
    m_recordModel->setRows({});
    m_statusBar->setPaneText(1, m_records.dateText());
    ShowTitleLine(day);
}
