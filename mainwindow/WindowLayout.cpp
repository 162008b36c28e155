// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowLayout.h"

#include "Twips.h"

#include <algorithm>
#include <type_traits>

namespace layout {

namespace {

using enum Control;
using enum Property;

// clang-format off
constexpr Step kSmall[] = {
    {1,  LstTimeZoneLocal, Visible,  true},
    {1,  LstTimeZoneOther, Visible,  true},
    {2,  Label1,           FontSize, 12.f},
    {2,  Label1,           Height,   255.f},
    {2,  Label1,           Left,     1560.f},
    {2,  Label1,           Top,      240.f},
    {3,  Label2,           FontSize, 12.f},
    {3,  Label2,           Height,   255.f},
    {3,  Label2,           Left,     1560.f},
    {3,  Label2,           Top,      240.f},
    {4,  Label3,           Visible,  false},
    {4,  Label4,           Visible,  false},
    {5,  LstTimeZoneLocal, FontSize, 8.f},
    {5,  LstTimeZoneLocal, FontBold, false},
    {5,  LstTimeZoneLocal, Width,    1455.f},
    {6,  FrameLocal,       Caption,  "Local"},
    {6,  FrameLocal,       Height,   580.f},
    {6,  FrameLocal,       FontName, "MS Sans Serif"},
    {6,  FrameLocal,       FontSize, 8.f},
    {7,  LstTimeZoneOther, FontSize, 8.f},
    {7,  LstTimeZoneOther, FontBold, false},
    {7,  LstTimeZoneOther, Width,    1455.f},
    {8,  FrameOther,       Caption,  "Other"},
    {8,  FrameOther,       Height,   580.f},
    {8,  FrameOther,       Top,      600.f},
    {8,  FrameOther,       FontName, "MS Sans Serif"},
    {8,  FrameOther,       FontSize, 8.f},
    {9,  Window,           Height,   Sum{{FrameOther, Height}, Ref{FrameOther, Top}, 400}},
    {10, Window,           Width,    NarrowOr{3000, 3475}},
    {11, FrameLocal,       Width,    NarrowOr{2895, 3355}},
    {11, FrameOther,       Width,    NarrowOr{2895, 3355}},
    {12, Label1,           Width,    NarrowOr{1215, 1695}},
    {12, Label2,           Width,    NarrowOr{1215, 1695}},
};

constexpr Step kMini[] = {
    {1,  LstTimeZoneLocal, Visible,  false},
    {1,  LstTimeZoneOther, Visible,  false},
    {2,  Label1,           FontSize, 12.f},
    {2,  Label1,           Height,   255.f},
    {2,  Label1,           Left,     Copy{{LstTimeZoneLocal, Left}}},
    {2,  Label1,           Top,      200.f},
    {3,  Label2,           FontSize, 12.f},
    {3,  Label2,           Height,   255.f},
    {3,  Label2,           Left,     Copy{{LstTimeZoneOther, Left}}},
    {3,  Label2,           Top,      200.f},
    {4,  FrameOther,       Caption,  OtherSelectionText{}},
    {5,  FrameOther,       FontName, "MS Serif"},
    {5,  FrameOther,       FontSize, 7.f},
    {6,  Label3,           Visible,  false},
    {6,  Label4,           Visible,  false},
    {7,  LstTimeZoneLocal, FontSize, 8.f},
    {7,  LstTimeZoneLocal, FontBold, false},
    {7,  LstTimeZoneLocal, Width,    1455.f},
    {8,  FrameLocal,       Height,   500.f},
    {8,  FrameLocal,       FontName, "MS Serif"},
    {8,  FrameLocal,       FontSize, 7.f},
    {9,  LstTimeZoneOther, FontSize, 8.f},
    {9,  LstTimeZoneOther, FontBold, false},
    {9,  LstTimeZoneOther, Width,    1455.f},
    {10, FrameOther,       Height,   500.f},
    {10, FrameOther,       Top,      540.f},
    {11, Window,           Height,   Sum{{FrameOther, Height}, Ref{FrameOther, Top}, 400}},
    {12, Label1,           Width,    NarrowOr{1215, 1695}},
    {13, Label2,           Width,    Copy{{Label1, Width}}},
    {14, FrameLocal,       Width,    Sum{{Label1, Width}, std::nullopt, 125}},
    {15, FrameOther,       Width,    Copy{{FrameLocal, Width}}},
    {16, Window,           Width,    Sum{{FrameLocal, Width}, std::nullopt, 100}},
};

constexpr Step kNormal[] = {
    {1,  LstTimeZoneLocal, Width,    2400.f},
    {2,  Label1,           FontSize, 24.f},
    {2,  Label1,           FontBold, true},
    {2,  Label1,           Height,   495.f},
    {2,  Label1,           Top,      480.f},
    {3,  LstTimeZoneLocal, FontSize, 10.f},
    {3,  LstTimeZoneLocal, FontBold, true},
    {4,  FrameLocal,       Caption,  "Local"},
    {4,  FrameLocal,       Height,   1095.f},
    {4,  FrameLocal,       FontName, "MS Sans Serif"},
    {4,  FrameLocal,       FontSize, 8.f},
    {5,  FrameOther,       Caption,  "Other"},
    {5,  FrameOther,       Top,      1200.f},
    {6,  Window,           Height,   2700.f},
    {7,  Label1,           Width,    NarrowOr{2295, 3255}},
    {8,  LstTimeZoneLocal, Visible,  true},
    {8,  LstTimeZoneOther, Visible,  true},
    {9,  Label2,           FontSize, Copy{{Label1, FontSize}}},
    {9,  Label2,           FontBold, Copy{{Label1, FontBold}}},
    {9,  Label2,           Height,   Copy{{Label1, Height}}},
    {9,  Label2,           Top,      Copy{{Label1, Top}}},
    {10, Label3,           Visible,  true},
    {10, Label4,           Visible,  true},
    {11, LstTimeZoneOther, FontSize, Copy{{LstTimeZoneLocal, FontSize}}},
    {11, LstTimeZoneOther, FontBold, Copy{{LstTimeZoneLocal, FontBold}}},
    {11, LstTimeZoneOther, Width,    Copy{{LstTimeZoneLocal, Width}}},
    {12, FrameOther,       Height,   Copy{{FrameLocal, Height}}},
    {12, FrameOther,       FontName, Copy{{FrameLocal, FontName}}},
    {12, FrameOther,       FontSize, Copy{{FrameLocal, FontSize}}},
    {13, Label1,           Left,     Sum{{LstTimeZoneLocal, Width}, Ref{LstTimeZoneLocal, Left}, 100}},
    {14, Label2,           Left,     Copy{{Label1, Left}}},
    {14, Label2,           Width,    Copy{{Label1, Width}}},
    {15, FrameLocal,       Width,    Sum{{Label1, Width}, Ref{Label1, Left}, 120}},
    {16, FrameOther,       Width,    Copy{{FrameLocal, Width}}},
    {17, Window,           Width,    Sum{{FrameLocal, Width}, std::nullopt, 120}},
    {18, Label3,           Left,     Sum{{Label1, Left}, std::nullopt, 120}},
    {19, Label4,           Left,     Copy{{Label3, Left}}},
};
// clang-format on

// Where each property lives in a ControlState, in the order of Property.
using Member = std::variant<float ControlState::*, bool ControlState::*, QString ControlState::*>;
const std::array<Member, 9> kMembers = {
    &ControlState::left,     &ControlState::top,      &ControlState::width,
    &ControlState::height,   &ControlState::visible,  &ControlState::fontName,
    &ControlState::fontSize, &ControlState::fontBold, &ControlState::caption,
};

using Scalar = std::variant<float, bool, QString>;

Scalar read(const LayoutModel& model, const Ref& ref) {
    return std::visit([&](auto member) -> Scalar { return model[ref.control].*member; },
                      kMembers[static_cast<std::size_t>(ref.property)]);
}

void write(LayoutModel& model, const Ref& ref, const Scalar& value) {
    std::visit(
        [&](auto member) {
            auto& target = model[ref.control].*member;
            target = std::get<std::remove_reference_t<decltype(target)>>(value);
        },
        kMembers[static_cast<std::size_t>(ref.property)]);
}

// Evaluates the values of one pass. The 24-hour boxes are looked at once, by the first row
// that needs them, and that answer holds for the rest of the pass.
class Pass {
public:
    explicit Pass(const LayoutModel& model) : m_model(model) {}

