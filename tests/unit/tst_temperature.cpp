// Temperature arithmetic: the exact single/double precision steps, checked on the values whose
// last digit depends on them.
#include "reception/temperature.h"

#include <QTest>

class TestTemperature : public QObject {
    Q_OBJECT

private slots:
    void decodesTenths_data();
    void decodesTenths();
    void toFahrenheit_data();
    void toFahrenheit();
    void toCelsius_data();
    void toCelsius();
    void positiveResultsAreUnchanged();
};

void TestTemperature::decodesTenths_data()
{
    QTest::addColumn<int>("tenths");
    QTest::addColumn<float>("degrees");
    QTest::newRow("365") << 365 << 36.5f;
    QTest::newRow("0") << 0 << 0.0f;
    QTest::newRow("65535") << 65535 << 6553.5f;
}

void TestTemperature::decodesTenths()
{
    QFETCH(int, tenths);
    QFETCH(float, degrees);
    QCOMPARE(DecodeTenths(quint16(tenths)), degrees);
}

void TestTemperature::toFahrenheit_data()
{
    QTest::addColumn<float>("celsius");
    QTest::addColumn<float>("fahrenheit");
    QTest::newRow("36.5") << 36.5f << 97.7f;
    QTest::newRow("37.5") << 37.5f << 99.5f;
    QTest::newRow("38.0") << 38.0f << 100.4f;
    QTest::newRow("25.3") << 25.3f << 77.5f;
    QTest::newRow("36.0") << 36.0f << 96.8f;
    QTest::newRow("36.1") << 36.1f << 97.0f;
    QTest::newRow("36.3") << 36.3f << 97.3f;
    QTest::newRow("38.9") << 38.9f << 102.0f;
    QTest::newRow("0.0") << 0.0f << 32.0f;
    QTest::newRow("-40.0") << -40.0f << -40.0f;
    QTest::newRow("-20.3 to nearest") << -20.3f << -4.5f;
    QTest::newRow("-17.9 to nearest") << -17.9f << -0.2f;
}

void TestTemperature::toFahrenheit()
{
    QFETCH(float, celsius);
    QFETCH(float, fahrenheit);
    QCOMPARE(ToFahrenheit(celsius), fahrenheit);
}

void TestTemperature::toCelsius_data()
{
    QTest::addColumn<float>("fahrenheit");
    QTest::addColumn<float>("celsius");
    QTest::newRow("97.7") << 97.7f << 36.5f;
    QTest::newRow("99.5") << 99.5f << 37.5f;
    QTest::newRow("100.4") << 100.4f << 38.0f;
    QTest::newRow("25.3 to nearest below zero") << 25.3f << -3.7f;
    QTest::newRow("0.0") << 0.0f << -17.8f;
    QTest::newRow("31.1, a half below zero, away from it") << 31.1f << -0.5f;
    QTest::newRow("14.0") << 14.0f << -10.0f;
    QTest::newRow("32.0") << 32.0f << 0.0f;
}

void TestTemperature::toCelsius()
{
    QFETCH(float, fahrenheit);
    QFETCH(float, celsius);
    QCOMPARE(ToCelsius(fahrenheit), celsius);
}

// Every reading a thermometer can send, both ways: where the result is not below zero it is the
// one the day files already hold (ten times the value, plus 0.5, cut toward zero).
void TestTemperature::positiveResultsAreUnchanged()
{
    const auto stored = [](double value) {
        const auto times10 = static_cast<float>(value) * 10.0f;
        return static_cast<float>(static_cast<long long>(double(times10) + 0.5) / 10.0);
    };
    for (int tenths = 0; tenths <= 0xFFFF; ++tenths) {
        const float degrees = DecodeTenths(quint16(tenths));
        const float fahrenheit = ToFahrenheit(degrees);
        QCOMPARE(fahrenheit, stored(double(degrees) * 1.8 + 32.0));
        const float celsius = ToCelsius(degrees);
        if (celsius >= 0.0f)
            QCOMPARE(celsius, stored(double(degrees - 32.0f) / 1.8));
    }
}

QTEST_GUILESS_MAIN(TestTemperature)
#include "tst_temperature.moc"
