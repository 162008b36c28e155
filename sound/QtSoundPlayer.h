// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SoundPlayer.h"

// The application's one sound player: libsndfile decodes, the sound server's own client library
// (libpulse, which PipeWire serves too) plays.
//
// play() only looks at the file's status and whether a sound server is listening; the file is
// opened on a thread of the pool and played on a thread of its own, a tenth of a second at a
// time, over a connection made for that one sound. So a slow file or a stalled server never
// holds the window, memory stays small whatever the file, and a server that restarted serves the
// next sound.
//
// The path BuiltInAlarmTone (BuiltInTone.h) plays a short tone made in code; so does a file
// that turns out unplayable only after play() has returned.
class QtSoundPlayer final : public SoundPlayer {
public:
    QtSoundPlayer();
    ~QtSoundPlayer() override;
    QtSoundPlayer(const QtSoundPlayer&) = delete;
    QtSoundPlayer& operator=(const QtSoundPlayer&) = delete;

    // Stops the sound playing, then starts `path`; an empty path only stops. Returns "" when
    // the sound was handed over, otherwise why nothing can be played.
    QString play(const QString& path) override;

private:
    class Playback;
    Playback* m_playback; // lives on the sound thread and is deleted there
};
