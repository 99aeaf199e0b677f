#include "portmap.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>

namespace {

// A Ports/ text is one short line; anything longer is not one.
constexpr qint64 kMaxEntrySize = 4096;

} // namespace

PortMap::PortMap(const QDir &base)
    : m_base(base)
{}

PortMap::PortMap()
    : m_base(QDir::current())
{}

QString PortMap::PortName(int portNumber)
{
    return QStringLiteral("COM%1").arg(portNumber);
}

QString PortMap::DefaultDevice(int portNumber)
{
#ifdef Q_OS_WIN
    return QStringLiteral("\\\\.\\COM%1").arg(portNumber);
#else
    if (portNumber >= 1 && portNumber <= 10)
        return QStringLiteral("/dev/ttyUSB%1").arg(portNumber - 1);
    if (portNumber >= 11 && portNumber <= 20)
        return QStringLiteral("/dev/ttyACM%1").arg(portNumber - 11);
    return QString();
#endif
}

QString PortMap::DeviceFromText(const QString &text)
{
#ifdef Q_OS_WIN
    static const QRegularExpression windowsPort(QStringLiteral("^COM[1-9][0-9]*$"),
                                                QRegularExpression::CaseInsensitiveOption);
    if (windowsPort.match(text).hasMatch())
        return QStringLiteral("\\\\.\\") + text.toUpper();
#endif
    return text;
}

QStringList PortMap::SystemPorts()
{
    QStringList ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        ports << info.systemLocation() << info.portName();
    return ports;
}

QString PortMap::entryPath(int portNumber) const
{
    return m_base.absoluteFilePath(QStringLiteral("Ports/com%1").arg(portNumber));
}

QString PortMap::entryText(int portNumber) const
{
    const QFileInfo entry(entryPath(portNumber));
    if (entry.isSymLink() || !entry.isFile() || entry.size() > kMaxEntrySize)
        return {};
    QFile file(entry.absoluteFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // A byte-order mark from Notepad and the line end are not part of the name.
    QString text = QString::fromUtf8(file.readLine(kMaxEntrySize));
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text.trimmed();
}

QString PortMap::device(int portNumber) const
{
    const QFileInfo entry(entryPath(portNumber));
#ifndef Q_OS_WIN
    // A dangling link still names the port: opening it then fails with a clear reason.
    if (entry.isSymLink())
        return entry.absoluteFilePath();
#endif
    if (entry.isFile())
        return DeviceFromText(entryText(portNumber));
    return DefaultDevice(portNumber);
}

QString PortMap::describe(int portNumber) const
{
    const QString path = entryPath(portNumber);
    const QFileInfo entry(path);
    const QString shown = QDir::toNativeSeparators(m_base.relativeFilePath(path));
#ifndef Q_OS_WIN
    if (entry.isSymLink()) {
        const QString target = entry.symLinkTarget();
        return QStringLiteral("%1 → %2").arg(shown,
                                             target.isEmpty() ? QStringLiteral("?") : target);
    }
#endif
    if (entry.isFile()) {
        const QString text = entryText(portNumber);
        return QStringLiteral("%1 → %2").arg(shown, text.isEmpty() ? QStringLiteral("?") : text);
    }
    return QDir::toNativeSeparators(DefaultDevice(portNumber));
}

bool PortMap::isListed(int portNumber, const QStringList &systemPorts) const
{
    const QFileInfo entry(entryPath(portNumber));
    if (entry.isSymLink() || entry.exists())
        return true;
    const QString device = DefaultDevice(portNumber);
    return systemPorts.contains(device) || systemPorts.contains(PortName(portNumber));
}
