// The real window against the thermometer simulator over a real pseudo-terminal, used as an
// operator would: readings come in, the day is saved as CSV and TXT, a range is deleted while
// the thermometer keeps measuring, then everything; each file read back byte for byte.
#include "controls/fonts.h"
#include "dialogs/cdeletedatadlg.h"
#include "dialogs/resource.h"
#include "manualclock.h"
#include "recordingprompts.h"
#include "recordingspeech.h"
#include "reportreaders.h"
#include "simprocess.h"
#include "testfiles.h"
#include "window/ckestrimdlg.h"
#include "window/panestatusbar.h"
#include "workingfolder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

constexpr int kWait = 10000;
const QDate kDay(2024, 5, 21);
const QString kDayFile = QStringLiteral("TempData/2024/05/20240521-03.txt");
const QString kIndex = QStringLiteral("Ini/2024-05-21.ini");

QByteArray Index(int count)
{
    return "[RECORD]\r\nTOTAL_NUM=" + QByteArray::number(count) +
           "\r\nPATH=TempData/2024/05/20240521\r\n";
}

// Reading n is 36.0 + n/10 degrees at 10:00:n; `end` ends the line.
QByteArray Line(int quantity, int n, const char *end = "\r\n")
{
    return QString::asprintf("%d,10:00:%02d,%.1fC,24.5C", quantity, n, 36.0 + n / 10.0).toLatin1() +
           end;
}

// A right click on the list at `row`: the context menu of `owner` with id `menuId` pops up,
// and `command` is clicked in it.
void ChooseFromContextMenu(QTableView *list, int row, QWidget *owner, int menuId, int command)
{
    const QPoint pos = list->visualRect(list->model()->index(row, 0)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, list->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(list->viewport(), &event);
    auto *menu = owner->findChild<QMenu *>(QString::number(menuId));
    QVERIFY(menu && menu->isVisible());
    QAction *action = menu->findChild<QAction *>(QString::number(command));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
}

} // namespace

class TestExportDeleteSim : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void exportAndDeleteWhileMeasuring();
    void reportAndWorkbookOfARecordedDay();

private:
    void connectWindow();
    // Reading n from the thermometer, waited for until it is listed as row `rows`.
    void measure(int n, int rows);
    void saveAs(const QString &name);
    void chooseLine(CDeleteDataDlg &dialog, int line, int command);
    template <typename T = QWidget> T *control(int id) const
    {
        return m_window->findChild<T *>(QString::number(id));
    }
    QTableView *list() const { return control<QTableView>(IDC_LIST_RECORDS); }

    std::unique_ptr<WorkingFolder> m_dir;
    std::shared_ptr<ManualClock> m_clock;
    std::shared_ptr<RecordingPrompts> m_prompts;
    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<CKestrimDlg> m_window;
};

void TestExportDeleteSim::initTestCase()
{
    InstallFontSubstitutes();
}

void TestExportDeleteSim::init()
{
    m_dir = std::make_unique<WorkingFolder>();
    QVERIFY(m_dir->isValid());
    m_clock = std::make_shared<ManualClock>(QDateTime(kDay, QTime(10, 0, 0)));
    m_prompts = std::make_shared<RecordingPrompts>();
}

void TestExportDeleteSim::cleanup()
{
    if (m_window)
        m_window->close();
    m_window.reset();
    m_sim.reset();
    m_dir.reset();
}

void TestExportDeleteSim::connectWindow()
{
    m_sim = std::make_unique<SimProcess>();
    QVERIFY(
        !m_sim->start({"--mode", "body", "--env", "24.5", "--link", m_dir->filePath("Ports/com3")})
             .isEmpty());
    KestrimSeams seams;
    seams.clock = m_clock;
    seams.prompts = m_prompts;
    seams.speechEngine = [log = std::make_shared<SpokenLog>()] {
        return std::make_unique<RecordingSpeechEngine>(log);
    };
    m_window = std::make_unique<CKestrimDlg>(seams);
    m_window->show();
    QCOMPARE(control<QComboBox>(IDC_COMBO_COM)->currentText(), QStringLiteral("COM3"));
    control<QAbstractButton>(IDC_BUTTON_CONNECT)->click();
    QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(IDC_STATIC_STATUS)->text(), QStringLiteral("success"),
                              kWait);
    QTRY_COMPARE_WITH_TIMEOUT(m_window->findChild<PaneStatusBar *>()->paneText(5),
                              QStringLiteral("24.5C"), kWait);
}

