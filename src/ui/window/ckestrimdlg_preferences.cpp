// The operator's choices kept between runs (Kestrim.ini), and the command line's wishes.
#include "ckestrimdlg.h"

#include "logging.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGuiApplication>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTimer>

// The command line wins over what was remembered. The remembered port is taken when it opens
// (else the probe's choice stands), and the window goes where it stood when that is still on
// a screen.
void CKestrimDlg::RestorePreferences(const Preferences &remembered)
{
    if (remembered.windowPosition && QGuiApplication::screenAt(*remembered.windowPosition))
        move(*remembered.windowPosition);
    if (m_launchOptions.port > 0)
        m_comboCom->setCurrentIndex(m_launchOptions.port - 1);
    else if (remembered.port > 0 && CMscomm::CanOpen(m_serial->portMap().device(remembered.port)))
        m_comboCom->setCurrentIndex(remembered.port - 1);
    if (remembered.machineType == MachineType::R9) {
        const QScopedValueRollback showing(m_showingSettings, true);
        control<QAbstractButton>(IDC_RADIO_R9)->setChecked(true);
        SelectModel(MachineType::R9);
    }
    const Language language = m_launchOptions.language.value_or(remembered.language);
    if (language != m_language)
        SwitchLanguage(language);
    m_preferencesRestored = true;
    StorePreferences();
    if (m_launchOptions.connect)
        QTimer::singleShot(0, this, &CKestrimDlg::OnBnClickedConnect);
}

void CKestrimDlg::StorePreferences()
{
    if (!m_preferencesRestored)
        return;
    Preferences chosen;
    chosen.port = m_comboCom->currentIndex() + 1;
    chosen.machineType = m_thermometer->model();
    chosen.speechRate = m_speechRate;
    chosen.speechVolume = m_speechVolume;
    chosen.language = m_language;
    chosen.windowPosition = pos();
    if (!SavePreferences(kPreferencesFile, chosen))
        qCWarning(lcApp) << kPreferencesFile
                         << "could not be written; the choices last until "
                            "Kestrim ends";
}
