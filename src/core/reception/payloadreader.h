// Reads the fields of a frame's payload from its front.
//
// A one-byte field is the byte's value; a 16-bit field is little-endian. A field that the payload
// is too short to hold reads as 0, so a short frame yields zeros instead of garbage.
#pragma once

#include <QByteArrayView>

class PayloadReader {
public:
    explicit PayloadReader(QByteArrayView payload)
        : m_payload(payload)
    {}

    quint8 byte()
    {
        if (m_pos >= m_payload.size()) {
            m_pos = m_payload.size();
            return 0;
        }
        return quint8(m_payload[m_pos++]);
    }

    quint16 word()
    {
        if (m_payload.size() - m_pos < 2) {
            m_pos = m_payload.size();
            return 0;
        }
        const quint16 low = quint8(m_payload[m_pos]);
        const quint16 high = quint8(m_payload[m_pos + 1]);
        m_pos += 2;
        return quint16(low | (high << 8));
    }

    qsizetype remaining() const { return m_payload.size() - m_pos; }

private:
    QByteArrayView m_payload;
    qsizetype m_pos = 0;
};
