// The map viewer window on Qt's offscreen platform, with pictures drawn by the test.
#include "MapScrollBar.h"
#include "ScriptedMessageBoxes.h"
#include "frmPic.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Bars of 17 pixels, whatever the platform's style would give.
class SeventeenPixelBars final : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_ScrollBarExtent)
            return 17;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

QImage drawnPicture(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(0xd4, 0xe6, 0xf5));
    QPainter painter(&image);
    painter.setPen(QPen(Qt::darkBlue, 3));
    for (int x = 0; x < size.width(); x += 83)
        painter.drawLine(x, 0, x, size.height());
    painter.drawEllipse(QRect(QPoint(0, 0), size).adjusted(20, 20, -20, -20));
    return image;
}

QByteArray jpegBytes(QSize size) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    if (!writer.write(drawnPicture(size)))
        qFatal("cannot write a JPEG: %s", qPrintable(writer.errorString()));
    return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// A small JPEG whose frame header claims the given size.
QByteArray jpegClaiming(QSize claimed) {
    QByteArray bytes = jpegBytes(QSize(16, 16));
    const qsizetype frame = bytes.indexOf("\xFF\xC0");
    if (frame < 0)
        qFatal("no baseline frame header in the JPEG");
    const auto put16 = [&](qsizetype at, int value) {
        bytes[at] = char(value >> 8);
        bytes[at + 1] = char(value & 0xFF);
    };
    put16(frame + 5, claimed.height());
    put16(frame + 7, claimed.width());
    return bytes;
}

template <typename T> T* child(const QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

} // namespace

class TestFrmPic final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void opensAt571x509WithTheCornerInView();
    void barsMoveThePicture();
    void draggedThumbMovesThePictureWhenReleased();
    void resizeKeepsTheScrollPosition();
    void resizeLimitsTheScrollPosition();
    void resizeGivesTheVerticalBarTheFocus();
    void windowLargerThanThePicture();
    void missingPicture();
    void clientSmallerThanTheBars();
    void pictureTooWideForSixteenBits();
    void hugeDimensionsAreRefusedBeforeDecoding();
    void corruptPicturesDoNotCrash_data();
    void corruptPicturesDoNotCrash();
    void viewMapIsModalWhenThePictureLoads();
    void viewMapLeavesAFailedViewerOpenAndNotModal();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString picture(QSize size, const QString& name = u"TimeZoneMap.jpg"_s) const {
        writeFile(path(name), jpegBytes(size));
        return path(name);
    }

    QTemporaryDir m_dir;
    QString m_initialDir;
    ScriptedMessageBoxes m_messages;
};

void TestFrmPic::initTestCase() {
    QVERIFY(m_dir.isValid());
    QApplication::setStyle(new SeventeenPixelBars);
    m_initialDir = QDir::currentPath();
}

void TestFrmPic::init() {
    m_messages.clear();
}

void TestFrmPic::cleanup() {
    QDir::setCurrent(m_initialDir);
    QFile::remove(path(u"TimeZoneMap.jpg"_s));
}

