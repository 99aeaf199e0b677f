// SIGINT, SIGTERM and SIGHUP turned into a Qt signal on the event loop (the self-pipe trick),
// so that the simulator ends through its normal path and removes its port link.
#pragma once

#include <QObject>

class QSocketNotifier;

class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    // Installs the handlers; at most one object may do so. False with errno set on failure.
    bool install();

signals:
    void received(int signalNumber);

private:
    static void Handle(int signalNumber);
    void drain();

    int m_pipe[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
};
