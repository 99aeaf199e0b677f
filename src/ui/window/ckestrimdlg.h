// The main window: everything the operator sees of one desk.
//
// It is built from dialog template 102 and routes every control event to one handler
// (WireDispatchTable). The desk itself (the thermometer, its port, the day's records, the list's
// model and the voice) is a Station, which the window owns and draws: a reading's path never
// runs through the window. The handlers read controls, call the Station and write controls.
#pragma once

#include "centralsettings.h"
#include "centralstatus.h"
#include "clock.h"
#include "device/cmscomm.h"
#include "device/settingscommand.h"
#include "device/thermometer.h"
#include "dialogs/prompts.h"
#include "dialogs/resource.h"
#include "history/historysettings.h"
#include "launchoptions.h"
#include "preferences.h"
#include "reception/measurement.h"
#include "records/dayrecords.h"
#include "records/recordmessages.h"
#include "station.h"

#include <QColor>
#include <QDialog>
#include <QDir>
#include <QFont>
#include <QIcon>
#include <QPointer>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>

struct ThermometerModel;

class CMyProgress;
class CentralSender;
class CentralStore;
class QAbstractButton;
class CRaisedButton;
class HistoryWindow;
class PaneStatusBar;
class RecordListModel;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QSlider;
class QTableView;
class SpeechEngine;

// What the window takes from outside; tests put their own parts in.
struct KestrimSeams {
    std::shared_ptr<const Clock> clock = std::make_shared<Clock>();
    std::shared_ptr<Prompts> prompts = std::make_shared<Prompts>();
    // Makes the speech engine; called on the speech worker's thread. Empty: the system's voice.
    std::function<std::unique_ptr<SpeechEngine>()> speechEngine;
    // Makes the central store when Kestrim.ini names a server. Empty: the PostgreSQL store.
    std::function<std::unique_ptr<CentralStore>(const CentralSettings &)> centralStore;
};

class CKestrimDlg : public QDialog {
    Q_OBJECT

public:
    explicit CKestrimDlg(KestrimSeams seams = {}, QWidget *parent = nullptr);
    ~CKestrimDlg() override;

    void setVisible(bool visible) override;
    // How the command line wants the window to start; set before it is first shown.
    void SetLaunchOptions(const LaunchOptions &options) { m_launchOptions = options; }

    // The window's initialisation; runs once, before the window is first shown.
    bool OnInitDialog();
    QIcon OnQueryDragIcon() const { return m_icon; }
    // The thermometer behind the window's port, for reading its state.
    const device::Thermometer &thermometer() const { return *m_thermometer; }
    // The desk the window draws.
    const Station &station() const { return *m_station; }
    // The day's files and index the readings go to.
    const DayRecords &dayRecords() const { return m_station->records(); }
    // The interface language.
    Language language() const { return m_language; }
    // The day the clock and the title line stand at; invalid while the clock gives no time.
    QDate shownDay() const { return QDate(m_year, m_month, m_day); }
    // The header line of a CSV export, in the interface language.
    const QString &csvHeader() const { return m_csvHeader; }

    // Timer 1 keeps the clock; timer 2, the environment query, is the Station's heartbeat.
    static constexpr int kClockTimer = 1;
    static constexpr int kQueryTimer = 2;
    void OnTimer(int id);

    // Pause after a settings report before Connect takes the next click.
    static constexpr int kConnectSettleMs = 500;
    // The height of the window for a model: a model without the bottom band of controls
    // (volume, backlight, output signal type) ends where the band begins, so the status bar
    // lies just under the controls above it and the band is outside the window.
    int heightFor(const ThermometerModel &model) const;
    static inline const QColor kNormalColour{0, 111, 3};
    static inline const QColor kAbnormalColour{245, 3, 3};

