#include "Fixture.h"
#include "Twips.h"

#include <QApplication>
#include <QGroupBox>
#include <QMenu>
#include <QTest>
#include <QWindow>

// The windows here are not shown unless a test needs it; a window never shown has no frame, so
// its client size is the outer size of the size table.
namespace {

const QDateTime kNoon(QDate(2026, 12, 7), QTime(12, 0, 0));

QSize twipsSize(int width, int height) {
    return {twips::toPixels(width), twips::toPixels(height)};
}

bool sizable(const frmMain& w) {
    return w.minimumSize() != w.maximumSize();
}

} // namespace

class TestMenu : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        // Nothing a test opened may outlive it.
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    }

    // ---- the twins -----------------------------------------------------------------------

    void twinsToggleTheirBoxes_data() {
        QTest::addColumn<QString>("twin");
        QTest::addColumn<QString>("box");
        QTest::newRow("Local DST") << "mnLocalDST"
                                   << "chkDSTLocal";
        QTest::newRow("Other DST") << "mnOtherDST"
                                   << "chkDSTOther";
        QTest::newRow("Local +0.5 hr") << "mn05Local"
                                       << "chk05Local";
        QTest::newRow("Other +0.5 hr") << "mn05Other"
                                       << "chk05Other";
        QTest::newRow("Local 24 hrs") << "mnLocal24hrs"
                                      << "chk24hLocal";
        QTest::newRow("Other 24 hrs") << "mnOther24hrs"
                                      << "chk24hOther";
    }
    void twinsToggleTheirBoxes() {
        QFETCH(QString, twin);
        QFETCH(QString, box);
        MainWindowFixture f;
        f.load();
        QAction* item = f.item(twin.toLatin1().constData());
        QCheckBox* check = f.box(box.toLatin1().constData());
        QVERIFY(item->isCheckable());
        QVERIFY(!check->isChecked());

        item->trigger();
        QVERIFY(check->isChecked());
        QVERIFY(item->isChecked());

        item->trigger();
        QVERIFY(!check->isChecked());
        QVERIFY(!item->isChecked());

        // The box, changed by hand, carries its twin along.
        check->setChecked(true);
        QVERIFY(item->isChecked());
    }

    void local24hrsWidensTheTimesAtOnce() {
        MainWindowFixture f({{"Settings", {{"chk24hLocal", "1"}, {"chk24hOther", "1"}}}});
        frmMain& w = f.load();
        QCOMPARE(f.child<QLabel>("Label1")->width(), twips::toPixels(2295));
        f.item("mnLocal24hrs")->trigger();
        QVERIFY(!f.box("chk24hLocal")->isChecked());
        QVERIFY(!f.item("mnLocal24hrs")->isChecked());
        QCOMPARE(f.child<QLabel>("Label1")->width(), twips::toPixels(3255));
        QCOMPARE(f.child<QLabel>("Label2")->width(), twips::toPixels(3255));
        QCOMPARE(w.size(), twipsSize(6075, 2700));
    }

    void otherHalfHourMovesTheClockToDefault() {
        MainWindowFixture f({{"Settings", {{"currSetup", "Paris"}}},
                             {"Paris", {{"OtherIndex", "10"}, {"chk05Other", "0"}}}});
        frmMain& w = f.load();
        QCOMPARE(w.currSetup(), QStringLiteral("Paris"));

        f.item("mn05Other")->trigger();
        QVERIFY(f.box("chk05Other")->isChecked());
        QVERIFY(f.item("mn05Other")->isChecked());
        QCOMPARE(w.currSetup(), QStringLiteral("Default"));
        QCOMPARE(f.stored("Settings", "currSetup"), QStringLiteral("Default"));
        QCOMPARE(f.stored("Default", "chk05Other"), QStringLiteral("1"));
        QCOMPARE(f.stored("Default", "OtherIndex"), QStringLiteral("10"));
        QCOMPARE(f.stored("Paris", "chk05Other"), QStringLiteral("0"));
    }

    void localHalfHourKeepsTheSetup() {
        MainWindowFixture f(
            {{"Settings", {{"currSetup", "Paris"}}}, {"Paris", {{"OtherIndex", "10"}}}});
        frmMain& w = f.load();
        f.item("mn05Local")->trigger();
        QCOMPARE(w.currSetup(), QStringLiteral("Paris"));
        QVERIFY(!f.store.hasSection("Default"));
    }

    // ---- the size switch -----------------------------------------------------------------

    void smallTwiceReturnsToTheNormalSize() {
        MainWindowFixture f;
        frmMain& w = f.load();
        QCOMPARE(w.size(), twipsSize(6075, 2700));
        QVERIFY(!sizable(w)); // the first border is fixed

        f.item("mnSmall")->trigger();
        QVERIFY(f.item("mnSmall")->isChecked());
        QCOMPARE(w.size(), twipsSize(3475, 1580));
        QVERIFY(!sizable(w));
        QVERIFY(!f.child<QLabel>("Label3")->isVisibleTo(&w));

        f.item("mnSmall")->trigger();
        QVERIFY(!f.item("mnSmall")->isChecked());
        QVERIFY(!f.item("mnMini")->isChecked());
        QCOMPARE(w.size(), twipsSize(6075, 2700));
        QVERIFY(sizable(w));
        QVERIFY(f.child<QLabel>("Label3")->isVisibleTo(&w));

        // A drag of the sizable border ends in the fixed normal size.
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QSize normal = w.size();
        w.resize(600, 400);
        QTRY_COMPARE(w.size(), normal);
        QVERIFY(sizable(w));
    }

    void miniWhileSmallGoesStraightToMini() {
        MainWindowFixture f({{"Settings", {{"chk24hLocal", "1"}, {"chk24hOther", "1"}}}});
        frmMain& w = f.load();
        f.item("mnSmall")->trigger();
        QCOMPARE(w.size(), twipsSize(3000, 1580));

        f.item("mnMini")->trigger();
        QVERIFY(f.item("mnMini")->isChecked());
        QVERIFY(!f.item("mnSmall")->isChecked());
        QCOMPARE(w.size(), twipsSize(1440, 1440));
        QVERIFY(!sizable(w));
        QVERIFY(!f.list("lstTimeZoneLocal")->isVisibleTo(&w));

        f.item("mnMini")->trigger();
        QVERIFY(!f.item("mnMini")->isChecked());
        QCOMPARE(w.size(), twipsSize(5115, 2700));
        QVERIFY(sizable(w));
    }

    void aSmallSizeIgnoresResizing() {
        MainWindowFixture f;
        frmMain& w = f.load();
        f.item("mnMini")->trigger();
        // The border is fixed: Qt keeps the window at its size, and no pass runs.
        w.resize(500, 500);
        QCOMPARE(w.size(), twipsSize(1920, 1440));
    }

    void theCaptionFollowsTheMiniMark() {
        MainWindowFixture f(
            {{"Settings", {{"currSetup", "Paris"}}}, {"Paris", {{"OtherIndex", "10"}}}});
        frmMain& w = f.load();
        const QString normalCaption = w.windowTitle();
        f.item("mnMini")->trigger();
        QVERIFY(w.windowTitle() != normalCaption);
        f.item("mnMini")->trigger();
        QCOMPARE(w.windowTitle(), normalCaption);
    }

    // ---- always on top -------------------------------------------------------------------

    void alwaysOnTopFlipsOnlyItsMark() {
        MainWindowFixture f;
        frmMain& w = f.load();
        const int calls = f.stacking.callCount();
        f.item("mnAlwaysOnTop")->trigger();
        QVERIFY(f.item("mnAlwaysOnTop")->isChecked());
        QCOMPARE(f.stacking.callCount(), calls); // the tick applies it

        f.tickAt(kNoon);
        QCOMPARE(f.stacking.topMost(&w), std::optional<bool>(true));

        f.item("mnAlwaysOnTop")->trigger();
        QVERIFY(!f.item("mnAlwaysOnTop")->isChecked());
        f.tickAt(kNoon.addSecs(1));
        QCOMPARE(f.stacking.topMost(&w), std::optional<bool>(false));
    }

    void alwaysOnTopIsReleasedWhileTheMenuIsOpen() {
        MainWindowFixture f({{"Settings", {{"AlwaysOnTop", "True"}}}});
        frmMain& w = f.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        f.tickAt(kNoon);
        QCOMPARE(f.stacking.topMost(&w), std::optional<bool>(true));

        w.showPopupMenu(w.mapToGlobal(QPoint(10, 10)));
        QTRY_VERIFY(w.popupMenu()->isVisible());
        f.tickAt(kNoon.addSecs(1));
        QCOMPARE(f.stacking.topMost(&w), std::optional<bool>(false));

        w.popupMenu()->hide();
        f.tickAt(kNoon.addSecs(2));
        QCOMPARE(f.stacking.topMost(&w), std::optional<bool>(true));
    }

    void alwaysOnTopIsReleasedWhileTheSetupEditorIsOpen() {
        MainWindowFixture f({{"Settings", {{"AlwaysOnTop", "True"}}}});
        frmMain& w = f.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        // A tick arrives while the editor is up; then the user closes it.
        std::optional<bool> topMostWhileOpen;
        QTimer whileOpen;
        whileOpen.setSingleShot(true);
        connect(&whileOpen, &QTimer::timeout, &w, [&] {
            QWidget* editor = QApplication::activeModalWidget();
            if (editor == nullptr || !w.setupEditorOpen())
                return;
            f.tickAt(kNoon);
            topMostWhileOpen = f.stacking.topMost(&w);
            editor->close();
        });
        whileOpen.start(0);
        f.item("mnSetup")->trigger();
        if (!topMostWhileOpen)
            QSKIP("\"Setup\" does not show the setup editor in this build");
        QCOMPARE(*topMostWhileOpen, false);

        f.tickAt(kNoon.addSecs(1));
        QCOMPARE(f.stacking.topMost(&w), std::optional<bool>(true));
    }

    // ---- opening the popup ---------------------------------------------------------------

    void releasingAnyButtonOverTheBackgroundOpensTheMenu_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("left") << Qt::LeftButton;
        QTest::newRow("right") << Qt::RightButton;
        QTest::newRow("middle") << Qt::MiddleButton;
    }
    void releasingAnyButtonOverTheBackgroundOpensTheMenu() {
        QFETCH(Qt::MouseButton, button);
        MainWindowFixture f;
        frmMain& w = f.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // Between the two frames: FrameLocal ends at 1095 twips, FrameOther starts at 1200.
        const QPoint background(10, twips::toPixels(1150));
        QVERIFY(w.childAt(background) == nullptr);

        QTest::mouseClick(&w, button, Qt::NoModifier, background);
        QTRY_VERIFY(w.popupMenu()->isVisible());
        // At the mouse position.
        QCOMPARE(w.popupMenu()->pos(), w.mapToGlobal(background));
    }

    void aLeftClickOnEitherTimeOpensTheMenu_data() {
        QTest::addColumn<QString>("time");
        QTest::newRow("Local") << "Label1";
        QTest::newRow("Other") << "Label2";
    }
    void aLeftClickOnEitherTimeOpensTheMenu() {
        QFETCH(QString, time);
        MainWindowFixture f;
        frmMain& w = f.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QLabel* label = f.child<QLabel>(time.toLatin1().constData());

        QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QTRY_VERIFY(w.popupMenu()->isVisible());
        QCOMPARE(w.popupMenu()->pos(), label->mapToGlobal(QPoint(5, 5)));
    }

    void clicksOnTheControlsDoNotOpenTheMenu_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<Qt::MouseButton>("button");
        for (const char* name : {"FrameLocal", "FrameOther", "lstTimeZoneLocal", "lstTimeZoneOther",
                                 "Label3", "Label4", "chkDSTLocal", "chk05Other", "chk24hOther"}) {
            QTest::newRow(QByteArray(name).append(" left").constData())
                << QString::fromLatin1(name) << Qt::LeftButton;
            QTest::newRow(QByteArray(name).append(" right").constData())
                << QString::fromLatin1(name) << Qt::RightButton;
        }
        QTest::newRow("Label1 right") << "Label1" << Qt::RightButton;
        QTest::newRow("Label2 middle") << "Label2" << Qt::MiddleButton;
    }
    void clicksOnTheControlsDoNotOpenTheMenu() {
        QFETCH(QString, control);
        QFETCH(Qt::MouseButton, button);
        MainWindowFixture f;
        frmMain& w = f.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* target = w.findChild<QWidget*>(control);
        QVERIFY(target != nullptr);
        // The frame's own area just inside its border, away from its children.
        const QPoint at =
            qobject_cast<QGroupBox*>(target) ? QPoint(3, target->height() - 4) : QPoint(3, 3);
        QVERIFY(target->rect().contains(at));

        QTest::mouseClick(target, button, Qt::NoModifier, at);
        QCoreApplication::processEvents();
        QVERIFY(!w.popupMenu()->isVisible());
    }

    // ---- the menu itself -----------------------------------------------------------------

    void theMenuTreeInOrder() {
        MainWindowFixture f;
        frmMain& w = f.load();
        QStringList top;
        for (const QAction* a : w.popupMenu()->actions())
            top << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(top.mid(0, 12), (QStringList{"Mini", "Small", "Minimize", "Always On Top",
                                              "Time Zone", "Local 24 hrs", "Other 24 hrs", "-",
                                              "Setup", "-", "About", "View Map"}));
        QStringList zone;
        for (const QAction* a : w.popupMenu()->actions().at(4)->menu()->actions())
            zone << a->text();
        QCOMPARE(zone, (QStringList{"Local DST", "Other DST", "Local +0.5 hr", "Other +0.5 hr"}));
    }

    void minimizeMinimises() {
        MainWindowFixture f;
        frmMain& w = f.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        f.item("mnMinimize")->trigger();
        QTRY_VERIFY(w.isMinimized());
        QVERIFY(w.isVisible());
    }

    void aboutShowsSevenLines() {
        MainWindowFixture f;
        f.load();
        f.item("mnAbout")->trigger();
        QCOMPARE(f.messages.shown().size(), 1);
        const auto& box = f.messages.shown().first();
        QCOMPARE(box.title, QStringLiteral("Meridex"));
        QCOMPARE(box.buttons, MessageBoxes::Buttons::Ok);
        const QStringList lines = box.text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 7);
        QCOMPARE(lines.at(0), QStringLiteral("Meridex, ") + frmMain::AppVersion());
        QVERIFY(lines.at(1).startsWith(QStringLiteral("By ")));
        QVERIFY(lines.at(2).startsWith(QStringLiteral("e-mail: <")));
        QVERIFY(lines.at(3).startsWith(QStringLiteral("Info, current version: ")));
        QCOMPARE(lines.at(4), QString());
        QVERIFY(lines.at(5).startsWith(QStringLiteral("This program written for ")));
        QVERIFY(lines.at(6).startsWith(QStringLiteral("Support ")));
    }
};

QTEST_MAIN(TestMenu)
#include "tst_menu.moc"
