// Files another program holds open.
//
// On Windows a file that another program has open (the central sender reading a day file,
// Excel, an antivirus scanner, a sync client) cannot be replaced, and often not opened for
// writing, until that program lets go; usually within moments. Writes of the record files go
// through RetryWhileHeld(), which tries again a few times over about a second and then says
// plainly that the file is open in another program. On other systems files are never held
// this way and the first attempt is the only one.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace FileSharing {

// The waits between attempts, in milliseconds: six attempts in a little under a second.
inline constexpr int kWaitsMs[] = {25, 50, 100, 200, 400};

// Runs `attempt` (which sets *error when it fails) until it succeeds, or fails for another
// reason than the file being held, or has been tried after every wait. When the file stayed
// held, *error says it is open in another program.
bool RetryWhileHeld(const QString &path, const std::function<bool(QString *error)> &attempt,
                    QString *error);

// Replaces the file at `path` with `bytes` in one step (a temporary file renamed over it), so
// a reader sees the old contents or the new, never a part. Retried while the file is held.
// Refused when something other than a regular file (a named pipe, a device) is at `path`.
bool ReplaceContents(const QString &path, const QByteArray &bytes, QString *error);

// Whether the system call that just failed on `path` failed because another program holds it
// (on Windows: a sharing or lock violation, or access denied on a file that may be written).
bool LastFailureWasHeld(const QString &path);

// The reason given when the file stayed held.
QString HeldText();

// For tests: when set, consulted before every attempt; true makes that attempt fail as if
// another program held the file. Empty: no injected failures.
void SetInjectedHold(std::function<bool(const QString &path)> held);

} // namespace FileSharing