    // The status bar's panes, in order.
    static constexpr int kPaneCount = 7;
    static const std::array<int, kPaneCount> kPaneWidths;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void done(int result) override;

private:
    void DestroyWindow();
    void CreateFromTemplate();
    void DoDataExchange();
    void WireDispatchTable();
    void CreateStatusBar();
    void PlaceStatusBar();
    void ProbePorts();
    void OnClockTick();
    void OnQueryTick();
    // The records follow a new day: the date pane and the title line follow it.
    void OnDayChanged(QDate day);
    void ShowTitleLine(const QDate &day);
    void ShowTitleLine();
    void SetUpSpeechControls();
    bool InitialiseCom();
    void SetUpRecordList();
    void WireStation();
    QDate Today() const;
    void ShowIndexFailure(const RecordWrite &write);
    void ShowRecordMessage(RecordMessage message, const QString &path = {},
                           const QString &reason = {});
    template <typename T> T *control(int id) const
    {
        return findChild<T *>(QString::number(id), Qt::FindDirectChildrenOnly);
    }

    // Reception: what the Station has done with a reading, drawn.
    void OnComm(const StoredReading &reading);
    void OnSettingsReport(bool answersConnect);
    void OnConnected();
    void OnModelChanged(MachineType model);
    void OnReportRejected();
    void OnCommandAcknowledged(bool success, SettingField field);
    void OnAcknowledgementMissing(SettingField field);
    void OnCommandRefused(CommandRefusal reason);
    void OnEnvironmentTemperature(float t);
    // The unit, mode, alarm list and bottom-band controls show the thermometer's settings with
    // the operator's pending changes.
    void ShowThermometerSettings();
    void ShowPro(const device::ProSettings &pro);
    // The alarm list and its unit letter in the unit shown.
    void ShowAlarmListInUnit();
    // The last reading and the environment temperature in the thermometer's unit.
    void ShowInUnit();
    // The verdict shown, with its colour and font; None hides it.
    void ShowVerdict(Verdict verdict);
    QFont VerdictFont(Verdict verdict) const;
    void ApplyControlColours();
    // Save As is there whenever the day has records.
    void UpdateSaveAs();

    // Records
    void ShowDamagedIndex(const QString &indexPath);
    void ScrollToNewRecord();

    // Connection
    void OnBnClickedConnect();
    void OnCbnSelchangeCom();
    void OpenConnection();
    void CloseConnection();
    void ShowDisconnected();
    void ShowReconnecting();
    // The Connect button, the COM list, the status text and the settings controls follow the
    // connection's state.
    void ShowConnectionState(device::ConnectionState state);
    void OnConnectionLost(const QString &reason);
    void OnNoAnswer(int portNumber);
    void EnableSettingsControls(bool enable);
    // Settings commands; false when nothing was sent (the operator has been told why).
    bool SendSettingsCommand(SettingField field, int value);
    void SelectUnit(TempUnit unit);
    void SelectMode(WorkMode mode);
    void SelectModel(MachineType machineType);
    void OnBnClickedEnvironmentQuery();
    void OnBnClickedCelsius();
    void OnBnClickedFahrenheit();
    void OnBnClickedSurfaceMode();
    void OnBnClickedBodyMode();
    void OnBnClickedCountMode();
    void OnCbnSelchangeAlarm();
    void OnCbnSelchangeVolume();
    void OnBnClickedBacklightOff();
    void OnBnClickedBacklightOn();
    void OnBnClickedSwitchMode();
    void OnBnClickedPulseMode();
    void OnBnClickedModelR9();
    void OnBnClickedModelR9Pro();
    // Interface language
    void OnBnClickedChinese();
    void OnBnClickedEnglish();
    void SwitchLanguage(Language language);
    void ToggleLanguage();
    // Preferences
    void RestorePreferences(const Preferences &remembered);
    void StorePreferences();
    // Speech
    void RepeatAnnouncement();
    void OnReleasedCaptureSpeed();
    void OnReleasedCaptureVolume();
    // Records
    void OnBnClickedSaveAs();
    void OnNMRClickRecordList(const QPoint &pos);
    void OnSelectDelete();
    void OnDeleteAll();
    // History
    void OnHistory();
    HistorySettings CurrentHistorySettings() const;
    // The language, unit or alarm limit changed: an open history window follows.
    void UpdateHistorySettings();
    // Central store
    void StartCentral();
    void ShowCentralStatus(const CentralStatus &status);
    // With a server: records a deletion about to be made (rows `before` becoming `after`, or the
    // whole file) for the server to mirror; its journal number, 0 for none.
    qint64 JournalCentralDeletion(const QString &dayFile, const RecordRows &before,
                                  const RecordRows &after);
    // The deletion's rewrite of `dayFile` committed (`made`) or failed: the note is marked done
    // or withdrawn, and the sender looks again.
    void FinishCentralDeletion(qint64 number, const QString &dayFile, bool made);

