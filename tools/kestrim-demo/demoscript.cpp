#include "demoscript.h"

#include "dialogs/prompts.h"
#include "records/dayrecords.h"
#include "speech/speechengine.h"
#include "window/ckestrimdlg.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QTableView>
#include <QThread>
#include <QTimer>

namespace {

// What the window would say aloud is printed instead: a machine without a display seldom has
// speakers either.
class PrintedSpeech : public SpeechEngine {
public:
    bool chooseVoice(const QString &) override { return true; }
    void setRate(int) override {}
    void setVolume(int) override {}
    void speak(const QString &text) override
    {
        QTextStream(stdout) << "  Kestrim says: " << text << Qt::endl;
    }
    void interrupt() override {}
};

// Messages are printed; the export goes to a file in the data folder; questions are answered
// Yes.
class PrintedPrompts : public Prompts {
public:
    void message(QWidget *, const QString &text, const QString & = {}) override
    {
        QTextStream(stdout) << "  Kestrim shows a message: " << text << Qt::endl;
    }
    QString saveFileName(QWidget *, const QString &, const QStringList &) override
    {
        return QDir::current().absoluteFilePath(QStringLiteral("demo-export.csv"));
    }
    bool question(QWidget *, const QString &, const QString &, Default) override { return true; }
};

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)\n");
}

} // namespace

DemoScript::DemoScript(DemoOptions options)
    : m_options(std::move(options))
    , m_out(stdout)
{}

DemoScript::~DemoScript()
{
    m_window.reset();
    if (m_simulator.state() != QProcess::NotRunning) {
        m_simulator.terminate();
        if (!m_simulator.waitForFinished(5000))
            m_simulator.kill();
    }
}

template <typename T> T *DemoScript::control(int id) const
{
    return m_window->findChild<T *>(QString::number(id));
}

// Lets the window work until `done` holds.
bool DemoScript::step(const QString &what, const std::function<bool()> &done, int timeoutMs)
{
    m_out << what << Qt::endl;
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            m_out << "  did not happen within " << timeoutMs / 1000 << " s" << Qt::endl;
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    return true;
}

void DemoScript::screenshot(QWidget *widget, const QString &name)
{
    const QString path = QDir(m_options.screenshots).filePath(name + QStringLiteral(".png"));
    QApplication::processEvents(); // charts lay themselves out when events are handled
    if (widget->grab().save(path))
        m_out << "  picture: " << QDir::current().relativeFilePath(path) << Qt::endl;
    else
        m_out << "  picture " << path << " could not be saved" << Qt::endl;
}

bool DemoScript::startSimulator()
{
    const QString link = QStringLiteral("Ports/com%1").arg(m_options.port);
    m_simulator.setProcessChannelMode(QProcess::SeparateChannels);
    m_simulator.setStandardErrorFile(QStringLiteral("kestrim-sim.log"));
    m_simulator.start(m_options.simulator,
                      {QStringLiteral("--model"), QStringLiteral("r9pro"), QStringLiteral("--mode"),
                       QStringLiteral("body"), QStringLiteral("--limit"), QStringLiteral("37.5"),
                       QStringLiteral("--env"), QStringLiteral("23.5"), QStringLiteral("--link"),
                       link});
    return step(QStringLiteral("The simulated thermometer (an R9  Pro) starts as COM%1")
                    .arg(m_options.port),
                [&] { return m_simulator.state() == QProcess::Running && QFile::exists(link); });
}

bool DemoScript::connect()
{
    KestrimSeams seams;
    seams.prompts = std::make_shared<PrintedPrompts>();
    seams.speechEngine = [] {
        return std::make_unique<PrintedSpeech>();
    };
    m_window = std::make_unique<CKestrimDlg>(seams);
    m_window->show();
    control<QComboBox>(1007)->setCurrentIndex(m_options.port - 1);
    control<QAbstractButton>(1008)->click();
    return step(QStringLiteral("Connect: the thermometer reports its settings"),
                [&] { return control<QLabel>(1015)->text() == QStringLiteral("success"); }) &&
           step(QStringLiteral("It answers the environment query"),
                [&] {
                    return m_window->findChild<QWidget *>(QStringLiteral("pane5"))
                               ->property("text")
                               .toString() != QStringLiteral("-----");
                }) &&
           step(QStringLiteral("Connect takes clicks again"),
                [&] { return control<QAbstractButton>(1008)->isEnabled(); });
}

bool DemoScript::take(const QString &reading, const QString &shown)
{
    m_simulator.write(reading.toUtf8() + '\n');
    return step(QStringLiteral("A reading of %1").arg(reading),
                [&] { return control<QLabel>(1028)->text() == shown; });
}

