// Opening and closing the thermometer's port, and sending frames to it.
#include "ckestrimdlg.h"

#include "device/interfacetexts.h"
#include "device/portmessages.h"
#include "device/reconnector.h"
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
    // While the thermometer is away, the button gives up waiting for it.
    if (m_reconnector->isActive())
        ShowDisconnected();
    else if (m_serial->isOpen())
        CloseConnection();
    else
        OpenConnection();
}

void CKestrimDlg::OpenConnection()
{
    if (!OpenPort()) {
        const int port = m_comboCom->currentIndex() + 1;
        m_seams.prompts->message(
            this, PortOpenFailureText(PortMap::PortName(port), m_serial->portMap().describe(port),
                                      m_serial->error(), m_serial->errorString(), m_language));
        return;
    }
    StartHandshake();
}

bool CKestrimDlg::OpenPort()
{
    return m_serial->open(m_comboCom->currentIndex() + 1,
                          QString::number(m_baudRate) + kLineFormat);
}

// The port is open: ask for the settings report. Connect is enabled again once it is there.
void CKestrimDlg::StartHandshake()
{
    m_buttonConnect->setEnabled(false);
    m_buttonConnect->setText(Texts::kDisconnect.in(m_language));
    m_connected = true;
    EnableSettingsControls(true);
    ApplyControlColours();
    SendFrame(SettingsRequestFrame());
}

// One attempt of the reconnector: the same port, quietly.
bool CKestrimDlg::ReopenConnection()
{
    if (!OpenPort())
        return false;
    qCInfo(lcSerial) << "reconnected" << PortMap::PortName(m_serial->portNumber());
    StartHandshake();
    return true;
}

void CKestrimDlg::CloseConnection()
{
    m_serial->close();
    ShowDisconnected();
}

void CKestrimDlg::ShowDisconnected()
{
    ShowNotConnected(false);
}

// Waiting for the thermometer to come back on the same port; the button stops the waiting.
void CKestrimDlg::ShowReconnecting()
{
    ShowNotConnected(true);
}

// The port is closed, for good or while the window waits for the same port to come back.
void CKestrimDlg::ShowNotConnected(bool waiting)
{
    m_connectSettleTimer.stop();
    m_connected = false;
    EnableSettingsControls(false);
    m_comboCom->setEnabled(!waiting);
    m_buttonConnect->setText((waiting ? Texts::kDisconnect : Texts::kConnect).in(m_language));
    m_buttonConnect->setEnabled(true);
    m_staticStatus->setText(waiting ? Texts::kReconnecting.in(m_language) : QStringLiteral("fail"));
    ApplyControlColours();
    if (waiting)
        m_reconnector->start();
    else
        m_reconnector->stop();
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

void CKestrimDlg::OnCbnSelchangeCom()
{
    m_buttonConnect->setEnabled(true);
    StorePreferences();
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
