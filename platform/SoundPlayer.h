// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Plays a WAV file asynchronously; each start replaces the sound playing. Never blocks.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Returns "" when the sound was started (or will start as soon as it is loaded and a sound
    // server is reachable), otherwise the description of why nothing can be played.
    virtual QString play(const QString& path) = 0;
};
