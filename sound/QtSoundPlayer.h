// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SoundPlayer.h"

// The application's one sound player: libsndfile decodes, Qt Multimedia's QAudioSink plays.
//
// play() only reads the file's headers (never the samples) and checks whether a sound server is
// listening, then hands the opened file to a thread of its own and returns. That thread decodes
// and converts the samples and does everything that talks to the sound server, because Qt 6.4
// waits there without a timeout: a stalled server would otherwise freeze the window.
//
// The path BuiltInAlarmTone (BuiltInTone.h) plays a short tone made in code.
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
