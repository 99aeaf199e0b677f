// The history window beside the main window, on the offscreen platform: opened from the record
// list's context menu and with Ctrl+H, on the newest day; today's entry following the readings
// the main window stores; the language and unit following the main window; the shown day's
// file vanishing or being rewritten; the exports through the operator's file choice.
// Earlier days are files on disk; today's readings go through the window's receive path.
#include "controls/fonts.h"
#include "dialogs/resource.h"
#include "historywindow/historychartview.h"
#include "historywindow/historywindow.h"
#include "manualclock.h"
#include "reception/frame.h"
#include "recordingprompts.h"
#include "reportreaders.h"
#include "testfiles.h"
#include "window/ckestrimdlg.h"
#include "windowtesting.h"
#include "workingfolder.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScatterSeries>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QDate kToday(2026, 12, 9);
const QString kTodayFile = QStringLiteral("TempData/2026/12/20261209-01.txt");

// Celsius (or Fahrenheit), body mode, alarm limit 37.5 °C (99.5 °F), R9 Pro fields.
QByteArray ReportFrame(bool fahrenheit = false)
{
    return BuildFrame(FrameCode::Settings,
                      QByteArray::fromHex(fahrenheit ? "0101E303020000" : "00017701020000"));
}

QByteArray ReadingFrame(int tenths)
{
    const char value[] = {char(tenths & 0xFF), char(tenths >> 8)};
    return BuildFrame(FrameCode::Measurement, QByteArray(value, 2));
}

// A screening day of 8 December on COM1: a reading every few minutes from 08:00 to 16:00,
// a fever now and then (in the warning file too), the afternoon in Fahrenheit, and one line a
// crash cut short. Also 8 December on COM2 and 30 November on COM1.
void WriteEarlierDays()
{
    QByteArray day, warnings;
    int quantity = 0;
    for (int minute = 0; minute <= 8 * 60; minute += 6) {
        const QTime time = QTime(8, 0).addSecs(minute * 60);
        const int wobble = (minute * 7919) % 9; // 0…8 tenths, reproducibly uneven
        const bool fever = minute % 102 == 0 && minute > 0;
        const float celsius = fever ? 38.0f + wobble / 10.0f : 36.2f + wobble / 10.0f;
        const QString value = time.hour() < 13
                                  ? QString::asprintf("%.1fC", double(celsius))
                                  : QString::asprintf("%.1fF", double(celsius * 9 / 5 + 32));
        const QByteArray line = QString::asprintf("%d,", ++quantity).toLatin1() +
                                time.toString(QStringLiteral("HH:mm:ss")).toLatin1() + ',' +
                                value.toLatin1() + (time.hour() < 13 ? ",23.5C" : ",74.3F");
        day += line + "\r\n";
        if (fever)
            warnings += line + "\r\n";
    }
    day += "82,16:05:1";
    WriteFile(QStringLiteral("TempData/2026/12/20261208-01.txt"), day);
    WriteFile(QStringLiteral("TempData/2026/12/20261208-warning.txt"), warnings);
    WriteFile(QStringLiteral("TempData/2026/12/20261208-02.txt"), "1,10:00:00,36.6C,23.5C\r\n");
    WriteFile(QStringLiteral("TempData/2026/11/20261130-01.txt"), "1,09:00:00,36.5C,21.0C\r\n");
}

// The chart lays itself out when events are handled; the picture waits for that.
void Picture(QWidget *window, const QString &name)
{
    QCoreApplication::processEvents();
    Screenshot(window, name);
}

QMenu *RightClick(QTableView *list, QWidget *menuOwner)
{
    const QPoint pos(5, 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, list->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(list->viewport(), &event);
    auto *menu = menuOwner->findChild<QMenu *>(QString::number(IDR_MENU_RECORD_LIST));
    return menu && menu->isVisible() ? menu : nullptr;
}

} // namespace

class TestHistoryWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void opensOnTheNewestDayThroughTheContextMenu();
    void ctrlHOpensOneWindowThatIsGoneWhenClosed();
    void todaysEntryFollowsTheReadings();
    void newDayAppearsWhileOpen();
    void tableFollowsNewRowsAtItsEnd_data();
    void tableFollowsNewRowsAtItsEnd();
    void languageAndUnitFollowTheMainWindow_data();
    void languageAndUnitFollowTheMainWindow();
    void shownDayVanishesOrIsRewritten();
    void exports_data();
    void exports();
    void exportsReportAndWorkbook();

private:
    void connect(bool fahrenheit = false);
    void reading(const QTime &time, int tenths);
    HistoryWindow *openHistory();
    // The main window's history window, while it is open.
    HistoryWindow *historyWindow() const { return m_window->findChild<HistoryWindow *>(); }
    template <typename T> T *part(const char *name) const
    {
        return historyWindow()->findChild<T *>(QLatin1String(name));
    }
    QStringList dayLabels() const;
    QString summary() const { return part<QLabel>("historySummary")->text(); }
    int tableRows() const { return part<QTableView>("historyTable")->model()->rowCount(); }
    int markedAbnormal() const;

    std::unique_ptr<WorkingFolder> m_dir;
    std::shared_ptr<ManualClock> m_clock;
    std::shared_ptr<RecordingPrompts> m_prompts;
    std::unique_ptr<CKestrimDlg> m_window;
};

void TestHistoryWindow::initTestCase()
{
    InstallFontSubstitutes();
}

void TestHistoryWindow::init()
{
    m_dir = std::make_unique<WorkingFolder>();
    QVERIFY(m_dir->isValid());
    WriteEarlierDays();
    m_clock = std::make_shared<ManualClock>(QDateTime(kToday, QTime(8, 30)));
    m_prompts = std::make_shared<RecordingPrompts>();
    m_window = std::make_unique<CKestrimDlg>(TestSeams(m_clock, m_prompts));
    m_window->show();
}

void TestHistoryWindow::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

void TestHistoryWindow::connect(bool fahrenheit)
{
    m_window->OnTimer(CKestrimDlg::kClockTimer);
    Receive(*m_window, ReportFrame(fahrenheit));
}

void TestHistoryWindow::reading(const QTime &time, int tenths)
{
    m_clock->set(QDateTime(m_clock->now().date(), time));
    Receive(*m_window, ReadingFrame(tenths));
}

HistoryWindow *TestHistoryWindow::openHistory()
{
    m_window->findChild<QAction *>(QStringLiteral("history"))->trigger();
    return historyWindow();
}

QStringList TestHistoryWindow::dayLabels() const
{
    QStringList labels;
    auto *list = part<QListWidget>("historyDays");
    for (int row = 0; row < list->count(); ++row)
        labels.append(list->item(row)->text());
    return labels;
}

int TestHistoryWindow::markedAbnormal() const
{
    const QList<QAbstractSeries *> series =
        part<HistoryChartView>("historyChart")->chart()->series();
    for (QAbstractSeries *one : series)
        if (auto *scatter = qobject_cast<QScatterSeries *>(one))
            return scatter->count();
    return -1;
}