void TestFrmPic::opensAt571x509WithTheCornerInView() {
    frmPic viewer(m_messages, nullptr, picture(QSize(2000, 1000)));
    QVERIFY(viewer.loaded());
    QVERIFY(!viewer.isVisible());
    QVERIFY(m_messages.texts().isEmpty());
    QCOMPARE(viewer.objectName(), u"frmPic"_s);
    QCOMPARE(viewer.windowTitle(), u"Time Zone Map"_s);
    QCOMPARE(viewer.size(), QSize(571, 509));

    auto* Picture1 = child<QWidget>(viewer, "Picture1");
    auto* Picture2 = child<QLabel>(viewer, "Picture2");
    auto* HScroll1 = child<MapScrollBar>(viewer, "HScroll1");
    auto* VScroll1 = child<MapScrollBar>(viewer, "VScroll1");
    QCOMPARE(Picture2->parentWidget(), Picture1);
    QCOMPARE(Picture1->geometry(), QRect(0, 0, 554, 492));
    QCOMPARE(Picture2->geometry(), QRect(0, 0, 2000, 1000));
    QCOMPARE(Picture2->pixmap().size(), QSize(2000, 1000));
    QCOMPARE(HScroll1->geometry(), QRect(0, 492, 554, 17));
    QCOMPARE(VScroll1->geometry(), QRect(554, 0, 17, 492));
    QCOMPARE(HScroll1->scrollMaximum(), 1446);
    QCOMPARE(VScroll1->scrollMaximum(), 508);
    QCOMPARE(HScroll1->scrollValue(), 0);
    QCOMPARE(VScroll1->scrollValue(), 0);
    for (const MapScrollBar* bar : {HScroll1, VScroll1}) {
        QVERIFY(!bar->isHidden());
        QCOMPARE(bar->singleStep(), 10);
        QCOMPARE(bar->pageStep(), 100);
    }

    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    QCOMPARE(Picture2->pos(), QPoint(0, 0));
    QVERIFY(m_messages.texts().isEmpty());
}

void TestFrmPic::barsMoveThePicture() {
    frmPic viewer(m_messages, nullptr, picture(QSize(2000, 1000)));
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    auto* Picture2 = child<QLabel>(viewer, "Picture2");
    auto* HScroll1 = child<MapScrollBar>(viewer, "HScroll1");
    auto* VScroll1 = child<MapScrollBar>(viewer, "VScroll1");

    QTest::keyClick(HScroll1, Qt::Key_Right);
    QCOMPARE(HScroll1->scrollValue(), 10);
    QCOMPARE(Picture2->pos(), QPoint(-10, 0));
    QTest::keyClick(VScroll1, Qt::Key_PageDown);
    QCOMPARE(Picture2->pos(), QPoint(-10, -100));
    QTest::keyClick(VScroll1, Qt::Key_Down);
    QCOMPARE(Picture2->pos(), QPoint(-10, -110));
    QTest::keyClick(VScroll1, Qt::Key_Up);
    QTest::keyClick(HScroll1, Qt::Key_Left);
    QCOMPARE(Picture2->pos(), QPoint(0, -100));

    QTest::keyClick(HScroll1, Qt::Key_End);
    QCOMPARE(HScroll1->scrollValue(), 1446);
    QCOMPARE(Picture2->x(), -1446);
    QTest::keyClick(HScroll1, Qt::Key_PageDown);
    QCOMPARE(Picture2->x(), -1446);
    QTest::keyClick(HScroll1, Qt::Key_Home);
    QCOMPARE(Picture2->x(), 0);

    // A click in the trough.
    VScroll1->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(Picture2->pos(), QPoint(0, -200));
    // The program setting the value.
    HScroll1->setScrollValue(321);
    QCOMPARE(Picture2->pos(), QPoint(-321, -200));
}

void TestFrmPic::draggedThumbMovesThePictureWhenReleased() {
    frmPic viewer(m_messages, nullptr, picture(QSize(2000, 1000)));
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    auto* Picture2 = child<QLabel>(viewer, "Picture2");
    auto* HScroll1 = child<MapScrollBar>(viewer, "HScroll1");

    HScroll1->setSliderDown(true);
    HScroll1->setSliderPosition(700);
    QCOMPARE(Picture2->x(), 0);
    HScroll1->setSliderDown(false);
    QCOMPARE(Picture2->x(), -700);
}

