// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QSize>
#include <QString>

#include <optional>

class SettingsStore;
class QWidget;

// Window positions are stored in twips in section "Settings" and shown in device-independent
// pixels at 96 per inch (15 twips a pixel), so a position survives a change of screen scaling.
namespace windowposition {

inline constexpr double kTwipsPerPixel = 15.0;

int toPixels(double twips);
double toTwips(int pixels);

// The stored position; absent or non-numeric values count as 0, the screen's top left corner.
QPoint read(const SettingsStore& store, const QString& leftKey, const QString& topKey);
// The stored position of a window of `size`, brought onto a screen when it would be out of reach;
// nothing when no position was ever stored, so that a first opening comes up where a dialog
// belongs, centred over the window that opens it, not in the screen's corner.
std::optional<QPoint> readReachable(const SettingsStore& store, const QString& leftKey,
                                    const QString& topKey, QSize size);
// Writes the window's outer top-left corner; throws RuntimeError when the store fails.
void write(SettingsStore& store, const QString& leftKey, const QString& topKey,
           const QWidget& window);

} // namespace windowposition
