// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

// The windows keep their classic face names ("Courier New", "MS Sans Serif", "MS Serif");
// this maps them once onto the metric-compatible Liberation faces (Debian fonts-liberation).
// Safe to call more than once.
void installFontSubstitutions();

// The face and size of every window's text where a control names no font of its own: the
// editor, the date picker, the notice, the message boxes and the main window's option boxes
// and dates all read alike, whatever the desktop's default font is.
QFont dialogFont();
