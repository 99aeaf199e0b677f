// The serial line settings written as "baud,parity,data bits,stop bits", e.g. "115200,N,8,1".
#pragma once

#include <QSerialPort>
#include <QString>

#include <optional>

struct SerialSettings {
    qint32 baudRate = 115200;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

// Nothing when the text is not of that form.
std::optional<SerialSettings> ParseSerialSettings(const QString &text);
