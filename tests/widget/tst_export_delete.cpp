// The window's Save As, its record list's context menu and the Delete Data dialog, driven as an
// operator would, with readings handed to the receive path; every file checked byte for byte.
// Also the instant a reading is stored with, and the messages when a record file fails.
#include "controls/fonts.h"
#include "dialogs/cdeletedatadlg.h"
#include "dialogs/resource.h"
#include "manualclock.h"
#include "reception/frame.h"
#include "recordingprompts.h"
#include "records/filesharing.h"
#include "speech/speechengine.h"
#include "testfiles.h"
#include "window/ckestrimdlg.h"
#include "window/panestatusbar.h"
#include "windowtesting.h"
#include "workingfolder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QScopeGuard>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

const QDate kDay(2024, 5, 21);
const QString kDayFile = QStringLiteral("TempData/2024/05/20240521-01.txt");
const QString kIndex = QStringLiteral("Ini/2024-05-21.ini");
const QString kChineseHeader = QStringLiteral("数量,测试时间,测量数值,环境温度");

QByteArray Index(int count)
{
    return "[RECORD]\r\nTOTAL_NUM=" + QByteArray::number(count) +
           "\r\nPATH=TempData/2024/05/20240521\r\n";
}

// Reading n of a day is 36.0 + n/10 degrees, taken at 09:00:n; stored with `quantity`.
QByteArray Line(int quantity, int n)
{
    return QString::asprintf("%d,09:00:%02d,%.1fC,0.0C\r\n", quantity, n, 36.0 + n / 10.0)
        .toLatin1();
}

// The day file after a deletion: readings `kept`, numbered 1..n.
QByteArray Lines(const QList<int> &kept)
{
    QByteArray bytes;
    for (int i = 0; i < kept.size(); ++i)
        bytes += Line(i + 1, kept[i]);
    return bytes;
}

QByteArray ReadingFrame(int tenths)
{
    const char value[] = {char(tenths & 0xFF), char(tenths >> 8)};
    return BuildFrame(FrameCode::Measurement, QByteArray(value, 2));
}

// Celsius, body mode, alarm limit 37.5 (0x0177), R9 Pro fields.
QByteArray ReportFrame()
{
    return BuildFrame(FrameCode::Settings, QByteArray::fromHex("0001770102000001"));
}

// Opens a list's context menu at `row` (at the top of the list when -1) the way a right click
// does, and returns the menu that popped up.
QMenu *RightClick(QTableView *list, int row, QWidget *menuOwner, int menuId)
{
    const QPoint pos =
        row < 0 ? QPoint(5, 5) : list->visualRect(list->model()->index(row, 0)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, list->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(list->viewport(), &event);
    auto *menu = menuOwner->findChild<QMenu *>(QString::number(menuId));
    return menu && menu->isVisible() ? menu : nullptr;
}

void Choose(QMenu *menu, int command)
{
    QAction *action = menu->findChild<QAction *>(QString::number(command));
    QVERIFY(action);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    QVERIFY(!menu->isVisible());
}

} // namespace

class TestExportDelete : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void saveAs_data();
    void saveAs();
    void saveAsWithoutDayFile_data();
    void saveAsWithoutDayFile();
    void saveAsToATargetThatCannotBeWritten();
    void contextMenuOfTheList();
    void selectDeleteRange_data();
    void selectDeleteRange();
    void delRefusedAndEscape_data();
    void delRefusedAndEscape();
    void readingWhileDeleteDataIsOpen_data();
    void readingWhileDeleteDataIsOpen();
    void deleteAllAsksFirst_data();
    void deleteAllAsksFirst();
    void deleteAllThenAReading();
    void settingsFileFollowsDeletions();
    void readingBeforeTheFirstTick();
    void readingBetweenMidnightAndTheTick();
    void recordFailuresToldTruly_data();
    void recordFailuresToldTruly();
    void selectDeleteOfAFileHeldOpen();
    void settingsThatCannotBeRecorded();

