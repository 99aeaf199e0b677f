// Which device stands behind "COM1" … "COM20".
//
// COMn is what the entry Ports/comn in the working folder names, when there is one:
// - a text file naming the device on its first line: a Windows port ("COM37", for an adapter
//   Windows numbered above 20), a device path ("/dev/serial/by-id/…"), or "pipe:NAME", a local
//   socket (a named pipe on Windows) such as the one kestrim-sim serves;
// - on Linux also a symbolic link to the device (a simulator's pseudo-terminal, a udev name).
// Otherwise COMn is \\.\COMn on Windows; on Linux COM1–COM10 are /dev/ttyUSB0–9 and
// COM11–COM20 are /dev/ttyACM0–9, the USB serial adapters these thermometers come with.
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

class PortMap {
public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 20;

    // base: the folder that holds Ports/ (the working folder).
    explicit PortMap(const QDir &base);
    PortMap();

    static QString PortName(int portNumber); // "COM3"
    static QString DefaultDevice(int portNumber);
    // The device a Ports/ text names: "COM37" → \\.\COM37 on Windows; others as they are.
    static QString DeviceFromText(const QString &text);
    static bool IsPipe(const QString &device) { return device.startsWith(kPipePrefix); }
    static QString PipeName(const QString &device) { return device.mid(kPipePrefix.size()); }
    // The serial ports the system lists now, by device and by name ("/dev/ttyUSB0", "COM3").
    static QStringList SystemPorts();
    // Whether `device` is one Kestrim opens: a "pipe:" name, or a serial port (on Linux a
    // character device of the tty kind: an adapter, a modem, a pseudo-terminal; elsewhere any
    // character device; on Windows a COM name). Anything else (a named pipe, a socket, a
    // regular file, /dev/zero, a disk) is never opened; `reason` then says it is not a serial
    // port.
    static bool IsOpenable(const QString &device, QString *reason = nullptr);
    static QString NotSerialText();

    // The device to open for COMn.
    QString device(int portNumber) const;
    // What the operator is shown for COMn, e.g. "Ports/com3 → /dev/pts/4" or "/dev/ttyUSB2";
    // "… (not a serial port)" for an entry that names something else.
    QString describe(int portNumber) const;
    // describe() for a tooltip: shown as the plain text it is, never read as rich text (a
    // Ports/ text may hold "<img …>" or "<a …>").
    QString tooltip(int portNumber) const;
    // Whether COMn is worth trying without being asked: it has an entry in Ports/, or its
    // device is among systemPorts. Opening a port the system does not list costs time (a
    // Bluetooth port can hold each open for seconds) and cannot succeed.
    bool isListed(int portNumber, const QStringList &systemPorts) const;

private:
    static inline const QString kPipePrefix = QStringLiteral("pipe:");

    QString entryPath(int portNumber) const;
    // The first line of a Ports/ text file; nothing for a link or when there is no file.
    QString entryText(int portNumber) const;

    QDir m_base;
};