    Scalar operator()(float v) const { return v; }
    Scalar operator()(bool v) const { return v; }
    Scalar operator()(const char* v) const { return QString::fromLatin1(v); }
    Scalar operator()(const NarrowOr& v) { return narrow() ? v.narrow : v.wide; }
    Scalar operator()(const Copy& v) const { return read(m_model, v.from); }
    Scalar operator()(OtherSelectionText) const { return m_model.otherSelection; }
    Scalar operator()(const Sum& v) const {
        // Lengths are single-precision properties: the sum is rounded to float at each step.
        float total = std::get<float>(read(m_model, v.first));
        if (v.second)
            total = total + std::get<float>(read(m_model, *v.second));
        total = total + v.addend;
        return total;
    }

private:
    bool narrow() {
        if (!m_narrowRead) {
            m_narrow = m_model.chk24hLocal && m_model.chk24hOther;
            m_narrowRead = true;
        }
        return m_narrow;
    }

    const LayoutModel& m_model;
    bool m_narrowRead = false; // the 24-hour boxes are read once a pass, when first needed
    bool m_narrow = false;
};

} // namespace

std::span<const Step> table(Size size) {
    static constexpr std::span<const Step> kTables[] = {kNormal, kSmall, kMini};
    return kTables[static_cast<std::size_t>(size)];
}

LayoutModel apply(LayoutModel model, Size size) {
    Pass pass(model);
    for (const Step& step : table(size))
        write(model, {step.control, step.property}, std::visit(pass, step.value));
    return model;
}

LayoutModel initialModel() {
    LayoutModel model;
    const auto frame = [](float top, const char* caption) {
        return ControlState{0,    top,   5415,
                            1095, true,  QStringLiteral("MS Sans Serif"),
                            8,    false, QString::fromLatin1(caption)};
    };
    const ControlState list{80,    240,   1935, 300, true, QStringLiteral("MS Sans Serif"),
                            9.75f, false, {}};
    const ControlState time{2085, 440,  3255, 495, true, QStringLiteral("Courier New"),
                            24,   true, {}};
    // The date labels keep the window's default font: no size of the design names one.
    const auto date = [](float width) {
        return ControlState{2160, 200, width, 255, true, {}, 0, false, {}};
    };

    model[FrameLocal] = frame(0, "Local");
    model[FrameOther] = frame(1200, "Other");
    model[LstTimeZoneLocal] = list;
    model[LstTimeZoneOther] = list;
    model[Label1] = time;
    model[Label2] = time;
    model[Label3] = date(2295);
    model[Label4] = date(2415);
    return model;
}

float twipsFor(int pixels, std::initializer_list<std::optional<float>> candidates) {
    for (const std::optional<float>& candidate : candidates) {
        if (candidate && twips::toPixels(*candidate) == pixels)
            return *candidate;
    }
    return static_cast<float>(twips::fromPixels(pixels));
}

QSize clientSizeFor(float outerWidthTwips, float outerHeightTwips, const QMargins& frame) {
    return {std::max(1, twips::toPixels(outerWidthTwips) - frame.left() - frame.right()),
            std::max(1, twips::toPixels(outerHeightTwips) - frame.top() - frame.bottom())};
}

} // namespace layout
