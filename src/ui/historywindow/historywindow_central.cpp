// "All desks": the history of every desk from the central records, when a server is
// configured. The day list holds the days any desk recorded; the table, summary and chart show
// the chosen day across the desks, with the desk as a column. The reads go to the reader's
// thread and come back as signals, so the window never waits on the network; what the window
// shows while a read is under way, or when it failed, is said in the summary line.
#include "historywindow/historywindow.h"

#include "centralreader.h"
#include "centralrowsmodel.h"
#include "device/interfacetexts.h"
#include "history/daysummary.h"
#include "history/historychartdata.h"
#include "history/historytexts.h"
#include "historywindow/historychartview.h"
#include "records/recordlistmodel.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QTableView>

namespace {

// Desk, port, then the record list's columns, narrower than this desk's own table: the table
// scrolls sideways rather than squeeze the chart.
constexpr int kCentralColumnWidths[] = {110, 56, 64, 76, 76, 96};

QString DayLabel(const CentralDay &day, Language language)
{
    return day.date.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("  ") +
           QString::number(day.desks) +
           (day.desks == 1 ? Bilingual{u" 个工位", u" desk"} : Bilingual{u" 个工位", u" desks"})
               .in(language);
}

} // namespace

HistoryWindow::~HistoryWindow() = default;

bool HistoryWindow::showingAll() const
{
    return m_reader && m_allDesks->isChecked();
}

void HistoryWindow::enableAllDesks(const CentralSettings &settings)
{
    if (m_reader)
        return;
    m_reader = std::make_unique<CentralReader>(settings);
    // The summary line shows what the server says when a read fails: as plain text, never as
    // markup a server could choose.
    m_summary->setTextFormat(Qt::PlainText);
    m_centralModel = new CentralRowsModel(this);
    connect(m_reader.get(), &CentralReader::daysRead, this, &HistoryWindow::centralDaysRead);
    connect(m_reader.get(), &CentralReader::dayRead, this, &HistoryWindow::centralDayRead);
    connect(m_allDesks, &QCheckBox::toggled, this, &HistoryWindow::showAllDesks);
    m_dayList->setFixedWidth(std::max(
        m_dayList->width(),
        m_dayList->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00  00 desks")) + 32));
    m_allDesks->show();
    applyCentralLanguage();
}

void HistoryWindow::showAllDesks(bool on)
{
    m_exportDay->setEnabled(!on && m_shown.has_value());
    m_exportRange->setEnabled(!on && !m_days.isEmpty());
    m_from->setEnabled(!on);
    m_to->setEnabled(!on);
    if (!on) {
        m_table->setModel(m_model);
        sizeRecordColumns();
        m_centralShown.reset();
        m_scanned = false;
        m_days.clear();
        rescan();
        return;
    }
    unwatch();
    m_table->setModel(m_centralModel);
    for (int column = 0; column < CentralRowsModel::kColumnCount; ++column)
        m_table->horizontalHeader()->resizeSection(column, kCentralColumnWidths[column]);
    m_centralModel->setRows({});
    {
        const QSignalBlocker blocker(m_dayList);
        m_dayList->clear();
    }
    m_centralNote = HistoryTexts::kReadingCentral.in(m_settings.language);
    showCentralFigures();
    m_reader->readDays();
}

void HistoryWindow::centralDaysRead(const QList<CentralDay> &days, const QString &error)
{
    if (!showingAll())
        return;
    m_centralDays = days;
    {
        const QSignalBlocker blocker(m_dayList);
        m_dayList->clear();
        for (const CentralDay &day : days)
            m_dayList->addItem(DayLabel(day, m_settings.language));
    }
    if (!error.isEmpty())
        m_centralNote = HistoryTexts::kCentralUnreadable.in(m_settings.language) + error;
    else if (days.isEmpty())
        m_centralNote = HistoryTexts::kNothingCentral.in(m_settings.language);
    int row = days.isEmpty() ? -1 : 0;
    for (int i = 0; m_centralShown && i < days.size(); ++i)
        if (days[i].date == *m_centralShown)
            row = i;
    if (row < 0) {
        showCentralFigures();
        return;
    }
    {
        const QSignalBlocker blocker(m_dayList);
        m_dayList->setCurrentRow(row);
    }
    chooseCentralDay(row);
}

void HistoryWindow::chooseCentralDay(int row)
{
    if (row < 0 || row >= m_centralDays.size())
        return;
    m_centralShown = m_centralDays[row].date;
    m_centralModel->setRows({});
    m_centralNote = HistoryTexts::kReadingCentral.in(m_settings.language);
    showCentralFigures();
    m_reader->readDay(*m_centralShown);
}

void HistoryWindow::centralDayRead(QDate day, const QList<CentralRow> &rows, const QString &error)
{
    if (!showingAll() || m_centralShown != day)
        return;
    m_centralNote = error.isEmpty()
                        ? QString()
                        : HistoryTexts::kCentralUnreadable.in(m_settings.language) + error;
    m_centralModel->setRows(rows);
    m_table->scrollToTop();
    showCentralFigures();
}

void HistoryWindow::showCentralFigures()
{
    const Language language = m_settings.language;
    const QList<CentralRow> &rows = m_centralModel->rows();
    if (!m_centralNote.isEmpty() || !m_centralShown) {
        m_summary->setText(m_centralNote);
        m_chart->showDay({}, {}, m_settings);
        return;
    }
    QList<HistoryReading> readings;
    QSet<QString> desks;
    readings.reserve(rows.size());
    for (const CentralRow &row : rows) {
        readings.append(row.reading);
        desks.insert(row.desk);
    }
    const QString colon = CaptionColon(language);
    m_summary->setText(
        HistoryTexts::kDesks.in(language) + colon + QString::number(desks.size()) +
        QStringLiteral("   ") +
        SummaryText(SummariseDay(readings, 0, m_settings.tempUnit), m_settings.tempUnit, language));
    m_chart->showDay(*m_centralShown, BuildChartData(readings, m_settings.tempUnit), m_settings);
}

void HistoryWindow::applyCentralLanguage()
{
    if (!m_reader)
        return;
    const Language language = m_settings.language;
    m_allDesks->setText(HistoryTexts::kAllDesks.in(language));
    m_centralModel->setHeaderData(0, Qt::Horizontal, HistoryTexts::kDesk.in(language));
    m_centralModel->setHeaderData(1, Qt::Horizontal, HistoryTexts::kPort.in(language));
    for (int column = 0; column < int(kListColumns.size()); ++column)
        m_centralModel->setHeaderData(column + 2, Qt::Horizontal,
                                      kListColumns[size_t(column)].caption.in(language));
    if (!showingAll())
        return;
    for (int row = 0; row < m_centralDays.size() && row < m_dayList->count(); ++row)
        m_dayList->item(row)->setText(DayLabel(m_centralDays[row], language));
}
