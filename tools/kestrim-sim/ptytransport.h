// The simulator on a pseudo-terminal (Unix only): the host opens the slave as its serial port.
#pragma once

#include "pseudoterminal.h"
#include "simtransport.h"

class QSocketNotifier;

class PtyTransport : public SimTransport {
    Q_OBJECT

public:
    using SimTransport::SimTransport;

    bool open() override;
    QString address() const override { return m_terminal.slavePath(); }
    bool write(QByteArrayView bytes) override;
    QString errorString() const override
    {
        return m_opened ? m_terminal.errorString()
                        : QStringLiteral("no pseudo-terminal: ") + m_terminal.errorString();
    }
    bool isDevice() const override { return true; }

private:
    PseudoTerminal m_terminal;
    QSocketNotifier *m_notifier = nullptr;
    bool m_opened = false;
};
