#include "records/dayexport.h"

#include "logging.h"
#include "records/filesharing.h"
#include "regularfile.h"

#include <QFile>
#include <QFileInfo>

namespace {

ExportResult CopyDayFile(const QString &dayFile, const QString &target)
{
    if (dayFile.isEmpty() || !QFileInfo(dayFile).isFile())
        return {ExportResult::Outcome::NothingRecorded, {}, {}};
    QFile source(dayFile);
    if (QString error; !RegularFile::Open(source, QIODevice::ReadOnly, &error))
        return {ExportResult::Outcome::NotRead, dayFile, error};
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return {ExportResult::Outcome::NotRead, dayFile, source.errorString()};
    return WriteExportFile(target, bytes);
}

} // namespace

// Each line, the header included, ends with a single CR: the exports already filed, and the
// programs that read them, expect exactly that.
QByteArray CsvExportBytes(const QString &csvHeader, const QStringList &lines)
{
    QString text = csvHeader + u'\r';
    for (const QString &line : lines)
        text += line + u'\r';
    return text.toUtf8();
}

ExportResult WriteExportFile(const QString &target, const QByteArray &bytes)
{
    QString error;
    if (!ExportTargetUsable(target, &error)) {
        qCWarning(lcRecords) << "cannot export to" << target << error;
        return {ExportResult::Outcome::NotWritten, target, error};
    }
    if (FileSharing::ReplaceContents(target, bytes, &error))
        return {ExportResult::Outcome::Written, {}, {}};
    qCWarning(lcRecords) << "cannot export to" << target << error;
    return {ExportResult::Outcome::NotWritten, target, error};
}

bool ExportTargetUsable(const QString &target, QString *error)
{
    // QFileInfo looks at the link itself for isSymLink(), and through it for the rest.
    const QFileInfo info(target);
    if (info.isSymLink()) {
        *error = QStringLiteral("it is a symbolic link; an export is never written through one");
        return false;
    }
    if (info.exists() && !info.isFile()) {
        *error = info.isDir() ? QStringLiteral("it is a folder")
                              : QStringLiteral("it is not a regular file (a named pipe, a socket "
                                               "or a device)");
        return false;
    }
    return true;
}

ExportFormat ExportFormatOf(const QString &target)
{
    // The ending after the name's last dot: "reportpdf" names no format.
    const QString name = QFileInfo(target).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString ending = dot < 0 ? QString() : name.sliced(dot + 1).toLower();
    if (ending == QLatin1String("txt"))
        return ExportFormat::Text;
    if (ending == QLatin1String("csv"))
        return ExportFormat::Csv;
    if (ending == QLatin1String("pdf"))
        return ExportFormat::Report;
    if (ending == QLatin1String("xlsx"))
        return ExportFormat::Workbook;
    return ExportFormat::Unsupported;
}

ExportResult ExportDay(const QString &dayFile, const QStringList &lines, const QString &csvHeader,
                       const QString &target)
{
    switch (ExportFormatOf(target)) {
    case ExportFormat::Text:
        return CopyDayFile(dayFile, target);
    case ExportFormat::Csv:
        return WriteExportFile(target, CsvExportBytes(csvHeader, lines));
    case ExportFormat::Report:
    case ExportFormat::Workbook:
    case ExportFormat::Unsupported:
        break;
    }
    return {ExportResult::Outcome::Unsupported, {}, {}};
}
