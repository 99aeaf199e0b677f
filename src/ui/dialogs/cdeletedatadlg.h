// The "Delete Data" dialog (template 146): the day's rows in a list; a left click picks a row,
// the line menu (147) makes it the start or the end line after a confirmation, and Del removes
// that range, numbers the rest 1..n and closes. The caller hands in the rows and takes them
// back; the dialog never touches a file. Its questions and messages go through Prompts.
#pragma once

#include "dialogs/resource.h"
#include "records/recordline.h"

#include <QDialog>

class Prompts;
class QLineEdit;
class QMenu;
class QTableView;
class RecordListModel;

class CDeleteDataDlg : public QDialog {
    Q_OBJECT

public:
    explicit CDeleteDataDlg(Prompts &prompts, QWidget *parent = nullptr);

    void setVisible(bool visible) override;

    // The rows shown; set before the dialog is shown, read back after it closed.
    void setRows(RecordRows rows) { m_rows = std::move(rows); }
    const RecordRows &rows() const { return m_rows; }

    static constexpr int kTemplate = IDD_DELETE_DATA;
    static constexpr int kLineMenu = IDR_MENU_LINE;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool OnInitDialog();
    void DoDataExchange();
    void WireDispatchTable();
    void OnNMClickList();
    void OnNMRClickList(const QPoint &pos);
    void OnSetStartLine();
    void OnSetStopLine();
    void OnBnClickedDel();
    // Asks to make the clicked row the start or end line; its 1-based number on Yes, else 0.
    int ConfirmClickedLine(bool startLine);

    Prompts &m_prompts;
    bool m_initialised = false;
    int m_clickedRow = -1; // the row found selected at the last left click, -1 for none
    int m_startLine = 0;   // 1-based, 0 while not chosen
    int m_endLine = 0;
    RecordRows m_rows;
    RecordListModel *m_model = nullptr;
    QMenu *m_lineMenu = nullptr;
    QTableView *m_list = nullptr;
    QLineEdit *m_startEdit = nullptr;
    QLineEdit *m_endEdit = nullptr;
};
