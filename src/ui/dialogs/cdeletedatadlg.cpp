#include "dialogs/cdeletedatadlg.h"

#include "dialogs/dialogbuilder.h"
#include "dialogs/dialogtemplate.h"
#include "dialogs/prompts.h"
#include "records/recorddeletion.h"
#include "records/recordlistmodel.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTableView>

#include <algorithm>

CDeleteDataDlg::CDeleteDataDlg(Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , m_prompts(prompts)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    DialogBuilder(LoadDialogTemplate(kTemplate)).build(this);
    // The texts were sized for another face's metrics: each is one line, as wide as it needs
    // ("End Line:" would wrap here); there is room before the control after it.
    for (QLabel *label : findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        label->setWordWrap(false);
        label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
    }
    const MenuTemplate menu = LoadMenuTemplate(kLineMenu);
    m_lineMenu = new QMenu(menu.popupCaption, this);
    m_lineMenu->setObjectName(QString::number(kLineMenu));
    for (const MenuItem &item : menu.items)
        m_lineMenu->addAction(item.caption)->setObjectName(QString::number(item.command));
    m_model = new RecordListModel(this);
    DoDataExchange();
    WireDispatchTable();
}

void CDeleteDataDlg::DoDataExchange()
{
    m_list = findChild<QTableView *>(QString::number(IDC_LIST_DELETE), Qt::FindDirectChildrenOnly);
    m_startEdit =
        findChild<QLineEdit *>(QString::number(IDC_EDIT_START_LINE), Qt::FindDirectChildrenOnly);
    m_endEdit =
        findChild<QLineEdit *>(QString::number(IDC_EDIT_END_LINE), Qt::FindDirectChildrenOnly);
    Q_ASSERT(m_list && m_startEdit && m_endEdit);
}

void CDeleteDataDlg::WireDispatchTable()
{
    // A left click on the list: the release ends it, as a list's click notification does.
    m_list->viewport()->installEventFilter(this);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this, &CDeleteDataDlg::OnNMRClickList);
    const auto command = [this](int id) {
        return m_lineMenu->findChild<QAction *>(QString::number(id));
    };
    connect(command(ID_SET_START_LINE), &QAction::triggered, this, &CDeleteDataDlg::OnSetStartLine);
    connect(command(ID_SET_STOP_LINE), &QAction::triggered, this, &CDeleteDataDlg::OnSetStopLine);
    connect(findChild<QAbstractButton *>(QString::number(IDC_BUTTON_DEL)),
            &QAbstractButton::clicked, this, &CDeleteDataDlg::OnBnClickedDel);
}

void CDeleteDataDlg::setVisible(bool visible)
{
    if (visible && !m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
}

bool CDeleteDataDlg::OnInitDialog()
{
    m_list->setModel(m_model);
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setWordWrap(false);
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 4);
    QHeaderView *columns = m_list->horizontalHeader();
    columns->setHighlightSections(false);
    const int widths[] = {70, 90, 90, 160};
    for (int column = 0; column < RecordListModel::kColumnCount; ++column)
        columns->resizeSection(column, widths[column]);
    m_model->setRows(m_rows);
    return true;
}

bool CDeleteDataDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        // Once the list has taken the click, its selection is final.
        QMetaObject::invokeMethod(this, &CDeleteDataDlg::OnNMClickList, Qt::QueuedConnection);
    }
    return QDialog::eventFilter(watched, event);
}

void CDeleteDataDlg::OnNMClickList()
{
    const QModelIndexList selected = m_list->selectionModel()->selectedRows();
    m_clickedRow = -1;
    for (const QModelIndex &index : selected) {
        if (m_clickedRow < 0 || index.row() < m_clickedRow)
            m_clickedRow = index.row();
    }
}

// The line menu acts on the row of the last left click; a right click does not change it.
void CDeleteDataDlg::OnNMRClickList(const QPoint &pos)
{
    m_lineMenu->popup(m_list->viewport()->mapToGlobal(pos));
}

int CDeleteDataDlg::ConfirmClickedLine(bool startLine)
{
    if (m_clickedRow < 0)
        return 0;
    const int line = m_clickedRow + 1;
    const bool yes =
        m_prompts.question(this, QStringLiteral("Delete"),
                           LineConfirmation(line, startLine ? LineEnd::Start : LineEnd::End));
    return yes ? line : 0;
}

void CDeleteDataDlg::OnSetStartLine()
{
    if (const int line = ConfirmClickedLine(true)) {
        m_startLine = line;
        m_startEdit->setText(QString::number(line));
    }
}

void CDeleteDataDlg::OnSetStopLine()
{
    const int line = ConfirmClickedLine(false);
    if (line == 0)
        return;
    m_endLine = line;
    m_endEdit->setText(QString::number(line));
    if (m_startLine == 0)
        return;
    // The lines from the start line up to the one before the end line join the selection; the
    // end line itself is selected already by the click that picked it.
    QItemSelection range;
    for (int i = m_startLine - 1; i < m_endLine - 1; ++i)
        range.select(m_model->index(i, 0), m_model->index(i, RecordListModel::kColumnCount - 1));
    m_list->selectionModel()->select(range, QItemSelectionModel::Select);
}

void CDeleteDataDlg::OnBnClickedDel()
{
    if (const QString refusal = DelRefusal(m_startLine, m_endLine); !refusal.isEmpty()) {
        m_prompts.message(this, refusal);
        return;
    }
    m_rows = RemoveLines(std::move(m_rows), m_startLine, m_endLine);
    m_model->setRows(m_rows);
    reject();
}