void TestFrmPic::resizeKeepsTheScrollPosition() {
    frmPic viewer(m_messages, nullptr, picture(QSize(2000, 1000)));
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    auto* Picture1 = child<QWidget>(viewer, "Picture1");
    auto* Picture2 = child<QLabel>(viewer, "Picture2");
    auto* HScroll1 = child<MapScrollBar>(viewer, "HScroll1");
    auto* VScroll1 = child<MapScrollBar>(viewer, "VScroll1");
    HScroll1->setScrollValue(300);
    VScroll1->setScrollValue(200);

    viewer.resize(700, 600);
    QCOMPARE(Picture1->geometry(), QRect(0, 0, 683, 583));
    QCOMPARE(HScroll1->geometry(), QRect(0, 583, 683, 17));
    QCOMPARE(VScroll1->geometry(), QRect(683, 0, 17, 583));
    QCOMPARE(HScroll1->scrollMaximum(), 1317);
    QCOMPARE(VScroll1->scrollMaximum(), 417);
    QCOMPARE(Picture2->pos(), QPoint(-300, -200));
    QVERIFY(m_messages.texts().isEmpty());
}

void TestFrmPic::resizeLimitsTheScrollPosition() {
    frmPic viewer(m_messages, nullptr, picture(QSize(2000, 1000)));
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    auto* Picture1 = child<QWidget>(viewer, "Picture1");
    auto* Picture2 = child<QLabel>(viewer, "Picture2");
    auto* HScroll1 = child<MapScrollBar>(viewer, "HScroll1");
    auto* VScroll1 = child<MapScrollBar>(viewer, "VScroll1");
    QTest::keyClick(HScroll1, Qt::Key_End);
    QTest::keyClick(VScroll1, Qt::Key_End);
    QCOMPARE(Picture2->pos(), QPoint(-1446, -508));
    QCOMPARE(Picture2->geometry().right(), Picture1->rect().right());

    viewer.resize(800, 609);
    QCOMPARE(HScroll1->scrollMaximum(), 1217);
    QCOMPARE(HScroll1->scrollValue(), 1217);
    QCOMPARE(VScroll1->scrollMaximum(), 408);
    QCOMPARE(VScroll1->scrollValue(), 408);
    QCOMPARE(Picture2->pos(), QPoint(-1217, -408));
    // The picture's far corner stays at the viewport's.
    QCOMPARE(Picture2->geometry().bottomRight(), Picture1->rect().bottomRight());
}

void TestFrmPic::resizeGivesTheVerticalBarTheFocus() {
    frmPic viewer(m_messages, nullptr, picture(QSize(2000, 1000)));
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    auto* HScroll1 = child<MapScrollBar>(viewer, "HScroll1");
    auto* VScroll1 = child<MapScrollBar>(viewer, "VScroll1");
    QCOMPARE(viewer.focusWidget(), VScroll1);

    HScroll1->setFocus();
    QCOMPARE(viewer.focusWidget(), HScroll1);
    viewer.resize(600, 500);
    QCOMPARE(viewer.focusWidget(), VScroll1);
}

void TestFrmPic::windowLargerThanThePicture() {
    frmPic viewer(m_messages, nullptr, picture(QSize(300, 200)));
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    auto* Picture1 = child<QWidget>(viewer, "Picture1");
    auto* Picture2 = child<QLabel>(viewer, "Picture2");
    auto* HScroll1 = child<MapScrollBar>(viewer, "HScroll1");
    auto* VScroll1 = child<MapScrollBar>(viewer, "VScroll1");
    QCOMPARE(HScroll1->scrollMaximum(), -254);
    QCOMPARE(VScroll1->scrollMaximum(), -292);
    QCOMPARE(Picture2->pos(), QPoint(0, 0));

    // Moving a bar toward its maximum moves the picture away from the corner into the free
    // space, as far as the viewport's far edge.
    QTest::keyClick(HScroll1, Qt::Key_Right);
    QCOMPARE(HScroll1->scrollValue(), -10);
    QCOMPARE(Picture2->pos(), QPoint(10, 0));
    QTest::keyClick(HScroll1, Qt::Key_End);
    QCOMPARE(HScroll1->scrollValue(), -254);
    QCOMPARE(Picture2->geometry().right(), Picture1->rect().right());
    QTest::keyClick(VScroll1, Qt::Key_PageDown);
    QCOMPARE(VScroll1->scrollValue(), -100);
    QCOMPARE(Picture2->pos(), QPoint(254, 100));
    // The thumb starts at the left and top ends like any other bar's.
    QCOMPARE(VScroll1->minimum(), 0);
    QCOMPARE(VScroll1->maximum(), 292);
    QCOMPARE(VScroll1->value(), 100);

    // Narrower than the picture again: the range turns positive, the picture back to the corner.
    viewer.resize(200, 509);
    QCOMPARE(HScroll1->scrollMaximum(), 117);
    QCOMPARE(HScroll1->scrollValue(), 0);
    QCOMPARE(Picture2->pos(), QPoint(0, 100));
    QVERIFY(m_messages.texts().isEmpty());
}

