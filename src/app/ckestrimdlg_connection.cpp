// Opening and closing the thermometer's port, and sending frames to it.
#include "ckestrimdlg.h"

#include "device/portmessages.h"
#include "logging.h"
#include "reception/frame.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>

namespace {
// The thermometer's line: 8 data bits, no parity, 1 stop bit, at m_baudRate.
const QString kLineFormat = QStringLiteral(",N,8,1");
} // namespace

void CKestrimDlg::OnBnClickedConnect()
{
    if (m_serial->isOpen())
        CloseConnection();
    else
        OpenConnection();
}

void CKestrimDlg::OpenConnection()
{
    const int port = m_comboCom->currentIndex() + 1;
    if (!m_serial->open(port, QString::number(m_baudRate) + kLineFormat)) {
        m_seams.prompts->message(
            this, PortOpenFailureText(PortMap::PortName(port), m_serial->portMap().describe(port),
                                      m_serial->error(), m_serial->errorString(), m_language));
        return;
    }
    // Enabled again once the thermometer has answered with its settings report.
    m_buttonConnect->setEnabled(false);
    m_language = 1;
    m_buttonConnect->setText(QStringLiteral("Disconnect"));
    m_connected = true;
    EnableSettingsControls(true);
    ApplyControlColours();
    SendFrame(SettingsRequestFrame());
}

void CKestrimDlg::CloseConnection()
{
    m_serial->close();
    ShowDisconnected();
}

void CKestrimDlg::ShowDisconnected()
{
    m_connectSettleTimer.stop();
    m_connected = false;
    EnableSettingsControls(false);
    m_language = 1;
    m_comboCom->setEnabled(true);
    m_buttonConnect->setText(QStringLiteral("Connect"));
    m_buttonConnect->setEnabled(true);
    m_staticStatus->setText(QStringLiteral("fail"));
    ApplyControlColours();
}

// The device went away while connected: the port is already closed; everything recorded so far
// is on disk.
void CKestrimDlg::OnConnectionLost(const QString &reason)
{
    const int port = m_serial->portNumber();
    // The message is in the language the operator was using, before the disconnect resets it.
    const QString text = PortLostText(PortMap::PortName(port), m_serial->portMap().describe(port),
                                      reason, m_language);
    ShowDisconnected();
    m_seams.prompts->message(this, text);
}

void CKestrimDlg::OnCbnSelchangeCom()
{
    m_buttonConnect->setEnabled(true);
}

void CKestrimDlg::EnableSettingsControls(bool enable)
{
    for (int id : {1000, 1001, 1002, 1003, 1004})
        control<QAbstractButton>(id)->setEnabled(enable);
    m_comboAlarm->setEnabled(enable);
    // Volume, backlight and output signal exist on the R9 Pro only.
    const bool pro = enable && m_machineType != 0;
    for (int id : {1036, 1037, 1039, 1038})
        control<QAbstractButton>(id)->setEnabled(pro);
    m_comboVolume->setEnabled(pro);
}

void CKestrimDlg::SendFrame(const QByteArray &bytes)
{
    if (!m_serial->write(bytes))
        qCWarning(lcSerial) << "not sent (port closed):" << bytes.toHex(' ');
}

// The hidden environment button asks at once, whatever the schedule says.
void CKestrimDlg::OnBnClickedEnvironmentQuery()
{
    SendFrame(EnvironmentQueryFrame());
}
