#include "portmap.h"

#include <QFileInfo>

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

QString PortMap::linkPath(int portNumber) const
{
    return m_base.absoluteFilePath(QStringLiteral("Ports/com%1").arg(portNumber));
}

QString PortMap::device(int portNumber) const
{
#ifndef Q_OS_WIN
    const QFileInfo link(linkPath(portNumber));
    // A dangling link still names the port: opening it then fails with a clear reason.
    if (link.isSymLink() || link.exists())
        return link.absoluteFilePath();
#endif
    return DefaultDevice(portNumber);
}

QString PortMap::describe(int portNumber) const
{
    const QString path = device(portNumber);
    const QFileInfo info(path);
    if (!info.isSymLink())
        return QDir::toNativeSeparators(path);
    const QString shown = m_base.relativeFilePath(path);
    const QString target = info.symLinkTarget();
    return QStringLiteral("%1 → %2").arg(QDir::toNativeSeparators(shown),
                                         target.isEmpty() ? QStringLiteral("?") : target);
}
