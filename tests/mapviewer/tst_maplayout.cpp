// SPDX-License-Identifier: GPL-3.0-or-later
// The map viewer's pixel arithmetic, without any window.

#include "MapLayout.h"

#include <QTest>

class TestMapLayout : public QObject {
    Q_OBJECT

private slots:
    void layout_data() {
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QString>("expected"); // the viewport, then the bars' maxima
        const QSize opening(571, 509);
        QTest::newRow("picture larger") << opening << QSize(2000, 1000) << "554x492 1446 508";
        QTest::newRow("window larger") << opening << QSize(300, 600) << "554x492 -254 108";
        QTest::newRow("only the bars") << QSize(17, 17) << QSize(2000, 1000) << "0x0 2000 1000";
    }
    void layout() {
        QFETCH(QSize, client);
        QFETCH(QSize, picture);
        QFETCH(QString, expected);
        const MapLayout l = computeMapLayout(client, 17, picture);
        const QRect& v = l.viewport;
        // The bars run along the viewport's bottom and right edges; the corner stays empty.
        QCOMPARE(l.horizontalBar, QRect(0, v.height(), v.width(), 17));
        QCOMPARE(l.verticalBar, QRect(v.width(), 0, 17, v.height()));
        QCOMPARE(QString::asprintf("%dx%d %d %d", v.width(), v.height(), l.horizontalMaximum(),
                                   l.verticalMaximum()),
                 expected);
    }
};

QTEST_APPLESS_MAIN(TestMapLayout)
#include "tst_maplayout.moc"