void TestHistoryWindow::opensOnTheNewestDayThroughTheContextMenu()
{
    connect();
    reading(QTime(8, 31, 5), 364);
    reading(QTime(8, 32, 10), 379); // abnormal

    QMenu *menu = RightClick(m_window->findChild<QTableView *>(QString::number(IDC_LIST_RECORDS)),
                             m_window.get());
    QVERIFY(menu);
    QStringList captions;
    for (QAction *action : menu->actions())
        captions.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(captions, (QStringList{"Select Delete", "Delete All", "-", "History…", "Language",
                                    "Repeat Announcement"}));
    QAction *history = menu->actions().at(3);
    QCOMPARE(history->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_H));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(history).center());

    HistoryWindow *window = historyWindow();
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("History"));
    QVERIFY(!window->isModal());
    QVERIFY(window->isWindow());
    QCOMPARE(dayLabels(), (QStringList{"2026-12-09  COM1", "2026-12-08  COM1", "2026-12-08  COM2",
                                       "2026-11-30  COM1"}));
    QCOMPARE(part<QListWidget>("historyDays")->currentRow(), 0);
    QCOMPARE(window->shownDay()->path, kTodayFile);
    auto *table = part<QTableView>("historyTable");
    QCOMPARE(table->model()->rowCount(), 2);
    QCOMPARE(table->model()->index(1, 2).data().toString(), QStringLiteral("37.9C"));
    QCOMPARE(table->model()->headerData(3, Qt::Horizontal).toString(),
             QStringLiteral("Envrionment Temp."));
    QCOMPARE(summary(), QStringLiteral("Readings: 2   Abnormal: 1   Highest: 37.9°C   Lowest: "
                                       "36.4°C   Mean: 37.2°C   First: 08:31:05   Last: 08:32:10"));
    QCOMPARE(markedAbnormal(), 1);
    Picture(window, QStringLiteral("history-today"));

    // The screening day of 8 December, the afternoon's Fahrenheit in Celsius.
    part<QListWidget>("historyDays")->setCurrentRow(1);
    QCOMPARE(tableRows(), 81);
    QVERIFY2(summary().startsWith(QStringLiteral("Readings: 81   Abnormal: 4   ")),
             qPrintable(summary()));
    QVERIFY2(summary().endsWith(QStringLiteral("Unreadable: 1")), qPrintable(summary()));
    QVERIFY(!summary().contains(QStringLiteral("°F")));
    QCOMPARE(markedAbnormal(), 4);
    Picture(window, QStringLiteral("history"));
}

