#include "Fixture.h"
#include "Twips.h"
#include "WindowLayout.h"

#include <QGroupBox>
#include <QTest>

using layout::Control;
using layout::LayoutModel;
using layout::Size;

Q_DECLARE_METATYPE(layout::Size)

namespace {

LayoutModel withTimes(bool local24, bool other24) {
    LayoutModel model = layout::initialModel();
    model.chk24hLocal = local24;
    model.chk24hOther = other24;
    return model;
}

// The window's client size in pixels for an outer size in twips, on a frame of `frame` pixels.
QSize client(int widthTwips, int heightTwips, const QMargins& frame = {}) {
    return layout::clientSizeFor(static_cast<float>(widthTwips), static_cast<float>(heightTwips),
                                 frame);
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT

private slots:
    // ---- the tables as data --------------------------------------------------------------

    void sizesOfTheSizeTable_data() {
        QTest::addColumn<Size>("size");
        QTest::addColumn<bool>("local24");
        QTest::addColumn<bool>("other24");
        QTest::addColumn<int>("windowWidth");
        QTest::addColumn<int>("windowHeight");
        QTest::addColumn<int>("frameWidth");
        QTest::addColumn<int>("timeWidth");

        // Narrow needs both clocks in 24-hour time; one alone is not enough.
        QTest::newRow("normal narrow")
            << Size::Normal << true << true << 5115 << 2700 << 4995 << 2295;
        QTest::newRow("normal wide")
            << Size::Normal << false << false << 6075 << 2700 << 5955 << 3255;
        QTest::newRow("normal one 24 h")
            << Size::Normal << true << false << 6075 << 2700 << 5955 << 3255;
        QTest::newRow("Small narrow")
            << Size::Small << true << true << 3000 << 1580 << 2895 << 1215;
        QTest::newRow("Small wide")
            << Size::Small << false << false << 3475 << 1580 << 3355 << 1695;
        QTest::newRow("Small other 24 h")
            << Size::Small << false << true << 3475 << 1580 << 3355 << 1695;
        QTest::newRow("Mini narrow") << Size::Mini << true << true << 1440 << 1440 << 1340 << 1215;
        QTest::newRow("Mini wide") << Size::Mini << false << false << 1920 << 1440 << 1820 << 1695;
        QTest::newRow("Mini local 24 h")
            << Size::Mini << true << false << 1920 << 1440 << 1820 << 1695;
    }
    void sizesOfTheSizeTable() {
        QFETCH(Size, size);
        QFETCH(bool, local24);
        QFETCH(bool, other24);
        QFETCH(int, windowWidth);
        QFETCH(int, windowHeight);
        QFETCH(int, frameWidth);
        QFETCH(int, timeWidth);

        const LayoutModel m = layout::apply(withTimes(local24, other24), size);
        QCOMPARE(m[Control::Window].width, float(windowWidth));
        QCOMPARE(m[Control::Window].height, float(windowHeight));
        QCOMPARE(m[Control::FrameLocal].width, float(frameWidth));
        QCOMPARE(m[Control::FrameOther].width, float(frameWidth));
        QCOMPARE(m[Control::Label1].width, float(timeWidth));
        QCOMPARE(m[Control::Label2].width, float(timeWidth));
    }

    void framesAndTimesOfEachSize_data() {
        QTest::addColumn<Size>("size");
        QTest::addColumn<int>("frameHeight");
        QTest::addColumn<int>("otherTop");
        QTest::addColumn<int>("timeLeft");
        QTest::addColumn<int>("timeTop");
        QTest::addColumn<int>("timeHeight");
        QTest::addColumn<float>("timePoints");
        QTest::newRow("normal") << Size::Normal << 1095 << 1200 << 2580 << 480 << 495 << 24.f;
        QTest::newRow("Small") << Size::Small << 580 << 600 << 1560 << 240 << 255 << 12.f;
        QTest::newRow("Mini") << Size::Mini << 500 << 540 << 80 << 200 << 255 << 12.f;
    }
    void framesAndTimesOfEachSize() {
        QFETCH(Size, size);
        QFETCH(int, frameHeight);
        QFETCH(int, otherTop);
        QFETCH(int, timeLeft);
        QFETCH(int, timeTop);
        QFETCH(int, timeHeight);
        QFETCH(float, timePoints);

        const LayoutModel m = layout::apply(layout::initialModel(), size);
        QCOMPARE(m[Control::FrameLocal].height, float(frameHeight));
        QCOMPARE(m[Control::FrameOther].height, float(frameHeight));
        QCOMPARE(m[Control::FrameLocal].top, 0.f);
        QCOMPARE(m[Control::FrameOther].top, float(otherTop));
        for (const Control time : {Control::Label1, Control::Label2}) {
            QCOMPARE(m[time].left, float(timeLeft));
            QCOMPARE(m[time].top, float(timeTop));
            QCOMPARE(m[time].height, float(timeHeight));
            QCOMPARE(m[time].fontSize, timePoints);
            // Only the normal table sets the weight, to bold; the face is never set.
            QVERIFY(m[time].fontBold);
            QCOMPARE(m[time].fontName, QStringLiteral("Courier New"));
        }
    }

    void whatEachSizeShows() {
        const LayoutModel normal = layout::apply(layout::initialModel(), Size::Normal);
        const LayoutModel small = layout::apply(layout::initialModel(), Size::Small);
        const LayoutModel mini = layout::apply(layout::initialModel(), Size::Mini);
        const auto visible = [](const LayoutModel& m, Control c) { return m[c].visible; };
        for (const Control c : {Control::LstTimeZoneLocal, Control::LstTimeZoneOther,
                                Control::Label3, Control::Label4})
            QVERIFY(visible(normal, c));
        QVERIFY(visible(small, Control::LstTimeZoneLocal));
        QVERIFY(visible(small, Control::LstTimeZoneOther));
        QVERIFY(!visible(small, Control::Label3));
        QVERIFY(!visible(small, Control::Label4));
        for (const Control c : {Control::LstTimeZoneLocal, Control::LstTimeZoneOther,
                                Control::Label3, Control::Label4})
            QVERIFY(!visible(mini, c));

        // The option boxes (Top 720) lie below the frames of the small sizes.
        QVERIFY(small[Control::FrameLocal].height < 720);
        QVERIFY(mini[Control::FrameLocal].height < 720);

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

    void switchingTheTimesChangesOnlyWidths_data() {
        QTest::addColumn<Size>("size");
        QTest::newRow("normal") << Size::Normal;
        QTest::newRow("Small") << Size::Small;
        QTest::newRow("Mini") << Size::Mini;
    }
    void switchingTheTimesChangesOnlyWidths() {
        QFETCH(Size, size);
        const LayoutModel wide = layout::apply(withTimes(false, false), size);
        LayoutModel input = wide;
        input.chk24hLocal = input.chk24hOther = true;
        const LayoutModel narrow = layout::apply(input, size);
        input = narrow;
        input.chk24hLocal = input.chk24hOther = false;
        const LayoutModel wideAgain = layout::apply(input, size);

        QCOMPARE(wideAgain, wide);
        for (std::size_t i = 0; i < layout::kControlCount; ++i) {
            QCOMPARE(narrow.controls[i].height, wide.controls[i].height);
            QCOMPARE(narrow.controls[i].top, wide.controls[i].top);
        }
        QVERIFY(narrow[Control::Window].width < wide[Control::Window].width);
    }

    void miniToNormalLeavesNothingOfMini() {
        LayoutModel start = withTimes(true, false);
        start.otherSelection = QStringLiteral("GMT+1 (Paris)");
        const LayoutModel normal = layout::apply(start, Size::Normal);
        const LayoutModel mini = layout::apply(normal, Size::Mini);
        QCOMPARE(mini[Control::FrameOther].caption, QStringLiteral("GMT+1 (Paris)"));
        QVERIFY(mini != normal);

        const LayoutModel back = layout::apply(mini, Size::Normal);
        QCOMPARE(back, normal);
        QCOMPARE(back[Control::FrameLocal].caption, QStringLiteral("Local"));
        QCOMPARE(back[Control::FrameOther].caption, QStringLiteral("Other"));
        for (const Control frame : {Control::FrameLocal, Control::FrameOther}) {
            QCOMPARE(back[frame].fontName, QStringLiteral("MS Sans Serif"));
            QCOMPARE(back[frame].fontSize, 8.f);
        }
        for (const Control shown : {Control::LstTimeZoneLocal, Control::LstTimeZoneOther,
                                    Control::Label3, Control::Label4})
            QVERIFY(back[shown].visible);
        for (const Control time : {Control::Label1, Control::Label2}) {
            QCOMPARE(back[time].fontSize, 24.f);
            QVERIFY(back[time].fontBold);
        }
        QCOMPARE(back[Control::Window].width, 6075.f);
        QCOMPARE(back[Control::Window].height, 2700.f);
    }

    void smallToNormalLeavesNothingOfSmall() {
        const LayoutModel normal = layout::apply(withTimes(true, true), Size::Normal);
        QCOMPARE(layout::apply(layout::apply(normal, Size::Small), Size::Normal), normal);
    }

    void miniToSmallAndBack() {
        const LayoutModel small = layout::apply(withTimes(false, false), Size::Small);
        const LayoutModel mini = layout::apply(small, Size::Mini);
        QCOMPARE(mini[Control::Window].width, 1920.f);
        // Mini never writes the Local caption; Small writes both back.
        QCOMPARE(mini[Control::FrameLocal].caption, QStringLiteral("Local"));
        QCOMPARE(layout::apply(mini, Size::Small), small);
    }

    void miniWithoutOtherSelectionHasAnEmptyCaption() {
        const LayoutModel mini = layout::apply(layout::initialModel(), Size::Mini);
        QCOMPARE(mini[Control::FrameOther].caption, QString());
        QCOMPARE(mini[Control::FrameLocal].caption, QStringLiteral("Local"));
    }

    void bothMarksGiveTheSmallSize() {
        QCOMPARE(layout::sizeFor(true, true), Size::Small);
        QCOMPARE(layout::sizeFor(true, false), Size::Small);
        QCOMPARE(layout::sizeFor(false, true), Size::Mini);
        QCOMPARE(layout::sizeFor(false, false), Size::Normal);
    }

    void rowsComeInTheirOrder() {
        for (const Size size : {Size::Normal, Size::Small, Size::Mini}) {
            int row = 1;
            for (const layout::Step& step : layout::table(size)) {
                QVERIFY2(step.row == row || step.row == row + 1, "rows skip or go back");
                row = step.row;
            }
        }
        QCOMPARE(layout::table(Size::Normal).back().row, 19);
        QCOMPARE(layout::table(Size::Small).back().row, 12);
        QCOMPARE(layout::table(Size::Mini).back().row, 16);
    }

    void untouchedPropertiesKeepTheirValues() {
        LayoutModel start = layout::initialModel();
        start[Control::LstTimeZoneLocal].left = 200; // as if moved by hand
        start[Control::Label3].top = 210;
        for (const Size size : {Size::Normal, Size::Small, Size::Mini}) {
            const LayoutModel m = layout::apply(start, size);
            QCOMPARE(m[Control::LstTimeZoneLocal].left, 200.f);
            QCOMPARE(m[Control::LstTimeZoneLocal].top, 240.f);
            QCOMPARE(m[Control::Label3].top, 210.f);
            QCOMPARE(m[Control::Label3].fontName, QString());
        }
        // Positions built on the zone list's Left follow it.
        QCOMPARE(layout::apply(start, Size::Normal)[Control::Label1].left, 2700.f);
        QCOMPARE(layout::apply(start, Size::Mini)[Control::Label1].left, 200.f);
    }

    void sumsAreSinglePrecision() {
        LayoutModel start = layout::initialModel();
        start[Control::LstTimeZoneLocal].left = 0.1f;
        const LayoutModel m = layout::apply(start, Size::Normal);
        QCOMPARE(m[Control::Label1].left, 2400.f + 0.1f + 100.f);
        QCOMPARE(m[Control::FrameLocal].width, 3255.f + (2400.f + 0.1f + 100.f) + 120.f);
    }

    // ---- twips and pixels ----------------------------------------------------------------

    void twipsForPrefersAnExactCandidate() {
        QCOMPARE(layout::twipsFor(5, {std::nullopt, 80.f}), 80.f);
        QCOMPARE(layout::twipsFor(5, {75.f, 80.f}), 75.f);
        QCOMPARE(layout::twipsFor(6, {75.f, 80.f}), 90.f); // neither: the pixels themselves
        QCOMPARE(layout::twipsFor(172, {2580.f}), 2580.f);
    }

    void outerSizeMapsThroughTheFrame() {
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

    void theWindowPassKeepsTwipsExact() {
        // 80 twips show as 5 pixels; a second pass must still build on 80, not on 75.
        MainWindowFixture f;
        frmMain& w = f.load();
        w.WindowResize();
        w.WindowResize();
        QCOMPARE(f.child<QLabel>("Label1")->x(), twips::toPixels(2580));
        QCOMPARE(w.size(), QSize(405, 180)); // 6075 x 2700
    }

    void bothStoredMarksLoadTheSmallLayout() {
        MainWindowFixture f({{"Settings", {{"Small", "True"}, {"Mini", "True"}}}});
        frmMain& w = f.load();
        QVERIFY(f.item("mnSmall")->isChecked());
        QVERIFY(f.item("mnMini")->isChecked());
        QCOMPARE(w.size(), QSize(twips::toPixels(3475), twips::toPixels(1580)));
        QVERIFY(f.list("lstTimeZoneLocal")->isVisibleTo(&w));
        QVERIFY(!f.child<QLabel>("Label3")->isVisibleTo(&w));
        QCOMPARE(f.child<QGroupBox>("FrameOther")->title(), QStringLiteral("Other"));
        QCOMPARE(f.child<QGroupBox>("FrameOther")->height(), twips::toPixels(580));
    }

    void miniShowsTheOtherZoneName() {
        MainWindowFixture f({{"Settings", {{"Mini", "True"}, {"currSetup", "Paris"}}},
                             {"Paris", {{"OtherIndex", "10"}}}});
        frmMain& w = f.load();
        QCOMPARE(f.child<QGroupBox>("FrameOther")->title(),
                 f.list("lstTimeZoneOther")->item(10)->text());
        QCOMPARE(f.child<QGroupBox>("FrameOther")->font().family(), QStringLiteral("MS Serif"));
        QCOMPARE(f.child<QGroupBox>("FrameLocal")->title(), QStringLiteral("Local"));
        QVERIFY(!f.list("lstTimeZoneOther")->isVisibleTo(&w));
        QCOMPARE(w.size(), QSize(twips::toPixels(1920), twips::toPixels(1440)));
        QCOMPARE(f.child<QLabel>("Label2")->geometry(), QRect(5, 13, 113, 17));
    }

    void theDateLabelsKeepTheirOwnFont() {
        MainWindowFixture f;
        frmMain& w = f.load();
        const QFont before = f.child<QLabel>("Label4")->font();
        f.item("mnMini")->trigger();
        f.item("mnMini")->trigger();
        QCOMPARE(f.child<QLabel>("Label4")->font(), before);
        QVERIFY(f.child<QLabel>("Label4")->isVisibleTo(&w));
    }

    void aMinimisedWindowIsNotSized() {
        MainWindowFixture f;
        frmMain& w = f.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QSize normal = w.size();
        w.showMinimized();
        QTRY_VERIFY(w.isMinimized());
        f.item("mnSmall")->trigger();
        QCOMPARE(w.size(), normal);
        w.showNormal();
        QTRY_VERIFY(!w.isMinimized());
        const QMargins frame = w.windowHandle()->frameMargins();
        QCOMPARE(w.size(), client(3475, 1580, frame));
    }

    void theOuterSizeCountsTheFrame() {
        MainWindowFixture f;
        frmMain& w = f.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QMargins frame = w.windowHandle()->frameMargins();
        QTRY_COMPARE(w.size(), client(6075, 2700, frame));
        QCOMPARE(w.frameGeometry().size(), QSize(405, 180));
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
