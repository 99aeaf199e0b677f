#include "historywindow/historywindow.h"

#include "centralreader.h"
#include "controls/fonts.h"
#include "device/interfacetexts.h"
#include "history/daysummary.h"
#include "history/historychartdata.h"
#include "history/historytexts.h"
#include "historywindow/historychartview.h"
#include "records/recordlistmodel.h"

#include <QAccessibleWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// More new rows than this are shown by a reset of the table rather than row by row.
constexpr qsizetype kRowByRowLimit = 1000;
constexpr int kRefreshDelayMs = 50;

// Screen readers announce a plain widget as a filler, even a top-level one; the history is a
// window of its own.
QAccessibleInterface *HistoryWindowAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("HistoryWindow") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

HistoryWindow::HistoryWindow(std::shared_ptr<Prompts> prompts, std::shared_ptr<const Clock> clock,
                             const HistorySettings &settings, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_prompts(std::move(prompts))
    , m_clock(std::move(clock))
    , m_settings(settings)
{
    static const bool accessible = (QAccessible::installFactory(HistoryWindowAccessible), true);
    Q_UNUSED(accessible);
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("history"));
    m_model = new RecordListModel(this);
    m_refreshSoon.setSingleShot(true);
    m_refreshSoon.setInterval(kRefreshDelayMs);
    buildLayout();
    connect(m_dayList, &QListWidget::currentRowChanged, this, &HistoryWindow::chooseDay);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_refreshSoon,
            qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_refreshSoon,
            qOverload<>(&QTimer::start));
    // A file event may also be a day file made or removed beside the shown one.
    connect(&m_refreshSoon, &QTimer::timeout, this, &HistoryWindow::rescan);
    connect(m_exportDay, &QPushButton::clicked, this, &HistoryWindow::exportDay);
    connect(m_exportRange, &QPushButton::clicked, this, &HistoryWindow::exportRange);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    applyLanguage();
    rescan();
}

void HistoryWindow::buildLayout()
{
    // The dialog face of the main window, a size up: this window is for reading.
    setFont(PointFont(kFaceDialog, 10));
    m_daysCaption = new QLabel(this);
    m_dayList = new QListWidget(this);
    m_dayList->setObjectName(QStringLiteral("historyDays"));
    m_dayList->setFixedWidth(
        m_dayList->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00  COM00")) + 32);
    m_allDesks = new QCheckBox(this);
    m_allDesks->setObjectName(QStringLiteral("historyAllDesks"));
    m_allDesks->hide();
    auto *left = new QVBoxLayout;
    left->addWidget(m_daysCaption);
    left->addWidget(m_dayList);
    left->addWidget(m_allDesks);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("historySummary"));
    m_summary->setWordWrap(true);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("historyTable"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setWordWrap(false);
    // The quantity numbers the rows already; rows of one height keep 100,000 of them quick.
    QHeaderView *rows = m_table->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(m_table->fontMetrics().height() + 4);
    QHeaderView *columns = m_table->horizontalHeader();
    columns->setHighlightSections(false);
    const int tableWidth =
        2 * m_table->frameWidth() + m_table->verticalScrollBar()->sizeHint().width();
    m_table->setMinimumWidth(tableWidth + sizeRecordColumns());
    m_chart = new HistoryChartView(this);
    m_chart->setObjectName(QStringLiteral("historyChart"));
    m_chart->setMinimumSize(360, 280);
    auto *split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(m_table);
    split->addWidget(m_chart);
    split->setCollapsible(0, false);
    split->setCollapsible(1, false);
    split->setStretchFactor(1, 1);
    split->setSizes({tableWidth, 10000});
    auto *right = new QVBoxLayout;
    right->addWidget(m_summary);
    right->addWidget(split, 1);

    auto *panes = new QHBoxLayout;
    panes->addLayout(left);
    panes->addLayout(right, 1);

    m_exportDay = new QPushButton(this);
    m_exportDay->setObjectName(QStringLiteral("historyExportDay"));
    m_fromCaption = new QLabel(this);
    m_from = new QDateEdit(this);
    m_from->setObjectName(QStringLiteral("historyFrom"));
    m_toCaption = new QLabel(this);
    m_to = new QDateEdit(this);
    m_to->setObjectName(QStringLiteral("historyTo"));
    for (QDateEdit *edit : {m_from, m_to}) {
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setCalendarPopup(true);
    }
    m_exportRange = new QPushButton(this);
    m_exportRange->setObjectName(QStringLiteral("historyExportRange"));
    m_close = new QPushButton(this);
    m_close->setShortcut(QKeySequence(Qt::Key_Escape));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_exportDay);
    buttons->addStretch(1);
    for (QWidget *widget :
         std::initializer_list<QWidget *>{m_fromCaption, m_from, m_toCaption, m_to, m_exportRange})
        buttons->addWidget(widget);
    buttons->addSpacing(24);
    buttons->addWidget(m_close);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(panes, 1);
    layout->addLayout(buttons);
    resize(1180, 680);
}

void HistoryWindow::setSettings(const HistorySettings &settings)
{
    if (settings == m_settings)
        return;
    m_settings = settings;
    applyLanguage();
}

void HistoryWindow::applyLanguage()
{
    const Language language = m_settings.language;
    setWindowTitle(HistoryTexts::kTitle.in(language));
    m_daysCaption->setText(HistoryTexts::kDays.in(language));
    m_exportDay->setText(HistoryTexts::kExportDay.in(language));
    m_fromCaption->setText(HistoryTexts::kFrom.in(language));
    m_toCaption->setText(HistoryTexts::kTo.in(language));
    m_exportRange->setText(HistoryTexts::kExportRange.in(language));
    m_close->setText(HistoryTexts::kClose.in(language));
    for (int column = 0; column < int(kListColumns.size()); ++column)
        m_model->setHeaderData(column, Qt::Horizontal,
                               kListColumns[size_t(column)].caption.in(language));
    applyCentralLanguage();
    showFigures();
}