void TestHistoryWindow::ctrlHOpensOneWindowThatIsGoneWhenClosed()
{
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(m_window.get(), Qt::Key_H, Qt::ControlModifier);
    QPointer<HistoryWindow> first = historyWindow();
    QVERIFY(first && first->isVisible());
    // A window of its own for screen readers, named by its title.
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(first.data());
    QVERIFY(accessible);
    QCOMPARE(accessible->role(), QAccessible::Window);
    QCOMPARE(accessible->text(QAccessible::Name), first->windowTitle());
    // Nothing recorded today yet: the newest day on disk is shown.
    QCOMPARE(first->shownDay()->label(), QStringLiteral("2026-12-08  COM1"));
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(m_window.get(), Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(m_window->findChildren<HistoryWindow *>(), QList<HistoryWindow *>{first.data()});

    first->close();
    QTRY_VERIFY(!first);
    // Readings go on with no history window to tell.
    connect();
    reading(QTime(8, 31), 365);
    QCOMPARE(ReadFile(kTodayFile).left(2), QByteArray("1,"));
}

// Readings stored while the window shows today appear at once, marked when abnormal; while it
// shows another day, that day stays as it is.
void TestHistoryWindow::todaysEntryFollowsTheReadings()
{
    connect();
    reading(QTime(8, 31), 365);
    openHistory();
    QCOMPARE(tableRows(), 1);

    reading(QTime(9, 0), 366);
    QCOMPARE(tableRows(), 2);
    reading(QTime(9, 30), 381);
    QCOMPARE(tableRows(), 3);
    QCOMPARE(part<QTableView>("historyTable")->model()->index(2, 1).data().toString(),
             QStringLiteral("09:30:00"));
    QCOMPARE(summary(), QStringLiteral("Readings: 3   Abnormal: 1   Highest: 38.1°C   Lowest: "
                                       "36.5°C   Mean: 37.1°C   First: 08:31:00   Last: 09:30:00"));
    QCOMPARE(markedAbnormal(), 1);

    part<QListWidget>("historyDays")->setCurrentRow(3);
    reading(QTime(10, 0), 367);
    QCOMPARE(tableRows(), 1);
    QCOMPARE(historyWindow()->shownDay()->label(), QStringLiteral("2026-11-30  COM1"));

    // Delete All empties today: its entry goes, and comes back with the next reading.
    part<QListWidget>("historyDays")->setCurrentRow(0);
    m_prompts->answers = {true};
    m_window->findChild<QAction *>(QString::number(ID_DELETE_ALL))->trigger();
    QCOMPARE(dayLabels().first(), QStringLiteral("2026-12-08  COM1"));
    reading(QTime(10, 30), 368);
    QCOMPARE(dayLabels().first(), QStringLiteral("2026-12-09  COM1"));
}

// A reading on another port, and one after midnight, add their entries; the day shown stays.
void TestHistoryWindow::newDayAppearsWhileOpen()
{
    connect();
    openHistory();
    QCOMPARE(dayLabels().size(), 3);
    part<QListWidget>("historyDays")->setCurrentRow(1);

    reading(QTime(8, 31), 365);
    QCOMPARE(dayLabels().first(), QStringLiteral("2026-12-09  COM1"));
    m_clock->set(QDateTime(kToday.addDays(1), QTime(0, 0, 5)));
    m_window->OnTimer(CKestrimDlg::kClockTimer);
    reading(QTime(0, 0, 6), 366);
    QCOMPARE(dayLabels().mid(0, 2), (QStringList{"2026-12-10  COM1", "2026-12-09  COM1"}));
    QCOMPARE(historyWindow()->shownDay()->label(), QStringLiteral("2026-12-08  COM2"));
    QCOMPARE(part<QListWidget>("historyDays")->currentItem()->text(),
             QStringLiteral("2026-12-08  COM2"));
}

void TestHistoryWindow::tableFollowsNewRowsAtItsEnd_data()
{
    QTest::addColumn<bool>("atEnd");
    QTest::newRow("at the end") << true;
    QTest::newRow("at the top") << false;
}

// A long day shown: a reading stored while the table shows its last row brings the new row into
// view; while it shows its first rows, it stays there.
void TestHistoryWindow::tableFollowsNewRowsAtItsEnd()
{
    QFETCH(bool, atEnd);
    QByteArray day;
    for (int quantity = 1; quantity <= 200; ++quantity)
        day += QByteArray::number(quantity) + ",08:" + QByteArray::number(10 + quantity % 20) +
               ":00,36.6C,22.5C\r\n";
    WriteFile(kTodayFile, day);
    connect();
    openHistory();
    QVERIFY(QTest::qWaitForWindowExposed(historyWindow()));
    auto *table = part<QTableView>("historyTable");
    QCOMPARE(tableRows(), 200);
    if (atEnd)
        table->scrollToBottom();
    const QScrollBar *bar = table->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);

    reading(QTime(9, 0), 366);
    QCOMPARE(tableRows(), 201);
    QCoreApplication::processEvents(); // the table lays out its new row
    QCOMPARE(bar->value(), atEnd ? bar->maximum() : 0);
}

void TestHistoryWindow::languageAndUnitFollowTheMainWindow_data()
{
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<bool>("fahrenheit");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("column");
    QTest::newRow("English, °C")
        << false << false << "History"
        << "Readings: 2   Abnormal: 1   Highest: 38.1°C   Lowest: 36.5°C   Mean: 37.3°C   First: "
           "08:31:00   Last: 08:32:00"
        << "Envrionment Temp.";
    QTest::newRow("Chinese, °F")
        << true << true << "历史记录"
        << "读数：2   异常：1   最高：100.6°F   最低：97.7°F   平均：99.1°F   首次：08:31:00   "
           "末次：08:32:00"
        << "环境温度";
}

