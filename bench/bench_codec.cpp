// How fast the receive path turns bytes into frames, at the chunk sizes a serial port delivers,
// against the line rate (115200 baud, 8N1: 11,520 bytes a second) and against a baseline that
// works on text: every chunk becomes upper-case hex text, "55AA" is searched
// in the text, the frame is cut by its length and its fields are converted from the text.
//
// The stream is what a thermometer sends in a long session: mostly measurements and environment
// temperatures, now and then a settings report or an acknowledgement, a little junk and a
// damaged frame. Every path must hand on the same frames, which is checked before timing.
#include "reception/frame.h"
#include "reception/framecodec.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTextStream>

#include <algorithm>
#include <ctime>

#ifdef Q_OS_WIN
#include <windows.h>
#endif
#include <random>

namespace {

constexpr double kLineRate = 11520.0; // bytes a second
constexpr qint64 kMinNanoseconds = 300'000'000;

QByteArray Word(int value)
{
    QByteArray bytes;
    bytes.append(char(value & 0xFF));
    bytes.append(char((value >> 8) & 0xFF));
    return bytes;
}

QByteArray MakeStream(qsizetype size)
{
    std::mt19937 random(20240521);
    const auto below = [&random](int n) {
        return int(random() % unsigned(n));
    };
    QByteArray stream;
    stream.reserve(size + 64);
    while (stream.size() < size) {
        const int kind = below(100);
        if (kind < 80) {
            stream += BuildFrame(FrameCode::Measurement, Word(340 + below(60)));
        } else if (kind < 93) {
            stream += BuildFrame(FrameCode::Environment, Word(200 + below(100)));
        } else if (kind < 95) {
            stream += BuildFrame(FrameCode::Settings, QByteArray::fromHex("0000770102000001"));
        } else if (kind < 97) {
            stream += BuildFrame(FrameCode::SettingsSet, QByteArray(1, '\0'));
        } else if (kind < 99) {
            for (int i = below(4) + 1; i > 0; --i)
                stream += char(below(256)); // line noise
        } else {
            QByteArray damaged = BuildFrame(FrameCode::Measurement, Word(365));
            damaged[4] = char(damaged[4] ^ 0x10);
            stream += damaged;
        }
    }
    return stream;
}

// What a consumer does with a frame: enough that no path can skip the work.
struct Sink {
    quint64 frames = 0;
    quint64 sum = 0;
    void take(quint8 code, QByteArrayView payload)
    {
        ++frames;
        sum = sum * 31 + code;
        for (char byte : payload)
            sum = sum * 31 + quint8(byte);
    }
    bool operator==(const Sink &) const = default;
};

// A receive path on hex text, kept only as the baseline.
class HexTextReceiver {
public:
    void feed(QByteArrayView chunk, Sink &sink)
    {
        m_text += QString::fromLatin1(chunk.toByteArray().toHex().toUpper());
        qsizetype from = 0;
        for (;;) {
            qsizetype start = m_text.indexOf(QLatin1String("55AA"), from);
            while (start >= 0 && start % 2 != 0) // only on a byte boundary
                start = m_text.indexOf(QLatin1String("55AA"), start + 1);
            if (start < 0) {
                // A trailing "55" may be the start of the next frame.
                m_text.remove(0, m_text.endsWith(QLatin1String("55")) ? m_text.size() - 2
                                                                      : m_text.size());
                return;
            }
            if (m_text.size() - start < 6) {
                m_text.remove(0, start);
                return;
            }
            const int length = m_text.mid(start + 4, 2).toInt(nullptr, 16);
            if (length < kFrameOverhead || length > FrameCodec::kMaxFrameLength) {
                from = start + 2;
                continue;
            }
            if (m_text.size() - start < 2 * length) {
                m_text.remove(0, start);
                return;
            }
            const QString frame = m_text.mid(start, 2 * length);
            unsigned sum = 0;
            QByteArray payload;
            for (int i = 0; i < length - 1; ++i) {
                const int byte = frame.mid(2 * i, 2).toInt(nullptr, 16);
                sum += unsigned(byte);
                if (i >= 4)
                    payload += char(byte);
            }
            if ((sum & 0xFF) != unsigned(frame.mid(2 * length - 2, 2).toInt(nullptr, 16))) {
                from = start + 2;
                continue;
            }
            sink.take(quint8(frame.mid(6, 2).toInt(nullptr, 16)), payload);
            m_text.remove(0, start + 2 * length);
            from = 0;
        }
    }

private:
    QString m_text;
};

// The three ways of receiving, as lambdas: each its own type, so the timing loop calls them
// directly, not through a function pointer.
constexpr auto FeedCallback = [](FrameCodec &codec, QByteArrayView chunk, Sink &sink) {
    codec.feed(chunk, [&sink](const FrameView &frame) { sink.take(frame.code, frame.payload); });
};

constexpr auto FeedList = [](FrameCodec &codec, QByteArrayView chunk, Sink &sink) {
    for (const Frame &frame : codec.feed(chunk))
        sink.take(frame.code, frame.payload);
};

constexpr auto FeedBaseline = [](HexTextReceiver &receiver, QByteArrayView chunk, Sink &sink) {
    receiver.feed(chunk, sink);
};

// CPU time of this thread: on a machine shared with other work, wall time would measure the
// others too.
qint64 ThreadNanoseconds()
{
#ifdef Q_OS_WIN
    FILETIME created, exited, kernel, user;
    if (!::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user))
        return 0;
    const auto ticks = [](const FILETIME &time) {
        return (qint64(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return (ticks(kernel) + ticks(user)) * 100; // in units of 100 ns
#else
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
#endif
}

// Feeds the stream, over and over, in chunks of `chunkSize` until at least kMinNanoseconds of
// CPU time have been spent; the best of three such runs. Returns MB/s.
template <typename Receiver, typename Feed>
double Throughput(const QByteArray &stream, qsizetype chunkSize, Feed feed, Sink &sink)
{
    double best = 0;
    for (int run = 0; run < 3; ++run) {
        Receiver receiver;
        const qint64 started = ThreadNanoseconds();
        qint64 bytes = 0;
        qsizetype at = 0;
        for (quint32 chunks = 1;; ++chunks) {
            const QByteArrayView chunk(stream.constData() + at,
                                       qMin(chunkSize, stream.size() - at));
            feed(receiver, chunk, sink);
            bytes += chunk.size();
            at += chunk.size();
            if (at == stream.size())
                at = 0;
            const qint64 spent = chunks % 1024 == 0 ? ThreadNanoseconds() - started : 0;
            if (spent >= kMinNanoseconds) {
                best = std::max(best, double(bytes) / double(spent) * 1e3);
                break;
            }
        }
    }
    return best;
}

template <typename Receiver, typename Feed>
Sink Frames(const QByteArray &stream, qsizetype chunkSize, Feed feed)
{
    Receiver receiver;
    Sink sink;
    for (qsizetype at = 0; at < stream.size(); at += chunkSize)
        feed(receiver, QByteArrayView(stream).sliced(at, qMin(chunkSize, stream.size() - at)),
             sink);
    return sink;
}

} // namespace

int main()
{
    QTextStream out(stdout);
    const QByteArray stream = MakeStream(4 << 20);
    const QByteArray sample = stream.first(256 << 10);
    const qsizetype chunkSizes[] = {1, 7, 64, 4096};

    for (qsizetype chunk : chunkSizes) {
        const Sink expected = Frames<FrameCodec>(sample, sample.size(), FeedCallback);
        if (Frames<FrameCodec>(sample, chunk, FeedCallback) != expected ||
            Frames<FrameCodec>(sample, chunk, FeedList) != expected ||
            Frames<HexTextReceiver>(sample, chunk, FeedBaseline) != expected) {
            out << "the paths disagree at chunk size " << chunk << "\n";
            return 1;
        }
    }

    out << "stream: " << stream.size() << " bytes; line rate " << kLineRate << " B/s\n";
    out << qSetFieldWidth(8) << "chunk" << qSetFieldWidth(14) << "codec MB/s"
        << "x line rate"
        << "list MB/s"
        << "hex MB/s"
        << "codec/hex" << qSetFieldWidth(0) << "\n";
    for (qsizetype chunk : chunkSizes) {
        Sink sink;
        const double codec = Throughput<FrameCodec>(stream, chunk, FeedCallback, sink);
        const double list = Throughput<FrameCodec>(stream, chunk, FeedList, sink);
        const double hex = Throughput<HexTextReceiver>(stream, chunk, FeedBaseline, sink);
        out << qSetFieldWidth(8) << chunk << qSetFieldWidth(14) << qSetRealNumberPrecision(4)
            << codec << codec * 1e6 / kLineRate << list << hex << codec / hex << qSetFieldWidth(0)
            << "\n";
        if (sink.frames == 0)
            return 1;
    }
    return 0;
}
