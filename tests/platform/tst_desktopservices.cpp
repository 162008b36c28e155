#include "Fonts.h"
#include "NullWindowStacking.h"
#include "QtMessageBoxes.h"
#include "QtWindowStacking.h"
#include "ScriptedMessageBoxes.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace Qt::StringLiterals;
using Answer = MessageBoxes::Answer;
using Buttons = MessageBoxes::Buttons;

class TestDesktopServices final : public QObject {
    Q_OBJECT

private slots:
    void scriptedBoxesAreRecordedAndAnsweredInOrder();
    void qtBoxShowsTheTextAsTypedAndReturnsTheButton_data();
    void qtBoxShowsTheTextAsTypedAndReturnsTheButton();
    void qtBoxGoesQuietlyWithItsParent();
    void topMostChangesOnlyTheStackingOfAShownWindow();
    void stackingBeforeTheFirstShowIsLeftAlone();
    void classicFacesShowAsLiberation();
};

void TestDesktopServices::scriptedBoxesAreRecordedAndAnsweredInOrder() {
    ScriptedMessageBoxes boxes;
    QWidget owner;
    QStringList seenWhileOpen;
    boxes.onShow([&](const ScriptedMessageBoxes::Shown& box) { seenWhileOpen << box.text; });
    boxes.script({Answer::No, Answer::Cancel});

    QCOMPARE(boxes.show(&owner, u"Delete?"_s, Buttons::YesNo), Answer::No);
    QCOMPARE(boxes.show(nullptr, u"Add?"_s, Buttons::OkCancel), Answer::Cancel);
    // With the script used up, each box gets its first button.
    QCOMPARE(boxes.show(nullptr, u"Delete?"_s, Buttons::YesNo), Answer::Yes);
    QCOMPARE(boxes.show(nullptr, u"Add?"_s, Buttons::OkCancel), Answer::Ok);
    boxes.inform(nullptr, u"Meridex 0.0"_s, u"Meridex"_s);

    const QStringList texts{u"Delete?"_s, u"Add?"_s, u"Delete?"_s, u"Add?"_s, u"Meridex 0.0"_s};
    QCOMPARE(boxes.texts(), texts);
    QCOMPARE(seenWhileOpen, texts);
    QCOMPARE(boxes.shown().at(0).parent, &owner);
    QCOMPARE(boxes.shown().at(0).buttons, Buttons::YesNo);
    QCOMPARE(boxes.shown().at(0).title, u"");
    QCOMPARE(boxes.shown().at(4).buttons, Buttons::Ok);
    QCOMPARE(boxes.shown().at(4).title, u"Meridex");
}

void TestDesktopServices::qtBoxShowsTheTextAsTypedAndReturnsTheButton_data() {
    QTest::addColumn<Buttons>("buttons");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("press"); // a QMessageBox::StandardButton, or Qt::Key_Escape
    QTest::addColumn<Answer>("answer");
    const int escape = Qt::Key_Escape;
    QTest::newRow("ok") << Buttons::Ok << u""_s << int(QMessageBox::Ok) << Answer::Ok;
    QTest::newRow("about") << Buttons::Ok << u"Meridex"_s << escape << Answer::Ok;
    QTest::newRow("yes") << Buttons::YesNo << u""_s << int(QMessageBox::Yes) << Answer::Yes;
    QTest::newRow("no") << Buttons::YesNo << u""_s << int(QMessageBox::No) << Answer::No;
    QTest::newRow("yes/no escaped") << Buttons::YesNo << u""_s << escape << Answer::No;
    QTest::newRow("ok of two") << Buttons::OkCancel << u""_s << int(QMessageBox::Ok) << Answer::Ok;
    QTest::newRow("ok/cancel escaped") << Buttons::OkCancel << u""_s << escape << Answer::Cancel;
}