void TestFrmPic::missingPicture() {
    frmPic viewer(m_messages, nullptr, path(u"nowhere/TimeZoneMap.jpg"_s));
    QVERIFY(!viewer.loaded());
    QVERIFY(viewer.isVisible());
    QVERIFY(!viewer.isModal());
    QCOMPARE(viewer.windowModality(), Qt::NonModal);
    QCOMPARE(m_messages.texts(), QStringList{u"File not found in frmPic.Form_Load()"_s});
    QCOMPARE(m_messages.shown().at(0).parent, &viewer);
    QCOMPARE(m_messages.shown().at(0).buttons, MessageBoxes::Buttons::Ok);

    auto* Picture2 = child<QLabel>(viewer, "Picture2");
    QVERIFY(Picture2->pixmap().isNull());
    QCOMPARE(Picture2->size(), QSize(0, 0));
    QCOMPARE(child<QWidget>(viewer, "Picture1")->geometry(), QRect(0, 0, 554, 492));
    QVERIFY(child<MapScrollBar>(viewer, "HScroll1")->isHidden());
    QVERIFY(child<MapScrollBar>(viewer, "VScroll1")->isHidden());

    viewer.resize(700, 600);
    QCOMPARE(m_messages.texts().size(), 1);
}

void TestFrmPic::clientSmallerThanTheBars() {
    frmPic viewer(m_messages, nullptr, picture(QSize(2000, 1000)));
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    auto* Picture1 = child<QWidget>(viewer, "Picture1");
    auto* HScroll1 = child<MapScrollBar>(viewer, "HScroll1");
    HScroll1->setScrollValue(100);

    viewer.resize(16, 300);
    QCOMPARE(viewer.size(), QSize(16, 300));
    QCOMPARE(m_messages.texts(), QStringList{u"Invalid property value in Form_Resize()"_s});
    QCOMPARE(Picture1->geometry(), QRect(0, 0, 554, 492));

    viewer.resize(571, 8);
    QCOMPARE(m_messages.texts().size(), 2);
    QVERIFY(m_messages.texts().at(1).endsWith(u" in Form_Resize()"_s));

    viewer.resize(571, 509);
    QCOMPARE(m_messages.texts().size(), 2);
    QCOMPARE(Picture1->geometry(), QRect(0, 0, 554, 492));
    QCOMPARE(child<QLabel>(viewer, "Picture2")->pos(), QPoint(-100, 0));
}

void TestFrmPic::pictureTooWideForSixteenBits() {
    frmPic viewer(m_messages, nullptr, picture(QSize(554 + 32768, 8)));
    QVERIFY(!viewer.loaded());
    QVERIFY(viewer.isVisible());
    // Showing the window runs its resize, which meets the same overflow.
    QCOMPARE(m_messages.texts(),
             QStringList({u"Overflow in Form_Resize()"_s, u"Overflow in frmPic.Form_Load()"_s}));
    QCOMPARE(child<QLabel>(viewer, "Picture2")->size(), QSize(554 + 32768, 8));
    QVERIFY(child<MapScrollBar>(viewer, "HScroll1")->isHidden());
}

