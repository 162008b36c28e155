// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>

// Lengths of the window and its controls are kept in twips (1/1440 inch) and shown in
// device-independent pixels at 96 per inch, so Qt's scaling keeps the proportions at any
// screen scale factor.
namespace twips {

inline constexpr double kPerPixel = 15.0;

constexpr int toPixels(double twips) {
    return static_cast<int>(twips / kPerPixel + (twips >= 0 ? 0.5 : -0.5));
}
constexpr double fromPixels(int pixels) {
    return pixels * kPerPixel;
}

} // namespace twips
