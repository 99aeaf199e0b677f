#include "history/localdaysource.h"

#include "device/interfacetexts.h"
#include "history/historytexts.h"
#include "records/dayrecords.h"
#include "records/recordlistmodel.h"

#include <QFileInfo>

namespace {

// More new rows than this are shown by a reset of the table rather than appended.
constexpr qsizetype kAppendLimit = 1000;
constexpr int kLookDelayMs = 50;

} // namespace

LocalDaySource::LocalDaySource(QObject *parent)
    : HistoryDaySource(parent)
    , m_model(new RecordListModel(this))
{
    m_lookSoon.setSingleShot(true);
    m_lookSoon.setInterval(kLookDelayMs);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_lookSoon, qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_lookSoon,
            qOverload<>(&QTimer::start));
    // A file event may also be a day file made or removed beside the shown one.
    connect(&m_lookSoon, &QTimer::timeout, this, &LocalDaySource::rescan);
    setLanguage(m_language);
}

LocalDaySource::~LocalDaySource() = default;

QStringList LocalDaySource::dayCaptions() const
{
    QStringList captions;
    captions.reserve(m_days.size());
    for (const HistoryDay &day : m_days)
        captions.append(day.label());
    return captions;
}

int LocalDaySource::shownIndex() const
{
    if (!m_shown)
        return -1;
    for (int index = 0; index < m_days.size(); ++index)
        if (m_days[index].path == m_shown->path)
            return index;
    return -1;
}

void LocalDaySource::showDay(int index)
{
    load(index);
    emit dayShown();
    emit dayChanged();
}

QAbstractItemModel *LocalDaySource::rows() const
{
    return m_model;
}

// The main list's English widths and a little air.
QList<int> LocalDaySource::columnWidths() const
{
    QList<int> widths;
    for (const ListColumnText &column : kListColumns)
        widths.append(column.width(Language::English) + 24);
    return widths;
}

HistoryFigures LocalDaySource::figures() const
{
    if (!m_shown)
        return {};
    // The settings file is a few lines: read as the figures are asked for, it follows the day.
    QList<HistoryReading> readings = m_day.readings();
    const DaySettings settings = DaySettings::Read(
        m_shown->path, DayRecords().dayFilePath(m_shown->date.addDays(-1), m_shown->port));
    if (settings.recorded())
        for (HistoryReading &reading : readings)
            reading.inForce = settings.inForce(reading.quantity);
    return {m_shown->date, readings, m_day.unreadable(), std::nullopt};
}

QString LocalDaySource::note() const
{
    return m_shown ? QString() : HistoryTexts::kNothingRecorded.in(m_language);
}

void LocalDaySource::refresh()
{
    m_following = true;
    m_scanned = false;
    m_days.clear();
    rescan();
}

void LocalDaySource::pause()
{
    m_following = false;
    m_lookSoon.stop();
    unwatch();
}

void LocalDaySource::setLanguage(Language language)
{
    m_language = language;
    SetListColumnCaptions(*m_model, language);
}

void LocalDaySource::recordsChanged(const QString &dayFile)
{
    if (!m_following)
        return;
    const bool known = std::any_of(m_days.begin(), m_days.end(),
                                   [&](const HistoryDay &day) { return day.path == dayFile; });
    if (!known || !QFileInfo::exists(dayFile))
        rescan();
    else if (m_shown && m_shown->path == dayFile)
        refreshShownDay();
}

void LocalDaySource::rescan()
{
    if (!m_following)
        return;
    QList<HistoryDay> days = FindHistoryDays();
    if (m_scanned && days == m_days) {
        refreshShownDay();
        return;
    }
    m_scanned = true;
    m_days = std::move(days);
    if (shownIndex() >= 0) {
        emit daysChanged();
        refreshShownDay();
        return;
    }
    load(m_days.isEmpty() ? -1 : 0);
    emit daysChanged();
    emit dayShown();
    emit dayChanged();
}

void LocalDaySource::load(int index)
{
    if (index < 0 || index >= m_days.size()) {
        m_shown.reset();
        m_day.load({}, {});
    } else {
        m_shown = m_days[index];
        m_day.load(m_shown->path, m_shown->warningPath);
    }
    m_model->setRows(m_day.rows());
    watchShownDay();
}

void LocalDaySource::refreshShownDay()
{
    if (!m_shown)
        return;
    const DayHistory::Change change = m_day.refresh();
    watchShownDay();
    if (change == DayHistory::Change::Unchanged)
        return;
    if (!m_day.exists()) {
        rescan(); // the day's file is gone: so is its entry
        return;
    }
    const qsizetype firstNew = m_day.firstNewRow();
    if (change == DayHistory::Change::Reloaded || m_day.rows().size() - firstNew > kAppendLimit)
        m_model->setRows(m_day.rows());
    else if (firstNew < m_day.rows().size())
        m_model->appendRows(m_day.rows().mid(firstNew));
    emit dayChanged();
}

void LocalDaySource::unwatch()
{
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
}

// The shown day's file, its warning file and their folder, where a file that is replaced,
// removed or made again shows.
void LocalDaySource::watchShownDay()
{
    unwatch();
    if (!m_shown || !m_following)
        return;
    QStringList paths;
    for (const QString &path :
         {m_shown->path, m_shown->warningPath, QFileInfo(m_shown->path).path()})
        if (QFileInfo::exists(path))
            paths.append(path);
    if (!paths.isEmpty())
        m_watcher.addPaths(paths);
}
