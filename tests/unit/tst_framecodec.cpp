// The receive stream: bytes in chunks as the port delivers them, whole verified frames out.
#include "reception/frame.h"
#include "reception/framecodec.h"
#include "reception/payloadreader.h"

#include <QTest>

using Chunks = QList<QByteArray>;
using Frames = QList<QByteArray>;

class TestFrameCodec : public QObject {
    Q_OBJECT

private slots:
    void buildsFramesWithLengthAndChecksum_data();
    void buildsFramesWithLengthAndChecksum();
    void cutsStreamIntoFrames_data();
    void cutsStreamIntoFrames();
    void everyByteBoundaryGivesTheSameFrames();
    void longStreamInChunks_data();
    void longStreamInChunks();
    void viewsLastUntilTheNextFeed();
    void payloadFieldsAreByteValues();
};

static QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(text);
}

void TestFrameCodec::buildsFramesWithLengthAndChecksum_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("settings request") << SettingsRequestFrame() << Hex("55AA050105");
    QTest::newRow("environment query") << EnvironmentQueryFrame() << Hex("55AA050307");
    QTest::newRow("measurement 36.5")
        << BuildFrame(FrameCode::Measurement, Hex("6D01")) << Hex("55AA07046D0178");
    QTest::newRow("R9 Pro report") << BuildFrame(FrameCode::Settings, Hex("0000770102000001"))
                                   << Hex("55AA0D010000770102000001"
                                          "88");
    QTest::newRow("checksum wraps at 8 bits")
        << BuildFrame(FrameCode::SettingsSet, Hex("0100E30302000001"))
        << Hex("55AA0D020100E30302000001F8");
}

void TestFrameCodec::buildsFramesWithLengthAndChecksum()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);
    QCOMPARE(built.toHex(' '), expected.toHex(' '));
}

void TestFrameCodec::cutsStreamIntoFrames_data()
{
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<Frames>("frames");
    QTest::addColumn<quint64>("droppedBytes");
    QTest::addColumn<quint64>("badChecksums");
    QTest::addColumn<int>("pending");

    const QByteArray m365 = Hex("55AA07046D0178");
    const QByteArray m341 = Hex("55AA0704550160"); // the value's low byte is 0x55
    const QByteArray report = Hex("55AA0D01000077010200000188");

    QTest::newRow("one frame in one read") << Chunks{m365} << Frames{m365} << 0ull << 0ull << 0;
    QTest::newRow("split after the length byte")
        << Chunks{Hex("55AA07"), Hex("046D0178")} << Frames{m365} << 0ull << 0ull << 0;
    QTest::newRow("split between the sync bytes")
        << Chunks{Hex("55"), Hex("AA07046D0178")} << Frames{m365} << 0ull << 0ull << 0;
    QTest::newRow("0x55 inside a value, then another frame")
        << Chunks{m341, m365} << Frames{m341, m365} << 0ull << 0ull << 0;
    QTest::newRow("junk before a frame")
        << Chunks{Hex("12") + m365} << Frames{m365} << 1ull << 0ull << 0;
    QTest::newRow("55 not followed by AA before a frame")
        << Chunks{Hex("5501") + m365} << Frames{m365} << 2ull << 0ull << 0;
    QTest::newRow("bad checksum, then a good frame")
        << Chunks{Hex("55AA07046D0179") + m365} << Frames{m365} << 7ull << 1ull << 0;
    QTest::newRow("two frames in one read")
        << Chunks{m365 + m341} << Frames{m365, m341} << 0ull << 0ull << 0;
    QTest::newRow("length 0x0D is thirteen bytes")
        << Chunks{report + m365} << Frames{report, m365} << 0ull << 0ull << 0;
    QTest::newRow("truncated frame is held, never handled")
        << Chunks{Hex("55AA07"), Hex("046D")} << Frames{} << 0ull << 0ull << 5;
    QTest::newRow("held bytes survive a later chunk")
        << Chunks{Hex("55AA0704"), Hex("6D01"), Hex("78") + m341} << Frames{m365, m341} << 0ull
        << 0ull << 0;
    QTest::newRow("impossible length resyncs at once")
        << Chunks{Hex("55AAFF") + m365} << Frames{m365} << 3ull << 0ull << 0;
    QTest::newRow("length below the frame overhead")
        << Chunks{Hex("55AA02") + m365} << Frames{m365} << 3ull << 0ull << 0;
    QTest::newRow("trailing 55 kept for the next read")
        << Chunks{m365 + Hex("55")} << Frames{m365} << 0ull << 0ull << 1;
    QTest::newRow("an empty read changes nothing")
        << Chunks{Hex("55AA07"), QByteArray(), Hex("046D0178"), QByteArray()} << Frames{m365}
        << 0ull << 0ull << 0;
    QTest::newRow("trailing junk dropped")
        << Chunks{m365 + Hex("0102")} << Frames{m365} << 2ull << 0ull << 0;
}

void TestFrameCodec::cutsStreamIntoFrames()
{
    QFETCH(Chunks, chunks);
    QFETCH(Frames, frames);
    QFETCH(quint64, droppedBytes);
    QFETCH(quint64, badChecksums);
    QFETCH(int, pending);

    FrameCodec codec;
    Frames got;
    for (const QByteArray &chunk : chunks) {
        for (const Frame &frame : codec.feed(chunk))
            got.append(frame.bytes);
    }
    QCOMPARE(got, frames);
    QCOMPARE(codec.counters().frames, quint64(frames.size()));
    QCOMPARE(codec.counters().droppedBytes, droppedBytes);
    QCOMPARE(codec.counters().badChecksums, badChecksums);
    QCOMPARE(codec.pendingBytes(), pending);
}

