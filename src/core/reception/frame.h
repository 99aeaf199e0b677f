// One frame of the thermometer link, and how frames are built.
//
// A frame is the same in both directions:
//   55 AA | length | code | payload (length - 5 bytes) | checksum
// The length counts every byte of the frame; 16-bit payload fields are little-endian;
// the checksum is the low 8 bits of the sum of all bytes before it.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Command codes; the program sends the request form, the thermometer answers with the same code.
enum class FrameCode : quint8 {
    Settings = 1,    // settings request / settings report
    SettingsSet = 2, // settings command / acknowledgement
    Environment = 3, // environment query / environment temperature
    Measurement = 4, // measurement (thermometer only)
};

struct Frame {
    quint8 code = 0;
    QByteArray payload; // the bytes between the code and the checksum
    QByteArray bytes;   // the whole frame as it was on the wire
};

// A frame where it lies, in the receive buffer; the same fields as Frame, without a copy.
struct FrameView {
    quint8 code = 0;
    QByteArrayView payload;
    QByteArrayView bytes;
};

inline constexpr quint8 kFrameSync1 = 0x55;
inline constexpr quint8 kFrameSync2 = 0xAA;
inline constexpr int kFrameOverhead = 5; // sync (2), length, code, checksum

// Low 8 bits of the sum of the bytes.
quint8 FrameChecksum(QByteArrayView bytes);

// A complete frame: sync, length and checksum computed.
QByteArray BuildFrame(quint8 code, QByteArrayView payload = {});
inline QByteArray BuildFrame(FrameCode code, QByteArrayView payload = {})
{
    return BuildFrame(static_cast<quint8>(code), payload);
}

// 55 AA 05 01 05: asks the thermometer for its settings report.
QByteArray SettingsRequestFrame();
// 55 AA 05 03 07: asks the thermometer for the environment temperature.
QByteArray EnvironmentQueryFrame();
