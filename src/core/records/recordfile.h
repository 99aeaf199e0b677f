// Writing record files so that what is on disk is always whole lines: an appended line is on
// the disk before the call returns, and a rewritten file replaces the old one in one step.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Record files are opened only when they are regular files: a FIFO or a device in their place
// would block the window's thread in open() or read() for ever. True when `path` is a regular
// file, a folder (which fails to open at once) or is not there at all; otherwise `error`
// (when given) says what is wrong.
bool RecordFileUsable(const QString &path, QString *error = nullptr);

// Appends `line` and CR LF to the file at `path` (created when missing) in one write, then
// flushes it to the disk. On failure the file keeps its old length and `error` gets the
// system's reason.
bool AppendRecordLine(const QString &path, const QString &line, QString *error);

// The bytes of a record file holding `lines`: each one followed by CR LF.
QByteArray RecordFileBytes(const QStringList &lines);

// Replaces the file at `path` with `lines`, each ended by CR LF. Readers see either the old
// file or the new one, never a part.
bool ReplaceRecordFile(const QString &path, const QStringList &lines, QString *error);