void HistoryWindow::recordsChanged(const QString &dayFile)
{
    if (showingAll())
        return;
    const bool known = std::any_of(m_days.begin(), m_days.end(),
                                   [&](const HistoryDay &day) { return day.path == dayFile; });
    if (!known || !QFileInfo::exists(dayFile))
        rescan();
    else if (m_shown && m_shown->path == dayFile)
        refreshShownDay();
}

void HistoryWindow::rescan()
{
    if (showingAll())
        return;
    QList<HistoryDay> days = FindHistoryDays();
    if (m_scanned && days == m_days) {
        refreshShownDay();
        return;
    }
    m_scanned = true;
    // The range starts out as every day; a "to" at the newest day moves on with new days.
    const bool firstDays = m_days.isEmpty();
    const bool toWasNewest = firstDays || m_to->date() == m_to->maximumDate();
    m_days = std::move(days);
    if (!m_days.isEmpty()) {
        m_from->setDateRange(m_days.last().date, m_days.first().date);
        m_to->setDateRange(m_days.last().date, m_days.first().date);
        if (firstDays)
            m_from->setDate(m_days.last().date);
        if (toWasNewest)
            m_to->setDate(m_days.first().date);
    }
    m_exportRange->setEnabled(!m_days.isEmpty());
    fillDayList();
}

// The list is filled again; the day shown is chosen again when it is still there, otherwise
// the newest day.
void HistoryWindow::fillDayList()
{
    int shownRow = -1;
    {
        const QSignalBlocker blocker(m_dayList);
        m_dayList->clear();
        for (const HistoryDay &day : m_days) {
            if (m_shown && day.path == m_shown->path)
                shownRow = m_dayList->count();
            m_dayList->addItem(day.label());
        }
        if (shownRow >= 0)
            m_dayList->setCurrentRow(shownRow);
    }
    if (shownRow >= 0)
        refreshShownDay();
    else
        chooseDay(m_days.isEmpty() ? -1 : 0);
}

void HistoryWindow::chooseDay(int row)
{
    if (showingAll()) {
        chooseCentralDay(row);
        return;
    }
    if (row < 0 || row >= m_days.size()) {
        m_shown.reset();
        m_day.load({}, {});
    } else {
        m_shown = m_days[row];
        m_day.load(m_shown->path, m_shown->warningPath);
    }
    if (m_dayList->currentRow() != row) {
        const QSignalBlocker blocker(m_dayList);
        m_dayList->setCurrentRow(row);
    }
    m_model->setRows(m_day.rows());
    m_table->scrollToTop();
    m_exportDay->setEnabled(m_shown.has_value());
    watchShownDay();
    showFigures();
}

void HistoryWindow::refreshShownDay()
{
    if (!m_shown || showingAll())
        return;
    const DayHistory::Change change = m_day.refresh();
    watchShownDay();
    if (change == DayHistory::Change::Unchanged)
        return;
    if (!m_day.exists()) {
        rescan(); // the day's file is gone: so is its entry
        return;
    }
    if (change == DayHistory::Change::Reloaded ||
        m_day.rows().size() - m_day.firstNewRow() > kRowByRowLimit) {
        m_model->setRows(m_day.rows());
    } else {
        const QScrollBar *bar = m_table->verticalScrollBar();
        const bool atEnd = bar->value() == bar->maximum();
        for (qsizetype row = m_day.firstNewRow(); row < m_day.rows().size(); ++row)
            m_model->appendRow(m_day.rows()[row]);
        if (atEnd && m_day.firstNewRow() < m_day.rows().size())
            m_table->scrollToBottom();
    }
    showFigures();
}

void HistoryWindow::showFigures()
{
    if (showingAll()) {
        showCentralFigures();
        return;
    }
    const Language language = m_settings.language;
    if (!m_shown) {
        m_summary->setText(HistoryTexts::kNothingRecorded.in(language));
        m_chart->showDay({}, {}, m_settings);
        return;
    }
    const DaySummary summary =
        SummariseDay(m_day.readings(), m_day.unreadable(), m_settings.tempUnit);
    m_summary->setText(SummaryText(summary, m_settings.tempUnit, language));
    m_chart->showDay(m_shown->date, BuildChartData(m_day.readings(), m_settings.tempUnit),
                     m_settings);
}

// The record columns at the main list's English widths and a little air; returns their sum.
int HistoryWindow::sizeRecordColumns()
{
    int sum = 0;
    for (int column = 0; column < int(kListColumns.size()); ++column) {
        const int width = kListColumns[size_t(column)].width(Language::English) + 24;
        m_table->horizontalHeader()->resizeSection(column, width);
        sum += width;
    }
    return sum;
}

void HistoryWindow::unwatch()
{
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
}

// The shown day's file, its warning file and their folder, where a file that is replaced,
// removed or made again shows.
void HistoryWindow::watchShownDay()
{
    unwatch();
    if (!m_shown)
        return;
    QStringList paths;
    for (const QString &path :
         {m_shown->path, m_shown->warningPath, QFileInfo(m_shown->path).path()})
        if (QFileInfo::exists(path))
            paths.append(path);
    if (!paths.isEmpty())
        m_watcher.addPaths(paths);
}
