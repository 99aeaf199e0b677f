#include "framecodec.h"

QList<Frame> FrameCodec::feed(QByteArrayView chunk)
{
    QList<Frame> frames;
    feed(chunk, [&frames](const FrameView &frame) {
        frames.append({frame.code, frame.payload.toByteArray(), frame.bytes.toByteArray()});
    });
    return frames;
}

void FrameCodec::makeRoom(qsizetype size)
{
    // The held bytes (less than a frame) move to the front; the buffer grows only for a chunk
    // larger than it.
    const qsizetype held = m_end - m_start;
    std::memmove(m_buffer.data(), m_buffer.data() + m_start, size_t(held));
    m_ready -= m_start;
    m_start = 0;
    m_end = held;
    if (held + size > qsizetype(m_buffer.size()))
        m_buffer.resize(size_t(held + size));
}

bool FrameCodec::nextFrame(FrameView &frame)
{
    const char *data = m_buffer.data();
    qsizetype pos = m_start;
    const auto wait = [&](qsizetype needed) {
        m_start = pos;
        m_ready = pos + needed;
        return false;
    };
    while (pos < m_end) {
        if (quint8(data[pos]) != kFrameSync1) {
            const auto *sync = static_cast<const char *>(
                std::memchr(data + pos, kFrameSync1, size_t(m_end - pos)));
            const qsizetype next = sync ? sync - data : m_end;
            drop(next - pos);
            pos = next;
            continue;
        }
        const qsizetype left = m_end - pos;
        if (left < 2)
            return wait(2); // a lone 55 may be the start of the next frame
        if (quint8(data[pos + 1]) != kFrameSync2) {
            drop(1);
            ++pos;
            continue;
        }
        if (left < 3)
            return wait(3); // the length byte has not arrived yet

        // Byte 2 is the length of the whole frame.
        const int length = quint8(data[pos + 2]);
        if (length < kFrameOverhead || length > kMaxFrameLength) {
            ++m_counters.badLengths;
            drop(1);
            ++pos;
            continue;
        }
        if (left < length)
            return wait(length); // the rest of the frame

        const QByteArrayView candidate(data + pos, length);
        // The last byte is the checksum over all bytes before it (FrameChecksum, inline here:
        // this is the receive path's innermost loop).
        unsigned sum = 0;
        for (qsizetype i = 0; i < length - 1; ++i)
            sum += quint8(candidate[i]);
        if (quint8(sum) != quint8(candidate.back())) {
            ++m_counters.badChecksums;
            drop(1);
            ++pos;
            continue;
        }

        frame.code = quint8(candidate[3]); // byte 3: command code
        frame.payload = candidate.sliced(4, length - kFrameOverhead);
        frame.bytes = candidate;
        ++m_counters.frames;
        m_start = pos + length;
        m_ready = m_start;
        return true;
    }
    // Used up: the next chunk starts at the front again. The bytes stay where they are until
    // then, so the views handed on by this feed stay valid.
    m_start = m_end = m_ready = 0;
    return false;
}
