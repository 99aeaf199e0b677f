// Reading exported files back with programs made by others: poppler's pdftotext, pdftoppm and
// pdffonts for a PDF, Python's openpyxl for a workbook. A reader that is not installed gives
// nothing, and the test skips with a message naming its package.
#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <optional>

// The program's standard output, or nothing when it is missing or fails.
inline std::optional<QByteArray> RunReader(const QString &program, const QStringList &arguments)
{
    if (QStandardPaths::findExecutable(program).isEmpty() && !program.startsWith(u'/'))
        return std::nullopt;
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

inline bool HavePoppler()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdffonts")).isEmpty();
}

// The PDF's text as pdftotext lays it out, one entry per line, each run of blanks made one
// space.
inline QStringList PdfLines(const QString &pdf)
{
    const std::optional<QByteArray> text = RunReader(
        QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QStringList lines;
    if (!text)
        return lines;
    for (const QString &line : QString::fromUtf8(*text).split(u'\n'))
        if (const QString simple = line.simplified(); !simple.isEmpty())
            lines.append(simple);
    return lines;
}

// A Python 3 that has openpyxl (Debian's python3-openpyxl is for the system's Python, which
// may not be the first python3 on the path).
inline QString PythonWithOpenpyxl()
{
    for (const QString &python : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")})
        if (RunReader(python, {QStringLiteral("-c"), QStringLiteral("import openpyxl")}))
            return python;
    return {};
}

// Every sheet of the workbook as openpyxl reads it: its name, the cell below and right of the
// frozen panes, the column widths and each row's cells as [type name, value], a time of day as
// "HH:MM:SS" and a date as "YYYY-MM-DD".
inline QJsonArray WorkbookSheets(const QString &python, const QString &xlsx)
{
    static const QString script = QStringLiteral(R"(
import datetime, json, sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
sheets = []
for sheet in book.worksheets:
    rows = []
    for row in sheet.iter_rows(values_only=True):
        rows.append([[type(v).__name__, v.strftime('%H:%M:%S') if isinstance(v, datetime.time)
                      else v.strftime('%Y-%m-%d') if isinstance(v, datetime.datetime) else v]
                     for v in row])
    sheets.append({'name': sheet.title, 'freeze': sheet.freeze_panes,
                   'widths': [sheet.column_dimensions[c].width for c in 'ABCDEFG'], 'rows': rows})
print(json.dumps(sheets, ensure_ascii=False))
)");
    const std::optional<QByteArray> json = RunReader(python, {QStringLiteral("-c"), script, xlsx});
    return json ? QJsonDocument::fromJson(*json).array() : QJsonArray();
}