void TestExportDeleteSim::measure(int n, int rows)
{
    m_clock->set(QDateTime(kDay, QTime(10, 0, n)));
    QVERIFY(m_sim->send(QString::number(36.0 + n / 10.0, 'f', 1)));
    QTRY_COMPARE_WITH_TIMEOUT(list()->model()->rowCount(), rows, kWait);
}

void TestExportDeleteSim::saveAs(const QString &name)
{
    m_prompts->saveTargets = {m_dir->filePath(name)};
    control<QAbstractButton>(IDC_BUTTON_SAVE_AS)->click();
}

void TestExportDeleteSim::chooseLine(CDeleteDataDlg &dialog, int line, int command)
{
    auto *view = dialog.findChild<QTableView *>(QString::number(IDC_LIST_DELETE));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(view->model()->index(line - 1, 0)).center());
    QCoreApplication::processEvents();
    ChooseFromContextMenu(view, line - 1, &dialog, IDR_MENU_LINE, command);
}

void TestExportDeleteSim::exportAndDeleteWhileMeasuring()
{
    connectWindow();
    QByteArray day, csv = "Quantity,Test Time,Test Value,Envrionment Temp.\r";
    for (int n = 1; n <= 6; ++n) {
        measure(n, n);
        day += Line(n, n);
        csv += Line(n, n, "\r");
    }
    QCOMPARE(ReadFile(kDayFile), day);

    saveAs("day.csv");
    saveAs("day.txt");
    QCOMPARE(ReadFile("day.csv"), csv);
    QCOMPARE(ReadFile("day.txt"), day);

    // Lines 2 to 3 go; reading 7 arrives while the dialog is open.
    bool closed = false;
    QTimer::singleShot(0, m_window.get(), [&] {
        auto *dialog = qobject_cast<CDeleteDataDlg *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        chooseLine(*dialog, 2, ID_SET_START_LINE);
        measure(7, 7);
        QVERIFY(dialog->isVisible());
        QCOMPARE(ReadFile(kDayFile), day + Line(7, 7));
        chooseLine(*dialog, 3, ID_SET_STOP_LINE);
        QTest::mouseClick(dialog->findChild<QAbstractButton *>(QString::number(IDC_BUTTON_DEL)),
                          Qt::LeftButton);
        closed = !dialog->isVisible();
    });
    ChooseFromContextMenu(list(), 0, m_window.get(), IDR_MENU_RECORD_LIST, ID_SELECT_DELETE);
    QVERIFY(closed);
    const QByteArray kept = Line(1, 1) + Line(2, 4) + Line(3, 5) + Line(4, 6) + Line(5, 7);
    QCOMPARE(ReadFile(kDayFile), kept);
    QCOMPARE(ReadFile(kIndex), Index(5));
    QCOMPARE(list()->model()->rowCount(), 5);
    QCOMPARE(list()->model()->index(4, 1).data().toString(), QStringLiteral("10:00:07"));

    // The operator confirmed replacing the earlier export.
    saveAs("day.txt");
    QCOMPARE(ReadFile("day.txt"), kept);

    m_prompts->answers = {true};
    ChooseFromContextMenu(list(), 0, m_window.get(), IDR_MENU_RECORD_LIST, ID_DELETE_ALL);
    QCOMPARE(list()->model()->rowCount(), 0);
    QVERIFY(!QFileInfo::exists(kDayFile));
    QCOMPARE(ReadFile(kIndex), Index(0));
    measure(8, 1);
    QCOMPARE(ReadFile(kDayFile), Line(1, 8));
    QCOMPARE(ReadFile(kIndex), Index(1));
    QVERIFY2(m_prompts->messages.isEmpty(), qPrintable(m_prompts->messages.join('\n')));
}

