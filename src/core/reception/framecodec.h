// Turns the serial byte stream into whole, verified frames.
//
// Bytes are fed as they arrive, in chunks of any size; every complete frame in the stream comes
// out, in order, exactly once. A frame is cut by its length byte and handed on only when all of
// its bytes are there and its checksum matches. Anything else (junk between frames, a bad length,
// a bad checksum) is skipped by sliding one byte and looking for the next 55 AA. Bytes of an
// incomplete frame are kept for the next chunk, never overwritten.
//
// The receive path allocates nothing per frame or per chunk: chunks are copied into one buffer
// that is read from an offset, rewound when it is used up and compacted only when it is full,
// and frames are handed on as views into it. A chunk that cannot complete the frame being
// received costs its copy and one comparison.
#pragma once

#include "frame.h"

#include <QList>

#include <cstring>
#include <utility>
#include <vector>

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

    FrameCodec()
        : m_buffer(kBufferSize)
    {}

    // Calls take(const FrameView &) for every frame the chunk completes, in order. The views
    // are valid until the next feed; `take` must not feed this codec.
    template <typename Take> void feed(QByteArrayView chunk, Take &&take)
    {
        Q_ASSERT(!m_feeding); // a nested feed would move the bytes under the views
        append(chunk);
        if (m_end < m_ready)
            return; // the frame being received is not whole yet
        m_feeding = true;
        FrameView frame;
        while (nextFrame(frame))
            take(std::as_const(frame));
        m_feeding = false;
    }
    // The same, as copies.
    QList<Frame> feed(QByteArrayView chunk);

    // Forgets the bytes held back: the stream starts anew (a new link).
    void clear()
    {
        Q_ASSERT(!m_feeding);
        m_start = m_end = m_ready = 0;
    }

    const Counters &counters() const { return m_counters; }
    // Bytes held back for the next chunk (the start of an incomplete frame).
    qsizetype pendingBytes() const { return m_end - m_start; }

private:
    // Enough for the chunks a port delivers; compaction moves the bytes of less than one frame
    // once per this much of the stream at most.
    static constexpr qsizetype kBufferSize = 4096;

    void append(QByteArrayView chunk)
    {
        if (m_end + chunk.size() > qsizetype(m_buffer.size()))
            makeRoom(chunk.size());
        if (chunk.size() == 1) // what a port often delivers; cheaper than a call to memcpy
            m_buffer[size_t(m_end)] = chunk.front();
        else if (!chunk.isEmpty()) // an empty view may have no data pointer at all
            std::memcpy(m_buffer.data() + m_end, chunk.data(), size_t(chunk.size()));
        m_end += chunk.size();
    }
    void makeRoom(qsizetype size);
    bool nextFrame(FrameView &frame);
    void drop(qsizetype count) { m_counters.droppedBytes += quint64(count); }

    // Received bytes are m_buffer[m_start, m_end); those before m_start are used up.
    std::vector<char> m_buffer;
    qsizetype m_start = 0;
    qsizetype m_end = 0;
    // Nothing can be decided before the buffer reaches this end: the bytes the candidate at
    // m_start still needs.
    qsizetype m_ready = 0;
    bool m_feeding = false;
    Counters m_counters;
};
