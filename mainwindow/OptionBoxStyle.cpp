// SPDX-License-Identifier: GPL-3.0-or-later
#include "OptionBoxStyle.h"

#include <QApplication>
#include <QStyleFactory>

namespace {

constexpr int kLabelSpacing = 3; // device-independent pixels

} // namespace

// A proxy owns its base style, so it gets an instance of its own of the application's style.
OptionBoxStyle::OptionBoxStyle(QObject* parent)
    : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {
    setParent(parent);
}

int OptionBoxStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                const QWidget* widget) const {
    return metric == PM_CheckBoxLabelSpacing ? kLabelSpacing
                                             : QProxyStyle::pixelMetric(metric, option, widget);
}
