// How long Kestrim takes to start: from the moment the process is started to the window's first
// paint, as the program starts it (application set-up, font substitutes, the real CKestrimDlg
// with its real clock, prompts and speech engine, initialised and shown), on the offscreen
// platform (QT_QPA_PLATFORM is set to offscreen unless it is set already), in an empty working
// folder (a first start at a desk: no Kestrim.ini, no index, no records).
//
// This program starts itself kRuns times and reports the first start and the median of the
// others; each start is measured from just before its process is created.
#include "benchsupport.h"
#include "controls/fonts.h"
#include "window/ckestrimdlg.h"

#include <QApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kRuns = 15;
constexpr char kStartVariable[] = "KESTRIM_BENCH_START_NS";

// The steady clock is the system's monotonic one (CLOCK_MONOTONIC, QueryPerformanceCounter),
// the same in every process, so a time taken in one process can be compared in another.
qint64 MonotonicNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Notes the first paint of a widget and ends `loop`.
class FirstPaint : public QObject {
public:
    FirstPaint(QWidget *widget, QEventLoop &loop)
        : m_loop(loop)
    {
        widget->installEventFilter(this);
    }
    qint64 at = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && at == 0) {
            at = MonotonicNanoseconds();
            m_loop.quit();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QEventLoop &m_loop;
};

// One start, as main() and CKestrimApp::InitInstance do it, up to the window's first paint.
int Start(int argc, char **argv, qint64 processStarted)
{
    const qint64 mainEntered = MonotonicNanoseconds();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrim"));
    QApplication::setApplicationDisplayName(QStringLiteral("QUELLOR   V2.1"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.kestrim.Kestrim"));
    InstallFontSubstitutes();
    CKestrimDlg dialog;
    QEventLoop loop;
    FirstPaint painted(&dialog, loop);
    dialog.show();
    loop.exec();
    std::printf("%.2f %.2f\n", double(painted.at - processStarted) / 1e6,
                double(painted.at - mainEntered) / 1e6);
    std::fflush(stdout);
    std::_Exit(0); // the start is measured; how the program ends is another matter
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet(kStartVariable))
        return Start(argc, argv, qEnvironmentVariable(kStartVariable).toLongLong());

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    std::vector<double> total, inMain;
    double first = 0, firstInMain = 0;
    for (int run = 0; run < kRuns; ++run) {
        QTemporaryDir folder;
        QProcess process;
        process.setWorkingDirectory(folder.path());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QLatin1String(kStartVariable), QString::number(MonotonicNanoseconds()));
        process.setProcessEnvironment(environment);
        process.start(QCoreApplication::applicationFilePath(), {});
        if (!process.waitForFinished(30000) || process.exitCode() != 0) {
            std::fprintf(stderr, "start %d failed\n", run + 1);
            return 1;
        }
        const QList<QByteArray> times = process.readAllStandardOutput().trimmed().split(' ');
        const double shown = times.value(0).toDouble();
        const double fromMain = times.value(1).toDouble();
        if (run == 0) {
            first = shown;
            firstInMain = fromMain;
        } else {
            total.push_back(shown);
            inMain.push_back(fromMain);
        }
    }
    std::printf("process start to the window's first paint (%d starts):\n", kRuns);
    std::printf("  first start        %7.1f ms  (%.1f ms of it from main())\n", first, firstInMain);
    std::printf("  later starts       median %7.1f ms  max %7.1f ms  (median %.1f ms from "
                "main())\n",
                Percentile(total, 0.5), Percentile(total, 1.0), Percentile(inMain, 0.5));
    return 0;
}
