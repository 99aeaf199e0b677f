// The serial port the thermometer is attached to.
//
// A thin transport: open COMn with a settings text, write bytes, hand on every received chunk.
// It never interprets the bytes. When the device goes away while open (USB unplugged, the other
// end of a pseudo-terminal closed) the port is closed at the first error and connectionLost()
// says why; it is never left open and erroring.
//
// A device named "pipe:NAME" (through Ports/comN) is a local socket instead of a serial port: a
// named pipe on Windows, a Unix-domain socket elsewhere. kestrim-sim serves one that way where
// there are no pseudo-terminals; the bytes and the failures look the same to the window.
#pragma once

#include "portmap.h"

#include <QByteArray>
#include <QLocalSocket>
#include <QObject>
#include <QSerialPort>

class CMscomm : public QObject {
    Q_OBJECT

public:
    explicit CMscomm(QObject *parent = nullptr);
    ~CMscomm() override;

    // Where COMn is looked up; the working folder's Ports/ unless set.
    void setPortMap(const PortMap &map) { m_portMap = map; }
    const PortMap &portMap() const { return m_portMap; }

    // Opens COM<portNumber> with settings such as "115200,N,8,1" and request-to-send on.
    // On failure returns false; errorString() then holds the operating system's reason.
    bool open(int portNumber, const QString &settings);
    void close();
    bool isOpen() const { return m_port.isOpen() || m_socket.isOpen(); }

    // Writes all bytes in order; false when the port is closed or the write fails.
    bool write(QByteArrayView bytes);

    // Whether the device can be opened for reading and writing right now (it exists and no one
    // else holds it); the device is closed again at once.
    static bool CanOpen(const QString &device);

    int portNumber() const { return m_portNumber; }
    // What the port named when it was last opened ("Ports/com3 → /dev/pts/4"): after an
    // unplug the link or device may be gone already.
    QString openedDevice() const { return m_openedDevice; }
    QString deviceName() const { return m_socket.isOpen() ? m_socketDevice : m_port.portName(); }
    QSerialPort::SerialPortError error() const { return m_error; }
    QString errorString() const { return m_errorString; }

signals:
    // Every chunk of bytes as it arrives.
    void received(const QByteArray &bytes);
    // The open port failed (device removed or hung up); it has been closed already.
    void connectionLost(const QString &reason);

private:
    bool openSocket(const QString &device);
    void readAvailable();
    void handleError(QSerialPort::SerialPortError error);
    void handleSocketError(QLocalSocket::LocalSocketError error);
    void lose(QSerialPort::SerialPortError error, const QString &reason);
    void fail(QSerialPort::SerialPortError error, const QString &reason);

    QSerialPort m_port;
    QLocalSocket m_socket;
    QString m_socketDevice;
    PortMap m_portMap;
    int m_portNumber = 0;
    QString m_openedDevice;
    QSerialPort::SerialPortError m_error = QSerialPort::NoError;
    QString m_errorString;
};
