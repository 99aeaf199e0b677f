#include "records/recordline.h"

#include "logging.h"
#include "regularfile.h"

#include <QFile>
#include <QFileInfo>

#include <optional>

namespace {

// The whole file as text; record files are ASCII, so reading them as UTF-8 is exact.
QString ReadWholeFile(const QString &path)
{
    QString error;
    const std::optional<QByteArray> bytes = RegularFile::ReadAll(path, &error);
    if (!bytes) {
        if (!error.isEmpty())
            qCWarning(lcRecords) << "cannot read" << path << error;
        return {};
    }
    return QString::fromUtf8(*bytes);
}

} // namespace

QString FormatRecordLine(const MeasurementRecord &record)
{
    return record.quantity + u',' + record.testTime + u',' + record.testValue + u',' +
           record.envTemp;
}

QStringList SplitFields(QStringView text)
{
    QStringList fields;
    fields.reserve(text.count(u',') + 1);
    for (const QStringView field : text.tokenize(u','))
        fields.append(field.trimmed().toString());
    while (!fields.isEmpty() && fields.constLast().isEmpty())
        fields.removeLast();
    return fields;
}

QStringList ReadTextLines(const QString &path)
{
    QStringList lines;
    ForEachLine(ReadWholeFile(path), [&lines](QStringView line) { lines.append(line.toString()); });
    return lines;
}

QStringList RecordLines(const RecordRows &rows)
{
    QStringList lines;
    lines.reserve(rows.size());
    for (const QStringList &row : rows)
        lines.append(row.join(u','));
    return lines;
}

RecordRows LoadRecordRows(const QString &path)
{
    const QString text = ReadWholeFile(path);
    RecordRows rows;
    rows.reserve(text.count(u'\n') + 1);
    ForEachLine(text, [&rows](QStringView line) { rows.append(SplitFields(line)); });
    return rows;
}

quint64 LastRecordQuantity(const QString &path)
{
    QFile file(path);
    if (!QFileInfo::exists(path) || !RegularFile::Open(file, QIODevice::ReadOnly))
        return 0;
    // Record lines are a few dozen bytes: the file's last block normally holds the last record.
    // Earlier blocks are read, backwards, only while none is found; only whole lines are looked
    // at, so a line that a block boundary cuts is never read as a shorter one.
    constexpr qint64 kBlock = 4096;
    qint64 end = file.size();
    QByteArray carried; // the start of the earliest line looked at, cut by the last block read
    while (end > 0) {
        const qint64 start = qMax<qint64>(0, end - kBlock);
        if (!file.seek(start))
            return 0;
        const QByteArray block = file.read(end - start) + carried;
        end = start;
        // Before the first line break the line may begin in an earlier block.
        const qsizetype whole = start == 0 ? 0 : block.indexOf('\n') + 1;
        if (start > 0 && whole == 0) {
            carried = block;
            continue;
        }
        std::optional<quint64> quantity;
        ForEachLine(QString::fromUtf8(block.sliced(whole)), [&quantity](QStringView line) {
            bool ok = false;
            const quint64 value = SplitFields(line).value(0).toULongLong(&ok);
            if (ok)
                quantity = value;
        });
        if (quantity)
            return *quantity;
        carried = block.first(qMax<qsizetype>(0, whole - 1));
    }
    return 0;
}
