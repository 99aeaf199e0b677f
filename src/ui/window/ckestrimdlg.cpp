#include "ckestrimdlg.h"

#include "centralsender.h"
#include "controls/cmyprogress.h"
#include "controls/craisedbutton.h"
#include "device/interfacetexts.h"
#include "dialogs/dialogbuilder.h"
#include "dialogs/dialogtemplate.h"
#include "logging.h"
#include "panestatusbar.h"
#include "records/recordlistmodel.h"
#include "releasedcapture.h"
#include "speech/speechannouncer.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTableView>

namespace {

constexpr int kMainTemplate = IDD_KESTRIM_DIALOG;
constexpr int kRecordListMenu = IDR_MENU_RECORD_LIST;
constexpr int kFirstIndicator = 1001;

// The controls that are the program's own classes rather than standard ones.
QWidget *CreateCustomControl(const DialogControl &control, QWidget *parent)
{
    switch (control.id) {
    case IDC_BUTTON_SAVE_AS:
    case IDC_BUTTON_CHINESE:
    case IDC_BUTTON_ENGLISH: {
        auto *button = new CRaisedButton(parent);
        button->setText(control.caption);
        button->setAutoDefault(false);
        return button;
    }
    case IDC_PROGRESS_BATTERY:
        return new CMyProgress(parent);
    default:
        return nullptr;
    }
}

} // namespace

const std::array<int, CKestrimDlg::kPaneCount> CKestrimDlg::kPaneWidths{80,  70, 80, 60,
                                                                        110, 40, 40};

CKestrimDlg::CKestrimDlg(KestrimSeams seams, QWidget *parent)
    : QDialog(parent)
    , m_seams(std::move(seams))
    , m_icon(QStringLiteral(":/images/kestrim.png"))
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    m_station = new Station({m_seams.clock, m_seams.speechEngine}, this);
    m_station->port().setObjectName(QString::number(IDC_SERIAL));
    m_serial = &m_station->port();
    m_recordModel = m_station->listModel();
    m_thermometer = &m_station->thermometer();
    m_connectSettleTimer.setSingleShot(true);
    m_connectSettleTimer.setInterval(kConnectSettleMs);
    CreateFromTemplate();
    DoDataExchange();
    WireDispatchTable();
}

CKestrimDlg::~CKestrimDlg()
{
    DestroyWindow();
}

void CKestrimDlg::CreateFromTemplate()
{
    DialogBuilder(LoadDialogTemplate(kMainTemplate), CreateCustomControl).build(this);

    // Only the popup's items are shown; its caption never is.
    const MenuTemplate menu = LoadMenuTemplate(kRecordListMenu);
    m_recordMenu = new QMenu(menu.popupCaption, this);
    m_recordMenu->setObjectName(QString::number(kRecordListMenu));
    for (const MenuItem &item : menu.items) {
        QAction *action = m_recordMenu->addAction(item.caption);
        action->setObjectName(QString::number(item.command));
        (item.command == ID_SELECT_DELETE ? m_actionSelectDelete : m_actionDeleteAll) = action;
    }
    // Beyond the two record commands: the history of earlier days, the interface language and
    // the last announcement again, also on the keyboard (Ctrl+H history, Ctrl+L switches the
    // language, F5 repeats).
    m_recordMenu->addSeparator();
    m_actionHistory = m_recordMenu->addAction(QStringLiteral("History…"));
    m_actionHistory->setObjectName(QStringLiteral("history"));
    m_actionHistory->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    m_actionHistory->setShortcutContext(Qt::WindowShortcut);
    addAction(m_actionHistory);
    QMenu *language = m_recordMenu->addMenu(QStringLiteral("Language"));
    m_actionEnglish = language->addAction(QStringLiteral("English"));
    m_actionChinese = language->addAction(QStringLiteral("中文"));
    m_actionRepeat = m_recordMenu->addAction(QStringLiteral("Repeat Announcement"));
    m_actionRepeat->setShortcut(QKeySequence(Qt::Key_F5));
    m_actionRepeat->setShortcutContext(Qt::WindowShortcut);
    addAction(m_actionRepeat);
    m_actionToggleLanguage = new QAction(this);
    m_actionToggleLanguage->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    addAction(m_actionToggleLanguage);
}

