// Acting on the frames the thermometer sends.
#include "ckestrimdlg.h"

#include "controls/craisedbutton.h"
#include "controls/fonts.h"
#include "device/interfacetexts.h"
#include "logging.h"
#include "panestatusbar.h"
#include "reception/measurement.h"
#include "reception/settingsreport.h"
#include "reception/temperature.h"
#include "records/recordlistmodel.h"
#include "thermometermodel.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopedValueRollback>

namespace {

// Ticks a radio button of an exclusive group, or clears the whole group for id -1.
void CheckRadio(QWidget *window, QList<int> group, int checkedId)
{
    auto *first = window->findChild<QRadioButton *>(QString::number(group.first()));
    QButtonGroup *buttons = first->group();
    if (checkedId < 0) {
        buttons->setExclusive(false);
        for (int id : group)
            window->findChild<QRadioButton *>(QString::number(id))->setChecked(false);
        buttons->setExclusive(true);
        return;
    }
    window->findChild<QRadioButton *>(QString::number(checkedId))->setChecked(true);
}

// The mode's radio button; -1 for a mode the window does not know.
int ModeRadio(WorkMode mode)
{
    switch (mode) {
    case WorkMode::Surface:
        return IDC_RADIO_SURFACE_MODE;
    case WorkMode::Body:
        return IDC_RADIO_BODY_MODE;
    case WorkMode::Count:
        return IDC_RADIO_COUNT_MODE;
    }
    return -1;
}

} // namespace

// A reading came from the thermometer and the desk has taken it: the reading, its verdict and
// (once stored) its row in the list are drawn.
void CKestrimDlg::OnComm(const StoredReading &reading)
{
    const Measurement &m = reading.measurement;
    m_lastAbnormal = m.verdict == Verdict::Abnormal;
    if (reading.stored)
        ScrollToNewRecord();
    m_colourReading = m_lastAbnormal ? kAbnormalColour : kNormalColour;
    m_fontReading = PointFont(kFaceArial, 30);
    // A reading with no verdict leaves the verdict as it stands (surface and count mode hide it).
    if (m.verdict != Verdict::None)
        ShowVerdict(m.verdict);
    m_staticReading->setText(m.testValue);
    ApplyControlColours();
}

// The thermometer's unit, mode, alarm limit and (on models with them) bottom band, with the
// operator's pending changes on top, on the controls. Radio buttons checked here send nothing.
void CKestrimDlg::ShowThermometerSettings()
{
    const QScopedValueRollback showing(m_showingSettings, true);
    const device::ThermometerSettings settings = m_thermometer->shownSettings();
    if (settings.report.isEmpty()) {
        // Nothing known yet: no unit or mode is shown as the thermometer's.
        CheckRadio(this, {IDC_RADIO_CELSIUS, IDC_RADIO_FAHRENHEIT}, -1);
        CheckRadio(this, {IDC_RADIO_SURFACE_MODE, IDC_RADIO_BODY_MODE, IDC_RADIO_COUNT_MODE}, -1);
        return;
    }
    CheckRadio(this, {IDC_RADIO_CELSIUS, IDC_RADIO_FAHRENHEIT},
               settings.unit != TempUnit::Celsius ? IDC_RADIO_FAHRENHEIT : IDC_RADIO_CELSIUS);
    CheckRadio(this, {IDC_RADIO_SURFACE_MODE, IDC_RADIO_BODY_MODE, IDC_RADIO_COUNT_MODE},
               ModeRadio(settings.mode));
    const AlarmChoices choices = ReportAlarmChoices(m_thermometer->model(), settings.unit,
                                                    settings.alarmLimitC, settings.alarmLimitF);
    m_comboAlarm->clear();
    m_comboAlarm->addItems(choices.entries);
    m_comboAlarm->setCurrentIndex(choices.selected);
    m_staticUnit->setText(UnitLetter(settings.unit));
    if (const std::optional<device::ProSettings> pro = m_thermometer->proSettings())
        ShowPro(*pro);
    UpdateHistorySettings();
}

void CKestrimDlg::ShowPro(const device::ProSettings &pro)
{
    const QScopedValueRollback showing(m_showingSettings, true);
    m_comboVolume->setCurrentIndex(pro.volume < m_comboVolume->count() ? pro.volume : -1);
    CheckRadio(this, {IDC_RADIO_BACKLIGHT_OFF, IDC_RADIO_BACKLIGHT_ON},
               pro.backlight == 0 ? IDC_RADIO_BACKLIGHT_OFF : IDC_RADIO_BACKLIGHT_ON);
    CheckRadio(this, {IDC_RADIO_SWITCH_MODE, IDC_RADIO_PULSE_MODE},
               pro.output == 0 ? IDC_RADIO_SWITCH_MODE : IDC_RADIO_PULSE_MODE);
}

// A report, asked for at Connect or again after a refused command, decides what the settings
// controls show; the reading and the verdict stay as the last reading left them.
void CKestrimDlg::OnSettingsReport(bool /*answersConnect*/)
{
    ShowThermometerSettings();
}

