// This desk's day files as a history: every day file under the data folder, newest first, and
// of the day chosen its records, followed while it grows. The main window says when it stored
// or deleted records; a watcher on the shown day's files and their folder notices anything
// else (a file replaced, removed, or laid beside it), and a burst of file events makes one
// look.
#pragma once

#include "history/dayhistory.h"
#include "history/historyday.h"
#include "history/historydaysource.h"

#include <QFileSystemWatcher>
#include <QTimer>

#include <optional>

class RecordListModel;

class LocalDaySource : public HistoryDaySource {
    Q_OBJECT

public:
    explicit LocalDaySource(QObject *parent = nullptr);
    ~LocalDaySource() override;

    QStringList dayCaptions() const override;
    int shownIndex() const override;
    void showDay(int index) override;
    QAbstractItemModel *rows() const override;
    QList<int> columnWidths() const override;
    HistoryFigures figures() const override;
    QString note() const override;
    void refresh() override;
    void pause() override;
    void setLanguage(Language language) override;

    // The main window stored records in `dayFile`, or deleted some of it.
    void recordsChanged(const QString &dayFile);

    const QList<HistoryDay> &days() const { return m_days; }
    const std::optional<HistoryDay> &shownDay() const { return m_shown; }

private:
    // Finds the days on disk again; the day shown stays chosen while it is there and is brought
    // up to date.
    void rescan();
    void load(int index);
    // Takes what changed in the shown day's files.
    void refreshShownDay();
    void watchShownDay();
    void unwatch();

    bool m_following = false;
    Language m_language = Language::English;
    QList<HistoryDay> m_days;
    bool m_scanned = false;
    std::optional<HistoryDay> m_shown;
    DayHistory m_day;
    RecordListModel *m_model = nullptr;
    QFileSystemWatcher m_watcher;
    QTimer m_lookSoon;
};
