// The map viewer window on Qt's offscreen platform, with pictures drawn by the test.
#include "MapScrollBar.h"
#include "Doubles.h"
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

QByteArray jpegBytes(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(0xd4, 0xe6, 0xf5));
    QPainter(&image).drawEllipse(QRect(QPoint(0, 0), size).adjusted(20, 20, -20, -20));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    if (!writer.write(image))
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

// Viewport and bars of a freshly opened viewer.
const QList<QRect> kOpening{QRect(0, 0, 554, 492), QRect(0, 492, 554, 17), QRect(554, 0, 17, 492)};

// A viewer and its controls: the viewport, the picture and the two bars.
struct Viewer {
    Viewer(MessageBoxes& messages, const QString& file) : w(messages, nullptr, file) {}
    bool show() {
        w.show();
        return QTest::qWaitForWindowExposed(&w);
    }
    // Viewport and bars; the bars' maxima and values.
    QList<QRect> geometries() const { return {view->geometry(), h->geometry(), v->geometry()}; }
    QPoint maxima() const { return {h->scrollMaximum(), v->scrollMaximum()}; }
    QPoint values() const { return {h->scrollValue(), v->scrollValue()}; }

    frmPic w;
    QWidget* const view = child<QWidget>(w, "Picture1");
    QLabel* const pic = child<QLabel>(w, "Picture2");
    MapScrollBar* const h = child<MapScrollBar>(w, "HScroll1");
    MapScrollBar* const v = child<MapScrollBar>(w, "VScroll1");
};

} // namespace

class TestFrmPic final : public QObject {
    Q_OBJECT

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString picture(QSize size, const QString& name = u"TimeZoneMap.jpg"_s) const {
        writeFile(path(name), jpegBytes(size));
        return path(name);
    }

