#include "settingscommand.h"

#include "reception/temperature.h"

#include <array>
#include <cmath>

namespace {

constexpr int kBufferSize = 13;
constexpr int kProFrameLength = 13;
constexpr int kR9FrameLength = 9;

bool IsHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F');
}

int HexDigitValue(QChar c)
{
    return c <= u'9' ? c.unicode() - u'0' : c.unicode() - u'A' + 10;
}

// Byte text: upper-case hexadecimal, two characters a byte.
bool IsByteText(const QString &text)
{
    if (text.size() % 2 != 0)
        return false;
    for (QChar c : text) {
        if (!IsHexDigit(c))
            return false;
    }
    return true;
}

QString TwoDigits(int value)
{
    return QString::asprintf("%02d", value);
}

// The command being built: its bytes and the pieces of the stored text, changed together.
class CommandDraft {
public:
    CommandDraft(const QString &report, MachineType machineType)
        : m_pieces(SplitHexPairs(report))
    {
        m_frame.fill(0);
        m_frame[0] = 0x55;
        m_frame[1] = 0xAA;
        m_frame[2] = machineType != MachineType::R9 ? kProFrameLength : kR9FrameLength;
        m_frame[3] = 0x02; // settings command
        m_pieces[3] = QStringLiteral("02");
    }

    int reportByte(int i) const { return HexPairValue(m_pieces[i]); }
    void copy(std::initializer_list<int> bytes)
    {
        for (int i : bytes)
            m_frame[size_t(i)] = quint8(reportByte(i));
    }
    void set(int i, int value)
    {
        m_pieces[i] = TwoDigits(value);
        m_frame[size_t(i)] = quint8(HexPairValue(m_pieces[i]));
    }
    // Tenths of a degree into bytes 6 and 7, low byte first. The wire carries no sign.
    void setLimit(int tenths)
    {
        const auto v = quint16(qBound(0, tenths, 0xFFFF));
        m_pieces[6] = QString::asprintf("%02X", v & 0xFF);
        m_pieces[7] = QString::asprintf("%02X", v >> 8);
        m_frame[6] = quint8(v & 0xFF);
        m_frame[7] = quint8(v >> 8);
    }

    // The new stored text: the pieces without the old checksum, and the new checksum, which
    // also closes the frame (byte 8 on the R9, byte 12 on the R9 Pro).
    void finish(SettingsCommand &command, MachineType machineType) const
    {
        QString text = m_pieces.join(QString());
        text.chop(2);
        const QString checksum = HexTextChecksum(text).value_or(QString());
        command.report = text + checksum;
        std::array<quint8, kBufferSize> frame = m_frame;
        frame[machineType == MachineType::R9 ? 8 : 12] = quint8(HexPairValue(checksum));
        command.frame = QByteArray(reinterpret_cast<const char *>(frame.data()), kBufferSize);
    }

private:
    QStringList m_pieces;
    std::array<quint8, kBufferSize> m_frame{};
};

CommandRefusal CheckRequest(const SettingsCommandRequest &request)
{
    if (request.report.isEmpty())
        return CommandRefusal::NoReport;
    if (!IsByteText(request.report))
        return CommandRefusal::UnrecognizedHex;
    const bool pro = request.machineType != MachineType::R9;
    const int length = pro ? kProFrameLength : kR9FrameLength;
    if (request.report.size() != 2 * length)
        return CommandRefusal::ReportNotOfModel;
    // The command's sync and length bytes are its own, its checksum is the text's: a text that
    // does not start as the model's frame would be sent with a checksum over other bytes.
    if (!request.report.startsWith(QLatin1String("55AA")) ||
        HexPairValue(request.report.mid(4, 2)) != length)
        return CommandRefusal::ReportNotOfModel;
    if (!pro && request.field >= SettingVolume)
        return CommandRefusal::NotOnThisModel;
    if (request.field == SettingAlarmLimit) {
        bool number = false;
        const double chosen = request.alarmText.toDouble(&number);
        // Qt reads "nan" and "inf" as numbers; neither is a limit.
        if (!number || !std::isfinite(chosen) || chosen < 0.0 || chosen * 10.0 > 0xFFFF)
            return CommandRefusal::BadValue;
        return CommandRefusal::None;
    }
    const int value = request.field == SettingVolume ? request.volumeIndex : request.value;
    if (value < 0 || value > 99)
        return CommandRefusal::BadValue;
    return CommandRefusal::None;
}

} // namespace

QStringList SplitHexPairs(const QString &text)
{
    QStringList pieces;
    for (qsizetype i = 0; i < text.size(); i += 2)
        pieces.append(text.mid(i, 2));
    return pieces;
}

int HexPairValue(const QString &text)
{
    int value = 0;
    for (QChar c : text) {
        if (!IsHexDigit(c))
            return 0;
        value = value * 16 + HexDigitValue(c);
    }
    return value;
}

std::optional<QString> HexTextChecksum(const QString &text)
{
    unsigned sum = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!IsHexDigit(text[i]))
            return std::nullopt;
        // The first character of each pair is the byte's high digit.
        sum += unsigned(HexDigitValue(text[i])) * (i % 2 == 0 ? 16 : 1);
    }
    return QString::asprintf("%02X", sum).right(2);
}

SettingsCommand ComposeSettingsCommand(const SettingsCommandRequest &request)
{
    SettingsCommand command;
    command.refusal = CheckRequest(request);
    if (command.refusal != CommandRefusal::None)
        return command;

    command.alarmLimitC = request.alarmLimitC;
    command.alarmLimitF = request.alarmLimitF;
    const bool pro = request.machineType != MachineType::R9;
    CommandDraft draft(request.report, request.machineType);
    switch (request.field) {
    case SettingUnit: {
        draft.set(4, request.value);
        draft.copy({5});
        const float limit = request.value == 0 ? request.alarmLimitC : request.alarmLimitF;
        draft.setLimit(int(limit * 10.0f));
        if (pro)
            draft.copy({8, 9, 10, 11});
        break;
    }
    case SettingMode:
        draft.set(5, request.value);
        draft.copy({4, 6, 7});
        if (pro)
            draft.copy({8, 9, 10, 11});
        break;
    case SettingAlarmLimit: {
        // The entry is in the thermometer's current unit.
        const double chosen = request.alarmText.toDouble();
        if (draft.reportByte(4) == 0) {
            command.alarmLimitC = float(chosen);
            command.alarmLimitF = ToFahrenheit(command.alarmLimitC);
        } else {
            command.alarmLimitF = float(chosen);
            command.alarmLimitC = ToCelsius(command.alarmLimitF);
        }
        draft.setLimit(int(chosen * 10.0));
        draft.copy({4, 5});
        if (pro)
            draft.copy({8, 9, 10, 11});
        break;
    }
    case SettingVolume:
        draft.copy({4, 5, 6, 7, 9, 10, 11});
        draft.set(8, request.volumeIndex);
        break;
    case SettingBacklight:
        draft.copy({4, 5, 6, 7, 8, 10, 11});
        draft.set(9, request.value);
        break;
    case SettingOutput:
        draft.copy({4, 5, 6, 7, 8, 9, 11});
        draft.set(10, request.value);
        break;
    case SettingLanguage:
        draft.copy({4, 5, 6, 7, 8, 9, 10});
        draft.set(11, request.value);
        break;
    }
    draft.finish(command, request.machineType);
    return command;
}
