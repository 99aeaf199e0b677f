// A day of 100,000 records in the window: loading and showing it, the CSV export, deleting a
// range of 10,000 lines, and the memory it takes while shown. Each beside the naive way: a
// QStandardItemModel filled one row at a time while its QTableView shows it, the export and
// the deletion done through its items.
//
// Each way runs in a process of its own (this program starts itself twice), so that its memory
// is its own. The window is the real CKestrimDlg on the offscreen platform (QT_QPA_PLATFORM is
// set to offscreen unless it is set already): its list view and RecordListModel are filled the
// way a connection fills them (DayRecords::PrepareDayRecords, then setRows), the export is what
// Save As does, and the deletion what the window does when Delete Data closes.
#include "benchsupport.h"
#include "controls/fonts.h"
#include "records/dayexport.h"
#include "records/dayrecords.h"
#include "records/recorddeletion.h"
#include "records/recordlistmodel.h"
#include "speech/speechengine.h"
#include "window/ckestrimdlg.h"

#include <QApplication>
#include <QProcess>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

constexpr int kRecords = 100000;
constexpr int kPort = 3;
constexpr int kFirstDeleted = 40001;
constexpr int kLastDeleted = 50000;
const QDate kDay(2024, 5, 21);
const QString kCsvHeader = QStringLiteral("Quantity,Test Time,Test Value,Envrionment Temp.");

void Report(const char *what, double value, const char *unit)
{
    std::printf("  %-34s %10.1f %s\n", what, value, unit);
}

int LinesIn(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? int(file.readAll().count('\n')) : -1;
}

int RunWindow()
{
    KestrimSeams seams;
    seams.clock = std::make_shared<FixedClock>(QDateTime(kDay, QTime(14, 0)));
    seams.speechEngine = [] {
        return std::unique_ptr<SpeechEngine>();
    }; // silent
    CKestrimDlg window(seams);
    window.show();
    auto *list = window.findChild<QTableView *>(QStringLiteral("1012"));
    auto *model = list ? qobject_cast<RecordListModel *>(list->model()) : nullptr;
    if (!model)
        return 1;
    PaintCounter listPaints(list->viewport());
    listPaints.waitBeyond(0);
    const double rssEmpty = StatusMegabytes("VmRSS");

    QElapsedTimer timer;
    timer.start();
    DayRecords records;
    records.LoadDayIndex(kDay);
    RecordRows rows = records.PrepareDayRecords(kPort);
    const double load = Milliseconds(timer);
    int painted = listPaints.count();
    model->setRows(std::move(rows));
    listPaints.waitBeyond(painted);
    const double loadShow = Milliseconds(timer);
    const double rssShown = StatusMegabytes("VmRSS");

    // Save As, to a .csv.
    timer.restart();
    const QString dayFile = records.existingDayFile();
    const ExportResult exported =
        ExportDay(dayFile, ReadTextLines(dayFile), kCsvHeader, QStringLiteral("day.csv"));
    const double exportMs = Milliseconds(timer);

    // Delete Data closed with lines 40,001 to 50,000 removed.
    const RecordRows shown = model->rows();
    timer.restart();
    RecordRows kept = RemoveLines(shown, kFirstDeleted, kLastDeleted);
    const RecordRows arrived = LoadRecordRows(dayFile).mid(shown.size());
    kept = FollowOn(std::move(kept), arrived);
    const RecordWrite replaced = records.replaceDayFile(kept, kDay, kPort);
    painted = listPaints.count();
    model->setRows(kept);
    listPaints.waitBeyond(painted);
    const double deleteMs = Milliseconds(timer);

    std::printf("the window (RecordListModel in its QTableView), %d records:\n",
                model->rowCount() + kLastDeleted - kFirstDeleted + 1);
    Report("load (PrepareDayRecords)", load, "ms");
    Report("load + show", loadShow, "ms");
    Report("CSV export (lines read + written)", exportMs, "ms");
    Report("delete 10,000 lines + replace file", deleteMs, "ms");
    Report("RSS, window empty", rssEmpty, "MB");
    Report("RSS, 100,000 rows shown", rssShown, "MB");
    const bool ok = exported.outcome == ExportResult::Outcome::Written && replaced.ok &&
                    LinesIn(QStringLiteral("day.csv")) == 0 && // CR-only lines
                    LinesIn(dayFile) == kRecords - (kLastDeleted - kFirstDeleted + 1);
    return ok ? 0 : 1;
}

