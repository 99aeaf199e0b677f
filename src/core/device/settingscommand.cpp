#include "settingscommand.h"

#include "reception/temperature.h"
#include "thermometermodel.h"

#include <array>
#include <cmath>

namespace {

constexpr int kBufferSize = kCommandBufferLength;
// Bytes 4 … 7 (unit, mode, limit) every model has; the model's own fields follow up to the
// checksum.
constexpr int kFirstSetting = 4;

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
    CommandDraft(const QString &report, const ThermometerModel &model)
        : m_pieces(SplitHexPairs(report))
        , m_frameLength(model.frameLength)
    {
        m_frame.fill(0);
        m_frame[0] = 0x55;
        m_frame[1] = 0xAA;
        m_frame[2] = quint8(m_frameLength);
        m_frame[3] = 0x02; // settings command
        m_pieces[3] = QStringLiteral("02");
        // Every setting the command does not change is the report's.
        for (int i = kFirstSetting; i < m_frameLength - 1; ++i)
            m_frame[size_t(i)] = quint8(reportByte(i));
    }

    int reportByte(int i) const { return HexPairValue(m_pieces[i]); }
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
    void finish(SettingsCommand &command) const
    {
        QString text = m_pieces.join(QString());
        text.chop(2);
        const QString checksum = HexTextChecksum(text).value_or(QString());
        command.report = text + checksum;
        std::array<quint8, kBufferSize> frame = m_frame;
        frame[size_t(m_frameLength - 1)] = quint8(HexPairValue(checksum));
        command.frame = QByteArray(reinterpret_cast<const char *>(frame.data()), kBufferSize);
    }

private:
    QStringList m_pieces;
    int m_frameLength;
    std::array<quint8, kBufferSize> m_frame{};
};

// Whether the model has the setting at all.
bool ModelHas(const ThermometerModel &model, SettingField field)
{
    switch (field) {
    case SettingUnit:
    case SettingMode:
    case SettingAlarmLimit:
        return true;
    case SettingVolume:
        return model.hasVolume;
    case SettingBacklight:
        return model.hasBacklight;
    case SettingOutput:
        return model.hasOutput;
    case SettingLanguage:
        return model.hasLanguage;
    }
    return false;
}

CommandRefusal CheckRequest(const SettingsCommandRequest &request)
{
    if (request.report.isEmpty())
        return CommandRefusal::NoReport;
    if (!IsByteText(request.report))
        return CommandRefusal::UnrecognizedHex;
    const ThermometerModel &model = ModelOf(request.machineType);
    const int length = model.frameLength;
    if (request.report.size() != 2 * length)
        return CommandRefusal::ReportNotOfModel;
    // The command's sync and length bytes are its own, its checksum is the text's: a text that
    // does not start as the model's frame would be sent with a checksum over other bytes.
    if (!request.report.startsWith(QLatin1String("55AA")) ||
        HexPairValue(request.report.mid(4, 2)) != length)
        return CommandRefusal::ReportNotOfModel;
    if (!ModelHas(model, request.field))
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
    CommandDraft draft(request.report, ModelOf(request.machineType));
    switch (request.field) {
    case SettingUnit: {
        draft.set(4, request.value);
        const float limit = request.value == 0 ? request.alarmLimitC : request.alarmLimitF;
        draft.setLimit(int(limit * 10.0f));
        break;
    }
    case SettingMode:
        draft.set(5, request.value);
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
        break;
    }
    case SettingVolume:
        draft.set(8, request.volumeIndex);
        break;
    case SettingBacklight:
        draft.set(9, request.value);
        break;
    case SettingOutput:
        draft.set(10, request.value);
        break;
    case SettingLanguage:
        draft.set(11, request.value);
        break;
    }
    draft.finish(command);
    return command;
}
