// The history of every recorded day, in a window of its own beside this one.
#include "ckestrimdlg.h"

#include "historywindow/historywindow.h"

#include <QSysInfo>

// One history window at a time: asking again brings the open one to the front.
void CKestrimDlg::OnHistory()
{
    if (!m_history) {
        m_history =
            new HistoryWindow(m_seams.prompts, m_seams.clock, CurrentHistorySettings(), this);
        connect(m_station, &Station::recordsChanged, m_history, &HistoryWindow::recordsChanged);
        if (m_central)
            m_history->enableAllDesks(*m_central);
    }
    m_history->show();
    m_history->raise();
    m_history->activateWindow();
}

HistorySettings CKestrimDlg::CurrentHistorySettings() const
{
    HistorySettings settings;
    settings.language = m_language;
    settings.tempUnit = m_thermometer->unit();
    settings.alarmLimit = m_thermometer->unit() == TempUnit::Fahrenheit
                              ? m_thermometer->alarmLimitF()
                              : m_thermometer->alarmLimitC();
    settings.desk = m_central ? m_central->desk : QSysInfo::machineHostName();
    return settings;
}

void CKestrimDlg::UpdateHistorySettings()
{
    if (m_history)
        m_history->setSettings(CurrentHistorySettings());
}
