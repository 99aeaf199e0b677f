// The simulator on a local socket: a named pipe on Windows (\\.\pipe\NAME), a Unix-domain
// socket elsewhere. The host opens it as "pipe:NAME" (Ports/comN holding that text).
//
// Like a serial port it has one host at a time: a host that connects takes the line over from
// the one before (a probe that connects and leaves at once takes nothing away for long). When
// the simulator ends, its host's connection ends, as an unplugged adapter would.
#pragma once

#include "simtransport.h"

#include <QPointer>

class QLocalServer;
class QLocalSocket;

class LocalSocketTransport : public SimTransport {
    Q_OBJECT

public:
    explicit LocalSocketTransport(const QString &name, QObject *parent = nullptr);
    ~LocalSocketTransport() override;

    bool open() override;
    QString address() const override;
    bool write(QByteArrayView bytes) override;
    QString errorString() const override { return m_errorString; }
    bool isDevice() const override { return false; }

private:
    void accept();

    QString m_name;
    QLocalServer *m_server = nullptr;
    QPointer<QLocalSocket> m_host;
    QString m_errorString;
};
