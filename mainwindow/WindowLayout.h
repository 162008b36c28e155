// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMargins>
#include <QSize>
#include <QString>

#include <array>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <span>
#include <variant>

// The main window's three sizes as data. A pass takes a plain picture of the controls it touches
// (lengths in twips, fonts in points), applies one table row by row and returns the new picture;
// the window writes the differences back to its widgets. Keeping the pass away from the widgets
// keeps the twips exact: a twips length that went through whole pixels and back would drift
// (80 twips -> 5 px -> 75 twips) and every sum built on it would drift with it.
namespace layout {

enum class Size { Normal, Small, Mini };

// The Small mark wins over the Mini mark: both are set only when both stored flags were "True".
constexpr Size sizeFor(bool smallMark, bool miniMark) {
    return smallMark ? Size::Small : (miniMark ? Size::Mini : Size::Normal);
}

enum class Control {
    FrameLocal,
    FrameOther,
    LstTimeZoneLocal,
    LstTimeZoneOther,
    Label1,
    Label2,
    Label3,
    Label4,
    Window, // outer size: title bar and border included
};
inline constexpr std::size_t kControlCount = 9;
// The controls that are widgets inside the window, in the order of Control.
inline constexpr std::size_t kChildCount = 8;

enum class Property { Left, Top, Width, Height, Visible, FontName, FontSize, FontBold, Caption };

struct ControlState {
    float left = 0, top = 0, width = 0, height = 0; // twips
    bool visible = true;
    QString fontName;
    float fontSize = 0; // points
    bool fontBold = false;
    QString caption;

    bool operator==(const ControlState&) const = default;
};

struct LayoutModel {
    std::array<ControlState, kControlCount> controls;
    // What the pass reads besides the controls it sets.
    bool chk24hLocal = false;
    bool chk24hOther = false;
    QString otherSelection; // text of lstTimeZoneOther's selected entry, "" when none

    ControlState& operator[](Control c) { return controls[static_cast<std::size_t>(c)]; }
    const ControlState& operator[](Control c) const {
        return controls[static_cast<std::size_t>(c)];
    }
    bool operator==(const LayoutModel&) const = default;
};

// A property of a control, as a value in a table.
struct Ref {
    Control control;
    Property property;
};

// narrow ? narrow : wide, where narrow means both clocks show 24-hour time.
struct NarrowOr {
    float narrow;
    float wide;
};

// first [+ second] + addend, summed in single precision from left to right.
struct Sum {
    Ref first;
    std::optional<Ref> second;
    float addend = 0;
};

// The value another property holds at this moment (set by an earlier row or not at all).
struct Copy {
    Ref from;
};

struct OtherSelectionText {};

using Value = std::variant<float, bool, const char*, NarrowOr, Sum, Copy, OtherSelectionText>;

struct Step {
    int row; // the row of the table the assignment belongs to
    Control control;
    Property property;
    Value value;
};

// The table of one size, in the order its assignments are made.
std::span<const Step> table(Size size);

// One layout pass: the table of `size` applied to `model`.
LayoutModel apply(LayoutModel model, Size size);

// The controls as they are created, before any pass.
LayoutModel initialModel();

// The twips length shown as `pixels`: the first candidate that maps to exactly those pixels,
// otherwise the pixels' own length in twips.
float twipsFor(int pixels, std::initializer_list<std::optional<float>> candidates);

// The frame the table's outer sizes were drawn around: a caption of 20 px and a border of 2 px.
// Window managers draw frames of their own (0 to 41 px of caption on the common desktops), so
// the window keeps the content area the tables leave inside this frame, and its outer size
// grows or shrinks with the real frame.
inline constexpr QMargins kNominalFrame{2, 22, 2, 2};

// The client size that gives a window of `outerTwips` inside a frame of `frame` pixels.
QSize clientSizeFor(float outerWidthTwips, float outerHeightTwips,
                    const QMargins& frame = kNominalFrame);

} // namespace layout
