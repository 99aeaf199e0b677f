// Changing the thermometer's settings from the window, and choosing its model.
#include "ckestrimdlg.h"

#include "device/interfacetexts.h"
#include "panestatusbar.h"
#include "reception/settingsreport.h"
#include "reception/temperature.h"
#include "thermometermodel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

// The thermometer builds the command from the settings it confirmed with the waiting changes on
// top, and takes its effect once the thermometer accepts it. Until then the controls show the
// operator's choice as pending; a refused command changes nothing (OnCommandRefused).
bool CKestrimDlg::SendSettingsCommand(SettingField field, int value)
{
    return m_thermometer->sendCommand(field, value, m_comboAlarm->currentText(),
                                      m_comboVolume->currentIndex());
}

void CKestrimDlg::OnBnClickedCelsius()
{
    SelectUnit(TempUnit::Celsius);
}

void CKestrimDlg::OnBnClickedFahrenheit()
{
    SelectUnit(TempUnit::Fahrenheit);
}

// The alarm list and its unit letter follow the unit chosen at once; the reading and the
// environment temperature follow once the thermometer has taken it (OnCommandAcknowledged).
void CKestrimDlg::SelectUnit(TempUnit unit)
{
    m_editAck->clear();
    if (!SendSettingsCommand(SettingUnit, int(unit)))
        return;
    ShowAlarmListInUnit();
}

void CKestrimDlg::ShowAlarmListInUnit()
{
    const device::ThermometerSettings shown = m_thermometer->shownSettings();
    m_comboAlarm->clear();
    m_staticUnit->setText(UnitLetter(shown.unit));
    const AlarmChoices choices =
        UnitAlarmChoices(m_thermometer->model(), shown.unit, shown.alarmLimitC, shown.alarmLimitF);
    m_comboAlarm->addItems(choices.entries);
    m_comboAlarm->setCurrentIndex(choices.selected);
}

// The last reading and the environment temperature in the unit the thermometer is in; a count
// stays a count.
void CKestrimDlg::ShowInUnit()
{
    const TempUnit unit = m_thermometer->unit();
    const bool celsius = unit == TempUnit::Celsius;
    const std::optional<StoredReading> &last = m_station->lastReading();
    if (last && last->measurement.isTemperature())
        m_staticReading->setText(TemperatureText(
            celsius ? last->measurement.readingC : last->measurement.readingF, unit));
    if (m_thermometer->hasEnvironment())
        m_statusBar->setPaneText(
            5,
            TemperatureText(celsius ? m_thermometer->envTempC() : m_thermometer->envTempF(), unit));
    ShowAlarmListInUnit();
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
// judge nothing, so the verdict goes away, once the thermometer has taken the mode.
void CKestrimDlg::SelectMode(WorkMode mode)
{
    m_editAck->clear();
    SendSettingsCommand(SettingMode, int(mode));
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

// The model decides which settings exist and the alarm range. A model without the bottom band
// of controls (volume, backlight, output) has a window that ends where the band begins. The alarm
// list is in the unit the thermometer is in, so that the limit chosen from it means what it says.
void CKestrimDlg::SelectModel(MachineType machineType)
{
    const ThermometerModel &model = ModelOf(machineType);
    m_thermometer->setModel(machineType);
    m_buttonConnect->setEnabled(true);
    if (m_thermometer->isPortOpen())
        EnableSettingsControls(true);
    m_comboAlarm->clear();
    m_comboAlarm->addItems(
        SteppedAlarmEntries(model.steppedFirstC, model.steppedLastC, m_thermometer->unit()));
    m_comboAlarm->setCurrentIndex(-1);
    resize(m_windowWidth, heightFor(model));
    StorePreferences();
}

int CKestrimDlg::heightFor(const ThermometerModel &model) const
{
    if (model.hasBottomBand() || !m_statusBar)
        return m_windowHeight;
    int bandTop = m_windowHeight;
    for (const int id :
         {IDC_STATIC_DEVICE_VOLUME, IDC_COMBO_VOLUME, IDC_GROUP_BACKLIGHT, IDC_GROUP_OUTPUT_SIGNAL})
        bandTop = std::min(bandTop, control<QWidget>(id)->geometry().top());
    return bandTop + m_statusBar->sizeHint().height();
}