void CKestrimDlg::DoDataExchange()
{
    const auto bind = [this](auto *&member, int id) {
        using Widget = std::remove_pointer_t<std::remove_reference_t<decltype(member)>>;
        member = findChild<Widget *>(QString::number(id), Qt::FindDirectChildrenOnly);
        Q_ASSERT_X(member, "DoDataExchange", qPrintable(QString::number(id)));
    };
    bind(m_recordList, IDC_LIST_RECORDS);
    bind(m_staticReading, IDC_STATIC_READING);
    bind(m_staticVerdict, IDC_STATIC_VERDICT);
    bind(m_staticTitle, IDC_STATIC_TITLE);
    bind(m_buttonConnect, IDC_BUTTON_CONNECT);
    bind(m_comboCom, IDC_COMBO_COM);
    bind(m_comboAlarm, IDC_COMBO_ALARM);
    bind(m_staticStatus, IDC_STATIC_STATUS);
    bind(m_editAck, IDC_EDIT_ACK);
    bind(m_staticUnit, IDC_STATIC_UNIT);
    bind(m_batteryBar, IDC_PROGRESS_BATTERY);
    bind(m_comboVolume, IDC_COMBO_VOLUME);
    bind(m_staticSpeed, IDC_STATIC_SPEECH_SPEED);
    bind(m_staticVolume, IDC_STATIC_SPEECH_VOLUME);
    bind(m_sliderSpeed, IDC_SLIDER_SPEECH_SPEED);
    bind(m_sliderVolume, IDC_SLIDER_SPEECH_VOLUME);
    bind(m_buttonSaveAs, IDC_BUTTON_SAVE_AS);
    bind(m_buttonChinese, IDC_BUTTON_CHINESE);
    bind(m_buttonEnglish, IDC_BUTTON_ENGLISH);
}

