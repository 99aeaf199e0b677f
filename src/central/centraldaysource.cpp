#include "centraldaysource.h"

#include "centralreader.h"
#include "centralrowsmodel.h"
#include "device/interfacetexts.h"
#include "history/historytexts.h"

#include <QSet>

#include <algorithm>

namespace {

// Desk, port, then the record list's columns, narrower than this desk's own table: the table
// scrolls sideways rather than squeeze the chart.
constexpr int kColumnWidths[] = {110, 56, 64, 76, 76, 96};
static_assert(std::size(kColumnWidths) == CentralRowsModel::kColumnCount);

QString DayLabel(const CentralDay &day, Language language)
{
    return day.date.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("  ") +
           QString::number(day.desks) +
           (day.desks == 1 ? Bilingual{u" 个工位", u" desk"} : Bilingual{u" 个工位", u" desks"})
               .in(language);
}

} // namespace

CentralDaySource::CentralDaySource(const CentralSettings &settings, QObject *parent)
    : HistoryDaySource(parent)
    , m_reader(std::make_unique<CentralReader>(settings))
    , m_model(new CentralRowsModel(this))
{
    connect(m_reader.get(), &CentralReader::daysRead, this, &CentralDaySource::daysRead);
    connect(m_reader.get(), &CentralReader::dayRead, this, &CentralDaySource::dayRead);
    setLanguage(m_language);
}

CentralDaySource::~CentralDaySource() = default;

QStringList CentralDaySource::dayCaptions() const
{
    QStringList captions;
    captions.reserve(m_days.size());
    for (const CentralDay &day : m_days)
        captions.append(DayLabel(day, m_language));
    return captions;
}

int CentralDaySource::shownIndex() const
{
    for (int index = 0; m_shown && index < m_days.size(); ++index)
        if (m_days[index].date == *m_shown)
            return index;
    return -1;
}

// The rows are asked for; until they come, the note says they are being read.
void CentralDaySource::showDay(int index)
{
    if (index < 0 || index >= m_days.size())
        return;
    m_shown = m_days[index].date;
    m_model->setRows({});
    m_figures = {};
    setNote(Note::Reading);
    emit dayChanged();
    m_reader->readDay(*m_shown);
}

QAbstractItemModel *CentralDaySource::rows() const
{
    return m_model;
}

QList<int> CentralDaySource::columnWidths() const
{
    return QList<int>(std::begin(kColumnWidths), std::end(kColumnWidths));
}

HistoryFigures CentralDaySource::figures() const
{
    return m_figures;
}

QString CentralDaySource::note() const
{
    switch (m_note) {
    case Note::None:
        return {};
    case Note::Reading:
        return HistoryTexts::kReadingCentral.in(m_language);
    case Note::Unreadable:
        return HistoryTexts::kCentralUnreadable.in(m_language) + m_error;
    case Note::Nothing:
        return HistoryTexts::kNothingCentral.in(m_language);
    }
    return {};
}

void CentralDaySource::refresh()
{
    m_following = true;
    m_days.clear();
    m_model->setRows({});
    m_figures = {};
    setNote(Note::Reading);
    emit daysChanged();
    emit dayChanged();
    m_reader->readDays();
}

// The day shown is forgotten: the next refresh shows the newest day.
void CentralDaySource::pause()
{
    m_following = false;
    m_shown.reset();
}

void CentralDaySource::setLanguage(Language language)
{
    m_language = language;
    m_model->setHeaderData(0, Qt::Horizontal, HistoryTexts::kDesk.in(language));
    m_model->setHeaderData(1, Qt::Horizontal, HistoryTexts::kPort.in(language));
    SetListColumnCaptions(*m_model, language, 2); // after the desk and the port
    if (m_following && !m_days.isEmpty())
        emit daysChanged();
}

// The day shown stays chosen while any desk still has it; otherwise the newest day is shown.
void CentralDaySource::daysRead(const QList<CentralDay> &days, const QString &error)
{
    if (!m_following)
        return;
    m_days = days;
    if (!error.isEmpty())
        setNote(Note::Unreadable, error);
    else if (days.isEmpty())
        setNote(Note::Nothing);
    emit daysChanged();
    if (days.isEmpty())
        emit dayChanged();
    else
        showDay(std::max(shownIndex(), 0));
}

void CentralDaySource::dayRead(QDate day, const QList<CentralRow> &rows, const QString &error)
{
    if (!m_following || m_shown != day)
        return;
    if (error.isEmpty())
        setNote(Note::None);
    else
        setNote(Note::Unreadable, error);
    m_model->setRows(rows);
    m_figures = {day, {}, 0, 0};
    QSet<QString> desks;
    m_figures.readings.reserve(rows.size());
    for (const CentralRow &row : rows) {
        m_figures.readings.append(row.reading);
        desks.insert(row.desk);
    }
    m_figures.desks = int(desks.size());
    emit dayShown();
    emit dayChanged();
}

void CentralDaySource::setNote(Note note, const QString &error)
{
    m_note = note;
    m_error = error;
}
