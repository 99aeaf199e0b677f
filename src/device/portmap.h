// Which serial device stands behind "COM1" … "COM20".
//
// On Linux COMn is the device named by the link Ports/comn in the working folder when that link
// exists (so a simulator's pseudo-terminal or a udev name can be put behind any number);
// otherwise COM1–COM10 are /dev/ttyUSB0–9 and COM11–COM20 are /dev/ttyACM0–9, the USB serial
// adapters these thermometers come with. On Windows COMn is \\.\COMn.
#pragma once

#include <QDir>
#include <QString>

class PortMap {
public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 20;

    // base: the folder that holds Ports/ (the working folder).
    explicit PortMap(const QDir &base);
    PortMap();

    static QString PortName(int portNumber); // "COM3"
    static QString DefaultDevice(int portNumber);

    // The device to open for COMn.
    QString device(int portNumber) const;
    // What the operator is shown for COMn, e.g. "Ports/com3 → /dev/pts/4" or "/dev/ttyUSB2".
    QString describe(int portNumber) const;

private:
    QString linkPath(int portNumber) const;

    QDir m_base;
};