private:
    void openWindow();
    void connect();
    // Readings first … last, each at its own second.
    void record(int first, int last);
    void reading(int n);
    void chooseFromRecordMenu(int command);
    // The operator's language button: 0 Chinese, 1 English.
    void switchLanguage(Language language);
    // Chooses Select Delete; `drive` runs on the open dialog, which it must close.
    void selectDelete(const std::function<void(CDeleteDataDlg &)> &drive);
    void clickRow(CDeleteDataDlg &dialog, int row);
    void chooseLine(CDeleteDataDlg &dialog, int line, int command);
    QTableView *list() const
    {
        return m_window->findChild<QTableView *>(QString::number(IDC_LIST_RECORDS));
    }
    QStringList listColumn(int column) const;

    std::unique_ptr<WorkingFolder> m_dir;
    std::shared_ptr<ManualClock> m_clock;
    std::shared_ptr<RecordingPrompts> m_prompts;
    std::unique_ptr<CKestrimDlg> m_window;
};

void TestExportDelete::initTestCase()
{
    InstallFontSubstitutes();
}

void TestExportDelete::init()
{
    m_dir = std::make_unique<WorkingFolder>();
    QVERIFY(m_dir->isValid());
    m_clock = std::make_shared<ManualClock>(QDateTime(kDay, QTime(9, 0, 0)));
    m_prompts = std::make_shared<RecordingPrompts>();
    openWindow();
}

void TestExportDelete::openWindow()
{
    KestrimSeams seams;
    seams.clock = m_clock;
    seams.prompts = m_prompts;
    seams.speechEngine = [] {
        return std::unique_ptr<SpeechEngine>();
    };
    m_window = std::make_unique<CKestrimDlg>(seams);
    m_window->show();
}

void TestExportDelete::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

void TestExportDelete::connect()
{
    m_window->OnTimer(CKestrimDlg::kClockTimer);
    Receive(*m_window, ReportFrame());
}

void TestExportDelete::reading(int n)
{
    m_clock->set(QDateTime(kDay, QTime(9, 0, n)));
    Receive(*m_window, ReadingFrame(360 + n));
}

void TestExportDelete::record(int first, int last)
{
    for (int n = first; n <= last; ++n)
        reading(n);
}

QStringList TestExportDelete::listColumn(int column) const
{
    QStringList texts;
    for (int row = 0; row < list()->model()->rowCount(); ++row)
        texts.append(list()->model()->index(row, column).data().toString());
    return texts;
}

void TestExportDelete::chooseFromRecordMenu(int command)
{
    QMenu *menu = RightClick(list(), 0, m_window.get(), IDR_MENU_RECORD_LIST);
    QVERIFY(menu);
    Choose(menu, command);
}

void TestExportDelete::switchLanguage(Language language)
{
    m_window
        ->findChild<QAbstractButton *>(QString::number(
            language == Language::Chinese ? IDC_BUTTON_CHINESE : IDC_BUTTON_ENGLISH))
        ->click();
    QCOMPARE(m_window->language(), language);
}

void TestExportDelete::selectDelete(const std::function<void(CDeleteDataDlg &)> &drive)
{
    bool closed = false;
    QTimer::singleShot(0, m_window.get(), [&] {
        auto *dialog = qobject_cast<CDeleteDataDlg *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        drive(*dialog);
        closed = !dialog->isVisible();
        if (!closed)
            dialog->reject();
    });
    chooseFromRecordMenu(ID_SELECT_DELETE);
    QVERIFY2(closed, "the dialog was left open");
}

void TestExportDelete::clickRow(CDeleteDataDlg &dialog, int row)
{
    auto *view = dialog.findChild<QTableView *>(QString::number(IDC_LIST_DELETE));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(view->model()->index(row, 0)).center());
    QCoreApplication::processEvents();
}

void TestExportDelete::chooseLine(CDeleteDataDlg &dialog, int line, int command)
{
    clickRow(dialog, line - 1);
    QMenu *menu = RightClick(dialog.findChild<QTableView *>(QString::number(IDC_LIST_DELETE)),
                             line - 1, &dialog, IDR_MENU_LINE);
    QVERIFY(menu);
    Screenshot(menu, QStringLiteral("delete-data-line-menu"));
    Choose(menu, command);
}

