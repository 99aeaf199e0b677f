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
#include "speech/speechannouncer.h"

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

void CKestrimDlg::OnComm(const QByteArray &bytes)
{
    m_thermometer->receive(bytes);
}

// The thermometer's unit, mode, alarm limit and (on the R9 Pro) bottom band, on the controls.
// Radio buttons checked here send nothing.
void CKestrimDlg::ShowThermometerSettings()
{
    const QScopedValueRollback showing(m_showingSettings, true);
    const device::ThermometerSettings &settings = m_thermometer->settings();
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
    if (m_thermometer->model() == MachineType::R9Pro) {
        if (const std::optional<device::ProSettings> pro = m_thermometer->proSettings())
            ShowPro(*pro);
    }
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

void CKestrimDlg::OnSettingsReport(bool hasPro, const device::ProSettings &pro, bool answersConnect)
{
    ShowThermometerSettings();
    if (hasPro)
        ShowPro(pro);
    RecordSettingsInForce();
    // Asked for again after a refused command: the controls are right again, and that is all.
    if (!answersConnect)
        return;

    PrepareDayRecords();
    m_comboCom->setEnabled(false);
    m_staticStatus->setText(QStringLiteral("success"));
    ApplyControlColours();
    Announce(ConnectedSentence(m_language), SpeechLanguage(m_language));
    // The thermometer needs a moment before it takes the next command; the window stays live.
    m_connectSettleTimer.start();
}

void CKestrimDlg::OnCommandAcknowledged(bool success)
{
    if (success) {
        m_commandResult = QStringLiteral("success");
        m_editAck->setText(m_commandResult);
        RecordSettingsInForce();
        return;
    }
    // The thermometer kept its settings: so do the controls, until its report (asked for again)
    // confirms them.
    m_commandResult = QStringLiteral("fail");
    ShowThermometerSettings();
    ShowInUnit();
    if (m_thermometer->mode() != WorkMode::Body)
        m_staticVerdict->hide();
    m_seams.prompts->message(this, m_commandResult);
}

// Nothing went out: the controls go back to what the thermometer holds, and the operator is
// told why once.
void CKestrimDlg::OnCommandRefused(CommandRefusal reason)
{
    ShowThermometerSettings();
    m_seams.prompts->message(this, CommandRefusalText(reason, m_thermometer->model(), m_language));
}

void CKestrimDlg::RecordSettingsInForce()
{
    const device::ThermometerSettings &now = m_thermometer->settings();
    DaySettingsLine settings;
    settings.model = m_thermometer->model();
    settings.unit = now.unit;
    settings.mode = now.mode;
    settings.alarmLimit = now.unit == TempUnit::Celsius ? now.alarmLimitC : now.alarmLimitF;
    const RecordWrite write =
        m_records.AppendSettings(m_seams.clock->now(), settings, RecordPort());
    if (!write.ok)
        ShowRecordMessage(RecordMessage::SettingsNotStored, write.path, write.error);
}

void CKestrimDlg::OnEnvironmentTemperature(float t)
{
    m_statusBar->setPaneText(5, TemperatureText(t, m_thermometer->unit()));
}

void CKestrimDlg::OnMeasurement(quint16 count)
{
    // One read of the clock: the reading's date and time are those of one instant.
    const QDateTime instant = m_seams.clock->now();
    m_lastAbnormal = false;
    const Measurement m =
        InterpretMeasurement(m_thermometer->measurementSettings(m_language), count);
    m_thermometer->setReading(m.readingC, m.readingF);
    if (m.verdict != Verdict::None)
        m_staticVerdict->show();
    if (!m.sentence.isEmpty())
        Announce(m.sentence, m.speechLanguage);

    const std::optional<QString> line = AppendReading(instant, m.testValue, m.envTemp);

    m_colourReading = m.verdict == Verdict::Abnormal ? kAbnormalColour : kNormalColour;
    m_colourVerdict = m_colourReading;
    m_fontReading = PointFont(kFaceArial, 30);
    if (m.verdict == Verdict::None) {
        m_fontVerdict.reset();
    } else {
        m_fontVerdict = VerdictFont(m.verdict);
        m_staticVerdict->setText(VerdictText(m.verdict, m_language));
    }
    if (m.verdict == Verdict::Abnormal) {
        m_lastAbnormal = true;
        if (line)
            WriteWarningRecord(*line, instant.date());
    }
    if (line)
        emit recordsChanged(m_records.dayFilePath());
    m_staticReading->setText(m.testValue);
    ApplyControlColours();
    if (!m_lastAbnormal)
        m_buttonSaveAs->setEnabled(true);
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
