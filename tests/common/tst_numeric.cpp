#include "Numeric.h"
#include "RuntimeError.h"

#include <QTest>
#include <limits>

namespace {
constexpr int kOverflow = std::numeric_limits<int>::min();
}

class TestNumeric : public QObject {
    Q_OBJECT

private slots:
    void val_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        constexpr double max = std::numeric_limits<double>::max();
        const std::pair<const char*, double> rows[] = {
            {"", 0},         {"4", 4},        {" 4", 4},      {"\t 17", 17},
            {"-1", -1},      {"+12", 12},     {"12abc", 12},  {"abc", 0},
            {"False", 0},    {"3.25", 3.25},  {"-.5", -0.5},  {"1.5.6", 1.5},
            {"1.5E3", 1500}, {"25e-2", 0.25}, {"7e+", 7},     {"2,5", 2},
            {"-", 0},        {"1 2", 1},      {"1e400", max}, {"-9e99999999999999999999", -max},
            {"1e-400", 0}};
        for (const auto& [text, value] : rows)
            QTest::addRow("'%s'", text) << QString::fromLatin1(text) << value;
    }
    void val() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(Val(text), value);
    }

    void valOfHugeTexts() {
        const qsizetype mb = 1 << 20;
        QCOMPARE(Val(QString(mb, u'9')), std::numeric_limits<double>::max());
        QCOMPARE(Val(QString(mb, u' ') + QStringLiteral("5")), 5.0);
        QCOMPARE(Val(QStringLiteral("0.") + QString(mb, u'0') + QStringLiteral("1e") +
                     QString::number(mb)),
                 0.1);
        QCOMPARE(Val(QString(mb, u'0') + QStringLiteral("42")), 42.0);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, ValInt16(QString(mb, u'9')));
    }

    void cint16_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        constexpr double nan = std::numeric_limits<double>::quiet_NaN();
        constexpr double inf = std::numeric_limits<double>::infinity();
        // Halves go to the even neighbour.
        const std::pair<double, int> rows[] = {{2.5, 2},
                                               {3.5, 4},
                                               {-0.5, 0},
                                               {-1.5, -2},
                                               {2.6, 3},
                                               {-2.4, -2},
                                               {32767.4, 32767},
                                               {32767.5, kOverflow},
                                               {-32768.5, -32768},
                                               {-32768.6, kOverflow},
                                               {40000.0, kOverflow},
                                               {nan, kOverflow},
                                               {-inf, kOverflow},
                                               {1e300, kOverflow}};
        for (const auto& [value, expected] : rows)
            QTest::addRow("%g", value) << value << expected;
    }
    void cint16() {
        QFETCH(double, value);
        QFETCH(int, expected);
        try {
            QCOMPARE(int(CInt16(value)), expected);
        } catch (const RuntimeError& e) {
            QVERIFY2(expected == kOverflow, qPrintable(e.description()));
            QCOMPARE(e.description(), QString("Overflow"));
        }
    }

    void cint32() {
        QCOMPARE(CInt32(2147483647.4), 2147483647);
        QCOMPARE(CInt32(-2147483648.5), std::numeric_limits<std::int32_t>::min());
        QCOMPARE(CInt32(40000.5), 40000);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, CInt32(2147483647.5));
        QCOMPARE(ValInt16(" 23"), std::int16_t(23));
        QCOMPARE(ValInt16(""), std::int16_t(0));
    }
};

QTEST_GUILESS_MAIN(TestNumeric)
#include "tst_numeric.moc"
