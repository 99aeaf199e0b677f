// Turns the serial byte stream into whole, verified frames.
//
// Bytes are fed as they arrive, in chunks of any size; every complete frame in the stream comes
// out, in order, exactly once. A frame is cut by its length byte and handed on only when all of
// its bytes are there and its checksum matches. Anything else (junk between frames, a bad length,
// a bad checksum) is skipped by sliding one byte and looking for the next 55 AA. Bytes of an
// incomplete frame are kept for the next chunk, never overwritten.
#pragma once

#include "frame.h"

#include <QList>

class FrameCodec {
public:
    // The longest frame of the protocol is the R9 Pro settings report (13 bytes). A length byte
    // beyond this bound is not a frame start; without the bound a corrupted length would hold
    // back the good frames behind it until up to 255 bytes had arrived.
    static constexpr int kMaxFrameLength = 16;

    struct Counters {
        quint64 frames = 0;       // frames handed on
        quint64 droppedBytes = 0; // bytes skipped while looking for a frame
        quint64 badChecksums = 0; // complete candidates whose checksum did not match
        quint64 badLengths = 0;   // candidates whose length byte cannot be a frame
    };

    QList<Frame> feed(QByteArrayView chunk);

    const Counters &counters() const { return m_counters; }
    // Bytes held back for the next chunk (the start of an incomplete frame).
    qsizetype pendingBytes() const { return m_pending.size(); }

private:
    QByteArray m_pending;
    Counters m_counters;
};
