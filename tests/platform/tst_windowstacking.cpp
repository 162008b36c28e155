#include "NullWindowStacking.h"
#include "QtWindowStacking.h"

#include <QTest>
#include <QWidget>
#include <QWindow>

class TestWindowStacking final : public QObject {
    Q_OBJECT

private slots:
    void topMostChangesOnlyTheStackingOfAShownWindow();
    void aWindowNotYetShownIsLeftAlone();
    void theRecorderRemembersEachWindowsLastState();
};

void TestWindowStacking::topMostChangesOnlyTheStackingOfAShownWindow() {
    QWidget window;
    window.setGeometry(100, 120, 300, 90);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWindow* const handle = window.windowHandle();
    const WId id = window.winId();
    const QRect geometry = window.geometry();

    QtWindowStacking stacking;
    for (const bool topMost : {true, true, false, false, true}) {
        stacking.setTopMost(&window, topMost);
        QCOMPARE(handle->flags().testFlag(Qt::WindowStaysOnTopHint), topMost);
        // Not hidden, recreated, moved or resized on the way.
        QVERIFY(window.isVisible());
        QCOMPARE(window.windowHandle(), handle);
        QCOMPARE(window.winId(), id);
        QCOMPARE(window.geometry(), geometry);
    }
    stacking.setTopMost(nullptr, true);
}

void TestWindowStacking::aWindowNotYetShownIsLeftAlone() {
    QWidget window;
    QtWindowStacking().setTopMost(&window, true);
    QCOMPARE(window.windowHandle(), nullptr);
    QVERIFY(!window.isVisible());

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QtWindowStacking().setTopMost(&window, true);
    QVERIFY(window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
}

void TestWindowStacking::theRecorderRemembersEachWindowsLastState() {
    QWidget first;
    QWidget second;
    NullWindowStacking stacking;
    stacking.setTopMost(&first, true);
    stacking.setTopMost(&first, false);
    stacking.setTopMost(&second, true);

    QCOMPARE(stacking.callCount(), 3);
    QCOMPARE(stacking.topMost(&first), false);
    QCOMPARE(stacking.topMost(&second), true);
    QCOMPARE(stacking.topMost(nullptr), std::nullopt);
    QCOMPARE(first.windowHandle(), nullptr);
}

QTEST_MAIN(TestWindowStacking)
#include "tst_windowstacking.moc"
