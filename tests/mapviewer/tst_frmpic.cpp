// SPDX-License-Identifier: GPL-3.0-or-later
// The map viewer over pictures the test draws, and over files that are no picture at all.
#include "Doubles.h"
#include "MapScrollBar.h"
#include "frmPic.h"

#include <QApplication>
#include <QBuffer>
#include <QImageWriter>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

namespace {

QByteArray jpeg(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "jpeg").write(image);
    return bytes;
}

} // namespace

class TestFrmPic : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    ScriptedMessageBoxes m_messages;

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
        QTest::newRow("down arrow") << "VScroll1"
                                    << "click" << QPoint(0, -10);
        QTest::newRow("right arrow") << "HScroll1"
                                     << "click" << QPoint(-10, 0);
        QTest::newRow("wheel") << ""
                               << "wheel" << QPoint(0, -30);
        QTest::newRow("shift+wheel") << ""
                                     << "shift+wheel" << QPoint(-30, 0);
        QTest::newRow("drag") << ""
                              << "drag" << QPoint(-40, -25);
    }
    void scrolls() {
        QFETCH(QString, bar);
        QFETCH(QString, gesture);
        QFETCH(QPoint, picture);
        frmPic viewer(m_messages, nullptr, file("map.jpg", jpeg({2000, 1000})));
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
        QCOMPARE(map->pos(), picture);
        QCOMPARE(m_messages.texts(), QStringList());
    }

    // What stands where the picture should be, and the message that says so.
    void pictureThatCannotBeShown_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message"); // before " in frmPic.Form_Load()"
        QTest::newRow("missing") << m_dir.filePath("none.jpg") << "File not found";
        QTest::newRow("a folder") << m_dir.path() << "Not a picture file";
        QTest::newRow("a device") << "/dev/zero"
                                  << "Not a picture file";
        QTest::newRow("text") << file("text.jpg", "no picture") << "";
        QTest::newRow("cut short") << file("cut.jpg", jpeg({800, 400}).left(100)) << "";
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
};

QTEST_MAIN(TestFrmPic)
#include "tst_frmpic.moc"