// Every event the window answers, and its handler, in one place.
void CKestrimDlg::WireDispatchTable()
{
    const auto button = [this](int id) {
        return findChild<QAbstractButton *>(QString::number(id), Qt::FindDirectChildrenOnly);
    };
    const auto onClick = [&](int id, void (CKestrimDlg::*handler)()) {
        connect(button(id), &QAbstractButton::clicked, this, handler);
    };
    // A radio button acts when the operator checks it: by a click, by the keyboard, or through
    // the accessibility interface's toggle action (which never clicks). A click on the radio
    // that is already checked acts as well; the program's own checking never does.
    const auto onRadio = [&](int id, void (CKestrimDlg::*handler)()) {
        QAbstractButton *radio = button(id);
        connect(radio, &QAbstractButton::toggled, this, [this, radio, handler](bool checked) {
            if (!checked || m_showingSettings)
                return;
            m_toggledRadio = radio;
            // A click toggles, then reports the click, in one go; the click is then no news.
            QMetaObject::invokeMethod(
                this, [this] { m_toggledRadio = nullptr; }, Qt::QueuedConnection);
            (this->*handler)();
        });
        connect(radio, &QAbstractButton::clicked, this, [this, radio, handler] {
            if (m_toggledRadio == radio) {
                m_toggledRadio = nullptr;
                return;
            }
            (this->*handler)();
        });
    };
    const auto onSelect = [this](QComboBox *combo, void (CKestrimDlg::*handler)()) {
        connect(combo, &QComboBox::activated, this, handler);
    };

    // Painting: the window draws nothing itself; the controls (CRaisedButton included) paint
    // themselves. The drag icon is OnQueryDragIcon.
    connect(&m_clockTimer, &QTimer::timeout, this, [this] { OnTimer(kClockTimer); });
    connect(&m_connectSettleTimer, &QTimer::timeout, m_buttonConnect,
            [this] { m_buttonConnect->setEnabled(true); });
    // Control colours are set on the controls whenever the state behind them changes.
    // Device arrival and removal do not re-list the ports; a lost port is connectionLost below.
    onClick(IDC_BUTTON_CONNECT, &CKestrimDlg::OnBnClickedConnect);
    onSelect(m_comboCom, &CKestrimDlg::OnCbnSelchangeCom);
    onClick(IDC_BUTTON_ENVIRONMENT, &CKestrimDlg::OnBnClickedEnvironmentQuery);
    onClick(IDC_BUTTON_CHINESE, &CKestrimDlg::OnBnClickedChinese);
    onClick(IDC_BUTTON_ENGLISH, &CKestrimDlg::OnBnClickedEnglish);
    onRadio(IDC_RADIO_CELSIUS, &CKestrimDlg::OnBnClickedCelsius);
    onRadio(IDC_RADIO_FAHRENHEIT, &CKestrimDlg::OnBnClickedFahrenheit);
    onRadio(IDC_RADIO_SURFACE_MODE, &CKestrimDlg::OnBnClickedSurfaceMode);
    onRadio(IDC_RADIO_BODY_MODE, &CKestrimDlg::OnBnClickedBodyMode);
    onRadio(IDC_RADIO_COUNT_MODE, &CKestrimDlg::OnBnClickedCountMode);
    onSelect(m_comboAlarm, &CKestrimDlg::OnCbnSelchangeAlarm);
    onSelect(m_comboVolume, &CKestrimDlg::OnCbnSelchangeVolume);
    onRadio(IDC_RADIO_BACKLIGHT_OFF, &CKestrimDlg::OnBnClickedBacklightOff);
    onRadio(IDC_RADIO_BACKLIGHT_ON, &CKestrimDlg::OnBnClickedBacklightOn);
    onRadio(IDC_RADIO_SWITCH_MODE, &CKestrimDlg::OnBnClickedSwitchMode);
    onRadio(IDC_RADIO_PULSE_MODE, &CKestrimDlg::OnBnClickedPulseMode);
    onRadio(IDC_RADIO_R9, &CKestrimDlg::OnBnClickedModelR9);
    onRadio(IDC_RADIO_R9_PRO, &CKestrimDlg::OnBnClickedModelR9Pro);
    connect(new ReleasedCapture(m_sliderSpeed), &ReleasedCapture::released, this,
            &CKestrimDlg::OnReleasedCaptureSpeed);
    connect(new ReleasedCapture(m_sliderVolume), &ReleasedCapture::released, this,
            &CKestrimDlg::OnReleasedCaptureVolume);
    onClick(IDC_BUTTON_SAVE_AS, &CKestrimDlg::OnBnClickedSaveAs);
    m_recordList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_recordList, &QWidget::customContextMenuRequested, this,
            &CKestrimDlg::OnNMRClickRecordList);
    connect(m_actionSelectDelete, &QAction::triggered, this, &CKestrimDlg::OnSelectDelete);
    connect(m_actionDeleteAll, &QAction::triggered, this, &CKestrimDlg::OnDeleteAll);
    connect(m_actionEnglish, &QAction::triggered, this, &CKestrimDlg::OnBnClickedEnglish);
    connect(m_actionChinese, &QAction::triggered, this, &CKestrimDlg::OnBnClickedChinese);
    connect(m_actionToggleLanguage, &QAction::triggered, this, &CKestrimDlg::ToggleLanguage);
    connect(m_actionRepeat, &QAction::triggered, this, &CKestrimDlg::RepeatAnnouncement);
    connect(m_actionHistory, &QAction::triggered, this, &CKestrimDlg::OnHistory);
    WireStation();
}

