// The history window: every recorded day on the left, newest first; for the day chosen, its
// rows, its summary line and its chart on the right; the day or a range of days exported.
//
// It is glue over the QtCore units of this folder. It follows the files: the main window says
// when it stored or deleted records, and a watcher notices the shown day's files changing or
// vanishing otherwise. It is not modal and exists only while open (it deletes itself when
// closed), so a closed history costs nothing.
//
// With a central server configured it also shows "All desks": the days, rows, summary and
// chart of every desk from the central records, read on a thread of the window's own.
#pragma once

#include "centralview.h"
#include "history/dayhistory.h"
#include "history/historyday.h"
#include "history/historysettings.h"

#include <QFileSystemWatcher>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

class CentralReader;
class Clock;
class CentralRowsModel;
class HistoryChartView;
struct CentralSettings;
class QCheckBox;
class Prompts;
class QDateEdit;
class QLabel;
class QListWidget;
class QPushButton;
class QTableView;
class RecordListModel;
struct ExportResult;

class HistoryWindow : public QWidget {
    Q_OBJECT

public:
    HistoryWindow(std::shared_ptr<Prompts> prompts, std::shared_ptr<const Clock> clock,
                  const HistorySettings &settings, QWidget *parent = nullptr);
    ~HistoryWindow() override;

    // The language, unit or alarm limit changed in the main window.
    void setSettings(const HistorySettings &settings);
    // The main window stored records in `dayFile`, or deleted some of it.
    void recordsChanged(const QString &dayFile);
    // A central server is configured: "All desks" shows every desk's days from it.
    void enableAllDesks(const CentralSettings &settings);

    // The day shown, if any.
    const std::optional<HistoryDay> &shownDay() const { return m_shown; }

private:
    void buildLayout();
    void applyLanguage();
    // Finds the days on disk again; the day shown stays chosen while it is there and is brought
    // up to date.
    void rescan();
    void fillDayList();
    void chooseDay(int row);
    // Takes what changed in the shown day's files.
    void refreshShownDay();
    void showFigures();
    void watchShownDay();
    int sizeRecordColumns();
    void unwatch();
    void exportDay();
    void exportRange();
    void tellExportOutcome(const ExportResult &result, const QString &nothingText);
    // All desks (historywindow_central.cpp)
    bool showingAll() const;
    void showAllDesks(bool on);
    void centralDaysRead(const QList<CentralDay> &days, const QString &error);
    void chooseCentralDay(int row);
    void centralDayRead(QDate day, const QList<CentralRow> &rows, const QString &error);
    void showCentralFigures();
    void applyCentralLanguage();

    std::shared_ptr<Prompts> m_prompts;
    // The time a report is made.
    std::shared_ptr<const Clock> m_clock;
    HistorySettings m_settings;
    QList<HistoryDay> m_days;
    bool m_scanned = false;
    std::optional<HistoryDay> m_shown;
    DayHistory m_day;
    RecordListModel *m_model = nullptr;
    QFileSystemWatcher m_watcher;
    // Several file events in a row make one refresh.
    QTimer m_refreshSoon;

    QLabel *m_daysCaption = nullptr;
    QListWidget *m_dayList = nullptr;
    QLabel *m_summary = nullptr;
    QTableView *m_table = nullptr;
    HistoryChartView *m_chart = nullptr;
    QPushButton *m_exportDay = nullptr;
    QLabel *m_fromCaption = nullptr;
    QDateEdit *m_from = nullptr;
    QLabel *m_toCaption = nullptr;
    QDateEdit *m_to = nullptr;
    QPushButton *m_exportRange = nullptr;
    QPushButton *m_close = nullptr;

    // All desks: the reader exists only when a server is configured.
    std::unique_ptr<CentralReader> m_reader;
    QCheckBox *m_allDesks = nullptr;
    CentralRowsModel *m_centralModel = nullptr;
    QList<CentralDay> m_centralDays;
    std::optional<QDate> m_centralShown;
    QString m_centralNote; // loading, an error, or nothing there
};
