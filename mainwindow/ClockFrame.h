// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFontMetrics>
#include <QGroupBox>
#include <QPainter>
#include <qdrawutil.h>

// A clock's frame: an etched line whose caption sits in the top border, a little in from the
// left, so the controls placed at their twips positions all lie inside it. The inside is left
// unpainted: the labels on it fill with the window's own background and so cannot be seen.
class ClockFrame final : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        static constexpr int kIndent = 6; // where the caption's gap in the line starts
        static constexpr int kGap = 2;    // line kept clear on each side of the caption
        QPainter painter(this);
        const QFontMetrics metrics(font());
        qDrawShadeRect(&painter, rect().adjusted(0, metrics.height() / 2, 0, 0), palette(), true);
        if (title().isEmpty())
            return;
        const QRect caption(kIndent, 0, metrics.horizontalAdvance(title()) + 2 * kGap,
                            metrics.height());
        painter.fillRect(caption, palette().window());
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::WindowText));
        painter.drawText(caption, Qt::AlignCenter, title());
    }
};
