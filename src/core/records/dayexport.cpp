#include "records/dayexport.h"

#include "logging.h"
#include "records/filesharing.h"

#include <QFile>
#include <QFileInfo>

namespace {

ExportResult CopyDayFile(const QString &dayFile, const QString &target)
{
    if (dayFile.isEmpty() || !QFileInfo(dayFile).isFile())
        return {ExportResult::Outcome::NothingRecorded, {}, {}};
    QFile source(dayFile);
    if (!source.open(QIODevice::ReadOnly))
        return {ExportResult::Outcome::NotRead, dayFile, source.errorString()};
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
    if (FileSharing::ReplaceContents(target, bytes, &error))
        return {ExportResult::Outcome::Written, {}, {}};
    qCWarning(lcRecords) << "cannot export to" << target << error;
    return {ExportResult::Outcome::NotWritten, target, error};
}

ExportFormat ExportFormatOf(const QString &target)
{
    const QString ending = target.right(3).toLower();
    if (ending == QLatin1String("txt"))
        return ExportFormat::Text;
    if (ending == QLatin1String("csv"))
        return ExportFormat::Csv;
    if (ending == QLatin1String("pdf"))
        return ExportFormat::Report;
    if (target.right(4).toLower() == QLatin1String("xlsx"))
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
