#include "Fonts.h"
#include "QtMessageBoxes.h"
#include "QtWindowStacking.h"

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
    void qtBoxShowsTheTextAsTypedAndReturnsTheButton_data();
    void qtBoxShowsTheTextAsTypedAndReturnsTheButton();
    void qtBoxGoesQuietlyWithItsParent();
    void topMostChangesOnlyTheStackingOfAShownWindow();
    void classicFacesShowAsLiberation();
};

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
    QtWindowStacking stacking;
    stacking.setTopMost(&window, true); // before the first show: left alone
    QCOMPARE(window.windowHandle(), nullptr);
    QVERIFY(!window.isVisible());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWindow* const handle = window.windowHandle();
    const WId id = window.winId();
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
