#include "simcommand.h"

#include "thermometer.h"

namespace {

bool IsHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

SimCommand Invalid(const QString &complaint)
{
    SimCommand command;
    command.kind = SimCommand::Kind::Invalid;
    command.complaint = complaint;
    return command;
}

SimCommand Send(const QByteArray &bytes)
{
    SimCommand command;
    command.kind = SimCommand::Kind::Send;
    command.bytes = bytes;
    return command;
}

// "55 AA 07" or "55AA07": hex digits in pairs, spaces anywhere.
SimCommand ParseRaw(QStringView text)
{
    QByteArray digits;
    for (const QChar c : text) {
        if (c.isSpace())
            continue;
        if (!IsHexDigit(c))
            return Invalid(QStringLiteral("raw: \"%1\" is not a hex digit").arg(c));
        digits.append(char(c.unicode()));
    }
    if (digits.isEmpty())
        return Invalid(QStringLiteral("raw: no bytes given"));
    if (digits.size() % 2 != 0)
        return Invalid(QStringLiteral("raw: odd number of hex digits"));
    return Send(QByteArray::fromHex(digits));
}

SimCommand ParseNumber(QStringView text, WorkMode mode)
{
    if (mode == WorkMode::Count) {
        bool ok = false;
        const uint count = text.toUInt(&ok);
        if (!ok || count > 65535)
            return Invalid(QStringLiteral("in count mode a reading is a whole number 0 to 65535"));
        return Send(Thermometer::MeasurementFrame(quint16(count)));
    }
    const auto tenths = TenthsFromText(text);
    if (!tenths)
        return Invalid(QStringLiteral("a reading is a temperature 0 to 6553.5"));
    return Send(Thermometer::MeasurementFrame(*tenths));
}

} // namespace

SimCommand SimCommand::Parse(QStringView line, WorkMode mode)
{
    const QStringView text = line.trimmed();
    if (text.isEmpty())
        return {};
    const qsizetype space = text.indexOf(QLatin1Char(' '));
    const QStringView word = space < 0 ? text : text.first(space);
    const QStringView rest = space < 0 ? QStringView() : text.sliced(space + 1).trimmed();

    if (word.compare(QLatin1String("raw"), Qt::CaseInsensitive) == 0)
        return ParseRaw(rest);
    if (text.compare(QLatin1String("quit"), Qt::CaseInsensitive) == 0) {
        SimCommand command;
        command.kind = Kind::Quit;
        return command;
    }
    for (const auto &[name, kind] : {std::pair{QLatin1String("late-report"), Kind::LateReport},
                                     std::pair{QLatin1String("lose-ack"), Kind::LoseAck}}) {
        if (text.compare(name, Qt::CaseInsensitive) == 0) {
            SimCommand command;
            command.kind = kind;
            return command;
        }
    }
    if (word.compare(QLatin1String("env"), Qt::CaseInsensitive) == 0) {
        const auto tenths = TenthsFromText(rest);
        if (!tenths)
            return Invalid(QStringLiteral("env: expected a temperature 0 to 6553.5"));
        SimCommand command;
        command.kind = Kind::SetEnvironment;
        command.tenths = *tenths;
        return command;
    }
    const QChar first = text.front();
    if (first.isDigit() || first == QLatin1Char('.') || first == QLatin1Char('-') ||
        first == QLatin1Char('+'))
        return ParseNumber(text, mode);
    return Invalid(QStringLiteral("unknown command \"%1\" (type a reading, raw HEX..., env VALUE, "
                                  "late-report, lose-ack or quit)")
                       .arg(text));
}
