// SPDX-License-Identifier: GPL-3.0-or-later
// The map viewer over pictures the test draws, and over files that are no picture at all; its
// pixel arithmetic without any window.
#include "Doubles.h"
#include "MapLayout.h"
#include "MapScrollBar.h"
#include "frmPic.h"

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

using namespace Qt::StringLiterals;

class TestFrmPic : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    ScriptedMessageBoxes m_messages;

    // A picture the test draws, saved as `name` and cut to `cut` bytes when told.
    QString jpeg(const QString& name, QSize size, qint64 cut = 0) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        const QString path = m_dir.filePath(name);
        if (!image.save(path, "jpeg") || (cut && !QFile::resize(path, cut)))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    QString file(const QString& name, const QByteArray& bytes) {
        QFile f(m_dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(f.fileName()));
        return f.fileName();
    }

private slots:
    void init() { m_messages.clear(); }

    // A click on a bar's far arrow; on the picture, a wheel notch down (with Shift: sideways) or
    // a drag up and left. Where the picture is then.
    void scrolls_data() {
        QTest::addColumn<QString>("bar");
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<QPoint>("picture");
        QTest::newRow("down arrow") << u"VScroll1"_s << u"click"_s << QPoint(0, -10);
        QTest::newRow("right arrow") << u"HScroll1"_s << u"click"_s << QPoint(-10, 0);
        QTest::newRow("wheel") << QString() << u"wheel"_s << QPoint(0, -30);
        QTest::newRow("shift+wheel") << QString() << u"shift+wheel"_s << QPoint(-30, 0);
        QTest::newRow("drag") << QString() << u"drag"_s << QPoint(-40, -25);
    }
    void scrolls() {
        QFETCH(QString, bar);
        QFETCH(QString, gesture);
        frmPic viewer(m_messages, nullptr, jpeg(u"map.jpg"_s, {2000, 1000}));
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        auto* map = viewer.findChild<QLabel*>("Picture2");
        QCOMPARE(map->pixmap().size(), QSize(2000, 1000));
        QCOMPARE(map->pos(), QPoint(0, 0));
        auto* scroll = viewer.findChild<MapScrollBar*>(bar);
        const QPoint at(100, 100), to = at - QPoint(40, 25);
        if (gesture == "click") {
            QTest::mouseClick(scroll, Qt::LeftButton, {},
                              scroll->rect().bottomRight() - QPoint(3, 3));
        } else if (gesture.endsWith("wheel")) {
            QWheelEvent wheel(at, viewer.mapToGlobal(at), {}, {0, -120}, Qt::NoButton,
                              gesture == "wheel" ? Qt::NoModifier : Qt::ShiftModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(&viewer, &wheel);
        } else {
            QTest::mousePress(map, Qt::LeftButton, {}, at);
            QTest::mouseMove(map, to);
            QTest::mouseRelease(map, Qt::LeftButton, {}, to);
        }
        QTEST(map->pos(), "picture");
        QCOMPARE(m_messages.texts(), QStringList());
    }

    // What stands where the picture should be, and the message that says so.
    void pictureThatCannotBeShown_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message"); // before " in frmPic.Form_Load()"
        QTest::newRow("missing") << m_dir.filePath(u"none.jpg"_s) << u"File not found"_s;
        QTest::newRow("a folder") << m_dir.path() << u"Not a picture file"_s;
        QTest::newRow("a device") << u"/dev/zero"_s << u"Not a picture file"_s;
        QTest::newRow("text") << file(u"text.jpg"_s, "no picture") << QString();
        QTest::newRow("cut short") << jpeg(u"cut.jpg"_s, {800, 400}, 100) << QString();
    }
    void pictureThatCannotBeShown() {
        QFETCH(QString, path);
        QFETCH(QString, message);
        frmPic viewer(m_messages, nullptr, path);
        QVERIFY(!viewer.loaded());
        QVERIFY(viewer.isVisible());
        QCOMPARE(m_messages.texts().size(), 1);
        QVERIFY2(m_messages.texts().constFirst().endsWith(message + " in frmPic.Form_Load()"),
                 qPrintable(m_messages.texts().constFirst()));
    }

    void layout_data() {
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QString>("expected"); // the viewport, then the bars' maxima
        QTest::newRow("picture larger")
            << QSize(571, 509) << QSize(2000, 1000) << u"554x492 1446 508"_s;
        QTest::newRow("window larger")
            << QSize(571, 509) << QSize(300, 600) << u"554x492 -254 108"_s;
        QTest::newRow("only the bars") << QSize(17, 17) << QSize(2000, 1000) << u"0x0 2000 1000"_s;
    }
    void layout() {
        QFETCH(QSize, client);
        QFETCH(QSize, picture);
        const MapLayout l = computeMapLayout(client, 17, picture);
        const QRect& v = l.viewport;
        // The bars run along the viewport's bottom and right edges; the corner stays empty.
        QCOMPARE(l.horizontalBar, QRect(0, v.height(), v.width(), 17));
        QCOMPARE(l.verticalBar, QRect(v.width(), 0, 17, v.height()));
        QTEST(QString::asprintf("%dx%d %d %d", v.width(), v.height(), l.horizontalMaximum(),
                                l.verticalMaximum()),
              "expected");
    }
};

QTEST_MAIN(TestFrmPic)
#include "tst_frmpic.moc"
