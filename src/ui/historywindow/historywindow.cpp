#include "historywindow/historywindow.h"

#include "centraldaysource.h"
#include "controls/fonts.h"
#include "history/historychartdata.h"
#include "history/historytexts.h"
#include "history/localdaysource.h"
#include "historywindow/historychartview.h"

#include <QAccessibleWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include <numeric>

namespace {

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
    , m_local(std::make_unique<LocalDaySource>())
{
    static const bool accessible = (QAccessible::installFactory(HistoryWindowAccessible), true);
    Q_UNUSED(accessible);
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("history"));
    buildLayout();
    connect(m_dayList, &QListWidget::currentRowChanged, this,
            [this](int row) { m_source->showDay(row); });
    connect(m_local.get(), &HistoryDaySource::daysChanged, this, &HistoryWindow::followLocalDays);
    connect(m_exportDay, &QPushButton::clicked, this, &HistoryWindow::exportDay);
    connect(m_exportRange, &QPushButton::clicked, this, &HistoryWindow::exportRange);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    applyLanguage();
    showSource(m_local.get());
}

HistoryWindow::~HistoryWindow() = default;

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
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setWordWrap(false);
    // The quantity numbers the rows already; rows of one height keep 100,000 of them quick.
    QHeaderView *rows = m_table->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(m_table->fontMetrics().height() + 4);
    m_table->horizontalHeader()->setHighlightSections(false);
    const int tableWidth =
        2 * m_table->frameWidth() + m_table->verticalScrollBar()->sizeHint().width();
    const QList<int> columns = m_local->columnWidths();
    m_table->setMinimumWidth(tableWidth + std::accumulate(columns.begin(), columns.end(), 0));
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
    m_allDesks->setText(HistoryTexts::kAllDesks.in(language));
    m_exportDay->setText(HistoryTexts::kExportDay.in(language));
    m_fromCaption->setText(HistoryTexts::kFrom.in(language));
    m_toCaption->setText(HistoryTexts::kTo.in(language));
    m_exportRange->setText(HistoryTexts::kExportRange.in(language));
    m_close->setText(HistoryTexts::kClose.in(language));
    m_local->setLanguage(language);
    if (m_central)
        m_central->setLanguage(language);
    if (m_source)
        showFigures();
}

void HistoryWindow::recordsChanged(const QString &dayFile)
{
    m_local->recordsChanged(dayFile);
}

void HistoryWindow::enableAllDesks(const CentralSettings &settings)
{
    if (m_central)
        return;
    m_central = std::make_unique<CentralDaySource>(settings);
    m_central->setLanguage(m_settings.language);
    // The summary line shows what the server says when a read fails: as plain text, never as
    // markup a server could choose.
    m_summary->setTextFormat(Qt::PlainText);
    connect(m_allDesks, &QCheckBox::toggled, this, [this](bool on) {
        if (on) {
            showSource(m_central.get());
            return;
        }
        // Back on this desk's days, the export range starts out as every day again.
        m_rangeSet = false;
        showSource(m_local.get());
    });
    m_dayList->setFixedWidth(std::max(
        m_dayList->width(),
        m_dayList->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00  00 desks")) + 32));
    m_allDesks->show();
}

const std::optional<HistoryDay> &HistoryWindow::shownDay() const
{
    return m_local->shownDay();
}

void HistoryWindow::showSource(HistoryDaySource *source)
{
    if (m_source)
        m_source->pause();
    for (const QMetaObject::Connection &connection : std::as_const(m_sourceConnections))
        disconnect(connection);
    m_source = source;
    QAbstractItemModel *rows = source->rows();
    m_table->setModel(rows);
    const QList<int> widths = source->columnWidths();
    for (int column = 0; column < widths.size(); ++column)
        m_table->horizontalHeader()->resizeSection(column, widths[column]);
    // Made after the table's own, so that the table has taken new rows in before it scrolls.
    m_sourceConnections = {
        connect(source, &HistoryDaySource::daysChanged, this, &HistoryWindow::fillDayList),
        connect(source, &HistoryDaySource::dayChanged, this, &HistoryWindow::showDayChange),
        connect(source, &HistoryDaySource::dayShown, this, [this] { m_table->scrollToTop(); }),
        connect(rows, &QAbstractItemModel::rowsAboutToBeInserted, this,
                [this] {
                    const QScrollBar *bar = m_table->verticalScrollBar();
                    m_tableAtEnd = bar->value() == bar->maximum();
                }),
        // Rows added while the table was at its end are scrolled into view.
        connect(rows, &QAbstractItemModel::rowsInserted, this,
                [this] {
                    if (m_tableAtEnd)
                        m_table->scrollToBottom();
                }),
    };
    enableExports();
    source->refresh();
}

// The list is filled again with the day shown chosen, without choosing it anew.
void HistoryWindow::fillDayList()
{
    {
        const QSignalBlocker blocker(m_dayList);
        m_dayList->clear();
        m_dayList->addItems(m_source->dayCaptions());
        m_dayList->setCurrentRow(m_source->shownIndex());
    }
    enableExports();
}

void HistoryWindow::showDayChange()
{
    if (m_dayList->currentRow() != m_source->shownIndex()) {
        const QSignalBlocker blocker(m_dayList);
        m_dayList->setCurrentRow(m_source->shownIndex());
    }
    enableExports();
    showFigures();
}

void HistoryWindow::showFigures()
{
    const QString note = m_source->note();
    const HistoryFigures figures = m_source->figures();
    if (!note.isEmpty() || !figures.day.isValid()) {
        m_summary->setText(note);
        m_chart->showDay({}, {}, m_settings);
        return;
    }
    m_summary->setText(FiguresText(figures, m_settings.tempUnit, m_settings.language));
    m_chart->showDay(figures.day, BuildChartData(figures.readings, m_settings.tempUnit),
                     m_settings);
}

// The range starts out as every day; a "to" at the newest day moves on with new days.
void HistoryWindow::followLocalDays()
{
    const QList<HistoryDay> &days = m_local->days();
    const bool toWasNewest = !m_rangeSet || m_to->date() == m_to->maximumDate();
    if (!days.isEmpty()) {
        m_from->setDateRange(days.last().date, days.first().date);
        m_to->setDateRange(days.last().date, days.first().date);
        if (!m_rangeSet)
            m_from->setDate(days.last().date);
        if (toWasNewest)
            m_to->setDate(days.first().date);
    }
    m_rangeSet = !days.isEmpty();
}

// The exports are of this desk's day files: offered while those are shown.
void HistoryWindow::enableExports()
{
    const bool local = m_source == m_local.get();
    m_exportDay->setEnabled(local && m_local->shownDay().has_value());
    m_exportRange->setEnabled(local && !m_local->days().isEmpty());
    m_from->setEnabled(local);
    m_to->setEnabled(local);
}