void TestExportDelete::saveAs_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<Language>("language");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("messages");
    const QByteArray day = Line(1, 1) + Line(2, 2);
    const QByteArray rows = "1,09:00:01,36.1C,0.0C\r2,09:00:02,36.2C,0.0C\r";
    QTest::newRow(".txt") << "day.txt" << Language::English << day << QStringList{};
    QTest::newRow(".TXT") << "day.TXT" << Language::English << day << QStringList{};
    QTest::newRow(".csv") << "day.csv" << Language::English
                          << "Quantity,Test Time,Test Value,Envrionment Temp.\r" + rows
                          << QStringList{};
    QTest::newRow(".CSV, Chinese header")
        << "day.CSV" << Language::Chinese << kChineseHeader.toUtf8() + '\r' + rows << QStringList{};
    QTest::newRow(".dat") << "day.dat" << Language::English << QByteArray("<missing>")
                          << QStringList{"Unsupported text"};
    QTest::newRow(".dat, Chinese")
        << "day.dat" << Language::Chinese << QByteArray("<missing>") << QStringList{"不支持的文本"};
    QTest::newRow("cancelled") << "" << Language::English << QByteArray("<missing>")
                               << QStringList{};
}

void TestExportDelete::saveAs()
{
    QFETCH(QString, target);
    QFETCH(Language, language);
    connect();
    record(1, 2);
    switchLanguage(language);
    if (!target.isEmpty())
        m_prompts->saveTargets = {m_dir->filePath(target)};

    m_window->findChild<QAbstractButton *>(QString::number(IDC_BUTTON_SAVE_AS))->click();
    // The filters of .txt and .csv read the same in either language.
    QCOMPARE(
        m_prompts->saveDialogs,
        QStringList{language == Language::Chinese
                        ? "test.txt|TempTable (*.txt)|TempTable(*.csv)|报表 (*.pdf)|工作簿 (*.xlsx)"
                        : "test.txt|TempTable (*.txt)|TempTable(*.csv)|Report (*.pdf)|"
                          "Workbook (*.xlsx)"});
    QTEST(ReadFile(target.isEmpty() ? "day.txt" : target), "bytes");
    QTEST(m_prompts->messages, "messages");
}

void TestExportDelete::saveAsWithoutDayFile_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QString>("message");
    QTest::newRow("English")
        << Language::English
        << "Nothing has been recorded today on this port, so there is no day file to export.";
    QTest::newRow("Chinese") << Language::Chinese << "今天此端口还没有测量记录，没有可导出的文件。";
}

// The day file went away behind the window's back: a .txt export finds no day file to copy.
void TestExportDelete::saveAsWithoutDayFile()
{
    QFETCH(Language, language);
    connect();
    record(1, 2);
    QVERIFY(QFile::remove(kDayFile));
    switchLanguage(language);
    m_prompts->saveTargets = {m_dir->filePath("day.txt")};
    m_window->findChild<QAbstractButton *>(QString::number(IDC_BUTTON_SAVE_AS))->click();
    QTEST(m_prompts->messages.value(0), "message");
    QVERIFY(!QFileInfo::exists("day.txt"));
}

void TestExportDelete::saveAsToATargetThatCannotBeWritten()
{
    connect();
    record(1, 1);
    const QString target = m_dir->filePath("no-such-folder/day.csv");
    m_prompts->saveTargets = {target};
    m_window->findChild<QAbstractButton *>(QString::number(IDC_BUTTON_SAVE_AS))->click();
    QCOMPARE(
        m_prompts->messages,
        QStringList{target +
                    " could not be written: No such file or directory\nNothing was exported."});
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             (QStringList{"Ini", "Kestrim.ini", "TempData"}));
}

void TestExportDelete::contextMenuOfTheList()
{
    connect();
    record(1, 3);
    // Wherever the list is right-clicked, on a row or not.
    for (int row : {1, -1}) {
        QMenu *menu = RightClick(list(), row, m_window.get(), IDR_MENU_RECORD_LIST);
        QVERIFY(menu);
        QStringList captions;
        for (QAction *action : menu->actions())
            captions.append(action->text());
        QCOMPARE(captions.mid(0, 2), (QStringList{"Select Delete", "Delete All"}));
        Screenshot(menu, QStringLiteral("record-list-menu"));
        menu->close();
    }
}

void TestExportDelete::selectDeleteRange_data()
{
    QTest::addColumn<int>("startLine");
    QTest::addColumn<int>("endLine");
    QTest::addColumn<QList<int>>("kept");
    QTest::newRow("3 to 5") << 3 << 5 << QList<int>{1, 2, 6, 7, 8, 9, 10};
    QTest::newRow("4 to 4") << 4 << 4 << QList<int>{1, 2, 3, 5, 6, 7, 8, 9, 10};
}