// The thermometer answered the operator's Connect; the desk has readied the day's records.
void CKestrimDlg::OnConnected()
{
    m_comboCom->setEnabled(false);
    m_staticStatus->setText(QStringLiteral("success"));
    ApplyControlColours();
    // The thermometer needs a moment before it takes the next command; the window stays live.
    m_connectSettleTimer.start();
}

// The report was of the other model: the window takes that model's shape, and the operator is
// told once.
void CKestrimDlg::OnModelChanged(MachineType model)
{
    {
        const QScopedValueRollback showing(m_showingSettings, true);
        control<QAbstractButton>(ModelOf(model).hasBottomBand() ? IDC_RADIO_R9_PRO : IDC_RADIO_R9)
            ->setChecked(true);
    }
    resize(m_windowWidth, heightFor(ModelOf(model)));
    EnableSettingsControls(m_thermometer->isPortOpen());
    StorePreferences();
    m_seams.prompts->message(this, ModelFollowsReportText(model, m_language),
                             QStringLiteral("model"));
}

void CKestrimDlg::OnReportRejected()
{
    m_seams.prompts->message(this, Texts::kReportRejected.in(m_language),
                             QStringLiteral("report rejected"));
}

// The command in flight was taken: its effect shows. A new unit redraws the reading and the
// environment temperature in it; a new mode shows or hides the verdict.
void CKestrimDlg::OnCommandAcknowledged(bool success, SettingField field)
{
    if (!success) {
        // The thermometer kept its settings: so do the controls, until its report (asked for
        // again) confirms them. The reading and the verdict stay as they are.
        m_commandResult = QStringLiteral("fail");
        ShowThermometerSettings();
        m_seams.prompts->message(this, m_commandResult);
        return;
    }
    m_commandResult = QStringLiteral("success");
    m_editAck->setText(m_commandResult);
    if (field == SettingUnit)
        ShowInUnit();
    else if (field == SettingMode)
        ShowVerdict(m_thermometer->mode() == WorkMode::Body ? Verdict::Normal : Verdict::None);
    UpdateHistorySettings();
}

void CKestrimDlg::OnAcknowledgementMissing(SettingField /*field*/)
{
    m_commandResult = QStringLiteral("fail");
    ShowThermometerSettings();
    m_seams.prompts->message(this, Texts::kNoAcknowledgement.in(m_language),
                             QStringLiteral("no acknowledgement"));
}

// Nothing went out: the controls go back to what the thermometer holds, and the operator is
// told why once.
void CKestrimDlg::OnCommandRefused(CommandRefusal reason)
{
    ShowThermometerSettings();
    m_seams.prompts->message(this, CommandRefusalText(reason, m_thermometer->model(), m_language));
}

void CKestrimDlg::OnEnvironmentTemperature(float t)
{
    m_statusBar->setPaneText(5, TemperatureText(t, m_thermometer->unit()));
}

// The verdict as the operator sees it: its text in the interface language on its colour, or
// hidden.
void CKestrimDlg::ShowVerdict(Verdict verdict)
{
    m_shownVerdict = verdict;
    if (verdict == Verdict::None) {
        m_staticVerdict->hide();
        return;
    }
    m_staticVerdict->show();
    m_colourVerdict = verdict == Verdict::Abnormal ? kAbnormalColour : kNormalColour;
    m_fontVerdict = VerdictFont(verdict);
    m_staticVerdict->setText(VerdictText(verdict, m_language));
    ApplyControlColours();
}

// The verdict's face and size depend on the language and the verdict's length.
QFont CKestrimDlg::VerdictFont(Verdict verdict) const
{
    if (m_language == Language::Chinese)
        return PointFont(kFaceHeiti, 30);
    return PointFont(kFaceArial, verdict == Verdict::Abnormal ? 20 : 25);
}

// The colours and fonts of the reading, the verdict, the title line and the status text follow
// the state behind them.
void CKestrimDlg::ApplyControlColours()
{
    const auto paint = [](QLabel *label, const std::optional<QColor> &background,
                          const QColor &text, const std::optional<QFont> &font) {
        QPalette palette = label->palette();
        if (background)
            palette.setColor(QPalette::Window, *background);
        palette.setColor(QPalette::WindowText, text);
        label->setAutoFillBackground(background.has_value());
        label->setPalette(palette);
        label->setFont(font ? *font : label->parentWidget()->font());
    };
    paint(m_staticVerdict, m_colourVerdict, Qt::white, m_fontVerdict);
    paint(m_staticReading, m_colourReading, Qt::white, m_fontReading);
    paint(m_staticTitle, std::nullopt, Qt::black, m_fontTitle);
    paint(m_staticStatus, std::nullopt,
          m_thermometer->isPortOpen() ? QColor(0, 255, 0) : QColor(255, 0, 0), m_fontStatus);
}
