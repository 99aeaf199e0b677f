#include "commandinput.h"

#include <utility>

void CommandInput::take(const QByteArray &bytes)
{
    m_text.append(bytes);
    qsizetype end;
    while ((end = m_text.indexOf('\n')) >= 0) {
        QByteArray text = m_text.first(end);
        m_text.remove(0, end + 1);
        if (text.endsWith('\r'))
            text.chop(1);
        emit line(QString::fromUtf8(text));
    }
}

void CommandInput::finish()
{
    if (!m_text.isEmpty())
        emit line(QString::fromUtf8(std::exchange(m_text, {})));
    emit ended();
}