// The window is open while the main window changes its language and, with a new settings
// report, its unit: the texts, the summary and the chart follow.
void TestHistoryWindow::languageAndUnitFollowTheMainWindow()
{
    QFETCH(bool, chinese);
    QFETCH(bool, fahrenheit);
    connect();
    reading(QTime(8, 31), 365);
    reading(QTime(8, 32), 381);
    HistoryWindow *window = openHistory();
    if (chinese)
        m_window->findChild<QAbstractButton *>(QString::number(IDC_BUTTON_CHINESE))->click();
    if (fahrenheit)
        Receive(*m_window, ReportFrame(true));

    QTEST(window->windowTitle(), "title");
    QTEST(summary(), "summary");
    QTEST(part<QTableView>("historyTable")->model()->headerData(3, Qt::Horizontal).toString(),
          "column");
    const QString axis = fahrenheit ? QStringLiteral("°F") : QStringLiteral("°C");
    const QList<QAbstractAxis *> axes =
        part<HistoryChartView>("historyChart")->chart()->axes(Qt::Vertical);
    QCOMPARE(axes.size(), 1);
    QCOMPARE(axes.first()->titleText(), axis);
    part<QListWidget>("historyDays")->setCurrentRow(1);
    Picture(window, chinese ? QStringLiteral("history-chinese") : QStringLiteral("history-en"));
}

// Changed by something else than this program: reloaded, listed, or the newest day shown when
// the shown one is gone.
void TestHistoryWindow::shownDayVanishesOrIsRewritten()
{
    openHistory();
    part<QListWidget>("historyDays")->setCurrentRow(1);
    QCOMPARE(historyWindow()->shownDay()->label(), QStringLiteral("2026-12-08  COM2"));

    WriteFile(QStringLiteral("TempData/2026/12/20261208-02.txt"),
              "1,10:00:00,36.6C,23.5C\r\n2,10:01:00,36.9C,23.5C\r\n3,10:0");
    QTRY_COMPARE(tableRows(), 2);
    QTRY_VERIFY(summary().endsWith(QStringLiteral("Unreadable: 1")));
    // A day file laid beside it (copied from another desk) is listed.
    WriteFile(QStringLiteral("TempData/2026/12/20261201-05.txt"), "1,10:00:00,36.6C,23.5C\r\n");
    QTRY_COMPARE(dayLabels().size(), 4);
    QCOMPARE(dayLabels().at(2), QStringLiteral("2026-12-01  COM5"));
    QCOMPARE(historyWindow()->shownDay()->label(), QStringLiteral("2026-12-08  COM2"));

    QVERIFY(QFile::remove(QStringLiteral("TempData/2026/12/20261208-02.txt")));
    QTRY_COMPARE(dayLabels(),
                 (QStringList{"2026-12-08  COM1", "2026-12-01  COM5", "2026-11-30  COM1"}));
    QCOMPARE(historyWindow()->shownDay()->label(), QStringLiteral("2026-12-08  COM1"));
    QCOMPARE(tableRows(), 81);
}

void TestHistoryWindow::exports_data()
{
    const QString kDayDialog = QStringLiteral(
        "20261208-02.txt|TempTable (*.txt)|TempTable(*.csv)|Report (*.pdf)|Workbook (*.xlsx)");
    QTest::addColumn<bool>("range");
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("messages");
    const QByteArray day = "1,10:00:00,36.6C,23.5C\r\n";
    QTest::newRow("day as .txt") << false << false << "out.txt" << kDayDialog << day
                                 << QStringList{};
    QTest::newRow("day as .csv, Chinese")
        << false << true << "out.csv"
        << "20261208-02.txt|TempTable (*.txt)|TempTable(*.csv)|报表 (*.pdf)|工作簿 (*.xlsx)"
        << QByteArray("数量,测试时间,测量数值,环境温度\r1,10:00:00,36.6C,23.5C\r") << QStringList{};
    QTest::newRow("day as .dat") << false << false << "out.dat" << kDayDialog
                                 << QByteArray("<missing>") << QStringList{"Unsupported text"};
    QTest::newRow("range, Chinese")
        << true << true << "out.csv"
        << "20261130-20261208.csv|TempTable(*.csv)|报表 (*.pdf)|工作簿 (*.xlsx)"
        << QByteArray("日期,串口,数量,测试时间,测量数值,环境温度,异常\r"
                      "2026-11-30,COM1,1,09:00:00,36.5C,21.0C,FALSE\r"
                      "2026-12-08,COM2,1,10:00:00,36.6C,23.5C,FALSE\r")
        << QStringList{};
}

