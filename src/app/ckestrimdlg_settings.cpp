// Changing the thermometer's settings from the window, and choosing its model.
#include "ckestrimdlg.h"

#include "device/interfacetexts.h"
#include "panestatusbar.h"
#include "reception/settingsreport.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

// Builds the command from the stored report with one setting changed and keeps its text as the
// new report. `out` stays empty when no command can be built; the operator is told why.
void CKestrimDlg::BuildSettingsCommand(QByteArray &out, SettingField field, int value)
{
    out.clear();
    SettingsCommandRequest request;
    request.report = m_settingsReport;
    request.field = field;
    request.value = value;
    request.machineType = m_machineType;
    request.alarmText = m_comboAlarm->currentText();
    request.volumeIndex = m_comboVolume->currentIndex();
    request.alarmLimitC = m_alarmLimitC;
    request.alarmLimitF = m_alarmLimitF;
    const SettingsCommand command = ComposeSettingsCommand(request);
    if (command.refusal != CommandRefusal::None) {
        m_seams.prompts->message(this,
                                 CommandRefusalText(command.refusal, m_machineType, m_language));
        return;
    }
    m_settingsReport = command.report;
    m_alarmLimitC = command.alarmLimitC;
    m_alarmLimitF = command.alarmLimitF;
    out = command.frame;
}

// A refused command sends nothing.
void CKestrimDlg::SendSettingsCommand(SettingField field, int value)
{
    QByteArray out;
    BuildSettingsCommand(out, field, value);
    UpdateHistorySettings();
    if (!out.isEmpty())
        SendFrame(out);
}

void CKestrimDlg::OnBnClickedCelsius()
{
    SelectUnit(0);
}

void CKestrimDlg::OnBnClickedFahrenheit()
{
    SelectUnit(1);
}

// The reading, the environment temperature and the alarm list change to the unit at once;
// the thermometer follows with the command.
void CKestrimDlg::SelectUnit(int unit)
{
    const bool celsius = unit == 0;
    m_editAck->clear();
    m_staticReading->setText(celsius ? QString::asprintf("%0.1fC", double(m_readingC))
                                     : QString::asprintf("%0.1fF", double(m_readingF)));
    if (m_envTempC != 0.0f)
        m_statusBar->setPaneText(5, celsius ? QString::asprintf("%0.1fC", double(m_envTempC))
                                            : QString::asprintf("%0.1fF", double(m_envTempF)));
    m_comboAlarm->clear();
    m_staticUnit->setText(celsius ? QStringLiteral("C") : QStringLiteral("F"));
    const AlarmChoices choices =
        UnitAlarmChoices(m_machineType, unit, m_alarmLimitC, m_alarmLimitF);
    m_comboAlarm->addItems(choices.entries);
    m_comboAlarm->setCurrentIndex(choices.selected);
    m_tempUnit = unit;
    SendSettingsCommand(SettingUnit, unit);
}

void CKestrimDlg::OnBnClickedSurfaceMode()
{
    SelectMode(0);
}

void CKestrimDlg::OnBnClickedBodyMode()
{
    SelectMode(1);
}

void CKestrimDlg::OnBnClickedCountMode()
{
    SelectMode(2);
}

// Body mode shows the verdict, green until the next reading judges it; surface and count mode
// judge nothing, so the verdict goes away.
void CKestrimDlg::SelectMode(int mode)
{
    m_editAck->clear();
    if (mode == 1) {
        m_staticVerdict->show();
        m_colourVerdict = kNormalColour;
        m_fontVerdict = VerdictFont(Verdict::Normal);
        m_staticVerdict->setText(VerdictText(Verdict::Normal, m_language));
        ApplyControlColours();
    } else {
        m_staticVerdict->hide();
    }
    m_workMode = mode;
    SendSettingsCommand(SettingMode, mode);
}

void CKestrimDlg::OnCbnSelchangeAlarm()
{
    SendSettingsCommand(SettingAlarmLimit, 0);
}

void CKestrimDlg::OnCbnSelchangeVolume()
{
    SendSettingsCommand(SettingVolume, 0);
}

void CKestrimDlg::OnBnClickedBacklightOff()
{
    SendSettingsCommand(SettingBacklight, 0);
}

void CKestrimDlg::OnBnClickedBacklightOn()
{
    SendSettingsCommand(SettingBacklight, 1);
}

void CKestrimDlg::OnBnClickedSwitchMode()
{
    SendSettingsCommand(SettingOutput, 0);
}

void CKestrimDlg::OnBnClickedPulseMode()
{
    SendSettingsCommand(SettingOutput, 1);
}

void CKestrimDlg::OnBnClickedModelR9()
{
    SelectModel(0);
}

void CKestrimDlg::OnBnClickedModelR9Pro()
{
    SelectModel(1);
}

// The model decides which settings exist and the alarm range. The R9 has no bottom band of
// controls (volume, backlight, output), so the window ends above it.
void CKestrimDlg::SelectModel(int machineType)
{
    m_machineType = machineType;
    m_buttonConnect->setEnabled(true);
    if (m_connected)
        EnableSettingsControls(true);
    m_comboAlarm->clear();
    m_comboAlarm->addItems(machineType == 0 ? SteppedAlarmEntries(37.0f, 38.0f)
                                            : SteppedAlarmEntries(36.0f, 39.0f));
    m_comboAlarm->setCurrentIndex(-1);
    resize(m_windowWidth, m_windowHeight - (machineType == 0 ? kR9HeightCut : 0));
    StorePreferences();
}
