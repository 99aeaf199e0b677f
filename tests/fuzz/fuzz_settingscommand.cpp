// Fuzzes building a settings command from whatever the stored report text holds and whatever the
// window asks for. A command is either refused with nothing built, or it is a 13-byte buffer
// holding a frame with the right sync, length, code and checksum, the stored text is exactly
// that frame in upper-case hex, and every setting but the chosen one is the report's.
//
// Input: byte 0 the field (modulo the number of fields), byte 1 the model (0 R9, else R9 Pro),
// bytes 2-5 the value and 6-9 the volume index (signed, little-endian), 10-11 and 12-13 the
// alarm limits in °C and °F (signed tenths); then the report text, a line feed, the alarm text.
#include "device/settingscommand.h"
#include "fuzzcheck.h"
#include "reception/frame.h"

#include <QRegularExpression>

#include <cstdint>
#include <cstring>
#include <set>

namespace {

constexpr std::size_t kHeaderSize = 14;

template <typename T> T Read(const std::uint8_t *data)
{
    T value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

// The frame bytes a command sets from the request rather than copying them from the report.
std::set<int> ChangedBytes(SettingField field)
{
    switch (field) {
    case SettingUnit:
        return {4, 6, 7}; // the unit and the limit in the new unit
    case SettingMode:
        return {5};
    case SettingAlarmLimit:
        return {6, 7};
    case SettingVolume:
        return {8};
    case SettingBacklight:
        return {9};
    case SettingOutput:
        return {10};
    case SettingLanguage:
        return {11};
    }
    return {};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < kHeaderSize)
        return 0;
    SettingsCommandRequest request;
    request.field = SettingField(data[0] % (SettingLanguage + 1));
    request.machineType = MachineType(data[1]); // any number but the R9's is taken as the R9 Pro
    request.value = Read<std::int32_t>(data + 2);
    request.volumeIndex = Read<std::int32_t>(data + 6);
    request.alarmLimitC = float(Read<std::int16_t>(data + 10)) / 10.0f;
    request.alarmLimitF = float(Read<std::int16_t>(data + 12)) / 10.0f;
    const QByteArray texts(reinterpret_cast<const char *>(data + kHeaderSize),
                           qsizetype(size - kHeaderSize));
    const qsizetype split = texts.indexOf('\n');
    request.report = QString::fromUtf8(split < 0 ? texts : texts.first(split));
    request.alarmText = split < 0 ? QString() : QString::fromUtf8(texts.sliced(split + 1));

    const SettingsCommand command = ComposeSettingsCommand(request);
    if (command.refusal != CommandRefusal::None) {
        FUZZ_CHECK(command.frame.isEmpty() && command.report.isEmpty());
        return 0;
    }

    const bool pro = request.machineType != MachineType::R9;
    const int length = pro ? 13 : 9;
    // Only upper-case byte text of exactly the model's frame is built on.
    static const QRegularExpression proReport(QStringLiteral("^[0-9A-F]{26}$"));
    static const QRegularExpression r9Report(QStringLiteral("^[0-9A-F]{18}$"));
    FUZZ_CHECK((pro ? proReport : r9Report).match(request.report).hasMatch());
    FUZZ_CHECK(pro || request.field < SettingVolume);

    const QByteArray &frame = command.frame;
    FUZZ_CHECK(frame.size() == 13);
    const auto byte = [&frame](int i) {
        return quint8(frame[i]);
    };
    FUZZ_CHECK(byte(0) == kFrameSync1 && byte(1) == kFrameSync2);
    FUZZ_CHECK(byte(2) == length && byte(3) == quint8(FrameCode::SettingsSet));
    FUZZ_CHECK(FrameChecksum(QByteArrayView(frame).first(length - 1)) == byte(length - 1));
    for (int i = length; i < frame.size(); ++i)
        FUZZ_CHECK(byte(i) == 0); // the R9's padding
    FUZZ_CHECK(command.report == QString::fromLatin1(frame.first(length).toHex().toUpper()));

    const QByteArray report = QByteArray::fromHex(request.report.toLatin1());
    const std::set<int> changed = ChangedBytes(request.field);
    for (int i = 4; i < length - 1; ++i) {
        if (!changed.contains(i))
            FUZZ_CHECK(byte(i) == quint8(report[i]));
    }
    const int chosen = request.field == SettingVolume ? request.volumeIndex : request.value;
    if (request.field != SettingAlarmLimit && chosen <= 9)
        FUZZ_CHECK(byte(*changed.begin()) == chosen);

    // The stored text builds the next command: the same request on it gives the same frame.
    SettingsCommandRequest again = request;
    again.report = command.report;
    FUZZ_CHECK(ComposeSettingsCommand(again).frame == frame);
    return 0;
}