void TestExportDelete::selectDeleteRange()
{
    QFETCH(int, startLine);
    QFETCH(int, endLine);
    QFETCH(QList<int>, kept);
    connect();
    record(1, 10);
    QByteArray before;
    for (int n = 1; n <= 10; ++n)
        before += Line(n, n);

    selectDelete([&](CDeleteDataDlg &dialog) {
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Delete Data"));
        QCOMPARE(
            dialog.findChild<QTableView *>(QString::number(IDC_LIST_DELETE))->model()->rowCount(),
            10);
        chooseLine(dialog, startLine, ID_SET_START_LINE);
        chooseLine(dialog, endLine, ID_SET_STOP_LINE);
        QCOMPARE(dialog.findChild<QLineEdit *>(QString::number(IDC_EDIT_START_LINE))->text(),
                 QString::number(startLine));
        QCOMPARE(dialog.findChild<QLineEdit *>(QString::number(IDC_EDIT_END_LINE))->text(),
                 QString::number(endLine));
        // The file is whole while the operator chooses.
        QCOMPARE(ReadFile(kDayFile), before);
        Screenshot(&dialog, QStringLiteral("delete-data"));
        QTest::mouseClick(dialog.findChild<QAbstractButton *>(QString::number(IDC_BUTTON_DEL)),
                          Qt::LeftButton);
    });

    QCOMPARE(m_prompts->questions,
             (QStringList{QStringLiteral("Delete: Are you sure to set the %1 row as the start row?")
                              .arg(startLine == 3 ? "3rd" : "4th"),
                          QStringLiteral("Delete: Are you sure to set the %1th row as the end row?")
                              .arg(endLine)}));
    QCOMPARE(ReadFile(kDayFile), Lines(kept));
    QCOMPARE(ReadFile(kIndex), Index(int(kept.size())));
    QCOMPARE(m_window->dayRecords().recordCount(), quint64(kept.size()));
    QCOMPARE(listColumn(0).size(), kept.size());
    QCOMPARE(listColumn(0).last(), QString::number(kept.size()));
    QCOMPARE(listColumn(1).last(), QStringLiteral("09:00:10"));
    // The next reading follows on.
    reading(11);
    QCOMPARE(listColumn(0).last(), QString::number(kept.size() + 1));
    QCOMPARE(ReadFile(kIndex), Index(int(kept.size()) + 1));
}

void TestExportDelete::delRefusedAndEscape_data()
{
    QTest::addColumn<int>("startLine");
    QTest::addColumn<int>("endLine");
    QTest::addColumn<QList<bool>>("answers"); // to the confirmations; Yes when none is left
    QTest::addColumn<QStringList>("messages");
    const QString neither = QStringLiteral("Please Select starting line and end line");
    const QString end = QStringLiteral("Please Select end line");
    QTest::newRow("Esc alone") << 0 << 0 << QList<bool>{} << QStringList{};
    QTest::newRow("no line") << 0 << 0 << QList<bool>{} << QStringList{neither};
    QTest::newRow("start line only") << 3 << 0 << QList<bool>{} << QStringList{end};
    QTest::newRow("end line only") << 0 << 4 << QList<bool>{} << QStringList{neither};
    QTest::newRow("start line declined") << 3 << 4 << QList<bool>{false} << QStringList{neither};
    QTest::newRow("start after end") << 5 << 2 << QList<bool>{} << QStringList{end};
}

// A refused Del leaves the dialog open; Esc then closes it and the file stays as it was.
void TestExportDelete::delRefusedAndEscape()
{
    QFETCH(int, startLine);
    QFETCH(int, endLine);
    QFETCH(QStringList, messages);
    connect();
    record(1, 6);
    QFETCH(QList<bool>, answers);
    m_prompts->answers = answers;
    const QByteArray before = ReadFile(kDayFile);
    const QDateTime modified = QFileInfo(kDayFile).lastModified();

    selectDelete([&](CDeleteDataDlg &dialog) {
        if (startLine)
            chooseLine(dialog, startLine, ID_SET_START_LINE);
        if (endLine)
            chooseLine(dialog, endLine, ID_SET_STOP_LINE);
        if (!messages.isEmpty()) {
            QTest::mouseClick(dialog.findChild<QAbstractButton *>(QString::number(IDC_BUTTON_DEL)),
                              Qt::LeftButton);
            QVERIFY(dialog.isVisible());
        }
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });

    QCOMPARE(m_prompts->messages, messages);
    QCOMPARE(ReadFile(kDayFile), before);
    QCOMPARE(QFileInfo(kDayFile).lastModified(), modified);
    QCOMPARE(ReadFile(kIndex), Index(6));
    QCOMPARE(listColumn(0), (QStringList{"1", "2", "3", "4", "5", "6"}));
}

