// Saving the day's records under a name the operator chose: the ending of the name decides,
// ignoring case. ".txt" is a byte-for-byte copy of the day file; ".csv" is UTF-8 without a
// byte-order mark, the header line first and then the day file's lines, each line ended by a
// single CR. The target is replaced in one step, so it is never left half-written, and an
// existing target the operator agreed to replace is replaced.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Text and Csv are made here; Report (.pdf) and Workbook (.xlsx) by the reports library, which
// passes the other two on to ExportDay.
enum class ExportFormat { Text, Csv, Report, Workbook, Unsupported };

// The ending of the name after its last dot, in any case: ".txt", ".csv", ".pdf", ".xlsx", or
// anything else ("reportpdf" has no ending).
ExportFormat ExportFormatOf(const QString &target);

// Whether an export may be written at `target`: a regular file or nothing yet. A symbolic link
// (even to a regular file: the file replaced would be someone else's), a named pipe, a device or
// a folder is refused, `error` saying which.
bool ExportTargetUsable(const QString &target, QString *error);

struct ExportResult {
    enum class Outcome {
        Written,
        Unsupported,     // not an ending this export makes; nothing written
        NothingRecorded, // .txt with no day file; nothing written
        NotRead,         // the day file could not be read; nothing written
        NotWritten,      // the target could not be written; it is as it was
    };
    Outcome outcome = Outcome::Unsupported;
    QString path;  // the file that could not be read or written
    QString error; // the system's reason
};

// The CSV form of `lines` under `csvHeader`: each line, the header included, ended by a single CR,
// in UTF-8 without a byte-order mark.
QByteArray CsvExportBytes(const QString &csvHeader, const QStringList &lines);

// Writes `bytes` to `target`, replacing it in one step; refused as NotWritten, with nothing
// left behind, when ExportTargetUsable() refuses the target.
ExportResult WriteExportFile(const QString &target, const QByteArray &bytes);

// `dayFile`: the day file, empty when there is none. `lines`: its non-empty lines as they were
// when the operator asked for the export (the CSV is made from them).
ExportResult ExportDay(const QString &dayFile, const QStringList &lines, const QString &csvHeader,
                       const QString &target);