// A day recorded from the thermometer as a supervisor would file it: the alarm limit raised
// from 37.5 to 38.0 after three readings (so 37.7 is normal and 38.2 abnormal), a surface
// reading, then Fahrenheit. Every accepted change is one line of the day's settings file; the
// printed report and the workbook, read back by poppler and openpyxl, state the limits and
// modes with the readings they covered and keep the surface reading out of the statistics.
void TestExportDeleteSim::reportAndWorkbookOfARecordedDay()
{
    const QString python = PythonWithOpenpyxl();
    if (!HavePoppler() || python.isEmpty())
        QSKIP("poppler-utils or python3-openpyxl is missing");
    connectWindow();
    for (int n = 1; n <= 3; ++n)
        measure(n, n);
    const auto change = [this](QTime at, const std::function<void()> &act) {
        m_clock->set(QDateTime(kDay, at));
        control<QLineEdit>(IDC_EDIT_ACK)->setText(QString());
        act();
        QTRY_COMPARE_WITH_TIMEOUT(control<QLineEdit>(IDC_EDIT_ACK)->text(),
                                  QStringLiteral("success"), kWait);
    };
    const auto click = [this](int id) {
        return [this, id] {
            control<QAbstractButton>(id)->click();
        };
    };
    const auto reading = [this](QTime at, const char *value, int rows) {
        m_clock->set(QDateTime(kDay, at));
        QVERIFY(m_sim->send(QString::fromLatin1(value)));
        QTRY_COMPARE_WITH_TIMEOUT(list()->model()->rowCount(), rows, kWait);
    };
    change(QTime(10, 1, 0), [this] {
        auto *alarm = control<QComboBox>(IDC_COMBO_ALARM);
        alarm->setCurrentIndex(alarm->findText(QStringLiteral("38.0")));
        emit alarm->activated(alarm->currentIndex());
    });
    reading(QTime(10, 1, 5), "37.7", 4);
    reading(QTime(10, 1, 6), "38.2", 5);
    change(QTime(10, 2, 0), click(IDC_RADIO_SURFACE_MODE));
    reading(QTime(10, 2, 5), "33.5", 6);
    change(QTime(10, 3, 0), click(IDC_RADIO_BODY_MODE));
    change(QTime(10, 3, 0), click(IDC_RADIO_FAHRENHEIT));
    reading(QTime(10, 3, 5), "99.0", 7);
    QCOMPARE(ReadFile(QStringLiteral("TempData/2024/05/20240521-03-settings.txt")),
             QByteArray("10:00:00,1,R9Pro,C,body,37.5C\r\n"
                        "10:01:00,4,R9Pro,C,body,38.0C\r\n"
                        "10:02:00,6,R9Pro,C,surface,38.0C\r\n"
                        "10:03:00,7,R9Pro,C,body,38.0C\r\n"
                        "10:03:00,7,R9Pro,F,body,100.4F\r\n"));
    m_clock->set(QDateTime(kDay, QTime(10, 5, 0)));
    saveAs("day.pdf");
    saveAs("day.xlsx");
    QVERIFY2(m_prompts->messages.isEmpty(), qPrintable(m_prompts->messages.join('\n')));

    // In the window's unit, now Fahrenheit.
    const QStringList lines = PdfLines(m_dir->filePath("day.pdf"));
    const QString text = lines.join(u' ');
    for (const QString expected :
         {"Model: R9 Pro Mode: body (1–5), surface (6), body (7)",
          "Alarm limit: 99.5 °F (1–3), 100.4 °F (4–7)",
          "Readings: 7 Abnormal: 1 Body temperatures: 6 Highest: 100.8 °F Lowest: 97.0 °F",
          "Surface: 1 (92.3–92.3 °F)"})
        QVERIFY2(text.contains(expected), qPrintable(expected + "\n" + lines.join('\n')));
    for (const QString expected :
         {"1 10:00:01 36.1 °C 24.5 °C", "4 10:01:05 37.7 °C 24.5 °C",
          "5 10:01:06 38.2 °C 24.5 °C Abnormal", "6 10:02:05 33.5 °C 24.5 °C",
          "Checked by: Signature: Date:", "Made: 2024-05-21 10:05:00 Page 1 of 1"})
        QVERIFY2(lines.contains(expected), qPrintable(expected + "\n" + lines.join('\n')));
    QVERIFY(lines.filter(QRegularExpression("^7 10:03:05 99.0 °F ")).size() == 1);

    const QJsonArray sheets = WorkbookSheets(python, m_dir->filePath("day.xlsx"));
    QCOMPARE(sheets.size(), 2);
    const QJsonArray summary = sheets[0].toObject()["rows"].toArray()[1].toArray();
    QCOMPARE(summary[1].toArray()[1].toString(), QStringLiteral("COM3"));
    QCOMPARE(summary[5].toArray()[1].toString(), QStringLiteral("99.5 °F (1–3), 100.4 °F (4–7)"));
    QCOMPARE(sheets[1].toObject()["name"].toString(), QStringLiteral("2024-05-21 COM3"));
    const QJsonArray rows = sheets[1].toObject()["rows"].toArray();
    QCOMPARE(rows.size(), 8);
    QCOMPARE(rows[5].toArray()[2].toArray()[1].toDouble(), 38.2);
    QCOMPARE(rows[5].toArray()[6].toArray()[1].toBool(), true);
    QCOMPARE(rows[4].toArray()[6].toArray()[1].toBool(), false);
}

QTEST_MAIN(TestExportDeleteSim)
#include "tst_export_delete_sim.moc"
