#include "preferences.h"

#include "logging.h"
#include "regularfile.h"

#include <QSettings>

namespace {

// A whole number within [low, high], or the default.
int ValueIn(const QSettings &settings, const QString &key, int low, int high, int fallback)
{
    bool ok = false;
    const int value = settings.value(key).toInt(&ok);
    return ok && value >= low && value <= high ? value : fallback;
}

// QSettings opens the file itself and would wait for ever on a named pipe in its place.
bool SettingsFileUsable(const QString &path)
{
    QString error;
    if (RegularFile::Usable(path, &error))
        return true;
    qCWarning(lcApp).noquote() << path << error;
    return false;
}

} // namespace

Preferences LoadPreferences(const QString &path)
{
    Preferences preferences;
    if (!SettingsFileUsable(path))
        return preferences;
    const QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return preferences;
    preferences.port = ValueIn(settings, QStringLiteral("device/port"), 1, 20, preferences.port);
    preferences.machineType = MachineType(
        ValueIn(settings, QStringLiteral("device/model"), 0, 1, int(preferences.machineType)));
    preferences.speechRate =
        ValueIn(settings, QStringLiteral("speech/rate"), -10, 10, preferences.speechRate);
    preferences.speechVolume =
        ValueIn(settings, QStringLiteral("speech/volume"), 0, 100, preferences.speechVolume);
    preferences.language = Language(
        ValueIn(settings, QStringLiteral("window/language"), 0, 1, int(preferences.language)));
    const QVariant position = settings.value(QStringLiteral("window/position"));
    if (position.canConvert<QPoint>() && position.typeId() == QMetaType::QPoint)
        preferences.windowPosition = position.toPoint();
    return preferences;
}

bool SavePreferences(const QString &path, const Preferences &preferences)
{
    if (!SettingsFileUsable(path))
        return false;
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(QStringLiteral("device/port"), preferences.port);
    settings.setValue(QStringLiteral("device/model"), int(preferences.machineType));
    settings.setValue(QStringLiteral("speech/rate"), preferences.speechRate);
    settings.setValue(QStringLiteral("speech/volume"), preferences.speechVolume);
    settings.setValue(QStringLiteral("window/language"), int(preferences.language));
    if (preferences.windowPosition)
        settings.setValue(QStringLiteral("window/position"), *preferences.windowPosition);
    else
        settings.remove(QStringLiteral("window/position"));
    settings.sync();
    return settings.status() == QSettings::NoError;
}