// However the port happens to cut the stream, the same frames come out.
void TestFrameCodec::everyByteBoundaryGivesTheSameFrames()
{
    const QByteArray stream = Hex("00"
                                  "55AA07046D0178"
                                  "55AA0704550160"
                                  "55"
                                  "55AA0D01000077010200000188"
                                  "55AA06020007"
                                  "55AA07030501"
                                  "0F");
    Frames whole;
    {
        FrameCodec codec;
        for (const Frame &frame : codec.feed(stream))
            whole.append(frame.bytes);
    }
    QCOMPARE(whole.size(), 5);
    for (int a = 0; a <= stream.size(); ++a) {
        for (int b = a; b <= stream.size(); ++b) {
            FrameCodec codec;
            Frames got;
            for (const QByteArray &chunk :
                 {stream.first(a), stream.sliced(a, b - a), stream.sliced(b)}) {
                for (const Frame &frame : codec.feed(chunk))
                    got.append(frame.bytes);
            }
            QCOMPARE(got, whole);
        }
    }
}

// A session's worth of frames and junk: the buffer is rewound, compacted with part of a frame
// held, and grown for a chunk larger than itself, and every frame still comes out once, intact.
void TestFrameCodec::longStreamInChunks_data()
{
    QTest::addColumn<int>("chunkSize");
    QTest::newRow("1 byte") << 1;
    QTest::newRow("7 bytes, frames split everywhere") << 7;
    QTest::newRow("4095 bytes") << 4095;
    QTest::newRow("larger than the buffer") << 9000;
    QTest::newRow("the whole stream") << (1 << 20);
}

void TestFrameCodec::longStreamInChunks()
{
    QFETCH(int, chunkSize);
    QByteArray stream;
    Frames expected;
    for (int i = 0; stream.size() < 30000; ++i) {
        const QByteArray frame =
            i % 9 == 4 ? BuildFrame(FrameCode::Settings, Hex("0000770102000001"))
                       : BuildFrame(FrameCode::Measurement, QByteArray(1, char(i)) + char(i >> 8));
        expected.append(frame);
        stream += frame;
        if (i % 5 == 0)
            stream += Hex("0155"); // junk, ending in a sync byte
    }

    FrameCodec codec;
    Frames got;
    for (qsizetype at = 0; at < stream.size(); at += chunkSize) {
        for (const Frame &frame : codec.feed(QByteArrayView(stream).sliced(at).first(
                 qMin<qsizetype>(chunkSize, stream.size() - at))))
            got.append(frame.bytes);
    }
    QCOMPARE(got.size(), expected.size());
    QCOMPARE(got, expected);
    QCOMPARE(codec.counters().frames, quint64(expected.size()));
    QCOMPARE(codec.pendingBytes(), 0);
}

// Frames handed on as views during one feed are all still whole when that feed returns.
void TestFrameCodec::viewsLastUntilTheNextFeed()
{
    const QByteArray m365 = Hex("55AA07046D0178");
    const QByteArray report = Hex("55AA0D01000077010200000188");
    FrameCodec codec;
    codec.feed(Hex("55AA07"), [](const FrameView &) { QFAIL("no frame is whole yet"); });
    QList<FrameView> views;
    codec.feed(Hex("046D0178") + report + m365,
               [&views](const FrameView &frame) { views.append(frame); });
    QCOMPARE(views.size(), 3);
    QCOMPARE(views[0].bytes.toByteArray(), m365);
    QCOMPARE(views[1].bytes.toByteArray(), report);
    QCOMPARE(views[1].code, quint8(1));
    QCOMPARE(views[1].payload.toByteArray(), Hex("0000770102000001"));
    QCOMPARE(views[2].bytes.toByteArray(), m365);
}

void TestFrameCodec::payloadFieldsAreByteValues()
{
    FrameCodec codec;
    const QList<Frame> frames = codec.feed(Hex("55AA0D01010D0D0A0412000188"));
    QCOMPARE(frames.size(), 0); // wrong checksum: dropped, not misread

    const Frame report = codec.feed(BuildFrame(FrameCode::Settings, Hex("010DE3030412000114")))[0];
    QCOMPARE(report.code, quint8(1));
    PayloadReader fields(report.payload);
    QCOMPARE(fields.byte(), quint8(1));       // unit
    QCOMPARE(fields.byte(), quint8(0x0D));    // 13, not 0
    QCOMPARE(fields.word(), quint16(0x03E3)); // little-endian
    QCOMPARE(fields.byte(), quint8(4));
    QCOMPARE(fields.byte(), quint8(0x12)); // 18, not 12
    QCOMPARE(fields.byte(), quint8(0));
    QCOMPARE(fields.byte(), quint8(1));
    QCOMPARE(fields.byte(), quint8(0x14));
    QCOMPARE(fields.remaining(), 0);
    QCOMPARE(fields.byte(), quint8(0)); // missing fields read as 0
    QCOMPARE(fields.word(), quint16(0));

    PayloadReader shortWord(Hex("6D"));
    QCOMPARE(shortWord.word(), quint16(0));
}

QTEST_GUILESS_MAIN(TestFrameCodec)
#include "tst_framecodec.moc"
