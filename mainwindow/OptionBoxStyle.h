// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProxyStyle>

// The clock's option boxes sit closer to their captions than the style's default, which at 100 %
// left "DST" all but touching the "+0.5" box after it. This proxy of the application's own style
// changes that one distance; a style sheet would do the same, but would bring Qt's whole
// style-sheet engine (half a megabyte, and its parsing) into every start.
class OptionBoxStyle final : public QProxyStyle {
public:
    explicit OptionBoxStyle(QObject* parent);

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
};
