#include "centralcursors.h"

#include "logging.h"
#include "records/filesharing.h"
#include "regularfile.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QByteArray kFirstLine = "kestrim-central 1";
const QByteArray kIdentityKey = "identity ";
constexpr int kFields = 6;

} // namespace

CentralCursors::CentralCursors(QString path, QString identity)
    : m_path(std::move(path))
    , m_identity(std::move(identity))
{}

bool CentralCursors::load()
{
    m_cursors.clear();
    QFile file(m_path);
    if (QString error; !RegularFile::Open(file, QIODevice::ReadOnly, &error)) {
        if (QFileInfo::exists(m_path))
            qCWarning(lcCentral).noquote() << m_path << "cannot be read:" << error;
        return false;
    }
    const QList<QByteArray> lines = file.readAll().split('\n');
    if (lines.size() < 2 || lines[0] != kFirstLine ||
        lines[1] != kIdentityKey + m_identity.toUtf8()) {
        qCInfo(lcCentral) << m_path
                          << "is for another server or desk, or damaged: every day "
                             "file starts over";
        return false;
    }
    QMap<QString, CentralCursor> cursors;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        const QList<QByteArray> fields = lines[i].split('\t');
        bool ok[kFields - 1] = {};
        CentralCursor cursor;
        if (fields.size() == kFields) {
            cursor.rows = fields[1].toLongLong(&ok[0]);
            cursor.hash = fields[2].toULongLong(&ok[1], 16);
            cursor.fileSize = fields[3].toLongLong(&ok[2]);
            cursor.modifiedMs = fields[4].toLongLong(&ok[3]);
            cursor.warningSize = fields[5].toLongLong(&ok[4]);
        }
        if (!std::all_of(std::begin(ok), std::end(ok), [](bool b) { return b; }) ||
            fields[0].isEmpty() || cursor.rows < 0) {
            qCWarning(lcCentral) << m_path << "line" << i + 1
                                 << "is damaged: every day file "
                                    "starts over";
            return false;
        }
        cursors.insert(QString::fromUtf8(fields[0]), cursor);
    }
    m_cursors = std::move(cursors);
    return true;
}

bool CentralCursors::save() const
{
    QByteArray text = kFirstLine + '\n' + kIdentityKey + m_identity.toUtf8() + '\n';
    for (auto it = m_cursors.begin(); it != m_cursors.end(); ++it) {
        const CentralCursor &c = it.value();
        text += it.key().toUtf8() + '\t' + QByteArray::number(c.rows) + '\t' +
                QByteArray::number(c.hash, 16) + '\t' + QByteArray::number(c.fileSize) + '\t' +
                QByteArray::number(c.modifiedMs) + '\t' + QByteArray::number(c.warningSize) + '\n';
    }
    QString error;
    if (!FileSharing::ReplaceContents(m_path, text, &error)) {
        qCWarning(lcCentral) << m_path << "cannot be written:" << error;
        return false;
    }
    return true;
}

const CentralCursor *CentralCursors::find(const QString &dayFile) const
{
    const auto it = m_cursors.constFind(dayFile);
    return it == m_cursors.constEnd() ? nullptr : &it.value();
}
