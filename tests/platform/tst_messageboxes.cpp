#include "QtMessageBoxes.h"
#include "ScriptedMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

using namespace Qt::StringLiterals;
using Answer = MessageBoxes::Answer;
using Buttons = MessageBoxes::Buttons;

namespace {

// Runs `act` on the message box as soon as it is open, from inside its own event loop.
void whenBoxOpens(std::function<void(QMessageBox&)> act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act = std::move(act)] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            poll->stop();
            act(*box);
        }
    });
    poll->start(5);
}

} // namespace

class TestMessageBoxes final : public QObject {
    Q_OBJECT

private slots:
    void scriptedBoxesAreRecordedAndAnsweredInOrder();
    void scriptedBoxesRunTheHandlerWhileOpen();
    void qtBoxShowsTheTextAsTypedAndReturnsTheButton_data();
    void qtBoxShowsTheTextAsTypedAndReturnsTheButton();
    void timersKeepRunningWhileAQtBoxIsOpen();
};

void TestMessageBoxes::scriptedBoxesAreRecordedAndAnsweredInOrder() {
    ScriptedMessageBoxes boxes;
    QWidget owner;
    boxes.script({Answer::No, Answer::Cancel});

    QCOMPARE(boxes.show(&owner, u"Delete?"_s, Buttons::YesNo), Answer::No);
    QCOMPARE(boxes.show(nullptr, u"Add?"_s, Buttons::OkCancel), Answer::Cancel);
    QCOMPARE(boxes.pendingAnswers(), 0);
    // With the script used up, every box gets its first button.
    QCOMPARE(boxes.show(nullptr, u"Delete?"_s, Buttons::YesNo), Answer::Yes);
    QCOMPARE(boxes.show(nullptr, u"Add?"_s, Buttons::OkCancel), Answer::Ok);
    boxes.inform(nullptr, u"Meridex 0.0"_s, u"Meridex"_s);

    QCOMPARE(boxes.texts(),
             QStringList({u"Delete?"_s, u"Add?"_s, u"Delete?"_s, u"Add?"_s, u"Meridex 0.0"_s}));
    QCOMPARE(boxes.shown().at(0).parent, &owner);
    QCOMPARE(boxes.shown().at(0).buttons, Buttons::YesNo);
    QCOMPARE(boxes.shown().at(0).title, u"");
    QCOMPARE(boxes.shown().at(4).buttons, Buttons::Ok);
    QCOMPARE(boxes.shown().at(4).title, u"Meridex");
}

void TestMessageBoxes::scriptedBoxesRunTheHandlerWhileOpen() {
    ScriptedMessageBoxes boxes;
    QStringList seen;
    boxes.onShow([&](const ScriptedMessageBoxes::Shown& box) {
        seen.append(box.text);
        if (seen.size() == 1)
            boxes.inform(nullptr, u"nested"_s);
    });
    boxes.inform(nullptr, u"outer"_s);
    QCOMPARE(seen, QStringList({u"outer"_s, u"nested"_s}));
    QCOMPARE(boxes.texts(), QStringList({u"outer"_s, u"nested"_s}));
}

void TestMessageBoxes::qtBoxShowsTheTextAsTypedAndReturnsTheButton_data() {
    QTest::addColumn<Buttons>("buttons");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QMessageBox::StandardButtons>("offered");
    QTest::addColumn<int>("press"); // a StandardButton, or Qt::Key_Escape
    QTest::addColumn<Answer>("answer");

    const auto row = [](const char* name, Buttons buttons, QMessageBox::StandardButtons offered,
                        int press, Answer answer, const QString& title = {}) {
        QTest::newRow(name) << buttons << title << offered << press << answer;
    };
    const QMessageBox::StandardButtons ok = QMessageBox::Ok;
    const auto yesNo = QMessageBox::Yes | QMessageBox::No;
    const auto okCancel = QMessageBox::Ok | QMessageBox::Cancel;
    const int escape = Qt::Key_Escape;
    row("ok", Buttons::Ok, ok, QMessageBox::Ok, Answer::Ok);
    row("about, escaped", Buttons::Ok, ok, escape, Answer::Ok, u"Meridex"_s);
    row("yes", Buttons::YesNo, yesNo, QMessageBox::Yes, Answer::Yes);
    row("no", Buttons::YesNo, yesNo, QMessageBox::No, Answer::No);
    row("yes/no escaped", Buttons::YesNo, yesNo, escape, Answer::No);
    row("ok/cancel ok", Buttons::OkCancel, okCancel, QMessageBox::Ok, Answer::Ok);
    row("ok/cancel cancel", Buttons::OkCancel, okCancel, QMessageBox::Cancel, Answer::Cancel);
    row("ok/cancel escaped", Buttons::OkCancel, okCancel, escape, Answer::Cancel);
}

void TestMessageBoxes::qtBoxShowsTheTextAsTypedAndReturnsTheButton() {
    QFETCH(Buttons, buttons);
    QFETCH(QString, title);
    QFETCH(QMessageBox::StandardButtons, offered);
    QFETCH(int, press);
    QFETCH(Answer, answer);

    const QString text = u"Cannot remove <b>Zürich</b> from registry"_s;
    QWidget owner;
    owner.show();
    QString shownText;
    QString shownTitle;
    QMessageBox::StandardButtons shownButtons;
    const QWidget* shownParent = nullptr;
    bool plain = false;
    whenBoxOpens([&](QMessageBox& box) {
        shownText = box.text();
        shownTitle = box.windowTitle();
        shownButtons = box.standardButtons();
        shownParent = box.parentWidget();
        plain = box.textFormat() == Qt::PlainText;
        if (press == Qt::Key_Escape)
            QTest::keyClick(&box, Qt::Key_Escape);
        else
            box.button(QMessageBox::StandardButton(press))->click();
    });

    QtMessageBoxes boxes;
    QCOMPARE(boxes.show(&owner, text, buttons, title), answer);
    QCOMPARE(shownText, text);
    QVERIFY(plain);
    QCOMPARE(shownTitle, title);
    QCOMPARE(shownButtons, offered);
    QCOMPARE(shownParent, &owner);
}

void TestMessageBoxes::timersKeepRunningWhileAQtBoxIsOpen() {
    int ticks = 0;
    QTimer tick;
    connect(&tick, &QTimer::timeout, this, [&] { ++ticks; });
    tick.start(10);
    whenBoxOpens([&](QMessageBox& box) {
        QTimer::singleShot(200, &box, [&box] { box.button(QMessageBox::Ok)->click(); });
    });
    QtMessageBoxes().inform(nullptr, u"Alarm"_s);
    QVERIFY(ticks >= 5);
}

QTEST_MAIN(TestMessageBoxes)
#include "tst_messageboxes.moc"
