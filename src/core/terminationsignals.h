// SIGINT, SIGTERM and SIGHUP (on Windows: the console's Ctrl+C, Ctrl+Break and close) turned
// into a Qt signal on the event loop (on Unix by the self-pipe trick), so that a program without
// a window (the simulator, `kestrim --record`) ends through its normal path: the simulator
// removes its port entry, a recording desk closes its port and files.
#pragma once

#include <QObject>

class QSocketNotifier;

class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    // Installs the handlers; at most one object may do so. False on failure, with the reason in
    // qt_error_string().
    bool install();

signals:
    void received(int signalNumber);

private:
    static void Handle(int signalNumber);
    void drain();

    int m_pipe[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
};
