// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What a sound player is handed in place of a file path to play its built-in alarm tone: the
// sound an alarm falls back on when its own file cannot be played. No file dialog returns such
// a path.
inline const QString BuiltInAlarmTone = QStringLiteral(":/meridex/alarm-tone");
