// SPDX-License-Identifier: GPL-3.0-or-later
// The clock's time display: what a tick draws again, and that it looks as a label does.
#include "Fixture.h"
#include "TimeLabel.h"

#include <QLabel>
#include <QPaintEvent>
#include <QScreen>

namespace {

// Cells 10 pixels wide, a 1 6 pixels as in a proportional face, 12 for each character of another
// script; each inked from end to end.
std::vector<timecells::Cell> cells(const QString& text) {
    std::vector<timecells::Cell> out;
    for (const QStringView cell : timecells::split(text)) {
        const double width = cell[0].unicode() >= 0x80 ? 12. * cell.size()
                             : cell == u"1"            ? 6.
                                                       : 10.;
        out.push_back({cell, width, 0, width});
    }
    return out;
}

struct PaintSpy final : QObject {
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
    QRegion painted;
};

} // namespace

class TestTimeLabel : public QObject {
    Q_OBJECT

private slots:
    void dirtySpan_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("right");
        row("a digit", "12:00:02 PM", "12:00:03 PM", 66., 76.);
        row("minute roll-over", "12:02:59 PM", "12:03:00 PM", 36., 76.);
        row("a narrower digit: all to its right", "12:00:00 PM", "12:00:01 PM", 66., 106.);
        row("AM to PM", "11:59:59 AM", "12:00:00 PM", 6., 106.);
        row("Chinese AM/PM: one cell", "12:00:00 上午", "12:00:00 下午", 86., 110.);
        row("24 h off: all from the end on", "14:00:00", "02:00:00 PM", 0., 110.);
        row("unchanged", "12:00:00", "12:00:00", 0., 0.);
    }
    void dirtySpan() {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(double, left);
        QFETCH(double, right);
        QCOMPARE(timecells::dirtySpan(cells(before), cells(after)), (timecells::Span{left, right}));
    }

    // A tick draws the changed digit alone, and what is then on the screen is what a label with
    // the same font, indent and size shows. A right-to-left text is drawn whole, as a label does.
    void looksLikeALabel_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("drawn"); // pixels wide at most
        row("normal size", "12:00:00 PM", "12:00:01 PM", 24, 30);
        row("Small, 24 h", "23:59:58", "23:59:59", 12, 20);
        row("Chinese", "12:00:00 下午", "12:00:01 下午", 24, 30);
        row("Arabic", "12:00:00 ص", "12:00:01 ص", 24, 230);
    }
    void looksLikeALabel() {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(int, points);
        QFETCH(int, drawn);
        QWidget window;
        QLabel label(before, &window);
        TimeLabel time(before, &window);
        for (QWidget* w : {static_cast<QWidget*>(&label), static_cast<QWidget*>(&time)}) {
            w->setFont(QFont(QStringLiteral("Courier New"), points, QFont::Bold));
            w->setAutoFillBackground(true);
            w->setGeometry(0, w == &time ? 40 : 0, 230, 33);
        }
        label.setIndent(2);
        time.setIndent(2);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        PaintSpy spy;
        time.installEventFilter(&spy);
        label.setText(after);
        time.setText(after);
        QTRY_VERIFY(!spy.painted.isEmpty());
        QVERIFY2(spy.painted.boundingRect().width() <= drawn,
                 qPrintable(QString::number(spy.painted.boundingRect().width())));
        const QImage screen = window.screen()->grabWindow(window.winId()).toImage();
        QCOMPARE(screen.copy(time.geometry()), screen.copy(label.geometry()));
    }
};

QTEST_MAIN(TestTimeLabel)
#include "tst_timelabel.moc"
