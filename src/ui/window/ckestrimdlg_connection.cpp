// Opening and closing the thermometer's port, and sending frames to it.
#include "ckestrimdlg.h"

#include "device/interfacetexts.h"
#include "device/portmessages.h"
#include "logging.h"
#include "thermometermodel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>

using device::ConnectionState;

void CKestrimDlg::OnBnClickedConnect()
{
    switch (m_thermometer->state()) {
    case ConnectionState::Reconnecting: // the button gives up waiting for the thermometer
        ShowDisconnected();
        break;
    case ConnectionState::Opening:
    case ConnectionState::Connected:
        CloseConnection();
        break;
    case ConnectionState::Closed:
        OpenConnection();
        break;
    }
}

// The port opens and the thermometer is asked for its settings report; Connect is enabled again
// once it is there.
void CKestrimDlg::OpenConnection()
{
    const int port = m_comboCom->currentIndex() + 1;
    if (!m_station->connectPort(port)) {
        m_seams.prompts->message(
            this, PortOpenFailureText(PortMap::PortName(port), m_serial->portMap().describe(port),
                                      m_serial->error(), m_serial->errorString(), m_language));
        return;
    }
}

void CKestrimDlg::CloseConnection()
{
    ShowDisconnected();
}

void CKestrimDlg::ShowDisconnected()
{
    m_station->disconnectPort();
    ShowConnectionState(m_thermometer->state());
}

// Waiting for the thermometer to come back on the same port; the button stops the waiting.
void CKestrimDlg::ShowReconnecting()
{
    ShowConnectionState(m_thermometer->state());
}

void CKestrimDlg::ShowConnectionState(ConnectionState state)
{
    const bool open = state == ConnectionState::Opening || state == ConnectionState::Connected;
    m_buttonConnect->setText(
        (state == ConnectionState::Closed ? Texts::kConnect : Texts::kDisconnect).in(m_language));
    // A port once opened is the one the readings are filed under until it is closed.
    m_comboCom->setEnabled(state == ConnectionState::Closed);
    EnableSettingsControls(open);
    switch (state) {
    case ConnectionState::Closed:
        m_connectSettleTimer.stop();
        m_buttonConnect->setEnabled(true);
        m_staticStatus->setText(QStringLiteral("fail"));
        break;
    case ConnectionState::Reconnecting:
        m_connectSettleTimer.stop();
        m_buttonConnect->setEnabled(true);
        m_staticStatus->setText(Texts::kReconnecting.in(m_language));
        break;
    case ConnectionState::Opening:
        // The operator's Connect waits for the report (or its time-out); a reopened port can
        // be given up at once.
        m_connectSettleTimer.stop();
        m_buttonConnect->setEnabled(!m_thermometer->openedByOperator());
        break;
    case ConnectionState::Connected:
        break;
    }
    ApplyControlColours();
}

// The device went away while connected: the port is already closed; everything recorded so far
// is on disk. The operator is told once; the window then keeps trying by itself.
void CKestrimDlg::OnConnectionLost(const QString &reason)
{
    const int port = m_serial->portNumber();
    const QString text =
        PortLostText(PortMap::PortName(port), m_serial->openedDevice(), reason, m_language);
    ShowReconnecting();
    m_seams.prompts->message(this, text, QStringLiteral("port lost"));
}

// The operator's Connect opened the port but no settings report came: the desk closed the port
// again, and the operator is told, instead of a window that waits for ever.
void CKestrimDlg::OnNoAnswer(int portNumber)
{
    ShowConnectionState(m_thermometer->state());
    m_seams.prompts->message(this,
                             Texts::kNoAnswer.in(m_language).arg(PortMap::PortName(portNumber)),
                             QStringLiteral("no answer"));
}

void CKestrimDlg::OnCbnSelchangeCom()
{
    m_buttonConnect->setEnabled(true);
    StorePreferences();
}

void CKestrimDlg::EnableSettingsControls(bool enable)
{
    for (int id : {IDC_RADIO_CELSIUS, IDC_RADIO_FAHRENHEIT, IDC_RADIO_SURFACE_MODE,
                   IDC_RADIO_BODY_MODE, IDC_RADIO_COUNT_MODE})
        control<QAbstractButton>(id)->setEnabled(enable);
    m_comboAlarm->setEnabled(enable);
    // Volume, backlight and output signal exist on some models only.
    const ThermometerModel &model = ModelOf(m_thermometer->model());
    for (int id : {IDC_RADIO_BACKLIGHT_OFF, IDC_RADIO_BACKLIGHT_ON})
        control<QAbstractButton>(id)->setEnabled(enable && model.hasBacklight);
    for (int id : {IDC_RADIO_PULSE_MODE, IDC_RADIO_SWITCH_MODE})
        control<QAbstractButton>(id)->setEnabled(enable && model.hasOutput);
    m_comboVolume->setEnabled(enable && model.hasVolume);
}

// The hidden environment button asks at once, whatever the schedule says.
void CKestrimDlg::OnBnClickedEnvironmentQuery()
{
    m_station->thermometer().queryEnvironment();
}
