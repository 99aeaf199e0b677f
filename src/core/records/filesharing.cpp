#include "records/filesharing.h"

#include "logging.h"
#include "regularfile.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QThread>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace FileSharing {

namespace {

std::function<bool(const QString &)> &InjectedHold()
{
    static std::function<bool(const QString &)> held;
    return held;
}

} // namespace

void SetInjectedHold(std::function<bool(const QString &path)> held)
{
    InjectedHold() = std::move(held);
}

QString HeldText()
{
    return QStringLiteral("it is open in another program; close it there and try again");
}

bool LastFailureWasHeld([[maybe_unused]] const QString &path)
{
#ifdef Q_OS_WIN
    switch (::GetLastError()) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return true;
    case ERROR_ACCESS_DENIED: {
        // Replacing a file that is open without delete sharing is refused this way too; a
        // file that may not be written at all is refused for good and not waited for.
        const QFileInfo info(path);
        return info.exists() && info.isWritable();
    }
    default:
        return false;
    }
#else
    return false;
#endif
}

bool RetryWhileHeld(const QString &path, const std::function<bool(QString *error)> &attempt,
                    QString *error)
{
    for (size_t tried = 0;; ++tried) {
        bool held = false;
        if (InjectedHold() && InjectedHold()(path)) {
            held = true;
        } else {
            if (attempt(error))
                return true;
            held = LastFailureWasHeld(path);
        }
        if (!held)
            return false;
        if (tried == std::size(kWaitsMs)) {
            qCWarning(lcRecords) << path << "stayed open in another program";
            *error = HeldText();
            return false;
        }
        QThread::msleep(ulong(kWaitsMs[tried]));
    }
}

bool ReplaceContents(const QString &path, const QByteArray &bytes, QString *error)
{
    // A named pipe or a device is never replaced by a file of Kestrim's.
    if (!RegularFile::Usable(path, error))
        return false;
    return RetryWhileHeld(
        path,
        [&path, &bytes](QString *reason) {
            QSaveFile file(path);
            if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() &&
                file.commit())
                return true;
            *reason = file.errorString();
            return false;
        },
        error);
}

} // namespace FileSharing
