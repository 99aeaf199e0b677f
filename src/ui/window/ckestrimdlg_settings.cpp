// Changing the thermometer's settings from the window, and choosing its model.
#include "ckestrimdlg.h"

#include "device/interfacetexts.h"
#include "panestatusbar.h"
#include "reception/settingsreport.h"
#include "reception/temperature.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

// The thermometer builds the command from its stored report with one setting changed, and takes
// its effect once sent. A refused command changes nothing (OnCommandRefused).
bool CKestrimDlg::SendSettingsCommand(SettingField field, int value)
{
    const bool sent = m_thermometer->sendCommand(field, value, m_comboAlarm->currentText(),
                                                 m_comboVolume->currentIndex());
    UpdateHistorySettings();
    return sent;
}

void CKestrimDlg::OnBnClickedCelsius()
{
    SelectUnit(TempUnit::Celsius);
}

void CKestrimDlg::OnBnClickedFahrenheit()
{
    SelectUnit(TempUnit::Fahrenheit);
}

// Once the command is sent, the reading, the environment temperature and the alarm list show
// the new unit.
void CKestrimDlg::SelectUnit(TempUnit unit)
{
    m_editAck->clear();
    if (!SendSettingsCommand(SettingUnit, int(unit)))
        return;
    ShowInUnit();
}

void CKestrimDlg::ShowInUnit()
{
    const TempUnit unit = m_thermometer->unit();
    const bool celsius = unit == TempUnit::Celsius;
    m_staticReading->setText(
        TemperatureText(celsius ? m_thermometer->readingC() : m_thermometer->readingF(), unit));
    if (m_thermometer->envTempC() != 0.0f)
        m_statusBar->setPaneText(
            5,
            TemperatureText(celsius ? m_thermometer->envTempC() : m_thermometer->envTempF(), unit));
    m_comboAlarm->clear();
    m_staticUnit->setText(UnitLetter(unit));
    const AlarmChoices choices = UnitAlarmChoices(
        m_thermometer->model(), unit, m_thermometer->alarmLimitC(), m_thermometer->alarmLimitF());
    m_comboAlarm->addItems(choices.entries);
    m_comboAlarm->setCurrentIndex(choices.selected);
    UpdateHistorySettings();
}

void CKestrimDlg::OnBnClickedSurfaceMode()
{
    SelectMode(WorkMode::Surface);
}

void CKestrimDlg::OnBnClickedBodyMode()
{
    SelectMode(WorkMode::Body);
}

void CKestrimDlg::OnBnClickedCountMode()
{
    SelectMode(WorkMode::Count);
}

// Body mode shows the verdict, green until the next reading judges it; surface and count mode
// judge nothing, so the verdict goes away. Only a command sent changes the mode.
void CKestrimDlg::SelectMode(WorkMode mode)
{
    m_editAck->clear();
    if (!SendSettingsCommand(SettingMode, int(mode)))
        return;
    if (mode == WorkMode::Body) {
        m_staticVerdict->show();
        m_colourVerdict = kNormalColour;
        m_fontVerdict = VerdictFont(Verdict::Normal);
        m_staticVerdict->setText(VerdictText(Verdict::Normal, m_language));
        ApplyControlColours();
    } else {
        m_staticVerdict->hide();
    }
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
    SelectModel(MachineType::R9);
}

void CKestrimDlg::OnBnClickedModelR9Pro()
{
    SelectModel(MachineType::R9Pro);
}

// The model decides which settings exist and the alarm range. The R9 has no bottom band of
// controls (volume, backlight, output), so the window ends above it. The alarm list is in the
// unit the thermometer is in, so that the limit chosen from it means what it says.
void CKestrimDlg::SelectModel(MachineType machineType)
{
    m_thermometer->setModel(machineType);
    m_buttonConnect->setEnabled(true);
    if (m_thermometer->isPortOpen())
        EnableSettingsControls(true);
    m_comboAlarm->clear();
    m_comboAlarm->addItems(machineType == MachineType::R9
                               ? SteppedAlarmEntries(37.0f, 38.0f, m_thermometer->unit())
                               : SteppedAlarmEntries(36.0f, 39.0f, m_thermometer->unit()));
    m_comboAlarm->setCurrentIndex(-1);
    resize(m_windowWidth, m_windowHeight - (machineType == MachineType::R9 ? kR9HeightCut : 0));
    StorePreferences();
}
