#include "framecodec.h"

namespace {

bool IsSyncAt(const QByteArray &buffer, qsizetype pos)
{
    return quint8(buffer[pos]) == kFrameSync1 && quint8(buffer[pos + 1]) == kFrameSync2;
}

} // namespace

QList<Frame> FrameCodec::feed(QByteArrayView chunk)
{
    m_pending.append(chunk.data(), chunk.size());

    QList<Frame> frames;
    qsizetype pos = 0;
    const auto skip = [&](qsizetype count) {
        m_counters.droppedBytes += quint64(count);
        pos += count;
    };

    while (pos < m_pending.size()) {
        const qsizetype left = m_pending.size() - pos;
        if (left < 2) {
            // A lone 55 may be the start of the next frame; anything else cannot.
            if (quint8(m_pending[pos]) != kFrameSync1)
                skip(1);
            break;
        }
        if (!IsSyncAt(m_pending, pos)) {
            skip(1);
            continue;
        }
        if (left < 3)
            break; // the length byte has not arrived yet

        // Byte 2 is the length of the whole frame.
        const int length = quint8(m_pending[pos + 2]);
        if (length < kFrameOverhead || length > kMaxFrameLength) {
            ++m_counters.badLengths;
            skip(1);
            continue;
        }
        if (left < length)
            break; // wait for the rest of the frame

        const QByteArrayView candidate(m_pending.constData() + pos, length);
        // The last byte is the checksum over all bytes before it.
        if (FrameChecksum(candidate.first(length - 1)) != quint8(candidate.back())) {
            ++m_counters.badChecksums;
            skip(1);
            continue;
        }

        Frame frame;
        frame.code = quint8(candidate[3]); // byte 3: command code
        frame.payload = candidate.sliced(4, length - kFrameOverhead).toByteArray();
        frame.bytes = candidate.toByteArray();
        frames.append(frame);
        ++m_counters.frames;
        pos += length;
    }

    m_pending.remove(0, pos);
    return frames;
}
