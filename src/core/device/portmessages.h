// What the operator is told when a serial port cannot be opened or goes away.
#pragma once

#include "bilingual.h"

#include <QSerialPort>
#include <QString>

// "COM3 (/dev/ttyUSB2) cannot be opened: Permission denied" and, where the operator can do
// something about it, how.
QString PortOpenFailureText(const QString &portName, const QString &device,
                            QSerialPort::SerialPortError error, const QString &reason,
                            Language language);

// The port went away while connected (device unplugged, simulator ended).
QString PortLostText(const QString &portName, const QString &device, const QString &reason,
                     Language language);