QList<QStandardItem *> Items(const QStringList &fields)
{
    QList<QStandardItem *> items;
    for (int column = 0; column < 4; ++column) {
        auto *item = new QStandardItem(fields.value(column));
        item->setTextAlignment(Qt::AlignCenter);
        items.append(item);
    }
    return items;
}

QString RowText(const QStandardItemModel &model, int row)
{
    QStringList fields;
    for (int column = 0; column < 4; ++column)
        fields.append(model.item(row, column)->text());
    return fields.join(u',');
}

int RunNaive(const QString &dayFile)
{
    QStandardItemModel model(0, 4);
    QTableView view;
    view.setModel(&model);
    view.resize(360, 400);
    view.show();
    PaintCounter paints(view.viewport());
    paints.waitBeyond(0);
    const double rssEmpty = StatusMegabytes("VmRSS");

    // One row at a time, while the view shows the model.
    QElapsedTimer timer;
    timer.start();
    QFile file(dayFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return 1;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (!line.isEmpty())
            model.appendRow(Items(line.split(u',')));
    }
    int painted = paints.count();
    paints.waitBeyond(painted);
    const double loadShow = Milliseconds(timer);
    const double rssShown = StatusMegabytes("VmRSS");

    // The export written from the items, line by line.
    timer.restart();
    QFile csv(QStringLiteral("naive.csv"));
    if (!csv.open(QIODevice::WriteOnly))
        return 1;
    csv.write((kCsvHeader + u'\r').toUtf8());
    for (int row = 0; row < model.rowCount(); ++row)
        csv.write((RowText(model, row) + u'\r').toUtf8());
    csv.close();
    const double exportMs = Milliseconds(timer);

    // The range removed row by row, the rest renumbered, the file written again line by line.
    timer.restart();
    for (int line = kFirstDeleted; line <= kLastDeleted; ++line)
        model.removeRow(kFirstDeleted - 1);
    for (int row = 0; row < model.rowCount(); ++row)
        model.item(row, 0)->setText(QString::number(row + 1));
    QFile rewritten(dayFile);
    if (!rewritten.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    for (int row = 0; row < model.rowCount(); ++row)
        rewritten.write((RowText(model, row) + QStringLiteral("\r\n")).toUtf8());
    rewritten.close();
    painted = paints.count();
    paints.waitBeyond(painted);
    const double deleteMs = Milliseconds(timer);

    std::printf("naive (QStandardItemModel filled row by row in a QTableView):\n");
    Report("load + show", loadShow, "ms");
    Report("CSV export (from the items)", exportMs, "ms");
    Report("delete 10,000 lines + rewrite file", deleteMs, "ms");
    Report("RSS, view empty", rssEmpty, "MB");
    Report("RSS, 100,000 rows shown", rssShown, "MB");
    return LinesIn(dayFile) == kRecords - (kLastDeleted - kFirstDeleted + 1) ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString way = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (way.isEmpty()) {
        QCoreApplication app(argc, argv);
        int failed = 0;
        for (const QString &child : {QStringLiteral("window"), QStringLiteral("naive")}) {
            QProcess process;
            process.setProcessChannelMode(QProcess::ForwardedChannels);
            process.start(QCoreApplication::applicationFilePath(), {child});
            if (!process.waitForFinished(600000) || process.exitCode() != 0) {
                std::fprintf(stderr, "%s: failed\n", qPrintable(child));
                ++failed;
            }
        }
        return failed;
    }

    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    WriteDay(kDay, kPort, kRecords);
    QApplication app(argc, argv);
    InstallFontSubstitutes();
    if (way == QLatin1String("window"))
        return RunWindow();
    DayRecords names;
    return RunNaive(names.dayFilePath(kDay, kPort));
}
