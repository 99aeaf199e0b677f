#include "records/recorddeletion.h"

namespace {

QString OrdinalSuffix(int line)
{
    switch (line) {
    case 1:
        return QStringLiteral("st");
    case 2:
        return QStringLiteral("nd");
    case 3:
        return QStringLiteral("rd");
    default:
        return QStringLiteral("th");
    }
}

// Appends `row` to `rows` with the quantity that follows the rows before it.
void AppendNumbered(RecordRows &rows, QStringList row)
{
    if (row.isEmpty())
        return;
    row[0] = QString::number(rows.size() + 1);
    rows.append(std::move(row));
}

} // namespace

QString LineConfirmation(int line, LineEnd end)
{
    return QStringLiteral("Are you sure to set the %1%2 row as the %3 row?")
        .arg(line)
        .arg(OrdinalSuffix(line),
             end == LineEnd::Start ? QStringLiteral("start") : QStringLiteral("end"));
}

QString DelRefusal(int startLine, int endLine)
{
    if (startLine == 0)
        return QStringLiteral("Please Select starting line and end line");
    if (startLine > endLine)
        return QStringLiteral("Please Select end line");
    return {};
}

RecordRows RemoveLines(RecordRows rows, int startLine, int endLine)
{
    RecordRows kept;
    kept.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const qsizetype line = i + 1;
        if (line < startLine || line > endLine)
            AppendNumbered(kept, std::move(rows[i]));
    }
    return kept;
}

RecordRows FollowOn(RecordRows kept, const RecordRows &arrived)
{
    for (const QStringList &row : arrived)
        AppendNumbered(kept, row);
    return kept;
}
