// Fuzzes a run that starts on a day whose files hold anything at all: the input is written as the
// day file and as the day's index in a scratch working folder, then the index is loaded, the
// records prepared as a connection does, and one reading stored. Whatever was there: no crash,
// the list holds the file's rows, the new quantity carries on after the file's last record, the
// new line is one whole, well-formed line ending in CR LF with every earlier line unchanged, and
// the count on disk follows it.
//
// Byte 0 chooses the index: bit 0 adds a PATH naming the day (the index of an earlier run of the
// day), bit 1 leaves the index out (the first run of the day). When the index names the day,
// the list holds the day file's rows and the count follows them.
//
// The same file is then read back as the history and the reports read it: every reading taken
// from it is a value a thermometer can send (absurd numbers such as 99999999999999999999C are
// unreadable lines, each counted once), and the chart's axes stay within the day and within
// what those values span.
#include "fuzzcheck.h"
#include "history/dayhistory.h"
#include "history/historychartdata.h"
#include "reception/temperature.h"
#include "records/dayrecords.h"
#include "records/indexfile.h"
#include "records/recordline.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <cmath>
#include <cstdint>

namespace {

const QDate kDay(2024, 5, 21);
const QDateTime kInstant(kDay, QTime(14, 3, 27));
constexpr int kPort = 3;

void Write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

QByteArray Read(const QString &path)
{
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

// The non-empty lines of `bytes`, read the way the record files are read: split at LF, a CR
// before the LF belongs to the line break; so does a CR that ends the file (the append
// completes that line break).
QStringList Lines(const QByteArray &bytes)
{
    QStringList lines;
    const QString text = QString::fromUtf8(bytes);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        QString line = text.sliced(start, end - start);
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines.append(line);
        start = end + 1;
    }
    return lines;
}

// The quantity of the last line of the whole file whose first field is a number; 0 for none.
quint64 LastQuantity(const QStringList &lines)
{
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        bool ok = false;
        const quint64 quantity = SplitFields(lines[i]).value(0).toULongLong(&ok);
        if (ok)
            return quantity;
    }
    return 0;
}

// Every reading of the file is one a thermometer can send; every line is a reading or counted
// unreadable; the chart's figures are finite and its time axis covers at most the day.
void CheckHistory(const QString &dayFile, const QStringList &lines)
{
    // What a frame's 16 bits carry, and the same converted with Kestrim's own rounding (0 °F is
    // -17.8 °C).
    const float highestSent = DecodeTenths(0xFFFF);
    const float lowestCelsius = ToCelsius(0.0f);
    const float highestFahrenheit = ToFahrenheit(highestSent);
    DayHistory history;
    history.load(dayFile, {});
    FUZZ_CHECK(history.readings().size() + history.unreadable() == lines.size());
    for (const HistoryReading &reading : history.readings()) {
        FUZZ_CHECK(std::isfinite(reading.value));
        switch (reading.unit) {
        case HistoryReading::Unit::Celsius:
            FUZZ_CHECK(reading.value >= lowestCelsius && reading.value <= highestSent);
            break;
        case HistoryReading::Unit::Fahrenheit:
            FUZZ_CHECK(reading.value >= 0.0f && reading.value <= highestFahrenheit);
            break;
        case HistoryReading::Unit::Count:
            FUZZ_CHECK(reading.value >= 0.0f && reading.value <= 65535.0f);
            break;
        }
    }
    for (TempUnit unit : {TempUnit::Celsius, TempUnit::Fahrenheit}) {
        const HistoryChartData chart = BuildChartData(history.readings(), unit);
        FUZZ_CHECK(std::isfinite(chart.lowest) && std::isfinite(chart.highest));
        FUZZ_CHECK(chart.lowest >= lowestCelsius && chart.highest <= highestFahrenheit);
        FUZZ_CHECK(chart.axisTicks >= 2 && chart.axisTicks <= 9);
        FUZZ_CHECK(chart.axisFromMs >= 0 && chart.axisToMs <= 24 * 3600 * 1000);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The records' warnings about unreadable files would drown the fuzzer's own output.
    QLoggingCategory::setFilterRules(QStringLiteral("kestrim.*=false"));
    // A memory file system where there is one: every stored reading is flushed to the disk.
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/kestrim-fuzz-XXXXXX")
                                    : QDir::tempPath() + QStringLiteral("/kestrim-fuzz-XXXXXX"));
    FUZZ_CHECK(folder.isValid() && QDir::setCurrent(folder.path()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QDir(QStringLiteral("TempData")).removeRecursively();
    QDir(QStringLiteral("Ini")).removeRecursively();

    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const int flags = size > 0 ? data[0] : 0;
    DayRecords records;
    const QString dayFile = records.dayFilePath(kDay, kPort);
    const QString indexFile = records.indexFilePath(kDay);
    Write(dayFile, input);
    if ((flags & 2) == 0) {
        QByteArray index = input;
        if ((flags & 1) != 0)
            index += "\r\n[RECORD]\r\nPATH=" + records.dayPrefix(kDay).toUtf8() + "\r\n";
        Write(indexFile, index);
    }
    // A damaged index may hide the PATH added to it (a lone "[" takes the next line into a
    // section name): what counts is what the index says.
    const bool namesDay = IndexFile(indexFile).value(IndexFile::kPath) == records.dayPrefix(kDay);

    records.LoadDayIndex(kDay);
    const RecordRows rows = records.PrepareDayRecords(kPort);
    FUZZ_CHECK(records.indexFilePath() == indexFile);
    if (namesDay) {
        FUZZ_CHECK(records.dayFilePath() == dayFile);
        FUZZ_CHECK(rows == LoadRecordRows(dayFile));
        FUZZ_CHECK(records.recordCount() == quint64(rows.size()));
    }

    const QStringList before = Lines(input);
    const RecordWrite write =
        records.AppendReading(kInstant, QStringLiteral("36.5C"), QStringLiteral("25.0C"), kPort);
    FUZZ_CHECK(write.ok && write.path == dayFile);
    bool isNumber = false;
    const quint64 quantity = write.record.quantity.toULongLong(&isNumber);
    FUZZ_CHECK(isNumber && quantity > LastQuantity(before));
    FUZZ_CHECK(records.recordCount() == quantity);

    const QByteArray after = Read(dayFile);
    FUZZ_CHECK(after.startsWith(input) && after.endsWith(write.line.toUtf8() + "\r\n"));
    const QStringList lines = Lines(after);
    FUZZ_CHECK(lines.size() == before.size() + 1 && lines.first(before.size()) == before);
    FUZZ_CHECK(lines.last() == write.line);
    FUZZ_CHECK(SplitFields(lines.last()) ==
               QStringList({write.record.quantity, QStringLiteral("14:03:27"),
                            QStringLiteral("36.5C"), QStringLiteral("25.0C")}));
    FUZZ_CHECK(ReadTextLines(dayFile) == lines);
    CheckHistory(dayFile, lines);

    if (write.indexError.isEmpty()) {
        const IndexFile index(indexFile);
        FUZZ_CHECK(index.count() == quantity);
        FUZZ_CHECK(index.value(IndexFile::kPath) == records.dayPrefix(kDay));
    }
    return 0;
}
