// The map viewer's pixel arithmetic, without any window.
#include "MapLayout.h"
#include "RuntimeError.h"

#include <QtTest>

class TestMapLayout : public QObject {
    Q_OBJECT

private slots:
    void picture2000x1000InClient571x509();
    void windowLargerThanThePicture();
    void clientJustAsLargeAsTheBars();
    void clientNarrowerOrLowerThanABar_data();
    void clientNarrowerOrLowerThanABar();
    void maximaMustFitSixteenBits_data();
    void maximaMustFitSixteenBits();
    void scrollValueLimitedByANewMaximum_data();
    void scrollValueLimitedByANewMaximum();
};

void TestMapLayout::picture2000x1000InClient571x509() {
    const MapLayout layout = computeMapLayout(QSize(571, 509), 17, QSize(2000, 1000));
    QCOMPARE(layout.viewport, QRect(0, 0, 554, 492));
    QCOMPARE(layout.horizontalBar, QRect(0, 492, 554, 17));
    QCOMPARE(layout.verticalBar, QRect(554, 0, 17, 492));
    QCOMPARE(layout.horizontalMaximum(), std::int16_t(1446));
    QCOMPARE(layout.verticalMaximum(), std::int16_t(508));
}

void TestMapLayout::windowLargerThanThePicture() {
    const MapLayout layout = computeMapLayout(QSize(571, 509), 17, QSize(300, 600));
    QCOMPARE(layout.viewport, QRect(0, 0, 554, 492));
    QCOMPARE(layout.horizontalMaximum(), std::int16_t(-254));
    QCOMPARE(layout.verticalMaximum(), std::int16_t(108));

    const MapLayout empty = computeMapLayout(QSize(571, 509), 17, QSize(0, 0));
    QCOMPARE(empty.horizontalMaximum(), std::int16_t(-554));
    QCOMPARE(empty.verticalMaximum(), std::int16_t(-492));
}

void TestMapLayout::clientJustAsLargeAsTheBars() {
    const MapLayout layout = computeMapLayout(QSize(17, 17), 17, QSize(2000, 1000));
    QCOMPARE(layout.viewport, QRect(0, 0, 0, 0));
    QCOMPARE(layout.horizontalBar, QRect(0, 0, 0, 17));
    QCOMPARE(layout.verticalBar, QRect(0, 0, 17, 0));
    QCOMPARE(layout.horizontalMaximum(), std::int16_t(2000));
    QCOMPARE(layout.verticalMaximum(), std::int16_t(1000));
}

void TestMapLayout::clientNarrowerOrLowerThanABar_data() {
    QTest::addColumn<QSize>("client");
    QTest::newRow("narrow") << QSize(16, 509);
    QTest::newRow("low") << QSize(571, 16);
    QTest::newRow("minimised") << QSize(0, 0);
}

void TestMapLayout::clientNarrowerOrLowerThanABar() {
    QFETCH(QSize, client);
    try {
        computeMapLayout(client, 17, QSize(2000, 1000));
        QFAIL("a negative viewport was accepted");
    } catch (const RuntimeError& error) {
        QCOMPARE(error.description(), QStringLiteral("Invalid property value"));
    }
}

void TestMapLayout::maximaMustFitSixteenBits_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<bool>("horizontalFits");
    QTest::addColumn<bool>("verticalFits");
    QTest::newRow("widest") << QSize(554 + 32767, 10) << true << true;
    QTest::newRow("too wide") << QSize(554 + 32768, 10) << false << true;
    QTest::newRow("tallest") << QSize(10, 492 + 32767) << true << true;
    QTest::newRow("too tall") << QSize(10, 492 + 32768) << true << false;
}

void TestMapLayout::maximaMustFitSixteenBits() {
    QFETCH(QSize, picture);
    QFETCH(bool, horizontalFits);
    QFETCH(bool, verticalFits);
    const MapLayout layout = computeMapLayout(QSize(571, 509), 17, picture);
    const auto fits = [](auto maximum) {
        try {
            maximum();
            return true;
        } catch (const RuntimeError& error) {
            return error.description() == QStringLiteral("Overflow") ? false : throw;
        }
    };
    QCOMPARE(fits([&] { return layout.horizontalMaximum(); }), horizontalFits);
    QCOMPARE(fits([&] { return layout.verticalMaximum(); }), verticalFits);
}

void TestMapLayout::scrollValueLimitedByANewMaximum_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("expected");
    QTest::newRow("inside") << 300 << 1446 << 300;
    QTest::newRow("at the end") << 1446 << 1446 << 1446;
    QTest::newRow("beyond the new end") << 1446 << 1217 << 1217;
    QTest::newRow("range collapsed") << 500 << 0 << 0;
    QTest::newRow("negative range, inside") << -100 << -254 << -100;
    QTest::newRow("negative range, beyond") << -300 << -254 << -254;
    QTest::newRow("range turned negative") << 500 << -254 << 0;
    QTest::newRow("range turned positive") << -200 << 1446 << 0;
}

void TestMapLayout::scrollValueLimitedByANewMaximum() {
    QFETCH(int, value);
    QFETCH(int, maximum);
    QFETCH(int, expected);
    QCOMPARE(limitScrollValue(value, maximum), expected);
}

QTEST_APPLESS_MAIN(TestMapLayout)
#include "tst_maplayout.moc"
