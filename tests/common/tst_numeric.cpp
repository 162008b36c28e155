#include "Numeric.h"
#include "RuntimeError.h"

#include <QTest>
#include <limits>

class TestNumeric : public QObject {
    Q_OBJECT

private slots:
    void val_data();
    void val();
    void valOfHugeTexts();
    void cint16_data();
    void cint16();
    void cint32();
};

void TestNumeric::val_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("digit") << "4" << 4.0;
    QTest::newRow("leading blank") << " 4" << 4.0;
    QTest::newRow("leading tab") << "\t 17" << 17.0;
    QTest::newRow("negative") << "-1" << -1.0;
    QTest::newRow("plus") << "+12" << 12.0;
    QTest::newRow("trailing text") << "12abc" << 12.0;
    QTest::newRow("text") << "abc" << 0.0;
    QTest::newRow("False") << "False" << 0.0;
    QTest::newRow("decimal") << "3.25" << 3.25;
    QTest::newRow("no integer part") << "-.5" << -0.5;
    QTest::newRow("second point stops") << "1.5.6" << 1.5;
    QTest::newRow("exponent") << "1.5E3" << 1500.0;
    QTest::newRow("negative exponent") << "25e-2" << 0.25;
    QTest::newRow("incomplete exponent") << "7e+" << 7.0;
    QTest::newRow("decimal comma stops") << "2,5" << 2.0;
    QTest::newRow("sign alone") << "-" << 0.0;
    QTest::newRow("blank inside stops") << "1 2" << 1.0;
    QTest::newRow("huge exponent") << "1e400" << std::numeric_limits<double>::max();
    QTest::newRow("huge negative")
        << "-9e99999999999999999999" << -std::numeric_limits<double>::max();
    QTest::newRow("tiny") << "1e-400" << 0.0;
}

void TestNumeric::val() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(Val(text), value);
}

void TestNumeric::valOfHugeTexts() {
    const qsizetype mb = 1 << 20;
    QCOMPARE(Val(QString(mb, u'9')), std::numeric_limits<double>::max());
    QCOMPARE(Val(QString(mb, u' ') + QStringLiteral("5")), 5.0);
    QCOMPARE(
        Val(QStringLiteral("0.") + QString(mb, u'0') + QStringLiteral("1e") + QString::number(mb)),
        0.1);
    QCOMPARE(Val(QString(mb, u'0') + QStringLiteral("42")), 42.0);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, ValInt16(QString(mb, u'9')));
}

void TestNumeric::cint16_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("overflows");
    QTest::newRow("2.5 to even") << 2.5 << 2 << false;
    QTest::newRow("3.5 to even") << 3.5 << 4 << false;
    QTest::newRow("-0.5 to zero") << -0.5 << 0 << false;
    QTest::newRow("-1.5 to even") << -1.5 << -2 << false;
    QTest::newRow("2.6 up") << 2.6 << 3 << false;
    QTest::newRow("-2.4") << -2.4 << -2 << false;
    QTest::newRow("32767.4") << 32767.4 << 32767 << false;
    QTest::newRow("32767.5") << 32767.5 << 0 << true;
    QTest::newRow("-32768.5 to even") << -32768.5 << -32768 << false;
    QTest::newRow("-32768.6") << -32768.6 << 0 << true;
    QTest::newRow("40000") << 40000.0 << 0 << true;
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 0 << true;
    QTest::newRow("infinity") << -std::numeric_limits<double>::infinity() << 0 << true;
    QTest::newRow("1e300") << 1e300 << 0 << true;
}

void TestNumeric::cint16() {
    QFETCH(double, value);
    QFETCH(int, expected);
    QFETCH(bool, overflows);
    try {
        const int result = CInt16(value);
        QVERIFY2(!overflows, "no overflow reported");
        QCOMPARE(result, expected);
    } catch (const RuntimeError& e) {
        QVERIFY2(overflows, qPrintable(e.description()));
        QCOMPARE(e.description(), QString("Overflow"));
    }
}

void TestNumeric::cint32() {
    QCOMPARE(CInt32(2147483647.4), 2147483647);
    QCOMPARE(CInt32(-2147483648.5), std::numeric_limits<std::int32_t>::min());
    QCOMPARE(CInt32(40000.5), 40000);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, CInt32(2147483647.5));
    QCOMPARE(ValInt16(" 23"), std::int16_t(23));
    QCOMPARE(ValInt16(""), std::int16_t(0));
}

QTEST_GUILESS_MAIN(TestNumeric)
#include "tst_numeric.moc"