void TestExportDelete::readingWhileDeleteDataIsOpen_data()
{
    QTest::addColumn<bool>("removeRange");
    QTest::addColumn<QByteArray>("dayFile");
    QTest::addColumn<QStringList>("quantities");
    QTest::newRow("rows 3 to 5 removed")
        << true << Lines({1, 2, 6, 7, 8, 9, 10, 11, 12})
        << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9"};
    QByteArray all;
    QStringList numbers;
    for (int n = 1; n <= 12; ++n) {
        all += Line(n, n);
        numbers.append(QString::number(n));
    }
    QTest::newRow("closed with Esc") << false << all << numbers;
}

// The port keeps delivering while the modal dialog is open: those readings are stored, listed
// and counted, and after a removal they follow the kept rows with their own times.
void TestExportDelete::readingWhileDeleteDataIsOpen()
{
    QFETCH(bool, removeRange);
    QFETCH(QByteArray, dayFile);
    QFETCH(QStringList, quantities);
    connect();
    record(1, 10);

    selectDelete([&](CDeleteDataDlg &dialog) {
        reading(11);
        if (removeRange)
            chooseLine(dialog, 3, ID_SET_START_LINE);
        reading(12);
        QVERIFY(dialog.isVisible());
        QCOMPARE(list()->model()->rowCount(), 12);
        QCOMPARE(ReadFile(kDayFile).count('\n'), 12);
        if (removeRange) {
            chooseLine(dialog, 5, ID_SET_STOP_LINE);
            QTest::mouseClick(dialog.findChild<QAbstractButton *>(QString::number(IDC_BUTTON_DEL)),
                              Qt::LeftButton);
        } else {
            QTest::keyClick(&dialog, Qt::Key_Escape);
        }
    });

    QCOMPARE(ReadFile(kDayFile), dayFile);
    QCOMPARE(listColumn(0), quantities);
    QCOMPARE(listColumn(1).last(), QStringLiteral("09:00:12"));
    QCOMPARE(ReadFile(kIndex), Index(int(quantities.size())));
    QCOMPARE(m_window->dayRecords().recordCount(), quint64(quantities.size()));
}

void TestExportDelete::deleteAllAsksFirst_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QList<bool>>("answers"); // empty: Enter, the default answer
    QTest::addColumn<QString>("question");
    QTest::newRow("Enter keeps the day")
        << Language::English << QList<bool>{}
        << "Delete all 5 readings of 2024-05-21 on COM1?\nThey cannot be brought back.";
    QTest::newRow("No keeps the day, in Chinese")
        << Language::Chinese << QList<bool>{false}
        << "删除 2024-05-21 在 COM1 上的全部 5 条测量记录？\n删除后无法恢复。";
}

// One click in the menu must not erase a day: the day, the port and the count are named, and
// No is the answer unless the operator picks Yes.
void TestExportDelete::deleteAllAsksFirst()
{
    QFETCH(Language, language);
    QFETCH(QList<bool>, answers);
    connect();
    record(1, 5);
    switchLanguage(language);
    const QByteArray before = ReadFile(kDayFile);
    m_prompts->answers = answers;
    chooseFromRecordMenu(ID_DELETE_ALL);
    QCOMPARE(m_prompts->questions.size(), 1);
    QFETCH(QString, question);
    QCOMPARE(m_prompts->questions.constFirst(), m_window->windowTitle() + ": " + question);
    QCOMPARE(m_prompts->questionDefaults, QList<Prompts::Default>{Prompts::Default::No});
    QCOMPARE(ReadFile(kDayFile), before);
    QCOMPARE(list()->model()->rowCount(), 5);
    QVERIFY(
        m_window->findChild<QAbstractButton *>(QString::number(IDC_BUTTON_SAVE_AS))->isEnabled());
}

