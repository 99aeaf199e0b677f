#include "serialsettings.h"

#include <QStringList>

namespace {

std::optional<QSerialPort::Parity> ParseParity(const QString &letter)
{
    const QString upper = letter.toUpper();
    if (upper == u"N")
        return QSerialPort::NoParity;
    if (upper == u"E")
        return QSerialPort::EvenParity;
    if (upper == u"O")
        return QSerialPort::OddParity;
    if (upper == u"M")
        return QSerialPort::MarkParity;
    if (upper == u"S")
        return QSerialPort::SpaceParity;
    return std::nullopt;
}

std::optional<QSerialPort::StopBits> ParseStopBits(const QString &text)
{
    if (text == u"1")
        return QSerialPort::OneStop;
    if (text == u"1.5")
        return QSerialPort::OneAndHalfStop;
    if (text == u"2")
        return QSerialPort::TwoStop;
    return std::nullopt;
}

} // namespace

std::optional<SerialSettings> ParseSerialSettings(const QString &text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 4)
        return std::nullopt;

    bool ok = false;
    const int baud = parts[0].trimmed().toInt(&ok);
    if (!ok || baud <= 0)
        return std::nullopt;
    const auto parity = ParseParity(parts[1].trimmed());
    const int dataBits = parts[2].trimmed().toInt(&ok);
    if (!parity || !ok || dataBits < 5 || dataBits > 8)
        return std::nullopt;
    const auto stopBits = ParseStopBits(parts[3].trimmed());
    if (!stopBits)
        return std::nullopt;

    SerialSettings settings;
    settings.baudRate = baud;
    settings.parity = *parity;
    settings.dataBits = static_cast<QSerialPort::DataBits>(dataBits);
    settings.stopBits = *stopBits;
    return settings;
}
