#include "measurement.h"

#include "speech/speechengine.h"
#include "temperature.h"

namespace {

constexpr int kSurfaceMode = 0;
constexpr int kBodyMode = 1;
constexpr int kCountMode = 2;

QString CelsiusText(float celsius)
{
    return QString::asprintf("%.1fC", double(celsius));
}

QString FahrenheitText(float fahrenheit)
{
    return QString::asprintf("%.1fF", double(fahrenheit));
}

} // namespace

QString SpeechLanguage(int language)
{
    return language == 0 ? QString(SpeechEngine::kLanguageChinese)
                         : QString(SpeechEngine::kLanguageEnglish);
}

QString VerdictText(Verdict verdict, int language)
{
    const bool chinese = language == 0;
    switch (verdict) {
    case Verdict::Normal:
        return chinese ? QStringLiteral("正常") : QStringLiteral("Normal");
    case Verdict::Abnormal:
        return chinese ? QStringLiteral("异常") : QStringLiteral("Abnormal");
    case Verdict::None:
        break;
    }
    return QString();
}

QString VerdictSentence(Verdict verdict, int language)
{
    const bool chinese = language == 0;
    switch (verdict) {
    case Verdict::Normal:
        return chinese ? QStringLiteral("温度正常") : QStringLiteral("Normal Temperature");
    case Verdict::Abnormal:
        return chinese ? QStringLiteral("温度异常") : QStringLiteral("Abnormal Temperature");
    case Verdict::None:
        break;
    }
    return QString();
}

QString ConnectedSentence(int language)
{
    return language == 0 ? QStringLiteral("连接成功，请测量体温")
                         : QStringLiteral("connect successfully, please measure the temperature");
}

Measurement InterpretMeasurement(const MeasurementSettings &settings, quint16 value)
{
    Measurement m;
    m.readingC = settings.readingC;
    m.readingF = settings.readingF;
    const bool celsius = settings.tempUnit == 0;
    m.envTemp = celsius ? CelsiusText(settings.envTempC) : FahrenheitText(settings.envTempF);

    if (settings.workMode == kCountMode) {
        m.testValue = QString::number(value);
        m.sentence = m.testValue;
        m.speechLanguage = SpeechLanguage(settings.language);
        return m;
    }
    if (settings.workMode != kSurfaceMode && settings.workMode != kBodyMode)
        return m;

    const float degrees = DecodeTenths(value);
    m.readingC = celsius ? degrees : ToCelsius(degrees);
    m.readingF = celsius ? ToFahrenheit(degrees) : degrees;
    const QString celsiusText = CelsiusText(m.readingC);
    const QString fahrenheitText = FahrenheitText(m.readingF);
    m.testValue = celsius ? celsiusText : fahrenheitText;

    if (settings.workMode == kBodyMode) {
        m.verdict = m.readingC < settings.alarmLimitC ? Verdict::Normal : Verdict::Abnormal;
        m.sentence = VerdictSentence(m.verdict, settings.language);
        m.speechLanguage = SpeechLanguage(settings.language);
        return m;
    }

    // A surface temperature is always announced in English; the operator's language holds.
    m.sentence = celsius ? celsiusText.chopped(1) + QStringLiteral("degrees celsius")
                         : fahrenheitText.chopped(1) + QStringLiteral("degrees Fahrenheit");
    m.speechLanguage = SpeechLanguage(1);
    return m;
}
