// SPDX-License-Identifier: GPL-3.0-or-later
// The layout pass of the main window, its resize handling and the size switch.
#include "Fonts.h"
#include "frmMain.h"

#include "ClientSize.h"
#include "TimeLabel.h"
#include "Twips.h"
#include "WindowLayout.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>

namespace {

using layout::Control;
using layout::ControlState;
using layout::LayoutModel;

// Each child control carries the twips geometry it was last given, so the next pass starts from
// exact lengths rather than from whole pixels.
const char* const kTwipsProperty = "twipsGeometry";
// How many pixels a zone list's height was changed by to show whole rows only.
const char* const kRowFitProperty = "rowFit";

// A one-row list shows as many whole rows of its font as its height holds, at least one: never
// a row and a half, nor a row cut short.
int wholeRowsHeight(const QListWidget& list, int height) {
    const int frame = 2 * list.frameWidth();
    const int row = list.count() > 0 ? list.sizeHintForRow(0) : list.fontMetrics().height();
    return row > 0 ? frame + row * std::max(1, (height - frame) / row) : height;
}

ControlState stateOf(const QWidget& widget, const ControlState& initial) {
    QRect pixels = widget.geometry();
    pixels.setHeight(pixels.height() - widget.property(kRowFitProperty).toInt());
    const QVariant stored = widget.property(kTwipsProperty);
    const bool known = stored.isValid();
    const QRectF remembered = stored.toRectF();
    const auto candidate = [known](qreal value) {
        return known ? std::optional<float>(static_cast<float>(value)) : std::nullopt;
    };

    ControlState state;
    state.left = layout::twipsFor(pixels.x(), {candidate(remembered.x()), initial.left});
    state.top = layout::twipsFor(pixels.y(), {candidate(remembered.y()), initial.top});
    state.width = layout::twipsFor(pixels.width(), {candidate(remembered.width()), initial.width});
    state.height =
        layout::twipsFor(pixels.height(), {candidate(remembered.height()), initial.height});
    state.visible = !widget.isHidden();
    const QFont font = widget.font();
    state.fontName = classicFace(font);
    state.fontSize = static_cast<float>(font.pointSizeF());
    state.fontBold = font.bold();
    if (const auto* frame = qobject_cast<const QGroupBox*>(&widget))
        state.caption = frame->title();
    return state;
}

// Writes what the pass changed; untouched properties are left alone, so a control keeps the font
// it inherits (the date labels) and no needless geometry or show/hide events are raised.
void writeBack(QWidget& widget, const ControlState& before, const ControlState& after) {
    if (after.fontName != before.fontName || after.fontSize != before.fontSize ||
        after.fontBold != before.fontBold) {
        QFont font = widget.font();
        setClassicFace(font, after.fontName);
        font.setPointSizeF(after.fontSize);
        font.setBold(after.fontBold);
        widget.setFont(font);
    }

    QRect pixels(twips::toPixels(after.left), twips::toPixels(after.top),
                 twips::toPixels(after.width), twips::toPixels(after.height));
    if (const auto* list = qobject_cast<const QListWidget*>(&widget)) {
        const int fitted = wholeRowsHeight(*list, pixels.height());
        widget.setProperty(kRowFitProperty, fitted - pixels.height());
        pixels.setHeight(fitted);
    }
    if (widget.geometry() != pixels)
        widget.setGeometry(pixels);
    widget.setProperty(kTwipsProperty, QRectF(after.left, after.top, after.width, after.height));
    if (after.caption != before.caption) {
        if (auto* frame = qobject_cast<QGroupBox*>(&widget))
            frame->setTitle(after.caption);
    }
    // Shown last, so a control appears with its new geometry and font already in place.
    if (after.visible != before.visible)
        widget.setVisible(after.visible);
}

} // namespace

std::array<QWidget*, 8> frmMain::layoutControls() const {
    static_assert(layout::kChildCount == 8);
    // In the order of layout::Control.
    return {FrameLocal, FrameOther, lstTimeZoneLocal, lstTimeZoneOther,
            Label1,     Label2,     Label3,           Label4};
}

