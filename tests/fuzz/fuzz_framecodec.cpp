// Fuzzes the receive stream: whatever arrives, every frame handed on is whole and verified, and
// cutting the same bytes into other chunks gives the same frames and the same counts.
#include "fuzzcheck.h"
#include "reception/framecodec.h"

#include <cstdint>

namespace {

bool SameCounts(const FrameCodec &a, const FrameCodec &b)
{
    const FrameCodec::Counters &x = a.counters();
    const FrameCodec::Counters &y = b.counters();
    return x.frames == y.frames && x.droppedBytes == y.droppedBytes &&
           x.badChecksums == y.badChecksums && x.badLengths == y.badLengths &&
           a.pendingBytes() == b.pendingBytes();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView stream(reinterpret_cast<const char *>(data), qsizetype(size));

    FrameCodec whole;
    const QList<Frame> frames = whole.feed(stream);
    for (const Frame &frame : frames) {
        const QByteArray &b = frame.bytes;
        FUZZ_CHECK(b.size() >= kFrameOverhead && b.size() <= FrameCodec::kMaxFrameLength);
        FUZZ_CHECK(quint8(b[0]) == kFrameSync1 && quint8(b[1]) == kFrameSync2);
        FUZZ_CHECK(quint8(b[2]) == b.size() && quint8(b[3]) == frame.code);
        FUZZ_CHECK(FrameChecksum(QByteArrayView(b).first(b.size() - 1)) == quint8(b.back()));
        FUZZ_CHECK(frame.payload == b.sliced(4, b.size() - kFrameOverhead));
    }
    FUZZ_CHECK(whole.counters().frames == quint64(frames.size()));
    FUZZ_CHECK(whole.pendingBytes() < FrameCodec::kMaxFrameLength);

    // The same stream one byte at a time.
    FrameCodec bytewise;
    QList<QByteArray> again;
    for (qsizetype i = 0; i < stream.size(); ++i) {
        for (const Frame &frame : bytewise.feed(stream.sliced(i, 1)))
            again.append(frame.bytes);
    }
    FUZZ_CHECK(again.size() == frames.size());
    for (qsizetype i = 0; i < frames.size(); ++i)
        FUZZ_CHECK(again[i] == frames[i].bytes);
    FUZZ_CHECK(SameCounts(bytewise, whole));

    // The stream three times over, taken as views, in chunks whose sizes the stream's own bytes
    // choose (up to beyond the codec's buffer, so that it is compacted and grown), with empty
    // reads between them.
    const QByteArray thrice = stream.toByteArray().repeated(3);
    FrameCodec wholeThrice;
    const QList<Frame> expected = wholeThrice.feed(thrice);
    FrameCodec chunked;
    QList<QByteArray> viewed;
    std::size_t next = 0;
    const auto take = [&viewed](const FrameView &frame) {
        FUZZ_CHECK(frame.payload.data() == frame.bytes.data() + 4);
        viewed.append(frame.bytes.toByteArray());
    };
    for (qsizetype at = 0; at < thrice.size();) {
        const std::uint8_t choice = data[next++ % size];
        if (choice % 16 == 0)
            chunked.feed(QByteArrayView(), take); // a read that brought nothing
        const qsizetype length = qMin<qsizetype>(1 + 23 * choice, thrice.size() - at);
        chunked.feed(QByteArrayView(thrice).sliced(at, length), take);
        at += length;
    }
    FUZZ_CHECK(viewed.size() == expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        FUZZ_CHECK(viewed[i] == expected[i].bytes);
    FUZZ_CHECK(SameCounts(chunked, wholeThrice));
    return 0;
}