    KestrimSeams m_seams;
    bool m_initialised = false;
    bool m_comInitialised = false;

    QIcon m_icon;
    // A font that is not set leaves the control in the dialog's font.
    std::optional<QFont> m_fontReading, m_fontVerdict, m_fontTitle, m_fontStatus;
    // Backgrounds of the reading and the verdict.
    std::optional<QColor> m_colourReading, m_colourVerdict;
    CRaisedButton *m_buttonSaveAs = nullptr;
    CRaisedButton *m_buttonChinese = nullptr;
    CRaisedButton *m_buttonEnglish = nullptr;
    qint32 m_speechRate = 1;
    qint32 m_speechVolume = 80;
    PaneStatusBar *m_statusBar = nullptr;
    std::array<int, kPaneCount> m_indicators{};
    qint32 m_windowWidth = 0;
    qint32 m_windowHeight = 0;
    QString m_statusText = QStringLiteral("fail");
    Language m_language = Language::English;
    // The desk: port, thermometer, the day's records, the list's model and the voice.
    Station *m_station = nullptr;
    RecordListModel *m_recordModel = nullptr;
    QString m_csvHeader;
    qint32 m_year = 0, m_month = 0, m_day = 0;
    QString m_monthNames = QStringLiteral("Jan,Feb,Mar,Apr,May,Jun,Jul,Aug,Sep,Oct,Nov,Dec");
    QString m_timeText;
    bool m_lastAbnormal = false;
    QString m_commandResult;
    // The verdict on show; None while it is hidden.
    Verdict m_shownVerdict = Verdict::None;

    // The Station's thermometer: its settings, its connection state.
    device::Thermometer *m_thermometer = nullptr;
    // Set while the program itself checks radio buttons, which then send nothing.
    bool m_showingSettings = false;
    // The radio button whose toggle already acted, so that the click that follows does not.
    QAbstractButton *m_toggledRadio = nullptr;
    QTimer m_clockTimer;
    // The pause after a settings report before Connect takes the next click; a disconnect
    // cancels it.
    QTimer m_connectSettleTimer;
    LaunchOptions m_launchOptions;
    // Saved once restored at start, so that a half-restored state never overwrites them.
    bool m_preferencesRestored = false;

    // Controls, bound by DoDataExchange.
    QTableView *m_recordList = nullptr;
    QLabel *m_staticReading = nullptr;
    QLabel *m_staticVerdict = nullptr;
    QLabel *m_staticTitle = nullptr;
    CMscomm *m_serial = nullptr;
    QAbstractButton *m_buttonConnect = nullptr;
    QComboBox *m_comboCom = nullptr;
    QComboBox *m_comboAlarm = nullptr;
    QLabel *m_staticStatus = nullptr;
    QLineEdit *m_editAck = nullptr;
    QLabel *m_staticUnit = nullptr;
    CMyProgress *m_batteryBar = nullptr;
    QComboBox *m_comboVolume = nullptr;
    QLabel *m_staticSpeed = nullptr;
    QLabel *m_staticVolume = nullptr;
    QSlider *m_sliderSpeed = nullptr;
    QSlider *m_sliderVolume = nullptr;
    QMenu *m_recordMenu = nullptr; // menu 145
    QAction *m_actionSelectDelete = nullptr;
    QAction *m_actionDeleteAll = nullptr;
    QAction *m_actionEnglish = nullptr;
    QAction *m_actionChinese = nullptr;
    QAction *m_actionToggleLanguage = nullptr;
    QAction *m_actionRepeat = nullptr;
    QAction *m_actionHistory = nullptr;
    // Open only while the operator has it open; it deletes itself when closed.
    QPointer<HistoryWindow> m_history;
    // The central store, when Kestrim.ini names a server; otherwise none of it exists.
    std::optional<CentralSettings> m_central;
    std::unique_ptr<CentralSender> m_centralSender;
    CentralStatus m_centralStatus;
};
