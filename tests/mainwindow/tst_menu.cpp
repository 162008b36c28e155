#include "Fixture.h"

#include <QApplication>
#include <QGroupBox>
#include <QMenu>
#include <QTest>
#include <span>

// The windows here are not shown unless a test needs it; a window never shown has no frame, so
// its client size is the outer size of the size table.
namespace {

const QDateTime kNoon(QDate(2026, 12, 7), QTime(12, 0, 0));

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

    void twinsToggleTheirBoxes_data() {
        QTest::addColumn<QByteArray>("twin");
        QTest::addColumn<QByteArray>("box");
        for (const auto& [twin, box] : {std::pair{"mnLocalDST", "chkDSTLocal"},
                                        {"mnOtherDST", "chkDSTOther"},
                                        {"mn05Local", "chk05Local"},
                                        {"mn05Other", "chk05Other"},
                                        {"mnLocal24hrs", "chk24hLocal"},
                                        {"mnOther24hrs", "chk24hOther"}})
            QTest::newRow(twin) << QByteArray(twin) << QByteArray(box);
    }
    void twinsToggleTheirBoxes() {
        QFETCH(QByteArray, twin);
        QFETCH(QByteArray, box);
        MainWindowFixture f;
        f.load();
        QAction* item = f.item(twin.constData());
        QCheckBox* check = f.box(box.constData());
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

    // The Local half hour keeps the setup; the Other one is a zone change, kept in "Default".
    void halfHoursAndTheCurrentSetup() {
        MainWindowFixture f({{"Settings", {{"currSetup", "Paris"}}},
                             {"Paris", {{"OtherIndex", "10"}, {"chk05Other", "0"}}}});
        frmMain& w = f.load();
        f.item("mn05Local")->trigger();
        QCOMPARE(w.currSetup(), QStringLiteral("Paris"));
        QVERIFY(!f.store.hasSection("Default"));

        f.item("mn05Other")->trigger();
        QVERIFY(f.box("chk05Other")->isChecked());
        QCOMPARE(w.currSetup(), QStringLiteral("Default"));
        QCOMPARE(f.stored("Settings", "currSetup"), QStringLiteral("Default"));
        QCOMPARE(f.stored("Default", "chk05Other"), QStringLiteral("1"));
        QCOMPARE(f.stored("Default", "OtherIndex"), QStringLiteral("10"));
        QCOMPARE(f.stored("Paris", "chk05Other"), QStringLiteral("0"));
    }

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
        QVERIFY(f.shown());
        const QSize normal = w.size();
        w.resize(600, 400);
        QTRY_COMPARE(w.size(), normal);
        QVERIFY(sizable(w));
    }

    void miniWhileSmallGoesStraightToMini() {
        MainWindowFixture f({{"Settings", {{"chk24hLocal", "1"}, {"chk24hOther", "1"}}}});
        frmMain& w = f.load();
        const QString normalCaption = w.windowTitle();
        f.item("mnSmall")->trigger();
        QCOMPARE(w.size(), twipsSize(3000, 1580));

        f.item("mnMini")->trigger();
        QVERIFY(f.item("mnMini")->isChecked());
        QVERIFY(!f.item("mnSmall")->isChecked());
        QCOMPARE(w.size(), twipsSize(1440, 1440));
        QVERIFY(!sizable(w));
        QVERIFY(!f.list("lstTimeZoneLocal")->isVisibleTo(&w));
        QVERIFY(w.windowTitle() != normalCaption);
        // The border is fixed: Qt keeps the window at its size, and no pass runs.
        w.resize(500, 500);
        QCOMPARE(w.size(), twipsSize(1440, 1440));

        f.item("mnMini")->trigger();
        QVERIFY(!f.item("mnMini")->isChecked());
        QCOMPARE(w.size(), twipsSize(5115, 2700));
        QVERIFY(sizable(w));
        QCOMPARE(w.windowTitle(), normalCaption);

        // "Local 24 hrs" widens the times at once.
        f.item("mnLocal24hrs")->trigger();
        QVERIFY(!f.box("chk24hLocal")->isChecked());
        QCOMPARE(f.child<QLabel>("Label1")->width(), twips::toPixels(3255));
        QCOMPARE(f.child<QLabel>("Label2")->width(), twips::toPixels(3255));
        QCOMPARE(w.size(), twipsSize(6075, 2700));
    }

    // The item flips its mark, the next tick applies it; an open menu lets go of the top.
    void alwaysOnTop() {
        MainWindowFixture f;
        frmMain& w = f.load();
        QVERIFY(f.shown());
        const int calls = f.stacking.callCount();
        f.item("mnAlwaysOnTop")->trigger();
        QVERIFY(f.item("mnAlwaysOnTop")->isChecked());
        QCOMPARE(f.stacking.callCount(), calls);
        f.tickAt(kNoon);
        QCOMPARE(f.stacking.topMost(&w), std::optional<bool>(true));

        w.showPopupMenu(w.mapToGlobal(QPoint(10, 10)));
        QTRY_VERIFY(w.popupMenu()->isVisible());
        f.tickAt(kNoon.addSecs(1));
        QCOMPARE(f.stacking.topMost(&w), std::optional<bool>(false));
        w.popupMenu()->hide();
        f.tickAt(kNoon.addSecs(2));
        QCOMPARE(f.stacking.topMost(&w), std::optional<bool>(true));

        f.item("mnAlwaysOnTop")->trigger();
        QVERIFY(!f.item("mnAlwaysOnTop")->isChecked());
        f.tickAt(kNoon.addSecs(3));
        QCOMPARE(f.stacking.topMost(&w), std::optional<bool>(false));
    }

