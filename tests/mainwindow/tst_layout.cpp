#include "Fixture.h"
#include "WindowLayout.h"

#include <QGroupBox>
#include <QTest>
#include <QWindow>

using layout::Control;
using layout::LayoutModel;
using layout::Size;

Q_DECLARE_METATYPE(layout::Size)

namespace {

constexpr Control kZonesAndDates[] = {Control::LstTimeZoneLocal, Control::LstTimeZoneOther,
                                      Control::Label3, Control::Label4};

LayoutModel withTimes(bool local24, bool other24) {
    LayoutModel model = layout::initialModel();
    model.chk24hLocal = local24;
    model.chk24hOther = other24;
    return model;
}

LayoutModel applied(Size size) {
    return layout::apply(layout::initialModel(), size);
}

// The window's client size in pixels for an outer size in twips, on a frame of `frame` pixels.
QSize client(int widthTwips, int heightTwips, const QMargins& frame = {}) {
    return layout::clientSizeFor(float(widthTwips), float(heightTwips), frame);
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT

private slots:
    // Widths: window, window height, frames, times; narrow needs both clocks in 24-hour time.
    // Heights: frame height, Other frame top; time left, top, height and points.
    void eachSize_data() {
        QTest::addColumn<Size>("size");
        QTest::addColumn<QList<float>>("narrow");
        QTest::addColumn<QList<float>>("wide");
        QTest::addColumn<QList<float>>("heights");
        QTest::newRow("normal") << Size::Normal << QList<float>{5115, 2700, 4995, 2295}
                                << QList<float>{6075, 2700, 5955, 3255}
                                << QList<float>{1095, 1200, 2580, 480, 495, 24};
        QTest::newRow("Small") << Size::Small << QList<float>{3000, 1580, 2895, 1215}
                               << QList<float>{3475, 1580, 3355, 1695}
                               << QList<float>{580, 600, 1560, 240, 255, 12};
        QTest::newRow("Mini") << Size::Mini << QList<float>{1440, 1440, 1340, 1215}
                              << QList<float>{1920, 1440, 1820, 1695}
                              << QList<float>{500, 540, 80, 200, 255, 12};
    }
    void eachSize() {
        QFETCH(Size, size);
        QFETCH(QList<float>, narrow);
        QFETCH(QList<float>, wide);
        QFETCH(QList<float>, heights);
        for (const auto& [local24, other24] :
             {std::pair{true, true}, {true, false}, {false, true}, {false, false}}) {
            const LayoutModel m = layout::apply(withTimes(local24, other24), size);
            const QList<float> widths{m[Control::Window].width, m[Control::Window].height,
                                      m[Control::FrameLocal].width, m[Control::Label1].width};
            QCOMPARE(widths, local24 && other24 ? narrow : wide);
            QCOMPARE(m[Control::FrameOther].width, m[Control::FrameLocal].width);
            QCOMPARE(m[Control::Label2].width, m[Control::Label1].width);
        }

        const LayoutModel m = applied(size);
        QCOMPARE(m[Control::FrameLocal].top, 0.f);
        for (const Control time : {Control::Label1, Control::Label2}) {
            const QList<float> actual{m[Control::FrameLocal].height,
                                      m[Control::FrameOther].top,
                                      m[time].left,
                                      m[time].top,
                                      m[time].height,
                                      m[time].fontSize};
            QCOMPARE(actual, heights);
            // Only the normal table sets the weight, to bold; the face is never set.
            QVERIFY(m[time].fontBold);
            QCOMPARE(m[time].fontName, QStringLiteral("Courier New"));
        }
        QCOMPARE(m[Control::FrameOther].height, m[Control::FrameLocal].height);

        // Switching the times changes only widths, and switching back restores everything.
        LayoutModel input = layout::apply(withTimes(false, false), size);
        const LayoutModel wideModel = input;
        input.chk24hLocal = input.chk24hOther = true;
        const LayoutModel narrowModel = layout::apply(input, size);
        input = narrowModel;
        input.chk24hLocal = input.chk24hOther = false;
        QCOMPARE(layout::apply(input, size), wideModel);
        for (std::size_t i = 0; i < layout::kControlCount; ++i) {
            QCOMPARE(narrowModel.controls[i].height, wideModel.controls[i].height);
            QCOMPARE(narrowModel.controls[i].top, wideModel.controls[i].top);
        }
    }

    void whatEachSizeShows() {
        const LayoutModel normal = applied(Size::Normal);
        const LayoutModel small = applied(Size::Small);
        const LayoutModel mini = applied(Size::Mini);
        // Small keeps the zone lists; Mini shows the times alone.
        for (const Control c : kZonesAndDates) {
            QVERIFY(normal[c].visible);
            QCOMPARE(small[c].visible,
                     c == Control::LstTimeZoneLocal || c == Control::LstTimeZoneOther);
            QVERIFY(!mini[c].visible);
        }
        QCOMPARE(mini[Control::FrameLocal].fontName, QStringLiteral("MS Serif"));
        QCOMPARE(mini[Control::FrameOther].fontSize, 7.f);
        QCOMPARE(small[Control::LstTimeZoneLocal].fontSize, 8.f);
        QVERIFY(!small[Control::LstTimeZoneOther].fontBold);
        QCOMPARE(normal[Control::LstTimeZoneOther].fontSize, 10.f);
        QVERIFY(normal[Control::LstTimeZoneOther].fontBold);
        QCOMPARE(normal[Control::LstTimeZoneOther].width, 2400.f);
        QCOMPARE(normal[Control::Label3].left, 2700.f);
        QCOMPARE(normal[Control::Label4].left, 2700.f);
    }

    // A size leaves nothing of the size before it.
    void sizesSwitchBackCleanly() {
        LayoutModel start = withTimes(true, false);
        start.otherSelection = QStringLiteral("GMT+1 (Paris)");
        const LayoutModel normal = layout::apply(start, Size::Normal);
        const LayoutModel mini = layout::apply(normal, Size::Mini);
        QCOMPARE(mini[Control::FrameOther].caption, QStringLiteral("GMT+1 (Paris)"));
        QVERIFY(mini != normal);
        QCOMPARE(layout::apply(mini, Size::Normal), normal);
        QCOMPARE(normal[Control::FrameLocal].caption, QStringLiteral("Local"));
        QCOMPARE(normal[Control::FrameOther].caption, QStringLiteral("Other"));
        for (const Control frame : {Control::FrameLocal, Control::FrameOther}) {
            QCOMPARE(normal[frame].fontName, QStringLiteral("MS Sans Serif"));
            QCOMPARE(normal[frame].fontSize, 8.f);
        }
        QCOMPARE(layout::apply(layout::apply(normal, Size::Small), Size::Normal), normal);

        const LayoutModel small = layout::apply(withTimes(false, false), Size::Small);
        const LayoutModel smallMini = layout::apply(small, Size::Mini);
        QCOMPARE(smallMini[Control::Window].width, 1920.f);
        // Mini never writes the Local caption; Small writes both back.
        QCOMPARE(smallMini[Control::FrameLocal].caption, QStringLiteral("Local"));
        QCOMPARE(layout::apply(smallMini, Size::Small), small);

        // Without a selected Other zone the Mini frame has no caption.
        QCOMPARE(applied(Size::Mini)[Control::FrameOther].caption, QString());
        QCOMPARE(applied(Size::Mini)[Control::FrameLocal].caption, QStringLiteral("Local"));
    }

    void sumsAreSinglePrecision() {
        LayoutModel start = layout::initialModel();
        start[Control::LstTimeZoneLocal].left = 0.1f;
        const LayoutModel m = layout::apply(start, Size::Normal);
        QCOMPARE(m[Control::Label1].left, 2400.f + 0.1f + 100.f);
        QCOMPARE(m[Control::FrameLocal].width, 3255.f + (2400.f + 0.1f + 100.f) + 120.f);
    }

    void theOuterSizeMapsThroughTheFrame() {
        QCOMPARE(client(5115, 2700), QSize(341, 180));
        QCOMPARE(client(6075, 2700, QMargins(1, 24, 1, 1)), QSize(403, 155));
        QCOMPARE(client(3000, 1580, QMargins(4, 20, 4, 4)), QSize(192, 81));
        QCOMPARE(client(1440, 1440, QMargins(200, 200, 200, 200)), QSize(1, 1));
    }

    // ---- the pass on the window ----------------------------------------------------------

    void passWritesTheWidgets() {
        MainWindowFixture f({{"Settings", {{"chk24hLocal", "1"}, {"chk24hOther", "1"}}}});
        frmMain& w = f.load();
        QCOMPARE(w.size(), QSize(341, 180)); // 5115 x 2700, not shown yet: no frame
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QCOMPARE(f.child<QGroupBox>("FrameLocal")->geometry(), QRect(0, 0, 333, 73));
        QCOMPARE(f.child<QGroupBox>("FrameOther")->geometry(), QRect(0, 80, 333, 73));
        QCOMPARE(f.child<QLabel>("Label1")->geometry(), QRect(172, 32, 153, 33));
        QCOMPARE(f.child<QLabel>("Label3")->x(), 180);
        QCOMPARE(f.list("lstTimeZoneOther")->geometry(), QRect(5, 16, 160, 20));
        QCOMPARE(f.list("lstTimeZoneOther")->font().pointSizeF(), 10.0);
        QVERIFY(f.list("lstTimeZoneOther")->font().bold());
    }

    void theWindowPassKeepsTwipsExactAndTheDateFont() {
        // 80 twips show as 5 pixels; a second pass must still build on 80, not on 75.
        MainWindowFixture f;
        frmMain& w = f.load();
        const QFont dateFont = f.child<QLabel>("Label4")->font();
        w.WindowResize();
        w.WindowResize();
        QCOMPARE(f.child<QLabel>("Label1")->x(), twips::toPixels(2580));
        QCOMPARE(w.size(), QSize(405, 180)); // 6075 x 2700
        // The date labels keep their own font through Mini and back.
        f.item("mnMini")->trigger();
        f.item("mnMini")->trigger();
        QCOMPARE(f.child<QLabel>("Label4")->font(), dateFont);
        QVERIFY(f.child<QLabel>("Label4")->isVisibleTo(&w));
    }

    void bothStoredMarksLoadTheSmallLayout() {
        MainWindowFixture f({{"Settings", {{"Small", "True"}, {"Mini", "True"}}}});
        frmMain& w = f.load();
        QVERIFY(f.item("mnSmall")->isChecked());
        QVERIFY(f.item("mnMini")->isChecked());
        QCOMPARE(w.size(), twipsSize(3475, 1580));
        QVERIFY(f.list("lstTimeZoneLocal")->isVisibleTo(&w));
        QVERIFY(!f.child<QLabel>("Label3")->isVisibleTo(&w));
        QCOMPARE(f.child<QGroupBox>("FrameOther")->title(), QStringLiteral("Other"));
        QCOMPARE(f.child<QGroupBox>("FrameOther")->height(), twips::toPixels(580));
    }

    void miniShowsTheOtherZoneName() {
        MainWindowFixture f({{"Settings", {{"Mini", "True"}, {"currSetup", "Paris"}}},
                             {"Paris", {{"OtherIndex", "10"}}}});
        frmMain& w = f.load();
        const QGroupBox* other = f.child<QGroupBox>("FrameOther");
        QCOMPARE(other->title(), f.list("lstTimeZoneOther")->item(10)->text());
        QCOMPARE(other->font().family(), QStringLiteral("MS Serif"));
        QCOMPARE(f.child<QGroupBox>("FrameLocal")->title(), QStringLiteral("Local"));
        QVERIFY(!f.list("lstTimeZoneOther")->isVisibleTo(&w));
        QCOMPARE(w.size(), twipsSize(1920, 1440));
        QCOMPARE(f.child<QLabel>("Label2")->geometry(), QRect(5, 13, 113, 17));
    }

    // A shown window's outer size counts the frame; a minimised one is not sized.
    void shownWindowsAndTheFrame() {
        MainWindowFixture f;
        frmMain& w = f.load();
        QVERIFY(f.shown());
        const QMargins frame = w.windowHandle()->frameMargins();
        QTRY_COMPARE(w.size(), client(6075, 2700, frame));
        QCOMPARE(w.frameGeometry().size(), QSize(405, 180));

        const QSize normal = w.size();
        w.showMinimized();
        QTRY_VERIFY(w.isMinimized());
        f.item("mnSmall")->trigger();
        QCOMPARE(w.size(), normal);
        w.showNormal();
        QTRY_VERIFY(!w.isMinimized());
        QCOMPARE(w.size(), client(3475, 1580, w.windowHandle()->frameMargins()));
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