    QTemporaryDir m_dir;
    QString m_initialDir;
    ScriptedMessageBoxes m_messages;

private slots:
    void init() { m_messages.clear(); }

    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QApplication::setStyle(new SeventeenPixelBars);
        m_initialDir = QDir::currentPath();
    }

    void cleanup() {
        QDir::setCurrent(m_initialDir);
        QFile::remove(path(u"TimeZoneMap.jpg"_s));
    }

    void opensAt571x509WithTheCornerInView() {
        Viewer v(m_messages, picture(QSize(2000, 1000)));
        QVERIFY(v.w.loaded());
        QVERIFY(!v.w.isVisible());
        QCOMPARE(v.w.objectName(), u"frmPic"_s);
        QCOMPARE(v.w.windowTitle(), u"Time Zone Map"_s);
        QCOMPARE(v.w.size(), QSize(571, 509));
        QCOMPARE(v.pic->parentWidget(), v.view);
        QCOMPARE(v.geometries(), kOpening);
        QCOMPARE(v.pic->geometry(), QRect(0, 0, 2000, 1000));
        QCOMPARE(v.pic->pixmap().size(), QSize(2000, 1000));
        QCOMPARE(v.maxima(), QPoint(1446, 508));
        QCOMPARE(v.values(), QPoint(0, 0));
        for (const MapScrollBar* bar : {v.h, v.v}) {
            QVERIFY(!bar->isHidden());
            QCOMPARE(bar->singleStep(), 10);
            QCOMPARE(bar->pageStep(), 100);
        }
        QVERIFY(v.show());
        QCOMPARE(v.pic->pos(), QPoint(0, 0));
        QVERIFY(m_messages.texts().isEmpty());
    }

    void barsMoveThePicture() {
        Viewer v(m_messages, picture(QSize(2000, 1000)));
        QVERIFY(v.show());
        // Steps of 10 and pages of 100, and the ends; the picture moves against the bars.
        const std::tuple<MapScrollBar*, Qt::Key, QPoint> steps[] = {
            {v.h, Qt::Key_Right, {10, 0}},        {v.v, Qt::Key_PageDown, {10, 100}},
            {v.v, Qt::Key_Down, {10, 110}},       {v.v, Qt::Key_Up, {10, 100}},
            {v.h, Qt::Key_Left, {0, 100}},        {v.h, Qt::Key_End, {1446, 100}},
            {v.h, Qt::Key_PageDown, {1446, 100}}, {v.h, Qt::Key_Home, {0, 100}}};
        for (const auto& [bar, key, values] : steps) {
            QTest::keyClick(bar, key);
            QCOMPARE(v.values(), values);
            QCOMPARE(v.pic->pos(), -values);
        }

        v.v->triggerAction(QAbstractSlider::SliderPageStepAdd); // a click in the trough
        QCOMPARE(v.pic->pos(), QPoint(0, -200));
        v.h->setScrollValue(321);
        QCOMPARE(v.pic->pos(), QPoint(-321, -200));

        // A dragged thumb moves the picture only when released.
        v.h->setSliderDown(true);
        v.h->setSliderPosition(700);
        QCOMPARE(v.pic->x(), -321);
        v.h->setSliderDown(false);
        QCOMPARE(v.pic->x(), -700);
    }

    void resizeKeepsOrLimitsTheScrollPosition() {
        Viewer v(m_messages, picture(QSize(2000, 1000)));
        QVERIFY(v.show());
        QCOMPARE(v.w.focusWidget(), v.v);
        QTest::keyClick(v.h, Qt::Key_End);
        QTest::keyClick(v.v, Qt::Key_End);
        QCOMPARE(v.pic->pos(), QPoint(-1446, -508));
        QCOMPARE(v.pic->geometry().right(), v.view->rect().right());

        v.h->setFocus();
        v.w.resize(800, 609);
        QCOMPARE(v.w.focusWidget(), v.v); // so that the arrow keys scroll vertically
        QCOMPARE(v.maxima(), QPoint(1217, 408));
        QCOMPARE(v.values(), QPoint(1217, 408));
        // The picture's far corner stays at the viewport's.
        QCOMPARE(v.pic->geometry().bottomRight(), v.view->rect().bottomRight());

        v.h->setScrollValue(300);
        v.v->setScrollValue(200);
        v.w.resize(700, 600);
        QCOMPARE(v.geometries(), (QList<QRect>{QRect(0, 0, 683, 583), QRect(0, 583, 683, 17),
                                               QRect(683, 0, 17, 583)}));
        QCOMPARE(v.maxima(), QPoint(1317, 417));
        QCOMPARE(v.pic->pos(), QPoint(-300, -200));
        QVERIFY(m_messages.texts().isEmpty());
    }

    void windowLargerThanThePicture() {
        Viewer v(m_messages, picture(QSize(300, 200)));
        QVERIFY(v.show());
        QCOMPARE(v.maxima(), QPoint(-254, -292));
        QCOMPARE(v.pic->pos(), QPoint(0, 0));

        // Toward its maximum a bar moves the picture into the free space, up to the far edge.
        QTest::keyClick(v.h, Qt::Key_Right);
        QCOMPARE(v.pic->pos(), QPoint(10, 0));
        QTest::keyClick(v.h, Qt::Key_End);
        QCOMPARE(v.pic->geometry().right(), v.view->rect().right());
        QTest::keyClick(v.v, Qt::Key_PageDown);
        QCOMPARE(v.values(), QPoint(-254, -100));
        QCOMPARE(v.pic->pos(), QPoint(254, 100));
        // The thumb starts at the left and top ends like any other bar's.
        QCOMPARE(v.v->minimum(), 0);
        QCOMPARE(v.v->maximum(), 292);
        QCOMPARE(v.v->value(), 100);

        // Narrower than the picture again: the range turns positive, the picture goes back.
        v.w.resize(200, 509);
        QCOMPARE(v.maxima().x(), 117);
        QCOMPARE(v.values().x(), 0);
        QCOMPARE(v.pic->pos(), QPoint(0, 100));
        QVERIFY(m_messages.texts().isEmpty());
    }

    void failedLoadsLeaveTheWindowOpen_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QSize>("pictureSize");
        QTest::newRow("missing") << u"nowhere/TimeZoneMap.jpg"_s << QByteArray()
                                 << QStringList{u"File not found in frmPic.Form_Load()"_s}
                                 << QSize();
        // Showing the window runs its resize, which meets the same overflow first.
        QTest::newRow("too wide for 16 bits")
            << u"wide.jpg"_s << jpegBytes(QSize(554 + 32768, 8))
            << QStringList{u"Overflow in Form_Resize()"_s, u"Overflow in frmPic.Form_Load()"_s}
            << QSize(554 + 32768, 8);
        // Refused from the header, before anything is decoded.
        QTest::newRow("huge") << u"huge.jpg"_s << jpegClaiming(QSize(60000, 60000))
                              << QStringList{u"Picture too large (60000 x 60000 pixels) in "
                                             u"frmPic.Form_Load()"_s}
                              << QSize();
    }

    void failedLoadsLeaveTheWindowOpen() {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, messages);
        QFETCH(QSize, pictureSize);
        if (!bytes.isEmpty())
            writeFile(path(file), bytes);
        Viewer v(m_messages, path(file));
        QVERIFY(!v.w.loaded());
        QVERIFY(v.w.isVisible());
        QCOMPARE(v.w.windowModality(), Qt::NonModal);
        QCOMPARE(m_messages.texts(), messages);
        QCOMPARE(m_messages.shown().at(0).parent, &v.w);
        QCOMPARE(m_messages.shown().at(0).buttons, MessageBoxes::Buttons::Ok);
        QCOMPARE(v.pic->size(), pictureSize.isValid() ? pictureSize : QSize(0, 0));
        QCOMPARE(v.pic->pixmap().isNull(), !pictureSize.isValid());
        QCOMPARE(v.geometries().first(), kOpening.first());
        QVERIFY(v.h->isHidden());
        QVERIFY(v.v->isHidden());

        v.w.resize(700, 600); // a resize that meets no trouble says nothing more
        QCOMPARE(m_messages.texts(), messages);
    }

    void clientSmallerThanTheBars() {
        Viewer v(m_messages, picture(QSize(2000, 1000)));
        QVERIFY(v.show());
        v.h->setScrollValue(100);

        v.w.resize(16, 300);
        QCOMPARE(v.w.size(), QSize(16, 300));
        QCOMPARE(m_messages.texts(), QStringList{u"Invalid property value in Form_Resize()"_s});
        QCOMPARE(v.view->geometry(), kOpening.first());
        v.w.resize(571, 8);
        QCOMPARE(m_messages.texts().size(), 2);
        QVERIFY(m_messages.texts().at(1).endsWith(u" in Form_Resize()"_s));

        v.w.resize(571, 509);
        QCOMPARE(m_messages.texts().size(), 2);
        QCOMPARE(v.view->geometry(), kOpening.first());
        QCOMPARE(v.pic->pos(), QPoint(-100, 0));
    }

    void corruptPicturesDoNotCrash_data() {
        const QByteArray good = jpegBytes(QSize(2000, 1000));
        QByteArray scrambled = good;
        for (qsizetype i = scrambled.size() / 3; i < scrambled.size() / 3 + 400; ++i)
            scrambled[i] = char(i * 37);
        QByteArray badHeader = good;
        badHeader[badHeader.indexOf("\xFF\xC0") + 4] = 3; // 3-bit samples

        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("scrambled") << scrambled;
        QTest::newRow("bad sample precision") << badHeader;
        QTest::newRow("zero size") << jpegClaiming(QSize(0, 0));
    }

    void corruptPicturesDoNotCrash() {
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

    void viewMapIsModalWhenThePictureLoads() {
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
        QVERIFY(seen.isNull()); // closed is gone
        QVERIFY(mainWindow.findChildren<frmPic*>().isEmpty());
    }
};

QTEST_MAIN(TestFrmPic)
#include "tst_frmpic.moc"