// The day shown is 8 December on COM2; the range runs from 30 November to it, without COM1's
// day of 8 December (a range of days holds every port's file of those days: here, the range
// ends with a day COM1 also has, so COM1's file is removed first to keep the bytes short).
void TestHistoryWindow::exports()
{
    QFETCH(bool, range);
    QFETCH(bool, chinese);
    QFETCH(QString, target);
    QVERIFY(QFile::remove(QStringLiteral("TempData/2026/12/20261208-01.txt")));
    HistoryWindow *window = openHistory();
    if (chinese)
        m_window->findChild<QAbstractButton *>(QString::number(IDC_BUTTON_CHINESE))->click();
    QCOMPARE(window->shownDay()->label(), QStringLiteral("2026-12-08  COM2"));
    QCOMPARE(part<QDateEdit>("historyFrom")->date(), QDate(2026, 11, 30));
    QCOMPARE(part<QDateEdit>("historyTo")->date(), QDate(2026, 12, 8));
    m_prompts->saveTargets = {m_dir->filePath(target)};

    part<QPushButton>(range ? "historyExportRange" : "historyExportDay")->click();
    QTEST(m_prompts->saveDialogs.value(0), "dialog");
    QTEST(ReadFile(m_dir->filePath(target)), "bytes");
    QTEST(m_prompts->messages, "messages");
}

// The day chosen as the printed report, in the window's language and made at the window's
// time; the range as a workbook with a sheet for each day file.
void TestHistoryWindow::exportsReportAndWorkbook()
{
    const QString python = PythonWithOpenpyxl();
    if (!HavePoppler() || python.isEmpty())
        QSKIP("poppler-utils or python3-openpyxl is missing");
    openHistory();
    m_window->findChild<QAbstractButton *>(QString::number(IDC_BUTTON_CHINESE))->click(); // 中文
    QCOMPARE(historyWindow()->shownDay()->label(), QStringLiteral("2026-12-08  COM1"));
    m_prompts->saveTargets = {m_dir->filePath("day.pdf"), m_dir->filePath("range.xlsx")};
    part<QPushButton>("historyExportDay")->click();
    part<QPushButton>("historyExportRange")->click();
    QVERIFY2(m_prompts->messages.isEmpty(), qPrintable(m_prompts->messages.join(u'\n')));

    const QString text = PdfLines(m_dir->filePath("day.pdf")).join(u'\n');
    QVERIFY2(text.contains(QStringLiteral("测温日报 2026-12-08\n串口：COM1")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("1 08:00:00 36.2 °C 23.5 °C")));
    QVERIFY2(text.contains(QStringLiteral("制表时间：2026-12-09 08:30:00 第 1 页，共 3 页")),
             qPrintable(text.right(300)));
    QStringList sheets;
    for (const QJsonValue &sheet : WorkbookSheets(python, m_dir->filePath("range.xlsx")))
        sheets.append(sheet[QStringLiteral("name")].toString());
    QCOMPARE(sheets, (QStringList{"汇总", "全部读数", "2026-11-30 COM1", "2026-12-08 COM1",
                                  "2026-12-08 COM2"}));
}

QTEST_MAIN(TestHistoryWindow)
#include "tst_historywindow.moc"
