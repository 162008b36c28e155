// The map viewer's pixel arithmetic, without any window.
#include "MapLayout.h"
#include "RuntimeError.h"

#include <QtTest>
#include <functional>

namespace {

constexpr int kOverflow = 1 << 20; // stands for a maximum that does not fit 16 bits

int maximum(const std::function<std::int16_t()>& read) {
    try {
        return read();
    } catch (const RuntimeError& error) {
        return error.description() == QStringLiteral("Overflow") ? kOverflow : throw;
    }
}

} // namespace

class TestMapLayout : public QObject {
    Q_OBJECT

private slots:
    void layout_data() {
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("viewport");
        QTest::addColumn<int>("hMax");
        QTest::addColumn<int>("vMax");
        const QSize opening(571, 509);
        const QRect view(0, 0, 554, 492);
        QTest::newRow("2000x1000") << opening << QSize(2000, 1000) << view << 1446 << 508;
        QTest::newRow("window wider") << opening << QSize(300, 600) << view << -254 << 108;
        QTest::newRow("no picture") << opening << QSize(0, 0) << view << -554 << -492;
        QTest::newRow("client as large as the bars")
            << QSize(17, 17) << QSize(2000, 1000) << QRect(0, 0, 0, 0) << 2000 << 1000;
        QTest::newRow("widest") << opening << QSize(554 + 32767, 10) << view << 32767 << -482;
        QTest::newRow("too wide") << opening << QSize(554 + 32768, 10) << view << kOverflow << -482;
        QTest::newRow("tallest") << opening << QSize(10, 492 + 32767) << view << -544 << 32767;
        QTest::newRow("too tall") << opening << QSize(10, 492 + 32768) << view << -544 << kOverflow;
    }
    void layout() {
        QFETCH(QSize, client);
        QFETCH(QSize, picture);
        QFETCH(QRect, viewport);
        QFETCH(int, hMax);
        QFETCH(int, vMax);
        const MapLayout l = computeMapLayout(client, 17, picture);
        QCOMPARE(l.viewport, viewport);
        // The bars run along the viewport's bottom and right edges; the corner stays empty.
        QCOMPARE(l.horizontalBar, QRect(0, viewport.height(), viewport.width(), 17));
        QCOMPARE(l.verticalBar, QRect(viewport.width(), 0, 17, viewport.height()));
        QCOMPARE(maximum([&] { return l.horizontalMaximum(); }), hMax);
        QCOMPARE(maximum([&] { return l.verticalMaximum(); }), vMax);
    }

    void clientNarrowerOrLowerThanABar_data() {
        QTest::addColumn<QSize>("client");
        QTest::newRow("narrow") << QSize(16, 509);
        QTest::newRow("low") << QSize(571, 16);
        QTest::newRow("minimised") << QSize(0, 0);
    }
    void clientNarrowerOrLowerThanABar() {
        QFETCH(QSize, client);
        try {
            computeMapLayout(client, 17, QSize(2000, 1000));
            QFAIL("a negative viewport was accepted");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.description(), QStringLiteral("Invalid property value"));
        }
    }

    void scrollValueLimitedByANewMaximum_data() {
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
    void scrollValueLimitedByANewMaximum() {
        QFETCH(int, value);
        QFETCH(int, maximum);
        QFETCH(int, expected);
        QCOMPARE(limitScrollValue(value, maximum), expected);
    }
};

QTEST_APPLESS_MAIN(TestMapLayout)
#include "tst_maplayout.moc"
