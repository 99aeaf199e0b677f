// The simulator's end of a pseudo-terminal: the host opens the slave as its serial port, the
// simulator reads and writes the master.
//
// The slave is put into raw mode at once and one slave descriptor stays open for the whole life
// of the object. Without it the master reads EIO whenever no host has the port open (and a
// notifier on it fires without end); with a cooked line discipline the bytes the simulator sends
// would come back to it as echo and the host would only see them line by line.
#pragma once

#include <QByteArrayView>
#include <QString>

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    // Opens the pair; on failure returns false with the reason in errorString().
    bool open();

    QString slavePath() const { return m_slavePath; }
    // Non-blocking; for a notifier.
    int masterDescriptor() const { return m_master; }

    // Whatever the host has written so far; empty when there is nothing (never blocks).
    QByteArray readAvailable();
    // Writes all bytes unless the host has stopped reading and the buffer is full; false then.
    bool write(QByteArrayView bytes);

    QString errorString() const { return m_errorString; }

private:
    bool fail(const char *what);

    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_errorString;
};
