#include "cmscomm.h"

#include "logging.h"
#include "privatesocket.h"
#include "serialsettings.h"

CMscomm::CMscomm(QObject *parent)
    : QObject(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, &CMscomm::readAvailable);
    connect(&m_port, &QSerialPort::errorOccurred, this, &CMscomm::handleError);
    connect(&m_socket, &QLocalSocket::readyRead, this, &CMscomm::readAvailable);
    connect(&m_socket, &QLocalSocket::errorOccurred, this, &CMscomm::handleSocketError);
    connect(&m_socket, &QLocalSocket::disconnected, this, [this] {
        if (m_socketDevice.isEmpty())
            return;
        lose(QSerialPort::ResourceError, tr("the device was unplugged or closed"));
    });
}

namespace {

constexpr int kSocketConnectMs = 2000;

} // namespace

// A socket still connected says so while it is destroyed; nothing here may hear it then.
CMscomm::~CMscomm()
{
    m_socket.disconnect(this);
    m_socket.abort();
}

bool CMscomm::openSocket(const QString &device)
{
    QString problem;
    const QString path = PrivateSocket::Resolve(PortMap::PipeName(device), &problem);
    if (path.isEmpty()) {
        fail(QSerialPort::DeviceNotFoundError, problem);
        return false;
    }
    m_socket.connectToServer(path);
    if (!m_socket.waitForConnected(kSocketConnectMs)) {
        const auto error = m_socket.error() == QLocalSocket::ServerNotFoundError ||
                                   m_socket.error() == QLocalSocket::ConnectionRefusedError
                               ? QSerialPort::DeviceNotFoundError
                           : m_socket.error() == QLocalSocket::SocketAccessError
                               ? QSerialPort::PermissionError
                               : QSerialPort::OpenError;
        fail(error, m_socket.errorString());
        m_socket.abort();
        return false;
    }
    if (!PrivateSocket::PeerIsThisUser(m_socket.socketDescriptor(), &problem)) {
        qCWarning(lcSerial).noquote() << device << problem;
        fail(QSerialPort::PermissionError, problem);
        m_socket.abort();
        return false;
    }
    m_socketDevice = device;
    return true;
}

bool CMscomm::open(int portNumber, const QString &settingsText)
{
    if (m_port.isOpen())
        close();
    m_portNumber = portNumber;
    m_error = QSerialPort::NoError;
    m_errorString.clear();

    const auto settings = ParseSerialSettings(settingsText);
    if (!settings) {
        fail(QSerialPort::UnsupportedOperationError,
             tr("unsupported serial settings \"%1\"").arg(settingsText));
        return false;
    }
    const QString device = m_portMap.device(portNumber);
    if (device.isEmpty()) {
        fail(QSerialPort::DeviceNotFoundError, tr("no such port"));
        return false;
    }

    if (QString reason; !PortMap::IsOpenable(device, &reason)) {
        qCWarning(lcSerial).noquote() << PortMap::PortName(portNumber) + u' ' +
                                             m_portMap.describe(portNumber) +
                                             QStringLiteral(": it was not opened");
        fail(QSerialPort::DeviceNotFoundError, reason);
        return false;
    }
    if (PortMap::IsPipe(device)) {
        if (!openSocket(device))
            return false;
        qCInfo(lcSerial) << "opened" << PortMap::PortName(portNumber) << "at" << device;
        m_openedDevice = m_portMap.describe(portNumber);
        return true;
    }
    m_port.setPortName(device);
    m_port.setBaudRate(settings->baudRate);
    m_port.setParity(settings->parity);
    m_port.setDataBits(settings->dataBits);
    m_port.setStopBits(settings->stopBits);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        fail(m_port.error(), m_port.errorString());
        m_port.clearError();
        return false;
    }
    // A pseudo-terminal has no modem lines; the thermometer does not need RTS to talk.
    if (!m_port.setRequestToSend(true)) {
        qCInfo(lcSerial) << "RTS not available on" << device << ":" << m_port.errorString();
        m_port.clearError();
    }
    qCInfo(lcSerial) << "opened" << PortMap::PortName(portNumber) << "at" << device;
    m_openedDevice = m_portMap.describe(portNumber);
    return true;
}

bool CMscomm::CanOpen(const QString &device)
{
    if (!PortMap::IsOpenable(device))
        return false;
    if (PortMap::IsPipe(device)) {
        QString problem;
        const QString path = PrivateSocket::Resolve(PortMap::PipeName(device), &problem);
        if (path.isEmpty())
            return false;
        QLocalSocket socket;
        socket.connectToServer(path);
        if (!socket.waitForConnected(kSocketConnectMs))
            return false;
        const bool ours = PrivateSocket::PeerIsThisUser(socket.socketDescriptor(), &problem);
        socket.disconnectFromServer();
        return ours;
    }
    QSerialPort port(device);
    if (!port.open(QIODevice::ReadWrite))
        return false;
    port.close();
    return true;
}

void CMscomm::close()
{
    if (m_socket.isOpen()) {
        m_socketDevice.clear(); // a deliberate close is no loss
        m_socket.abort();
        qCInfo(lcSerial) << "closed" << PortMap::PortName(m_portNumber);
    }
    if (m_port.isOpen()) {
        m_port.close();
        qCInfo(lcSerial) << "closed" << PortMap::PortName(m_portNumber);
    }
}

bool CMscomm::write(QByteArrayView bytes)
{
    if (!isOpen())
        return false;
    if (bytes.isEmpty())
        return true;
    QIODevice &device = m_socket.isOpen() ? static_cast<QIODevice &>(m_socket) : m_port;
    return device.write(bytes.data(), bytes.size()) == bytes.size();
}

void CMscomm::readAvailable()
{
    const QByteArray bytes = m_socket.isOpen() ? m_socket.readAll() : m_port.readAll();
    if (!bytes.isEmpty())
        emit received(bytes);
}

void CMscomm::handleError(QSerialPort::SerialPortError error)
{
    // Errors while opening are reported by open(); only a port that is open can be lost.
    if (error == QSerialPort::NoError || !m_port.isOpen())
        return;
    if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError ||
        error == QSerialPort::WriteError) {
        // Qt's text here is often a stale one from an earlier call (a hung-up pseudo-terminal
        // reports "Inappropriate ioctl for device"), so the operator gets a plain reason.
        const QString reason = error == QSerialPort::WriteError
                                   ? tr("the device stopped accepting data")
                                   : tr("the device was unplugged or closed");
        qCInfo(lcSerial) << "port error" << error << m_port.errorString();
        lose(error, reason);
    }
}

void CMscomm::handleSocketError(QLocalSocket::LocalSocketError error)
{
    if (m_socketDevice.isEmpty())
        return; // errors while connecting are reported by open()
    qCInfo(lcSerial) << "socket error" << error << m_socket.errorString();
    lose(error == QLocalSocket::PeerClosedError ? QSerialPort::ResourceError
                                                : QSerialPort::ReadError,
         tr("the device was unplugged or closed"));
}

void CMscomm::lose(QSerialPort::SerialPortError error, const QString &reason)
{
    if (!isOpen() && m_socketDevice.isEmpty())
        return;
    // Close first: with a hung-up device the error repeats for as long as the port is open.
    m_socketDevice.clear();
    m_socket.abort();
    m_port.close();
    m_port.clearError();
    fail(error, reason);
    qCWarning(lcSerial) << "lost" << PortMap::PortName(m_portNumber) << ":" << reason;
    emit connectionLost(reason);
}

void CMscomm::fail(QSerialPort::SerialPortError error, const QString &reason)
{
    m_error = error;
    m_errorString = reason;
}
