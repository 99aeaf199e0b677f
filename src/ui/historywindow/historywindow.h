// The history window: every recorded day on the left, newest first; for the day chosen, its
// rows, its summary line and its chart on the right; the day or a range of days exported.
//
// It draws a HistoryDaySource: this desk's day files always (LocalDaySource), and, with a
// central server configured, "All desks" swaps in every desk's records (CentralDaySource). The
// exports are of this desk's day files. The window is not modal and exists only while open (it
// deletes itself when closed), so a closed history costs nothing.
#pragma once

#include "history/historyday.h"
#include "history/historysettings.h"

#include <QWidget>

#include <memory>
#include <optional>

class CentralDaySource;
class Clock;
class HistoryChartView;
class HistoryDaySource;
class LocalDaySource;
struct CentralSettings;
class QCheckBox;
class Prompts;
class QDateEdit;
class QLabel;
class QListWidget;
class QPushButton;
class QTableView;
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

    // This desk's day shown (or shown when "All desks" is off), if any.
    const std::optional<HistoryDay> &shownDay() const;

private:
    void buildLayout();
    void applyLanguage();
    // Shows `source` in place of the one shown, and reads its days afresh.
    void showSource(HistoryDaySource *source);
    void fillDayList();
    void showDayChange();
    void showFigures();
    // The export range follows this desk's days.
    void followLocalDays();
    void enableExports();
    void exportDay();
    void exportRange();
    void tellExportOutcome(const ExportResult &result, const QString &nothingText);

    std::shared_ptr<Prompts> m_prompts;
    // The time a report is made.
    std::shared_ptr<const Clock> m_clock;
    HistorySettings m_settings;
    std::unique_ptr<LocalDaySource> m_local;
    // Only when a server is configured.
    std::unique_ptr<CentralDaySource> m_central;
    HistoryDaySource *m_source = nullptr;
    QList<QMetaObject::Connection> m_sourceConnections;
    // The export range has been set from a list of this desk's days.
    bool m_rangeSet = false;
    // The table was scrolled to its end when rows were about to be added.
    bool m_tableAtEnd = false;

    QLabel *m_daysCaption = nullptr;
    QListWidget *m_dayList = nullptr;
    QCheckBox *m_allDesks = nullptr;
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
};
