// One desk two ways: the same thermometer session recorded through the window and through
// `kestrim --record` (no window, its own process) leaves the same day file, warning file and
// index, byte for byte apart from the times of day.
#include "dialogs/resource.h"
#include "reception/frame.h"
#include "recordingprompts.h"
#include "simprocess.h"
#include "window/ckestrimdlg.h"
#include "window/panestatusbar.h"
#include "windowtesting.h"
#include "workingfolder.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>

namespace {

constexpr int kWait = 10000;
// What the person at the desk does on the thermometer, in body mode: readings, one abnormal.
const QStringList kSession{"36.5", "37.9", "36.8", "38.2", "36.6"};

// The record files of today on COM3, with every time of day blanked.
QMap<QString, QByteArray> RecordFiles(const QString &folder)
{
    const QDate today = QDate::currentDate();
    const QString day = QStringLiteral("TempData/%1/%2/%3")
                            .arg(today.year())
                            .arg(today.month(), 2, 10, QLatin1Char('0'))
                            .arg(today.toString(QStringLiteral("yyyyMMdd")));
    QMap<QString, QByteArray> files;
    for (const QString &name :
         {day + QStringLiteral("-03.txt"), day + QStringLiteral("-warning.txt"),
          QStringLiteral("Ini/") + today.toString(Qt::ISODate) + ".ini"}) {
        QFile file(QDir(folder).filePath(name));
        QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : "<missing>";
        static const QRegularExpression time(QStringLiteral(",\\d\\d:\\d\\d:\\d\\d,"));
        files.insert(name, QString::fromLatin1(bytes).replace(time, ",T,").toLatin1());
    }
    return files;
}

// The simulator has answered the first environment query, so every reading after it carries
// the same environment temperature whoever records it.
bool WaitForEnvironment(SimProcess &sim)
{
    return sim.waitForReceived(EnvironmentQueryFrame(), kWait) &&
           QTest::qWaitFor(
               [&] {
                   const QList<QByteArray> sent = sim.sentFrames();
                   return std::any_of(sent.begin(), sent.end(), [](const QByteArray &frame) {
                       return frame.size() > 3 && frame[3] == char(FrameCode::Environment);
                   });
               },
               kWait);
}

} // namespace

class TestRecordCommand : public QObject {
    Q_OBJECT

private slots:
    void windowAndRecordCommandWriteTheSameFiles();
};

void TestRecordCommand::windowAndRecordCommandWriteTheSameFiles()
{
    // Through the window.
    WorkingFolder windowFolder;
    QVERIFY(windowFolder.isValid());
    {
        SimProcess sim;
        QVERIFY(!sim.start({"--mode", "body", "--link", windowFolder.filePath("Ports/com3")})
                     .isEmpty());
        auto prompts = std::make_shared<RecordingPrompts>();
        CKestrimDlg window(TestSeams(std::make_shared<Clock>(), prompts));
        window.show();
        window.findChild<QComboBox *>(QString::number(IDC_COMBO_COM))->setCurrentIndex(2);
        window.findChild<QAbstractButton *>(QString::number(IDC_BUTTON_CONNECT))->click();
        QTRY_COMPARE_WITH_TIMEOUT(
            window.findChild<QLabel *>(QString::number(IDC_STATIC_STATUS))->text(),
            QStringLiteral("success"), kWait);
        QVERIFY(WaitForEnvironment(sim));
        QAbstractItemModel *list =
            window.findChild<QTableView *>(QString::number(IDC_LIST_RECORDS))->model();
        for (const QString &reading : kSession) {
            QVERIFY(sim.send(reading));
            QTRY_COMPARE_WITH_TIMEOUT(list->rowCount(), kSession.indexOf(reading) + 1, kWait);
        }
        QVERIFY2(prompts->messages.isEmpty(), qPrintable(prompts->messages.join('\n')));
        window.findChild<QAbstractButton *>(QString::number(IDC_BUTTON_CONNECT))->click();
    }

    // Through kestrim --record, in a data folder of its own.
    WorkingFolder recordFolder;
    QVERIFY(recordFolder.isValid());
    SimProcess sim;
    QVERIFY(
        !sim.start({"--mode", "body", "--link", recordFolder.filePath("Ports/com3")}).isEmpty());
    QProcess desk;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KESTRIM_SPEECH"), QStringLiteral("off"));
    desk.setProcessEnvironment(environment);
    desk.start(QStringLiteral(KESTRIM_APP_PATH),
               {"--record", "--port", "COM3", "--data", recordFolder.path()});
    QVERIFY(desk.waitForStarted());
    QByteArray out, err;
    const auto collect = [&] {
        out += desk.readAllStandardOutput();
        err += desk.readAllStandardError();
    };
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     collect();
                     return err.contains("answered");
                 },
                 kWait),
             err.constData());
    QVERIFY(WaitForEnvironment(sim));
    for (const QString &reading : kSession) {
        QVERIFY(sim.send(reading));
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         collect();
                         return out.count('\n') == kSession.indexOf(reading) + 1;
                     },
                     kWait),
                 out.constData());
    }
    desk.terminate(); // SIGTERM: the desk closes its port and files and ends cleanly
    QVERIFY(desk.waitForFinished(kWait));
    collect();
    QCOMPARE(desk.exitStatus(), QProcess::NormalExit);
    QCOMPARE(desk.exitCode(), 0);
    QVERIFY2(err.contains("stopped; 5 readings today"), err.constData());

    const QMap<QString, QByteArray> byWindow = RecordFiles(windowFolder.path());
    const QMap<QString, QByteArray> byCommand = RecordFiles(recordFolder.path());
    QCOMPARE(byCommand, byWindow);
    for (const QByteArray &bytes : byWindow)
        QVERIFY(!bytes.startsWith("<missing>"));
    // Each reading printed as its record line, and its verdict.
    const QList<QByteArray> printed = out.trimmed().split('\n');
    QCOMPARE(printed.size(), kSession.size());
    QVERIFY2(QRegularExpression(QStringLiteral("^2,\\d\\d:\\d\\d:\\d\\d,37\\.9C,24\\.5C Abnormal$"))
                 .match(QString::fromLatin1(printed.at(1)))
                 .hasMatch(),
             printed.at(1).constData());
}

QTEST_MAIN(TestRecordCommand)
#include "tst_record_command.moc"
