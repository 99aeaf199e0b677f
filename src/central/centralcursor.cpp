#include "centralcursor.h"

quint64 HashRow(const QStringList &fields, quint64 hash)
{
    constexpr quint64 kPrime = 1099511628211ULL;
    const auto take = [&hash](char16_t unit) {
        hash = (hash ^ (unit & 0xFF)) * kPrime;
        hash = (hash ^ (unit >> 8)) * kPrime;
    };
    for (qsizetype field = 0; field < fields.size(); ++field) {
        if (field > 0)
            take(u',');
        for (QChar c : fields[field])
            take(c.unicode());
    }
    take(u'\n');
    return hash;
}

quint64 HashRows(const RecordRows &rows, qsizetype from, qsizetype to, quint64 hash)
{
    for (qsizetype row = from; row < to; ++row)
        hash = HashRow(rows[row], hash);
    return hash;
}