// The day's settings file keeps naming the readings its lines were in force for: Select Delete
// renumbers it with the day file, and after Delete All the settings in force go on from 1.
void TestExportDelete::settingsFileFollowsDeletions()
{
    const QString settings = QStringLiteral("TempData/2024/05/20240521-01-settings.txt");
    connect();
    record(1, 4);
    m_clock->set(QDateTime(kDay, QTime(9, 0, 5)));
    // The limit raised to 38.0 (0x017C).
    Receive(*m_window, BuildFrame(FrameCode::Settings, QByteArray::fromHex("00017C0102000001")));
    record(6, 9);
    QCOMPARE(ReadFile(settings),
             "09:00:00,1,R9Pro,C,body,37.5C\r\n09:00:05,5,R9Pro,C,body,38.0C\r\n");
    selectDelete([&](CDeleteDataDlg &dialog) {
        chooseLine(dialog, 2, ID_SET_START_LINE);
        chooseLine(dialog, 5, ID_SET_STOP_LINE);
        QTest::mouseClick(dialog.findChild<QAbstractButton *>(QString::number(IDC_BUTTON_DEL)),
                          Qt::LeftButton);
    });
    QCOMPARE(ReadFile(kDayFile), Lines({1, 7, 8, 9}));
    // The first reading taken at 38.0 is deleted; the next one, now the 2nd, starts the line.
    QCOMPARE(ReadFile(settings),
             "09:00:00,1,R9Pro,C,body,37.5C\r\n09:00:05,2,R9Pro,C,body,38.0C\r\n");
    m_prompts->answers = {true};
    chooseFromRecordMenu(ID_DELETE_ALL);
    QCOMPARE(ReadFile(settings), "09:00:05,1,R9Pro,C,body,38.0C\r\n");
}

void TestExportDelete::deleteAllThenAReading()
{
    connect();
    record(1, 5);
    m_prompts->answers = {true};
    chooseFromRecordMenu(ID_DELETE_ALL);
    QCOMPARE(list()->model()->rowCount(), 0);
    QVERIFY(!QFileInfo::exists(kDayFile));
    QCOMPARE(ReadFile(kIndex), Index(0));
    // Nothing left to export.
    QVERIFY(
        !m_window->findChild<QAbstractButton *>(QString::number(IDC_BUTTON_SAVE_AS))->isEnabled());

    reading(6);
    QVERIFY(
        m_window->findChild<QAbstractButton *>(QString::number(IDC_BUTTON_SAVE_AS))->isEnabled());
    QCOMPARE(listColumn(0), QStringList{"1"});
    QCOMPARE(ReadFile(kDayFile), Line(1, 6));
    QCOMPARE(ReadFile(kIndex), Index(1));
}

// The window has not ticked yet, so the time pane is still empty: the reading's time comes
// from its own instant all the same.
void TestExportDelete::readingBeforeTheFirstTick()
{
    m_clock->set(QDateTime(kDay, QTime(9, 0, 3)));
    Receive(*m_window, ReportFrame() + ReadingFrame(363));
    QCOMPARE(ReadFile(kDayFile), Line(1, 3));
    QCOMPARE(listColumn(1), QStringList{"09:00:03"});
}

// A reading just after midnight, before the clock's tick has seen the new day, belongs wholly
// to the new day: its file, its index, its quantity and its time.
void TestExportDelete::readingBetweenMidnightAndTheTick()
{
    const QDate before = kDay.addDays(-1);
    m_window.reset();
    m_clock->set(QDateTime(before, QTime(23, 59, 58)));
    openWindow();
    connect();
    Receive(*m_window, ReadingFrame(365) + ReadingFrame(366));
    m_clock->set(QDateTime(kDay, QTime(0, 0, 0)));
    Receive(*m_window, ReadingFrame(367));

    QCOMPARE(ReadFile("TempData/2024/05/20240520-01.txt"),
             QByteArray("1,23:59:58,36.5C,0.0C\r\n2,23:59:58,36.6C,0.0C\r\n"));
    QCOMPARE(ReadFile(kDayFile), QByteArray("1,00:00:00,36.7C,0.0C\r\n"));
    QCOMPARE(ReadFile("Ini/2024-05-20.ini"),
             QByteArray("[RECORD]\r\nTOTAL_NUM=2\r\nPATH=TempData/2024/05/20240520\r\n"));
    QCOMPARE(ReadFile(kIndex), Index(1));
    QCOMPARE(listColumn(0), QStringList{"1"});
    QCOMPARE(m_window->findChild<PaneStatusBar *>()->paneText(1), QStringLiteral("2024-05-21"));
    // The tick that follows finds the day already turned.
    m_window->OnTimer(CKestrimDlg::kClockTimer);
    QCOMPARE(listColumn(0), QStringList{"1"});
}

