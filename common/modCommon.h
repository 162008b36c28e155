// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class SoundPlayer;

// Starts the WAV file playing without waiting and returns "" on success, otherwise the error
// description followed by " in PlaySound()". Each start replaces the sound playing.
QString PlaySound(SoundPlayer& player, const QString& path);