// What the desk does, drawn: every reading, the thermometer's answers, the port's fate.
void CKestrimDlg::WireStation()
{
    connect(m_comboCom, &QComboBox::currentIndexChanged, m_station,
            [this](int index) { m_station->setFallbackPort(index + 1); });
    connect(m_station, &Station::readingStored, this, &CKestrimDlg::OnComm);
    connect(m_station, &Station::readingNotStored, this, &CKestrimDlg::OnComm);
    connect(m_station, &Station::recordProblem, this,
            [this](RecordMessage message, const QString &path, const QString &reason) {
                ShowRecordMessage(message, path, reason);
            });
    connect(m_station, &Station::damagedIndex, this, &CKestrimDlg::ShowDamagedIndex);
    connect(m_station, &Station::dayChanged, this, &CKestrimDlg::OnDayChanged);
    connect(m_station, &Station::connected, this, &CKestrimDlg::OnConnected);
    connect(m_station, &Station::portLost, this, &CKestrimDlg::OnConnectionLost);
    connect(m_station, &Station::noAnswer, this, &CKestrimDlg::OnNoAnswer);
    using device::Thermometer;
    connect(m_thermometer, &Thermometer::stateChanged, this, &CKestrimDlg::ShowConnectionState);
    connect(m_thermometer, &Thermometer::reportApplied, this, &CKestrimDlg::OnSettingsReport);
    connect(m_thermometer, &Thermometer::modelChanged, this, &CKestrimDlg::OnModelChanged);
    connect(m_thermometer, &Thermometer::reportRejected, this, &CKestrimDlg::OnReportRejected);
    connect(m_thermometer, &Thermometer::commandPending, this,
            [this] { ShowThermometerSettings(); });
    connect(m_thermometer, &Thermometer::acknowledged, this, &CKestrimDlg::OnCommandAcknowledged);
    connect(m_thermometer, &Thermometer::acknowledgementMissing, this,
            &CKestrimDlg::OnAcknowledgementMissing);
    connect(m_thermometer, &Thermometer::commandRefused, this, &CKestrimDlg::OnCommandRefused);
    connect(m_thermometer, &Thermometer::environment, this, &CKestrimDlg::OnEnvironmentTemperature);
    connect(m_recordModel, &RecordListModel::modelReset, this, &CKestrimDlg::UpdateSaveAs);
    connect(m_recordModel, &RecordListModel::rowsInserted, this, &CKestrimDlg::UpdateSaveAs);
    connect(m_recordModel, &RecordListModel::rowsRemoved, this, &CKestrimDlg::UpdateSaveAs);
}

void CKestrimDlg::setVisible(bool visible)
{
    if (visible && !m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
}

// Enter and Escape never end the recording: the list takes the focus at every reading, and a
// stray key (or a keyboard-wedge scanner) must not close the window. Enter on a focused push
// button clicks it.
void CKestrimDlg::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto *focused = qobject_cast<QPushButton *>(focusWidget()))
            focused->click();
        return;
    }
    if (event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}

// Closing the window ends the recording: while a thermometer is connected (or waited for),
// the operator is asked first.
void CKestrimDlg::closeEvent(QCloseEvent *event)
{
    if (m_thermometer->state() != device::ConnectionState::Closed &&
        !m_seams.prompts->question(this, windowTitle(),
                                   Texts::kCloseWhileConnected.in(m_language))) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CKestrimDlg::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    PlaceStatusBar();
}

// Timer 1: the clock, and the date the day's records follow.
void CKestrimDlg::OnClockTick()
{
    const QDateTime now = m_seams.clock->now();
    m_timeText = now.toString(QStringLiteral("HH:mm:ss"));
    if (m_statusBar)
        m_statusBar->setPaneText(3, m_timeText);
    const QDate today = now.isValid() ? now.date() : QDate();
    m_year = today.isValid() ? today.year() : 0;
    m_month = today.isValid() ? today.month() : 0;
    m_day = today.isValid() ? today.day() : 0;
    m_station->checkDay();
}

void CKestrimDlg::CreateStatusBar()
{
    QList<int> ids, widths;
    QStringList texts;
    for (int i = 0; i < kPaneCount; ++i) {
        m_indicators[i] = kFirstIndicator + i;
        ids.append(m_indicators[i]);
        widths.append(kPaneWidths[i]);
        texts.append(LoadResourceString(m_indicators[i]));
    }
    m_statusBar = new PaneStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("statusBar"));
    m_statusBar->setIndicators(ids, widths, texts);
    m_statusBar->setPaneText(0, QStringLiteral("Current Date："));
    m_statusBar->setPaneText(1, dayRecords().dateText());
    m_statusBar->setPaneText(2, QStringLiteral("Current Time："));
    m_statusBar->setPaneText(4, QStringLiteral("Environment Temp.："));
    m_statusBar->setPaneText(5, QStringLiteral("-----"));
    m_statusBar->show();
    PlaceStatusBar();
}

// The status bar takes its place at the bottom of the client area.
void CKestrimDlg::PlaceStatusBar()
{
    if (!m_statusBar)
        return;
    const int height = m_statusBar->sizeHint().height();
    m_statusBar->setGeometry(0, this->height() - height, width(), height);
    m_statusBar->raise();
}
