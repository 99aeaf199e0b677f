// How long the record path takes: loading a day of 100,000 records into the list's model, and
// storing one reading (day file line with its flush to disk, then the index).
// Run from any folder; it works in a scratch folder of its own.
#include "records/dayrecords.h"
#include "records/recordfile.h"
#include "records/recordlistmodel.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

constexpr int kDayRecords = 100000;
constexpr int kReadings = 500;

double Milliseconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void WriteDayFile(const QString &path)
{
    QByteArray bytes;
    for (int i = 1; i <= kDayRecords; ++i)
        bytes += QByteArray::number(i) + ",14:03:27,36.5C,25.0C\r\n";
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());

    const QString dayFile = QStringLiteral("day.txt");
    WriteDayFile(dayFile);
    QElapsedTimer timer;
    timer.start();
    RecordRows rows = LoadRecordRows(dayFile);
    const double load = Milliseconds(timer);
    RecordListModel model;
    timer.restart();
    model.setRows(std::move(rows));
    const double show = Milliseconds(timer);
    out << "load " << kDayRecords << " records: " << load << " ms, model setRows: " << show
        << " ms (" << model.rowCount() << " rows)\n";

    QString error;
    timer.restart();
    for (int i = 0; i < kReadings; ++i)
        AppendRecordLine(QStringLiteral("lines.txt"), QStringLiteral("1,14:03:27,36.5C,25.0C"),
                         &error);
    out << "append line + fdatasync: " << Milliseconds(timer) * 1000.0 / kReadings
        << " us per line\n";

    DayRecords records;
    const QDate day(2024, 5, 21);
    records.LoadDayIndex(day);
    records.PrepareDayRecords(3);
    timer.restart();
    for (int i = 0; i < kReadings; ++i)
        records.AppendReading(QDateTime(day, QTime(14, 3, 27)), QStringLiteral("36.5C"),
                              QStringLiteral("25.0C"), 3);
    out << "AppendReading (line, fdatasync, index replace): "
        << Milliseconds(timer) * 1000.0 / kReadings << " us per reading\n";
    return records.recordCount() == quint64(kReadings) ? 0 : 1;
}
