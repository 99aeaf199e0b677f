// How long the history takes with a day of 100,000 records: reading the day file (with its
// warning file), its summary and chart points, and the history window opening on that day until
// it has been laid out and painted; then one more reading followed into the open window, and
// changing to a small day and back. Runs offscreen in a scratch folder of its own.
#include "clock.h"
#include "controls/fonts.h"
#include "dialogs/prompts.h"
#include "history/dayhistory.h"
#include "history/daysummary.h"
#include "history/historychartdata.h"
#include "historywindow/historywindow.h"
#include "records/dayrecords.h"
#include "records/recordfile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

constexpr int kDayRecords = 100000;
const QDate kBigDay(2026, 12, 9);
const QDate kSmallDay(2026, 12, 8);

double Milliseconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// A reading every 0.8 s or so from 00:00 on; one in fifty abnormal, in the warning file too.
void WriteBigDay(const DayRecords &names)
{
    QByteArray day, warnings;
    for (int i = 1; i <= kDayRecords; ++i) {
        const QTime time = QTime(0, 0).addMSecs(int(qint64(i) * 86000000 / kDayRecords));
        const bool abnormal = i % 50 == 0;
        const QByteArray line =
            QByteArray::number(i) + ',' + time.toString(QStringLiteral("HH:mm:ss")).toLatin1() +
            (abnormal ? ",38.1C,24.5C"
                      : QString::asprintf(",%.1fC,24.5C", 36.0 + (i % 9) / 10.0).toLatin1());
        day += line + "\r\n";
        if (abnormal)
            warnings += line + "\r\n";
    }
    QDir().mkpath(QFileInfo(names.dayFilePath(kBigDay, 1)).path());
    QFile dayFile(names.dayFilePath(kBigDay, 1)), warningFile(names.warningFilePath(kBigDay));
    if (dayFile.open(QIODevice::WriteOnly))
        dayFile.write(day);
    if (warningFile.open(QIODevice::WriteOnly))
        warningFile.write(warnings);
    QDir().mkpath(QFileInfo(names.dayFilePath(kSmallDay, 1)).path());
    QFile small(names.dayFilePath(kSmallDay, 1));
    if (small.open(QIODevice::WriteOnly))
        small.write("1,09:00:00,36.5C,24.5C\r\n");
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallFontSubstitutes();
    QTextStream out(stdout);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    const DayRecords names;
    WriteBigDay(names);
    const QString dayFile = names.dayFilePath(kBigDay, 1);

    QElapsedTimer timer;
    timer.start();
    DayHistory day;
    day.load(dayFile, names.warningFilePath(kBigDay));
    const double read = Milliseconds(timer);
    timer.restart();
    const DaySummary summary = SummariseDay(day.readings(), day.unreadable(), TempUnit::Celsius);
    const double summarise = Milliseconds(timer);
    timer.restart();
    const HistoryChartData chart = BuildChartData(day.readings(), TempUnit::Celsius);
    const double points = Milliseconds(timer);
    out << "day file of " << day.rows().size() << " records (" << summary.abnormal
        << " abnormal): read " << read << " ms, summary " << summarise << " ms, chart points "
        << points << " ms (" << chart.readings.size() << " drawn)\n";

    timer.restart();
    auto *window = new HistoryWindow(std::make_shared<Prompts>(), std::make_shared<Clock>(), {});
    window->show();
    window->repaint();
    QApplication::processEvents();
    window->grab(); // everything painted once, the chart included
    out << "history window opened on that day, laid out and painted: " << Milliseconds(timer)
        << " ms\n";

    QString error;
    timer.restart();
    AppendRecordLine(dayFile, QStringLiteral("100001,23:59:59,36.6C,24.5C"), &error);
    window->recordsChanged(dayFile);
    const double follow = Milliseconds(timer);
    window->grab();
    out << "one more reading followed into the open window: " << follow << " ms, painted "
        << Milliseconds(timer) << " ms\n";

    auto *days = window->findChild<QListWidget *>(QStringLiteral("historyDays"));
    timer.restart();
    days->setCurrentRow(1);
    window->grab();
    const double toSmall = Milliseconds(timer);
    timer.restart();
    days->setCurrentRow(0);
    window->grab();
    out << "to a small day: " << toSmall << " ms, back to the big day: " << Milliseconds(timer)
        << " ms\n";
    delete window;
    return 0;
}