    void alwaysOnTopIsReleasedWhileTheSetupEditorIsOpen() {
        MainWindowFixture f({{"Settings", {{"AlwaysOnTop", "True"}}}});
        frmMain& w = f.load();
        QVERIFY(f.shown());

        // A tick arrives while the editor is up; then the user closes it.
        std::optional<bool> topMostWhileOpen;
        QTimer::singleShot(0, &w, [&] {
            QWidget* editor = QApplication::activeModalWidget();
            if (editor == nullptr || !w.setupEditorOpen())
                return;
            f.tickAt(kNoon);
            topMostWhileOpen = f.stacking.topMost(&w);
            editor->close();
        });
        f.item("mnSetup")->trigger();
        if (!topMostWhileOpen)
            QSKIP("\"Setup\" does not show the setup editor in this build");
        QCOMPARE(*topMostWhileOpen, false);

        f.tickAt(kNoon.addSecs(1));
        QCOMPARE(f.stacking.topMost(&w), std::optional<bool>(true));
    }

    // Any button released over the background opens the menu at the mouse, and so does a left
    // click on either time; other clicks on the controls do not.
    void whichClicksOpenTheMenu_data() {
        QTest::addColumn<QString>("control"); // empty: the background
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("opens");
        const std::pair<const char*, Qt::MouseButton> buttons[] = {
            {"left", Qt::LeftButton}, {"right", Qt::RightButton}, {"middle", Qt::MiddleButton}};
        for (const auto& [name, button] : buttons)
            QTest::addRow("background %s", name) << QString() << button << true;
        QTest::newRow("Label1 left") << "Label1" << Qt::LeftButton << true;
        QTest::newRow("Label2 left") << "Label2" << Qt::LeftButton << true;
        QTest::newRow("Label1 right") << "Label1" << Qt::RightButton << false;
        QTest::newRow("Label2 middle") << "Label2" << Qt::MiddleButton << false;
        for (const char* control :
             {"FrameLocal", "FrameOther", "lstTimeZoneLocal", "lstTimeZoneOther", "Label3",
              "Label4", "chkDSTLocal", "chk05Other", "chk24hOther"}) {
            for (const auto& [name, button] : std::span(buttons, 2))
                QTest::addRow("%s %s", control, name) << control << button << false;
        }
    }
    void whichClicksOpenTheMenu() {
        QFETCH(QString, control);
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, opens);
        MainWindowFixture f;
        frmMain& w = f.load();
        QVERIFY(f.shown());
        QWidget* target = control.isEmpty() ? &w : w.findChild<QWidget*>(control);
        QVERIFY(target != nullptr);
        // The background between the frames (FrameLocal ends at 1095 twips, FrameOther starts
        // at 1200); a frame's own area just inside its border, away from its children.
        const QPoint at = control.isEmpty()                  ? QPoint(10, twips::toPixels(1150))
                          : qobject_cast<QGroupBox*>(target) ? QPoint(3, target->height() - 4)
                                                             : QPoint(3, 3);
        QVERIFY(target->rect().contains(at));
        if (control.isEmpty())
            QVERIFY(w.childAt(at) == nullptr);

        QTest::mouseClick(target, button, Qt::NoModifier, at);
        if (opens) {
            QTRY_VERIFY(w.popupMenu()->isVisible());
            QCOMPARE(w.popupMenu()->pos(), target->mapToGlobal(at));
        } else {
            QCoreApplication::processEvents();
            QVERIFY(!w.popupMenu()->isVisible());
        }
    }

    void theMenuTreeAboutAndMinimize() {
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

        f.item("mnAbout")->trigger();
        QCOMPARE(f.messages.shown().size(), 1);
        const auto& box = f.messages.shown().first();
        QCOMPARE(box.title, QStringLiteral("Meridex"));
        QCOMPARE(box.buttons, MessageBoxes::Buttons::Ok);
        const QStringList lines = box.text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 7);
        QCOMPARE(lines.at(0), QStringLiteral("Meridex, V0.0.25"));
        QCOMPARE(frmMain::AppVersion(), QStringLiteral("V0.0.25"));
        QVERIFY(lines.at(1).startsWith(QStringLiteral("By ")));
        QVERIFY(lines.at(2).startsWith(QStringLiteral("e-mail: <")));
        QVERIFY(lines.at(3).startsWith(QStringLiteral("Info, current version: ")));
        QCOMPARE(lines.at(4), QString());
        QVERIFY(lines.at(5).startsWith(QStringLiteral("This program written for ")));
        QVERIFY(lines.at(6).startsWith(QStringLiteral("Support ")));

        QVERIFY(f.shown());
        f.item("mnMinimize")->trigger();
        QTRY_VERIFY(w.isMinimized());
        QVERIFY(w.isVisible());
    }
};

QTEST_MAIN(TestMenu)
#include "tst_menu.moc"
