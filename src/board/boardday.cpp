#include "boardday.h"

#include "reception/temperature.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

// Older than this, the facts are said to be stale even while the server answered last time (a
// read that hangs on a server that stopped answering).
constexpr qint64 kStaleAfterMs = 5000;

QString TimeText(const QDateTime &instant)
{
    return instant.isValid() ? instant.toString(QStringLiteral("HH:mm:ss")) : QString();
}

QString InstantText(const QDateTime &instant)
{
    return instant.isValid() ? instant.toString(Qt::ISODate) : QString();
}

} // namespace

QString CelsiusText(const QString &value, const QString &unit)
{
    bool number = false;
    const float degrees = value.toFloat(&number);
    if (!number || !std::isfinite(degrees))
        return {};
    if (unit == QStringLiteral("C"))
        return QString::number(double(degrees), 'f', 1);
    if (unit == QStringLiteral("F"))
        return QString::number(double(ToCelsius(degrees)), 'f', 1);
    return {};
}

QByteArray BoardAnswerJson(const BoardAnswer &answer, const QDateTime &now, QDate today)
{
    const bool isToday = answer.day.date == today;
    QJsonArray desks;
    qint64 readings = 0, abnormal = 0;
    for (const BoardDesk &desk : answer.day.desks) {
        readings += desk.readings;
        abnormal += desk.abnormal;
        const bool quiet =
            isToday && (!desk.last.isValid() || desk.last.secsTo(now) >= kQuietAfterSecs);
        desks.append(QJsonObject{
            {QStringLiteral("desk"), desk.desk},
            {QStringLiteral("installation"), desk.installation},
            {QStringLiteral("port"), desk.port},
            {QStringLiteral("readings"), desk.readings},
            {QStringLiteral("abnormal"), desk.abnormal},
            {QStringLiteral("last"), TimeText(desk.last)},
            {QStringLiteral("quiet"), quiet},
        });
    }
    QJsonArray rows;
    for (const BoardAbnormal &reading : answer.day.abnormal)
        rows.append(QJsonObject{
            {QStringLiteral("desk"), reading.desk},
            {QStringLiteral("port"), reading.port},
            {QStringLiteral("quantity"), reading.quantity},
            {QStringLiteral("time"), TimeText(reading.takenAt)},
            {QStringLiteral("value"), reading.value},
            {QStringLiteral("unit"), reading.unit},
            {QStringLiteral("celsius"), CelsiusText(reading.value, reading.unit)},
        });
    const qint64 ageMs = answer.readAt.isValid() ? answer.readAt.msecsTo(now) : -1;
    const QJsonObject json{
        {QStringLiteral("day"), answer.day.date.toString(Qt::ISODate)},
        {QStringLiteral("today"), today.toString(Qt::ISODate)},
        {QStringLiteral("now"), InstantText(now)},
        {QStringLiteral("known"), answer.known},
        {QStringLiteral("reachable"), answer.reachable},
        {QStringLiteral("stale"), !answer.reachable || ageMs < 0 || ageMs > kStaleAfterMs},
        {QStringLiteral("error"), answer.error},
        {QStringLiteral("readAt"), InstantText(answer.readAt)},
        {QStringLiteral("ageSeconds"), ageMs < 0 ? QJsonValue() : QJsonValue(ageMs / 1000.0)},
        {QStringLiteral("readings"), readings},
        {QStringLiteral("abnormalCount"), abnormal},
        {QStringLiteral("desks"), desks},
        {QStringLiteral("abnormal"), rows},
    };
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}
