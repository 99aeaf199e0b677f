#include "measurement.h"

#include "speech/speechengine.h"
#include "temperature.h"

QString SpeechLanguage(Language language)
{
    return language == Language::Chinese ? QString(SpeechEngine::kLanguageChinese)
                                         : QString(SpeechEngine::kLanguageEnglish);
}

QString VerdictText(Verdict verdict, Language language)
{
    switch (verdict) {
    case Verdict::Normal:
        return Bilingual{u"正常", u"Normal"}.in(language);
    case Verdict::Abnormal:
        return Bilingual{u"异常", u"Abnormal"}.in(language);
    case Verdict::None:
        break;
    }
    return QString();
}

QString VerdictSentence(Verdict verdict, Language language)
{
    switch (verdict) {
    case Verdict::Normal:
        return Bilingual{u"温度正常", u"Normal Temperature"}.in(language);
    case Verdict::Abnormal:
        return Bilingual{u"温度异常", u"Abnormal Temperature"}.in(language);
    case Verdict::None:
        break;
    }
    return QString();
}

QString ConnectedSentence(Language language)
{
    return Bilingual{u"连接成功，请测量体温",
                     u"connect successfully, please measure the temperature"}
        .in(language);
}

Measurement InterpretMeasurement(const MeasurementSettings &settings, quint16 value)
{
    Measurement m;
    m.mode = settings.workMode;
    m.unit = settings.tempUnit;
    m.alarmLimitC = settings.alarmLimitC;
    m.readingC = settings.readingC;
    m.readingF = settings.readingF;
    const bool celsius = settings.tempUnit == TempUnit::Celsius;
    m.envTemp = TemperatureText(celsius ? settings.envTempC : settings.envTempF, settings.tempUnit);

    if (settings.workMode == WorkMode::Count) {
        m.testValue = QString::number(value);
        return m;
    }
    if (!m.isTemperature())
        return m;

    const float degrees = DecodeTenths(value);
    m.readingC = celsius ? degrees : ToCelsius(degrees);
    m.readingF = celsius ? ToFahrenheit(degrees) : degrees;
    m.testValue = TemperatureText(celsius ? m.readingC : m.readingF, settings.tempUnit);
    if (settings.workMode == WorkMode::Body)
        m.verdict = m.readingC < settings.alarmLimitC ? Verdict::Normal : Verdict::Abnormal;
    return m;
}

Announcement AnnouncementOf(const Measurement &m, Language language)
{
    Announcement announcement;
    switch (m.mode) {
    case WorkMode::Count:
        announcement.sentence = m.testValue;
        announcement.speechLanguage = SpeechLanguage(language);
        break;
    case WorkMode::Body:
        announcement.sentence = VerdictSentence(m.verdict, language);
        announcement.speechLanguage = SpeechLanguage(language);
        announcement.urgent = m.verdict == Verdict::Abnormal;
        break;
    case WorkMode::Surface:
        // A surface temperature is always announced in English; the operator's language holds.
        announcement.sentence =
            m.testValue.chopped(1) + (m.unit == TempUnit::Celsius
                                          ? QStringLiteral("degrees celsius")
                                          : QStringLiteral("degrees Fahrenheit"));
        announcement.speechLanguage = SpeechLanguage(Language::English);
        break;
    }
    return announcement;
}
