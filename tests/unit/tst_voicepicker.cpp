// Which installed voice speaks each language, on espeak-ng (speech-dispatcher) and on SAPI.
#include "speech/speechengine.h"
#include "speech/voicepicker.h"

#include <QLocale>
#include <QTest>

#include <algorithm>

class TestVoicePicker : public QObject {
    Q_OBJECT

private slots:
    void picksBestVoice_data();
    void picksBestVoice();
};

void TestVoicePicker::picksBestVoice_data()
{
    QTest::addColumn<QString>("language");
    // "name@locale", as the service lists them
    QTest::addColumn<QStringList>("voices");
    QTest::addColumn<QString>("picked");

    const QString english = SpeechEngine::kLanguageEnglish;
    const QString chinese = SpeechEngine::kLanguageChinese;
    // What speech-dispatcher with espeak-ng reports on Debian 12 (Mandarin's locale reads as C).
    const QStringList espeak{
        QStringLiteral("English (Caribbean)@en_US"),
        QStringLiteral("English (America, New York City)@en_US"),
        QStringLiteral("English (America)+Adam@en_US"),
        QStringLiteral("English (America)@en_US"),
        QStringLiteral("English (Great Britain)@en_GB"),
        QStringLiteral("Chinese (Cantonese)@yue_HK"),
        QStringLiteral("Hakka Chinese@C"),
        QStringLiteral("Chinese (Mandarin, latin as Pinyin)@C"),
        QStringLiteral("Chinese (Mandarin, latin as English)+Adam@C"),
        QStringLiteral("Chinese (Mandarin, latin as English)@C"),
        QStringLiteral("Bishnupriya Manipuri@C"),
    };
    const QStringList sapi{
        QStringLiteral("Microsoft Zira Desktop - English (United States)@en_US"),
        QStringLiteral("Microsoft Hazel Desktop - English (Great Britain)@en_GB"),
        QStringLiteral("Microsoft Huihui Desktop - Chinese (Simplified)@zh_CN"),
        QStringLiteral("Microsoft Hanhan Desktop - Chinese (Traditional, Taiwan)@zh_TW"),
    };
    QTest::newRow("espeak English") << english << espeak << "English (America)";
    QTest::newRow("espeak Mandarin") << chinese << espeak << "Chinese (Mandarin, latin as English)";
    QTest::newRow("SAPI English") << english << sapi
                                  << "Microsoft Zira Desktop - English (United States)";
    QTest::newRow("SAPI Chinese") << chinese << sapi
                                  << "Microsoft Huihui Desktop - Chinese (Simplified)";
    QTest::newRow("British English when no American")
        << english << QStringList{"French (France)@fr_FR", "English (Scotland)@en_GB"}
        << "English (Scotland)";
    QTest::newRow("Taiwan Mandarin when no PRC voice")
        << chinese << QStringList{"Microsoft Hanhan Desktop - Chinese (Traditional, Taiwan)@zh_TW"}
        << "Microsoft Hanhan Desktop - Chinese (Traditional, Taiwan)";
    QTest::newRow("Cantonese is no Mandarin")
        << chinese << QStringList{"Chinese (Cantonese)@yue_HK", "Hakka Chinese@C", "Japanese@ja_JP"}
        << "";
    QTest::newRow("unknown attribute") << "language=411" << espeak << "";
}

void TestVoicePicker::picksBestVoice()
{
    QFETCH(QString, language);
    QFETCH(QStringList, voices);
    QFETCH(QString, picked);

    // The service's order must not matter.
    for (int pass = 0; pass < 2; ++pass) {
        VoicePicker picker(language);
        QString taken; // the engine keeps the voice whose offer was answered with true
        for (const QString &voice : std::as_const(voices)) {
            const qsizetype at = voice.lastIndexOf(QLatin1Char('@'));
            if (picker.offer(voice.left(at), QLocale(voice.mid(at + 1))))
                taken = voice.left(at);
        }
        QCOMPARE(picker.best(), picked);
        QCOMPARE(taken, picked);
        std::reverse(voices.begin(), voices.end());
    }
}

QTEST_APPLESS_MAIN(TestVoicePicker)
#include "tst_voicepicker.moc"
