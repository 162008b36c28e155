// Where a window stored at some position is shown again, over one or two screens.

#include "ScreenPlacement.h"

#include <QTest>

class TestScreenPlacement : public QObject {
    Q_OBJECT

private slots:
    void placement_data() {
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QPoint>("shown");
        const QList<QRect> one{QRect(0, 0, 1280, 1024)};
        // A second screen to the left of the primary one, lower and smaller.
        const QList<QRect> two{QRect(0, 0, 1920, 1080), QRect(-1280, 200, 1280, 800)};
        const QSize clock(405, 180);

        QTest::newRow("well inside") << QRect({100, 100}, clock) << one << QPoint(100, 100);
        QTest::newRow("mostly off the right, grip on")
            << QRect({1230, 500}, clock) << one << QPoint(1230, 500);
        QTest::newRow("top edge above the screen")
            << QRect({100, -4}, clock) << one << QPoint(100, 0);
        QTest::newRow("on the second screen")
            << QRect({-1000, 300}, clock) << two << QPoint(-1000, 300);
        QTest::newRow("second screen unplugged")
            << QRect({-1000, 300}, clock) << one << QPoint(0, 300);
        QTest::newRow("beyond the right") << QRect({5000, 500}, clock) << one << QPoint(875, 500);
        QTest::newRow("beyond the bottom") << QRect({100, 1020}, clock) << one << QPoint(100, 844);
        QTest::newRow("far away") << QRect({66666666, -66666666}, clock) << one << QPoint(875, 0);
        QTest::newRow("between the screens' heights")
            << QRect({-1000, 20}, clock) << two << QPoint(0, 20);
        QTest::newRow("larger than the screen")
            << QRect({-3000, -3000}, QSize(2000, 1500)) << one << QPoint(0, 0);
        QTest::newRow("no screen known")
            << QRect({-3000, 7}, clock) << QList<QRect>() << QPoint(-3000, 7);
    }

    void placement() {
        QFETCH(QRect, stored);
        QFETCH(QList<QRect>, screens);
        QFETCH(QPoint, shown);
        QCOMPARE(reachablePosition(stored, screens), shown);
    }
};

QTEST_APPLESS_MAIN(TestScreenPlacement)
#include "tst_screenplacement.moc"
