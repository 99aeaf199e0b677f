// Kestrim's one way of opening a file it reads or writes (day files, warning files, the index,
// Kestrim.ini, Ports/ texts, the central store's cursor, journal and id files).
//
// Only a regular file is ever read or written. A named pipe or a device in a file's place would
// block open() or read() for ever (a FIFO with no writer), or feed it without end (/dev/zero),
// freezing the window, the command line or the central sender's thread. So the file is opened
// without waiting (O_NONBLOCK), looked at through the opened handle itself, so nothing can be
// swapped in between the look and the use, and closed at once with a plain message when it is
// anything but a regular file.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

namespace RegularFile {

// The message for a path that is there but is no regular file.
QString NotRegularText();

// True when `path` is a regular file (through a link, too) or is not there at all; a folder
// counts as usable as well, since opening it fails at once with the system's own reason.
// Otherwise `error` (when given) says what is there instead. For a check before a reader that
// opens the file itself (QSettings, a library).
bool Usable(const QString &path, QString *error = nullptr);

// Opens `file` (its name already set) in `mode`. A mode that writes creates a missing file.
// Fails, with `error` set and nothing left open, when the file is not a regular one or cannot
// be opened; never waits on a pipe or a device.
bool Open(QFile &file, QIODevice::OpenMode mode, QString *error = nullptr);

// The whole file, read through Open(); nothing when it is missing (`error` left empty) or
// cannot be read (`error` says why).
std::optional<QByteArray> ReadAll(const QString &path, QString *error = nullptr);

} // namespace RegularFile
