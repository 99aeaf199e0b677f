#include "frame.h"

quint8 FrameChecksum(QByteArrayView bytes)
{
    unsigned sum = 0;
    for (char byte : bytes)
        sum += static_cast<quint8>(byte);
    return static_cast<quint8>(sum & 0xFF);
}

QByteArray BuildFrame(quint8 code, QByteArrayView payload)
{
    QByteArray frame;
    frame.reserve(payload.size() + kFrameOverhead);
    frame.append(char(kFrameSync1));
    frame.append(char(kFrameSync2));
    frame.append(char(payload.size() + kFrameOverhead));
    frame.append(char(code));
    frame.append(payload.data(), payload.size());
    frame.append(char(FrameChecksum(frame)));
    return frame;
}

QByteArray SettingsRequestFrame()
{
    return BuildFrame(FrameCode::Settings);
}

QByteArray EnvironmentQueryFrame()
{
    return BuildFrame(FrameCode::Environment);
}