void TestFrmPic::hugeDimensionsAreRefusedBeforeDecoding() {
    writeFile(path(u"huge.jpg"_s), jpegClaiming(QSize(60000, 60000)));
    frmPic viewer(m_messages, nullptr, path(u"huge.jpg"_s));
    QVERIFY(!viewer.loaded());
    QVERIFY(viewer.isVisible());
    QCOMPARE(m_messages.texts(),
             QStringList{u"Picture too large (60000 x 60000 pixels) in frmPic.Form_Load()"_s});
    QVERIFY(child<QLabel>(viewer, "Picture2")->pixmap().isNull());
}

void TestFrmPic::corruptPicturesDoNotCrash_data() {
    const QByteArray good = jpegBytes(QSize(2000, 1000));
    QByteArray scrambled = good;
    for (qsizetype i = scrambled.size() / 3; i < scrambled.size() / 3 + 400; ++i)
        scrambled[i] = char(i * 37);
    QByteArray badHeader = good;
    badHeader[badHeader.indexOf("\xFF\xC0") + 4] = 3; // 3-bit samples

    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("truncated") << good.left(good.size() / 2);
    QTest::newRow("header only") << good.left(good.indexOf("\xFF\xC0") + 20);
    QTest::newRow("scrambled") << scrambled;
    QTest::newRow("bad sample precision") << badHeader;
    QTest::newRow("zero size") << jpegClaiming(QSize(0, 0));
    QTest::newRow("not a picture") << QByteArray("GMT+9 (Tokyo)\n");
    QTest::newRow("empty") << QByteArray();
}

void TestFrmPic::corruptPicturesDoNotCrash() {
    QFETCH(QByteArray, bytes);
    writeFile(path(u"corrupt.jpg"_s), bytes);
    frmPic viewer(m_messages, nullptr, path(u"corrupt.jpg"_s));
    if (viewer.loaded()) {
        QVERIFY(m_messages.texts().isEmpty());
    } else {
        QVERIFY(viewer.isVisible());
        QCOMPARE(m_messages.texts().size(), 1);
        QVERIFY2(m_messages.texts().at(0).endsWith(u" in frmPic.Form_Load()"_s),
                 qPrintable(m_messages.texts().at(0)));
    }
}

void TestFrmPic::viewMapIsModalWhenThePictureLoads() {
    picture(QSize(2000, 1000));
    QDir::setCurrent(m_dir.path());
    QWidget mainWindow;
    mainWindow.show();

    QPointer<frmPic> seen;
    bool modal = false;
    QSize pictureSize;
    auto* poll = new QTimer(&mainWindow);
    connect(poll, &QTimer::timeout, poll, [&] {
        if (auto* viewer = qobject_cast<frmPic*>(QApplication::activeModalWidget())) {
            poll->stop();
            seen = viewer;
            modal = viewer->isModal();
            pictureSize = child<QLabel>(*viewer, "Picture2")->pixmap().size();
            viewer->close();
        }
    });
    poll->start(5);

    showMapViewer(m_messages, &mainWindow);
    QVERIFY(modal);
    QCOMPARE(pictureSize, QSize(2000, 1000));
    QVERIFY(m_messages.texts().isEmpty());
    // Closed is gone.
    QVERIFY(seen.isNull());
    QVERIFY(mainWindow.findChildren<frmPic*>().isEmpty());
}

void TestFrmPic::viewMapLeavesAFailedViewerOpenAndNotModal() {
    QDir::setCurrent(m_dir.path());
    QWidget mainWindow;
    mainWindow.show();

    showMapViewer(m_messages, &mainWindow);
    const QList<frmPic*> viewers = mainWindow.findChildren<frmPic*>();
    QCOMPARE(viewers.size(), 1);
    QPointer<frmPic> viewer = viewers.first();
    QVERIFY(viewer->isVisible());
    QVERIFY(!viewer->isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(m_messages.texts(), QStringList{u"File not found in frmPic.Form_Load()"_s});

    viewer->close();
    QTRY_VERIFY(viewer.isNull());
}

QTEST_MAIN(TestFrmPic)
#include "tst_frmpic.moc"
