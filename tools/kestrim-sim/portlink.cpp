#include "portlink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool PortLink::create(const QString &path, const QString &target)
{
    const QFileInfo link(path);
    if (!QDir().mkpath(link.absolutePath())) {
        m_errorString = QStringLiteral("cannot create the folder %1").arg(link.absolutePath());
        return false;
    }
    if (link.isSymLink()) {
        if (!QFile::remove(path)) {
            m_errorString = QStringLiteral("cannot replace the link %1").arg(path);
            return false;
        }
    } else if (link.exists()) {
        m_errorString = QStringLiteral("%1 exists and is not a link; not replacing it").arg(path);
        return false;
    }
    if (!QFile::link(target, path)) {
        m_errorString = QStringLiteral("cannot create the link %1").arg(path);
        return false;
    }
    m_path = path;
    m_target = target;
    return true;
}

void PortLink::remove()
{
    if (m_path.isEmpty())
        return;
    const QFileInfo link(m_path);
    if (link.isSymLink() && link.symLinkTarget() == m_target)
        QFile::remove(m_path);
    m_path.clear();
}
