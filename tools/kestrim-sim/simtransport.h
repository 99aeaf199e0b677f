// How the simulated thermometer meets its host: the bytes the host writes come out as
// received(), and write() sends bytes back. Two kinds exist: a pseudo-terminal (Unix; the host
// opens it as a serial port) and a local socket (a named pipe on Windows, a Unix-domain socket
// elsewhere; the host opens it as "pipe:NAME").
#pragma once

#include <QByteArrayView>
#include <QObject>
#include <QString>

class SimTransport : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Makes the transport ready for a host; on failure returns false with errorString() set.
    virtual bool open() = 0;
    // What the host opens: the pseudo-terminal's device, or "pipe:NAME".
    virtual QString address() const = 0;
    // Sends all bytes; false (with errorString()) when they cannot go.
    virtual bool write(QByteArrayView bytes) = 0;
    virtual QString errorString() const = 0;
    // Whether Ports/comN names the transport by a link to it (a device) rather than a text.
    virtual bool isDevice() const = 0;

signals:
    void received(const QByteArray &bytes);
};
