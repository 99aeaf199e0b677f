#include "ptytransport.h"

#include <QSocketNotifier>

bool PtyTransport::open()
{
    if (!m_terminal.open())
        return false;
    m_opened = true;
    m_notifier = new QSocketNotifier(m_terminal.masterDescriptor(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        const QByteArray bytes = m_terminal.readAvailable();
        if (!bytes.isEmpty())
            emit received(bytes);
    });
    return true;
}

bool PtyTransport::write(QByteArrayView bytes)
{
    return m_terminal.write(bytes);
}
