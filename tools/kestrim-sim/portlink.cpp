#include "portlink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr qint64 kMaxEntrySize = 4096;

// The first line of a small text file; nothing for anything else.
QString EntryText(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile() || info.size() > kMaxEntrySize)
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readLine(kMaxEntrySize)).trimmed();
}

} // namespace

bool PortLink::clear(const QString &path)
{
    const QFileInfo link(path);
    if (!QDir().mkpath(link.absolutePath())) {
        m_errorString = QStringLiteral("cannot create the folder %1").arg(link.absolutePath());
        return false;
    }
    const bool ours = link.isSymLink() || EntryText(path).startsWith(QLatin1String("pipe:"));
    if (ours) {
        if (!QFile::remove(path)) {
            m_errorString = QStringLiteral("cannot replace the entry %1").arg(path);
            return false;
        }
    } else if (link.exists()) {
        m_errorString =
            QStringLiteral("%1 exists and is not a simulator's entry; not replacing it").arg(path);
        return false;
    }
    return true;
}

bool PortLink::create(const QString &path, const QString &target)
{
    if (!clear(path))
        return false;
    if (!QFile::link(target, path)) {
        m_errorString = QStringLiteral("cannot create the link %1").arg(path);
        return false;
    }
    m_path = path;
    m_target = target;
    m_text = false;
    return true;
}

bool PortLink::createText(const QString &path, const QString &text)
{
    if (!clear(path))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8() + '\n') < 0 ||
        !file.commit()) {
        m_errorString = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    m_path = path;
    m_target = text;
    m_text = true;
    return true;
}

void PortLink::remove()
{
    if (m_path.isEmpty())
        return;
    const QFileInfo entry(m_path);
    const bool unchanged = m_text ? EntryText(m_path) == m_target
                                  : entry.isSymLink() && entry.symLinkTarget() == m_target;
    if (unchanged)
        QFile::remove(m_path);
    m_path.clear();
}
