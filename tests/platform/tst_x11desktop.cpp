// SPDX-License-Identifier: GPL-3.0-or-later
// What the clock reads from a launcher's startup id, and how each window manager lets it win
// back its place on top.
#include "X11Desktop.h"

#include <QTest>

using namespace x11desktop;

class TestX11Desktop : public QObject {
    Q_OBJECT

private slots:
    void launchTimes_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<qint64>("time"); // -1: none
        QTest::newRow("GLib") << "gnome-panel-1234-host-meridex-1_TIME8012345" << 8012345LL;
        QTest::newRow("KDE") << "host;1701234567;123456;7890_TIME4294967295" << 4294967295LL;
        QTest::newRow("no time") << "xdg-activation-0f3c" << -1LL;
        QTest::newRow("time too large") << "x_TIME4294967296" << -1LL;
        QTest::newRow("time not a number") << "x_TIMEnow" << -1LL;
    }
    void launchTimes() {
        QFETCH(QString, id);
        QFETCH(qint64, time);
        const std::optional<quint32> found = launchTime(id);
        QCOMPARE(found ? qint64(*found) : -1, time);
    }

    // Names as the managers of Debian 12 give them in _NET_WM_NAME.
    void restackWays_data() {
        QTest::addColumn<bool>("listed");
        QTest::addColumn<QString>("name");
        QTest::addColumn<RestackWay>("way");
        QTest::newRow("openbox") << true << "Openbox" << RestackWay::PagerRequest;
        QTest::newRow("metacity") << true << "Metacity" << RestackWay::PagerRequest;
        QTest::newRow("xfwm4") << false << "Xfwm4" << RestackWay::ConfigureRequest;
        QTest::newRow("marco") << false << "Metacity (Marco)" << RestackWay::None;
        QTest::newRow("fluxbox") << true << "Fluxbox" << RestackWay::ReenterLayer;
    }
    void restackWays() {
        QFETCH(bool, listed);
        QFETCH(QString, name);
        QFETCH(RestackWay, way);
        QCOMPARE(restackWay(listed, name), way);
    }
};

QTEST_GUILESS_MAIN(TestX11Desktop)
#include "tst_x11desktop.moc"