void TestDesktopServices::qtBoxShowsTheTextAsTypedAndReturnsTheButton() {
    QFETCH(Buttons, buttons);
    QFETCH(QString, title);
    QFETCH(int, press);
    QFETCH(Answer, answer);
    const QString text = u"Cannot remove <b>Zürich</b> from registry"_s;
    QWidget owner;
    QStringList seen;
    int ticksWhileOpen = 0;
    // Acts from inside the box's own event loop, once the box is open and the clock has ticked.
    QTimer tick;
    connect(&tick, &QTimer::timeout, this, [&] {
        auto* const box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || ++ticksWhileOpen < 3)
            return;
        tick.stop();
        seen << box->text() << box->windowTitle() << QString::number(box->buttons().size())
             << (box->textFormat() == Qt::PlainText ? u"plain"_s : u"rich"_s);
        if (press == Qt::Key_Escape)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->button(QMessageBox::StandardButton(press))->click();
    });
    tick.start(5);

    QCOMPARE(QtMessageBoxes().show(&owner, text, buttons, title), answer);
    const QString buttonCount = buttons == Buttons::Ok ? u"1"_s : u"2"_s;
    QCOMPARE(seen, QStringList({text, title, buttonCount, u"plain"_s}));
}

void TestDesktopServices::qtBoxGoesQuietlyWithItsParent() {
    auto* const owner = new QWidget;
    // Fires inside the box's event loop, as the clock's tick would.
    QTimer::singleShot(20, owner, [owner] { delete owner; });
    QCOMPARE(QtMessageBoxes().show(owner, u"Delete?"_s, Buttons::YesNo), Answer::No);
}

void TestDesktopServices::topMostChangesOnlyTheStackingOfAShownWindow() {
    QWidget window;
    window.setGeometry(100, 120, 300, 90);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWindow* const handle = window.windowHandle();
    const WId id = window.winId();

    QtWindowStacking stacking;
    for (const bool topMost : {true, true, false, false, true}) {
        stacking.setTopMost(&window, topMost);
        QCOMPARE(handle->flags().testFlag(Qt::WindowStaysOnTopHint), topMost);
        // Neither hidden, recreated, moved nor resized on the way.
        QVERIFY(window.isVisible());
        QCOMPARE(window.windowHandle(), handle);
        QCOMPARE(window.winId(), id);
        QCOMPARE(window.geometry(), QRect(100, 120, 300, 90));
    }
    stacking.setTopMost(nullptr, true);

    NullWindowStacking recorder;
    recorder.setTopMost(&window, true);
    recorder.setTopMost(&window, false);
    QCOMPARE(recorder.callCount(), 2);
    QCOMPARE(recorder.topMost(&window), false);
    QCOMPARE(recorder.topMost(nullptr), std::nullopt);
}

void TestDesktopServices::stackingBeforeTheFirstShowIsLeftAlone() {
    QWidget window;
    QtWindowStacking stacking;
    stacking.setTopMost(&window, true);
    QCOMPARE(window.windowHandle(), nullptr);
    QVERIFY(!window.isVisible());

    window.show();
    stacking.setTopMost(&window, true);
    QVERIFY(window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
}

void TestDesktopServices::classicFacesShowAsLiberation() {
    installFontSubstitutions();
    installFontSubstitutions();
    const std::pair<QString, QString> faces[] = {{u"Courier New"_s, u"Liberation Mono"_s},
                                                 {u"MS Sans Serif"_s, u"Liberation Sans"_s},
                                                 {u"MS Serif"_s, u"Liberation Serif"_s}};
    for (const auto& [face, substitute] : faces) {
        // Qt keeps its table in lower case.
        QCOMPARE(QFont::substitutes(face), QStringList{substitute.toLower()});
        if (QFontDatabase::families().contains(substitute))
            QCOMPARE(QFontInfo(QFont(face, 10)).family(), substitute);
    }
}

QTEST_MAIN(TestDesktopServices)
#include "tst_desktopservices.moc"
