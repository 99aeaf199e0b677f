#include "records/recordfile.h"

#include "records/filesharing.h"
#include "regularfile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#if defined(Q_OS_WIN)
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

// Record files are ASCII text with Windows line ends, on every platform, so files move between
// systems unchanged.
constexpr char kLineEnd[] = "\r\n";

// Puts the file's data on the disk; on failure *error gets the system's reason, read from where
// that system keeps it (qt_error_string reads its argument as a Windows error code there, so
// errno must never be handed to it on Windows: a full disk would read "out of paper").
bool SyncData(QFile &file, QString *error)
{
#if defined(Q_OS_WIN)
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(file.handle()));
    if (handle != INVALID_HANDLE_VALUE && ::FlushFileBuffers(handle))
        return true;
    *error = qt_error_string(int(::GetLastError()));
    return false;
#else
#if defined(Q_OS_LINUX)
    if (::fdatasync(file.handle()) == 0)
        return true;
#else
    if (::fsync(file.handle()) == 0)
        return true;
#endif
    *error = qt_error_string(errno);
    return false;
#endif
}

// What completes the file's last line: nothing when it ends in a line break (or is empty),
// otherwise the rest of a CR LF. A file written by hand, or cut short, may end inside a line.
QByteArray LineBreakOwed(QFile &file, qint64 size)
{
    char last = '\n';
    if (size > 0 && !(file.seek(size - 1) && file.getChar(&last)))
        last = '\n'; // unreadable: the write that follows reports the problem
    return last == '\n' ? QByteArray() : last == '\r' ? QByteArray("\n") : QByteArray(kLineEnd);
}

} // namespace

bool RecordFileUsable(const QString &path, QString *error)
{
    return RegularFile::Usable(path, error);
}

bool AppendRecordLine(const QString &path, const QString &line, QString *error)
{
    if (!RecordFileUsable(path, error))
        return false;
    QFile file(path);
    // Unbuffered: the line leaves in one write() instead of waiting in Qt's buffer.
    const bool opened = FileSharing::RetryWhileHeld(
        path,
        [&file](QString *reason) {
            return RegularFile::Open(
                file, QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered, reason);
        },
        error);
    if (!opened)
        return false;
    const qint64 before = file.size();
    // The record starts on a line of its own, never glued to the end of the last one.
    const QByteArray bytes = LineBreakOwed(file, before) + line.toUtf8() + kLineEnd;
    if (file.write(bytes) != bytes.size())
        *error = file.errorString();
    else if (SyncData(file, error))
        return true;
    // A torn line would be read back as a record; take it back so the file holds whole lines.
    file.resize(before);
    return false;
}

QByteArray RecordFileBytes(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + kLineEnd;
    return bytes;
}

bool ReplaceRecordFile(const QString &path, const QStringList &lines, QString *error)
{
    return FileSharing::ReplaceContents(path, RecordFileBytes(lines), error);
}