bool DemoScript::changeToFahrenheit()
{
    control<QLineEdit>(1025)->clear();
    control<QAbstractButton>(1001)->click();
    return step(QStringLiteral("Fahrenheit: the thermometer takes the new setting"),
                [&] { return control<QLineEdit>(1025)->text() == QStringLiteral("success"); });
}

bool DemoScript::exportDay()
{
    QFile::remove(QStringLiteral("demo-export.csv")); // from an earlier run
    control<QAbstractButton>(1011)->click();
    return step(QStringLiteral("Save As: the day exported as demo-export.csv"),
                [] { return QFile::exists(QStringLiteral("demo-export.csv")); });
}

// The Delete Data window with lines 2 to 3 chosen, pictured, then closed without deleting.
bool DemoScript::showDeleteData()
{
    bool shown = false;
    QTimer::singleShot(500, m_window.get(), [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        // As the operator does it: click a row, then choose it as the start (or end) line.
        auto *list = dialog->findChild<QTableView *>(QStringLiteral("1055"));
        const auto chooseLine = [&](int row, int command) {
            const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
            for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                QMouseEvent click(type, at, list->viewport()->mapToGlobal(at), Qt::LeftButton,
                                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                  Qt::NoModifier);
                QApplication::sendEvent(list->viewport(), &click);
            }
            QApplication::processEvents(); // the list takes the click before the dialog
            dialog->findChild<QAction *>(QString::number(command))->trigger();
        };
        chooseLine(1, 32782);
        chooseLine(2, 32783);
        screenshot(dialog, QStringLiteral("delete-data"));
        shown = true;
        dialog->close();
    });
    m_out << "Select Delete: the Delete Data window" << Qt::endl;
    m_window->findChild<QAction *>(QStringLiteral("32780"))->trigger();
    return shown;
}

// History…, from the record list's menu: the days on disk with today's chosen, its rows,
// summary and chart, pictured in English, then in Chinese (on the day before when the folder
// has one), then closed.
bool DemoScript::showHistory()
{
    m_window->findChild<QAction *>(QStringLiteral("history"))->trigger();
    QWidget *history = nullptr;
    const auto tableRows = [&] {
        const auto *table = history->findChild<QTableView *>(QStringLiteral("historyTable"));
        return table ? table->model()->rowCount() : 0;
    };
    if (!step(QStringLiteral("History: every recorded day, today's rows, summary and chart"), [&] {
            history = m_window->findChild<QWidget *>(QStringLiteral("history"));
            return history && history->isVisible() &&
                   tableRows() == control<QTableView>(1012)->model()->rowCount();
        }))
        return false;
    screenshot(history, QStringLiteral("history"));
    // In Chinese, on the day before today when there is one: a whole day's curve.
    control<QAbstractButton>(1022)->click();
    auto *days = history->findChild<QListWidget *>(QStringLiteral("historyDays"));
    if (days && days->count() > 1)
        days->setCurrentRow(1);
    screenshot(history, QStringLiteral("history-chinese"));
    control<QAbstractButton>(1023)->click();
    history->close();
    return true;
}

void DemoScript::printFiles()
{
    const DayRecords files;
    const QDate today = QDate::currentDate();
    const QString paths[] = {
        files.dayFilePath(today, m_options.port),
        files.warningFilePath(today),
        files.indexFilePath(today),
    };
    m_out << Qt::endl << "The day's files, in " << QDir::currentPath() << ":" << Qt::endl;
    for (const QString &path : paths) {
        m_out << Qt::endl << "== " << path << " ==" << Qt::endl;
        m_out << QString::fromUtf8(ReadFile(path)).remove(u'\r');
    }
    m_out.flush();
}

bool DemoScript::run()
{
    QDir().mkpath(m_options.screenshots);
    const bool done =
        startSimulator() && connect() && take(QStringLiteral("36.5"), QStringLiteral("36.5C")) &&
        take(QStringLiteral("36.8"), QStringLiteral("36.8C")) &&
        (screenshot(m_window.get(), QStringLiteral("reading-normal")), true) &&
        take(QStringLiteral("37.9"), QStringLiteral("37.9C")) &&
        (screenshot(m_window.get(), QStringLiteral("reading-abnormal")), true) &&
        changeToFahrenheit() && take(QStringLiteral("98.1"), QStringLiteral("98.1F")) &&
        (control<QAbstractButton>(1022)->click(), true) &&
        take(QStringLiteral("97.7"), QStringLiteral("97.7F")) &&
        (screenshot(m_window.get(), QStringLiteral("chinese")), true) &&
        (control<QAbstractButton>(1023)->click(), true) && exportDay() && showDeleteData() &&
        showHistory();
    if (m_window)
        m_window->close();
    printFiles();
    return done;
}