void frmMain::WindowResize() {
    const LayoutModel initial = layout::initialModel();
    LayoutModel before;
    const std::array<QWidget*, layout::kChildCount> controls = layoutControls();
    for (std::size_t i = 0; i < controls.size(); ++i)
        before.controls[i] = stateOf(*controls[i], initial.controls[i]);
    before[Control::Window].width = static_cast<float>(m_outerTwips.width());
    before[Control::Window].height = static_cast<float>(m_outerTwips.height());
    before.chk24hLocal = chk24hLocal->isChecked();
    before.chk24hOther = chk24hOther->isChecked();
    if (const QListWidgetItem* selected = lstTimeZoneOther->currentItem())
        before.otherSelection = selected->text();

    const LayoutModel after =
        layout::apply(before, layout::sizeFor(mnSmall->isChecked(), mnMini->isChecked()));

    for (std::size_t i = 0; i < controls.size(); ++i)
        writeBack(*controls[i], before.controls[i], after.controls[i]);
    // A time keeps a little off the zone list's arrows where its label has room for that. The
    // face is fixed-pitch, so the widest time is the longest one.
    const bool narrow = before.chk24hLocal && before.chk24hOther;
    const auto longest =
        QStringLiteral("00:00:00").size() +
        (narrow ? 0 : 1 + std::max(m_locale.amText().size(), m_locale.pmText().size()));
    for (TimeLabel* time : {Label1, Label2}) {
        const qreal spare =
            time->width() - longest * QFontMetricsF(time->font()).horizontalAdvance(u'0');
        time->setIndent(spare >= 4 ? 2 : 0);
    }
    // An option box below its frame's lower edge is out of view in Small and Mini: it takes no
    // focus there, so Tab cannot land on it nor Space change it unseen.
    for (QCheckBox* box :
         {chkDSTLocal, chk05Local, chk24hLocal, chkDSTOther, chk05Other, chk24hOther}) {
        const bool inView = box->geometry().bottom() < box->parentWidget()->height();
        box->setFocusPolicy(inView ? Qt::StrongFocus : Qt::NoFocus);
        if (!inView && box->hasFocus())
            box->clearFocus();
    }
    setOuterSizeTwips(static_cast<int>(std::lround(after[Control::Window].width)),
                      static_cast<int>(std::lround(after[Control::Window].height)));
}

void frmMain::setOuterSizeTwips(int widthTwips, int heightTwips) {
    m_outerTwips = QSize(widthTwips, heightTwips);
    // Many window systems refuse to size a minimised window; the size is given on restore.
    if (isMinimized())
        return;
    applyOuterSize();
}

void frmMain::applyOuterSize() {
    if (m_outerTwips.isEmpty())
        return;
    // The table's sizes include a nominal title bar and border; what they leave inside is what
    // the window keeps, whatever frame the window manager draws around it.
    setClientSize(*this,
                  layout::clientSizeFor(static_cast<float>(m_outerTwips.width()),
                                        static_cast<float>(m_outerTwips.height())),
                  !m_sizableBorder);
}

// A fixed single border cannot be dragged; a sizable one can. Both are size constraints of the
// one native window: changing the window flags instead would hide and re-create it.
void frmMain::setSizableBorder(bool sizable) {
    m_sizableBorder = sizable;
    setClientSize(*this, size(), !sizable);
}

void frmMain::Form_Resize() {
    if (mnSmall->isChecked() || mnMini->isChecked())
        return;
    WindowResize();
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
    settingsChanged();
}

void frmMain::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !isMinimized())
        applyOuterSize();
}

void frmMain::mnSmall_Click() {
    switchSize(mnSmall, mnMini);
}

void frmMain::mnMini_Click() {
    switchSize(mnMini, mnSmall);
}

// Each size item switches its own size on and off; choosing one small size while the other is
// active goes straight from one to the other, and leaving either ends in the normal size.
void frmMain::switchSize(QAction* chosen, QAction* other) {
    if (chosen->isChecked()) {
        chosen->setChecked(false);
        setSizableBorder(true);
    } else {
        chosen->setChecked(true);
        other->setChecked(false);
        setSizableBorder(false);
    }
    RefreshSettings();
    WindowResize();
}
