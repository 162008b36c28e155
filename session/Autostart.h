// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The XDG autostart entry that starts Meridex when the person logs in. It is the launcher's
// own text, with this program's path and the folder the map is read from, so that the clock
// starts as from the menu.
namespace autostart {

QString entryPath();
bool isOn();
// Write or remove the entry; they return what went wrong, empty when nothing did.
QString turnOn();
QString turnOff();

} // namespace autostart