void TestExportDelete::recordFailuresToldTruly_data()
{
    QTest::addColumn<QString>("blocked"); // a folder made where this file belongs
    QTest::addColumn<int>("tenths");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("listed");
    QTest::newRow("day file")
        << kDayFile << 365
        << kDayFile + ": Is a directory\nIt is not counted or listed; free the disk or fix the "
                      "folder's permissions."
        << 0;
    QTest::newRow("warning file only")
        << "TempData/2024/05/20240521-warning.txt" << 380
        << "The reading is stored and listed, but it could not be added to the warning file "
           "TempData/2024/05/20240521-warning.txt: Is a directory"
        << 1;
    QTest::newRow("index only") << kIndex << 365
                                << "The reading is stored and listed, but the day's index "
                                   "Ini/2024-05-21.ini could not be updated: "
                                << 1;
}

// Each failure says what became of the reading, and the list agrees.
void TestExportDelete::recordFailuresToldTruly()
{
    QFETCH(QString, blocked);
    QFETCH(int, tenths);
    QFETCH(QString, message);
    QFETCH(int, listed);
    connect();
    QFile::remove(blocked);
    QVERIFY(QDir().mkpath(blocked));
    Receive(*m_window, ReadingFrame(tenths));
    QCOMPARE(m_prompts->messages.size(), 1);
    QVERIFY2(m_prompts->messages[0].contains(message), qPrintable(m_prompts->messages[0]));
    QCOMPARE(list()->model()->rowCount(), listed);
    QCOMPARE(m_window->dayRecords().recordCount(), quint64(listed));
}

// The settings file cannot be written: the operator is told once what that means for the
// reports, and the readings are stored as ever.
void TestExportDelete::settingsThatCannotBeRecorded()
{
    const QString settings = QStringLiteral("TempData/2024/05/20240521-01-settings.txt");
    QVERIFY(QDir().mkpath(settings));
    connect();
    QCOMPARE(m_prompts->messages.size(), 1);
    QVERIFY2(m_prompts->messages[0].startsWith(
                 "The thermometer's settings could not be recorded in " + settings +
                 ": Is a directory\nReadings are stored as usual, but the reports will say "
                 "\"limit not recorded\" for them."),
             qPrintable(m_prompts->messages[0]));
    record(1, 2);
    QCOMPARE(ReadFile(kDayFile), Lines({1, 2}));
    QCOMPARE(m_prompts->messages.size(), 1);
}

// Another program keeps the day file open (on Windows the replace is then refused; injected
// here) for longer than the window waits: the operator is told which file and why, and
// nothing changes, on disk or in the list.
void TestExportDelete::selectDeleteOfAFileHeldOpen()
{
    connect();
    record(1, 5);
    const QByteArray before = ReadFile(kDayFile);
    FileSharing::SetInjectedHold([](const QString &path) {
        return QDir::toNativeSeparators(QDir::current().relativeFilePath(path)) ==
               QDir::toNativeSeparators(kDayFile);
    });
    const auto release = qScopeGuard([] { FileSharing::SetInjectedHold({}); });

    selectDelete([&](CDeleteDataDlg &dialog) {
        chooseLine(dialog, 2, ID_SET_START_LINE);
        chooseLine(dialog, 3, ID_SET_STOP_LINE);
        QTest::mouseClick(dialog.findChild<QAbstractButton *>(QString::number(IDC_BUTTON_DEL)),
                          Qt::LeftButton);
    });

    QCOMPARE(m_prompts->messages,
             QStringList{QStringLiteral("The day file %1 could not be rewritten: it is open in "
                                        "another program; close it there and try again\nNothing "
                                        "was deleted; the file is as it was.")
                             .arg(QDir::toNativeSeparators(kDayFile))});
    QCOMPARE(ReadFile(kDayFile), before);
    QCOMPARE(ReadFile(kIndex), Index(5));
    QCOMPARE(listColumn(0), (QStringList{"1", "2", "3", "4", "5"}));
}

QTEST_MAIN(TestExportDelete)
#include "tst_export_delete.moc"
