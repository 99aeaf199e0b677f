// Fuzzes the receive stream: whatever arrives, every frame handed on is whole and verified, and
// cutting the same bytes into other chunks gives the same frames.
#include "reception/framecodec.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView stream(reinterpret_cast<const char *>(data), qsizetype(size));

    FrameCodec whole;
    const QList<Frame> frames = whole.feed(stream);
    for (const Frame &frame : frames) {
        const QByteArray &b = frame.bytes;
        if (b.size() < kFrameOverhead || quint8(b[0]) != kFrameSync1 ||
            quint8(b[1]) != kFrameSync2 || quint8(b[2]) != b.size() ||
            FrameChecksum(QByteArrayView(b).first(b.size() - 1)) != quint8(b.back()) ||
            frame.payload.size() != b.size() - kFrameOverhead)
            std::abort();
    }
    if (whole.pendingBytes() >= FrameCodec::kMaxFrameLength)
        std::abort();

    // The same stream one byte at a time.
    FrameCodec bytewise;
    QList<Frame> again;
    for (qsizetype i = 0; i < stream.size(); ++i)
        again += bytewise.feed(stream.sliced(i, 1));
    if (again.size() != frames.size())
        std::abort();
    for (qsizetype i = 0; i < frames.size(); ++i) {
        if (again[i].bytes != frames[i].bytes)
            std::abort();
    }
    return 0;
}
