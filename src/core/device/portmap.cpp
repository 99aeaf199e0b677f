#include "portmap.h"

#include "regularfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>

#if !defined(Q_OS_WIN)
#include <sys/stat.h>
#endif
#if defined(Q_OS_LINUX)
#include <sys/sysmacros.h>
#endif

namespace {

// A Ports/ text is one short line; anything longer is not one.
constexpr qint64 kMaxEntrySize = 4096;

#if defined(Q_OS_LINUX)
// The tty layer's devices: serial adapters and modems (registered in sysfs as class "tty") and
// the pseudo-terminals, whose slaves (majors 136-143) sysfs does not list.
bool IsTtyDevice(dev_t device)
{
    const unsigned major = ::major(device);
    if (major >= 136 && major <= 143)
        return true;
    const QString subsystem =
        QFileInfo(QStringLiteral("/sys/dev/char/%1:%2/subsystem").arg(major).arg(::minor(device)))
            .canonicalFilePath();
    if (subsystem.isEmpty())
        return !QFileInfo::exists(QStringLiteral("/sys/dev/char")); // no sysfs: cannot tell
    return subsystem.endsWith(QStringLiteral("/tty"));
}
#endif

} // namespace

QString PortMap::NotSerialText()
{
    return QStringLiteral("not a serial port");
}

bool PortMap::IsOpenable(const QString &device, QString *reason)
{
    if (IsPipe(device))
        return true;
#if defined(Q_OS_WIN)
    Q_UNUSED(reason);
    return true;
#else
    struct stat status {};
    // A device that is not there is left to the open, which says so in the system's words.
    if (::stat(QFile::encodeName(device).constData(), &status) != 0)
        return true;
    bool serial = S_ISCHR(status.st_mode);
#if defined(Q_OS_LINUX)
    serial = serial && IsTtyDevice(status.st_rdev);
#endif
    if (!serial && reason)
        *reason = NotSerialText();
    return serial;
#endif
}

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
    if (!RegularFile::Open(file, QIODevice::ReadOnly))
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
    const QString notSerial =
        IsOpenable(device(portNumber)) ? QString() : QStringLiteral(" (%1)").arg(NotSerialText());
#ifndef Q_OS_WIN
    if (entry.isSymLink()) {
        const QString target = entry.symLinkTarget();
        return QStringLiteral("%1 → %2").arg(shown,
                                             target.isEmpty() ? QStringLiteral("?") : target) +
               notSerial;
    }
#endif
    if (entry.isFile()) {
        const QString text = entryText(portNumber);
        return QStringLiteral("%1 → %2").arg(shown, text.isEmpty() ? QStringLiteral("?") : text) +
               notSerial;
    }
    if (entry.exists())
        return shown + QStringLiteral(" (%1)").arg(NotSerialText());
    return QDir::toNativeSeparators(DefaultDevice(portNumber)) + notSerial;
}

QString PortMap::tooltip(int portNumber) const
{
    // Qt takes a tooltip for rich text when it looks like it; as rich text made on purpose,
    // the escaped text reads exactly as it is.
    return QStringLiteral("<p style=\"white-space:pre\">") + describe(portNumber).toHtmlEscaped() +
           QStringLiteral("</p>");
}

bool PortMap::isListed(int portNumber, const QStringList &systemPorts) const
{
    const QFileInfo entry(entryPath(portNumber));
    if (entry.isSymLink() || entry.exists())
        return true;
    const QString device = DefaultDevice(portNumber);
    return systemPorts.contains(device) || systemPorts.contains(PortName(portNumber));
}
