// How long a reading takes from the thermometer to the operator: from the moment its frame is
// written on the pseudo-terminal, to its line synced in the day file (the record list gets its
// row right after the line's fdatasync returns), and to the reading painted in the window.
//
// The real CKestrimDlg runs on the offscreen platform, connected (--port COM3 --connect) through
// Ports/com3 to a pseudo-terminal whose other end this program plays as the thermometer. Speech
// is silent (no engine): it runs on its own thread and never holds a reading up. The day's
// files are in a scratch folder under the system's temporary folder, on its real file system.
// 1,000 readings, one at a time, each sent when the one before is shown.
#include "benchsupport.h"
#include "controls/fonts.h"
#include "kestrim-sim/pseudoterminal.h"
#include "reception/framecodec.h"
#include "records/recordlistmodel.h"
#include "speech/speechengine.h"
#include "window/ckestrimdlg.h"

#include <QApplication>
#include <QLabel>
#include <QSocketNotifier>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

constexpr int kReadings = 1000;
constexpr int kPort = 3;

QElapsedTimer g_clock; // one time base for every timestamp

// The thermometer's side: answers the settings request and the environment query.
class Thermometer : public QObject {
public:
    explicit Thermometer(PseudoTerminal &terminal)
        : m_terminal(terminal)
        , m_notifier(terminal.masterDescriptor(), QSocketNotifier::Read)
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, [this] { answer(); });
    }

    void send(const QByteArray &frame) { m_terminal.write(frame); }

private:
    void answer()
    {
        m_codec.feed(m_terminal.readAvailable(), [this](const FrameView &frame) {
            if (frame.code == quint8(FrameCode::Settings)) // Celsius, body mode, alarm 37.5
                send(BuildFrame(FrameCode::Settings, QByteArray::fromHex("0001770102000001")));
            else if (frame.code == quint8(FrameCode::Environment)) // 24.5
                send(BuildFrame(FrameCode::Environment, QByteArray::fromHex("F500")));
        });
    }

    PseudoTerminal &m_terminal;
    QSocketNotifier m_notifier;
    FrameCodec m_codec;
};

// The instant the reading label is next painted.
class PaintClock : public QObject {
public:
    explicit PaintClock(QWidget *widget) { widget->installEventFilter(this); }
    qint64 lastPaint = -1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            lastPaint = g_clock.nsecsElapsed();
        return QObject::eventFilter(watched, event);
    }
};

bool WaitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    QTimer tick;
    tick.start(50);
    while (!done() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    g_clock.start();
    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    PseudoTerminal terminal;
    if (!terminal.open() || !QDir().mkpath(QStringLiteral("Ports")) ||
        !QFile::link(terminal.slavePath(), QStringLiteral("Ports/com%1").arg(kPort))) {
        std::fprintf(stderr, "no pseudo-terminal: %s\n", qPrintable(terminal.errorString()));
        return 1;
    }

    QApplication app(argc, argv);
    InstallFontSubstitutes();
    Thermometer thermometer(terminal);
    KestrimSeams seams;
    seams.speechEngine = [] {
        return std::unique_ptr<SpeechEngine>();
    };
    CKestrimDlg window(seams);
    LaunchOptions launch;
    launch.port = kPort;
    launch.connect = true;
    window.SetLaunchOptions(launch);
    window.show();

    auto *status = window.findChild<QLabel *>(QStringLiteral("1015"));
    auto *reading = window.findChild<QLabel *>(QStringLiteral("1028"));
    auto *list = window.findChild<QTableView *>(QStringLiteral("1012"));
    if (!status || !reading || !list ||
        !WaitFor([status] { return status->text() == QLatin1String("success"); }, 10000)) {
        std::fprintf(stderr, "the window did not connect\n");
        return 1;
    }
    WaitFor([] { return false; }, 1500); // the settle pause and the first environment query

    qint64 synced = -1;
    QObject::connect(list->model(), &QAbstractItemModel::rowsInserted,
                     [&synced] { synced = g_clock.nsecsElapsed(); });
    PaintClock painted(reading);
    std::vector<double> toDisk, toScreen;
    for (int i = 0; i < kReadings; ++i) {
        const int tenths = 360 + i % 15; // 36.0 .. 37.4: all normal, each unlike the one before
        const QByteArray frame = BuildFrame(FrameCode::Measurement,
                                            QByteArray(1, char(tenths & 0xFF)) + char(tenths >> 8));
        synced = -1;
        painted.lastPaint = -1;
        const qint64 written = g_clock.nsecsElapsed();
        thermometer.send(frame);
        if (!WaitFor([&] { return synced >= 0 && painted.lastPaint > synced; }, 5000)) {
            std::fprintf(stderr, "reading %d was not shown\n", i + 1);
            return 1;
        }
        toDisk.push_back(double(synced - written) / 1e6);
        toScreen.push_back(double(painted.lastPaint - written) / 1e6);
    }

    const int rows = list->model()->rowCount();
    std::printf("%d readings, pty write to:\n", kReadings);
    std::printf(
        "  row listed (line and index synced)  median %6.2f ms   p99 %6.2f ms   max %6.2f ms\n",
        Percentile(toDisk, 0.5), Percentile(toDisk, 0.99), Percentile(toDisk, 1.0));
    std::printf(
        "  reading painted                     median %6.2f ms   p99 %6.2f ms   max %6.2f ms\n",
        Percentile(toScreen, 0.5), Percentile(toScreen, 0.99), Percentile(toScreen, 1.0));
    window.reject();
    return rows == kReadings ? 0 : 1;
}
