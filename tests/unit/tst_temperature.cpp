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
    QTest::newRow("25.3 rounds toward zero") << 25.3f << -3.6f;
    QTest::newRow("32.0") << 32.0f << 0.0f;
}

void TestTemperature::toCelsius()
{
    QFETCH(float, fahrenheit);
    QFETCH(float, celsius);
    QCOMPARE(ToCelsius(fahrenheit), celsius);
}

QTEST_GUILESS_MAIN(TestTemperature)
#include "tst_temperature.moc"
