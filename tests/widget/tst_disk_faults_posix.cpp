// The window when the disk fails it: the day's folder is not a folder, the day file is a
// folder, the disk is full. The operator is told which file and why; count, list, index and
// file agree; once the fault is cleared the next reading is stored.
#include "controls/fonts.h"
#include "dialogs/resource.h"
#include "manualclock.h"
#include "reception/frame.h"
#include "recordingprompts.h"
#include "window/ckestrimdlg.h"
#include "windowtesting.h"
#include "workingfolder.h"

#include <QAbstractItemModel>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

const QString kDayFile = QStringLiteral("TempData/2024/05/20240521-01.txt");

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace

class TestDiskFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void faultsAreToldAndCleared_data();
    void faultsAreToldAndCleared();
    void aRepeatedFailureIsOneBox();

private:
    void reading(const char *tenthsHex);
    // Count, list, TOTAL_NUM and the day file's lines are the same number.
    void checkAgreement(int expected);

    std::unique_ptr<WorkingFolder> m_dir;
    QString m_mount;
    std::shared_ptr<ManualClock> m_clock;
    std::shared_ptr<RecordingPrompts> m_prompts;
    std::unique_ptr<CKestrimDlg> m_window;
};

void TestDiskFaults::initTestCase()
{
    InstallFontSubstitutes();
}

void TestDiskFaults::init()
{
    m_dir = std::make_unique<WorkingFolder>();
    QVERIFY(m_dir->isValid());
    m_clock = std::make_shared<ManualClock>(QDateTime(QDate(2024, 5, 21), QTime(9, 0, 0)));
    m_prompts = std::make_shared<RecordingPrompts>();
    m_window = std::make_unique<CKestrimDlg>(TestSeams(m_clock, m_prompts));
    m_window->show();
    // The thermometer's report opens the day's index; body mode, Celsius, limit 37.5.
    Receive(*m_window, BuildFrame(1, QByteArray::fromHex("00017701020000 01")));
}

void TestDiskFaults::cleanup()
{
    m_window.reset();
    if (!m_mount.isEmpty())
        Run(QStringLiteral("umount"), {QStringLiteral("-l"), m_mount});
    m_mount.clear();
    m_dir.reset();
}

void TestDiskFaults::reading(const char *tenthsHex)
{
    Receive(*m_window, BuildFrame(4, QByteArray::fromHex(tenthsHex)));
}

void TestDiskFaults::checkAgreement(int expected)
{
    QCOMPARE(int(m_window->dayRecords().recordCount()), expected);
    QCOMPARE(
        m_window->findChild<QTableView *>(QString::number(IDC_LIST_RECORDS))->model()->rowCount(),
        expected);
    const QByteArray index = ReadFile(QStringLiteral("Ini/2024-05-21.ini"));
    QVERIFY2(index.contains("TOTAL_NUM=" + QByteArray::number(expected) + "\r\n") ||
                 (expected == 0 && !index.contains("TOTAL_NUM")),
             index.constData());
    QCOMPARE(int(ReadFile(kDayFile).count("\r\n")), expected);
}

void TestDiskFaults::faultsAreToldAndCleared_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reason");
    QTest::newRow("the day's folder is a file") << "folder is a file"
                                                << "Not a directory";
    QTest::newRow("the day file is a folder") << "file is a folder"
                                              << "Is a directory";
    QTest::newRow("the disk is full") << "disk full"
                                      << "No space left on device";
}

void TestDiskFaults::faultsAreToldAndCleared()
{
    QFETCH(QString, fault);
    QFETCH(QString, reason);

    // Make the fault, and the way to clear it.
    std::function<void()> clear;
    if (fault == QStringLiteral("folder is a file")) {
        // The connection's settings line made the day's folders: a file takes their place.
        QVERIFY(QDir(QStringLiteral("TempData/2024")).removeRecursively());
        QVERIFY(QDir().mkpath(QStringLiteral("TempData")));
        QFile blocker(QStringLiteral("TempData/2024"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        clear = [] {
            QFile::remove(QStringLiteral("TempData/2024"));
        };
    } else if (fault == QStringLiteral("file is a folder")) {
        QVERIFY(QDir().mkpath(kDayFile));
        clear = [] {
            QDir().rmdir(kDayFile);
        };
    } else {
        // A tiny file system of its own where the day's files go, filled up.
        QVERIFY(QDir().mkpath(QStringLiteral("TempData")));
        m_mount = QDir::current().absoluteFilePath(QStringLiteral("TempData"));
        if (::geteuid() != 0 ||
            !Run(QStringLiteral("mount"),
                 {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                  QStringLiteral("size=64k"), QStringLiteral("tmpfs"), m_mount})) {
            m_mount.clear();
            QSKIP("a small tmpfs cannot be mounted here (needs root and mount rights)");
        }
        QVERIFY(QDir().mkpath(QStringLiteral("TempData/2024/05")));
        QFile filler(QStringLiteral("TempData/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {}
        filler.close();
        clear = [] {
            QFile::remove(QStringLiteral("TempData/filler"));
        };
    }

    reading("6E01"); // 36.6
    QCOMPARE(m_prompts->messages.size(), 1);
    const QString message = m_prompts->messages.first();
    QVERIFY2(message.contains(QStringLiteral("20240521-01.txt")) && message.contains(reason),
             qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("not counted or listed")), qPrintable(message));
    checkAgreement(0);

    clear();
    m_clock->set(QDateTime(QDate(2024, 5, 21), QTime(9, 5, 0)));
    reading("6F01"); // 36.7
    QCOMPARE(m_prompts->messages.size(), 1);
    QCOMPARE(ReadFile(kDayFile), QByteArray("1,09:05:00,36.7C,0.0C\r\n"));
    checkAgreement(1);
}

// The real message box: a failure that comes with every reading is one box, not a pile.
void TestDiskFaults::aRepeatedFailureIsOneBox()
{
    auto prompts = std::make_shared<Prompts>();
    CKestrimDlg window(TestSeams(m_clock, prompts));
    window.show();
    Receive(window, BuildFrame(1, QByteArray::fromHex("00017701020000 01")));
    QVERIFY(QDir().mkpath(kDayFile));
    for (int i = 0; i < 5; ++i)
        Receive(window, BuildFrame(4, QByteArray::fromHex("6D01")));
    QCOMPARE(window.findChildren<QMessageBox *>().size(), 1);
    window.findChild<QMessageBox *>()->accept();
    QTRY_COMPARE(window.findChildren<QMessageBox *>().size(), 0);
    Receive(window, BuildFrame(4, QByteArray::fromHex("6D01")));
    QCOMPARE(window.findChildren<QMessageBox *>().size(), 1);
}

QTEST_MAIN(TestDiskFaults)
#include "tst_disk_faults_posix.moc"
