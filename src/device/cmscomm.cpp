#include "cmscomm.h"

#include "logging.h"
#include "serialsettings.h"

CMscomm::CMscomm(QObject *parent)
    : QObject(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, &CMscomm::readAvailable);
    connect(&m_port, &QSerialPort::errorOccurred, this, &CMscomm::handleError);
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
    QSerialPort port(device);
    if (!port.open(QIODevice::ReadWrite))
        return false;
    port.close();
    return true;
}

void CMscomm::close()
{
    if (m_port.isOpen()) {
        m_port.close();
        qCInfo(lcSerial) << "closed" << PortMap::PortName(m_portNumber);
    }
}

bool CMscomm::write(QByteArrayView bytes)
{
    if (!m_port.isOpen())
        return false;
    if (bytes.isEmpty())
        return true;
    return m_port.write(bytes.data(), bytes.size()) == bytes.size();
}

void CMscomm::readAvailable()
{
    const QByteArray bytes = m_port.readAll();
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
        // Close first: with a hung-up device the error repeats for as long as the port is open.
        m_port.close();
        m_port.clearError();
        fail(error, reason);
        qCWarning(lcSerial) << "lost" << PortMap::PortName(m_portNumber) << ":" << reason;
        emit connectionLost(reason);
    }
}

void CMscomm::fail(QSerialPort::SerialPortError error, const QString &reason)
{
    m_error = error;
    m_errorString = reason;
}
