#pragma once

#include "SoundPlayer.h"

#include <QtGlobal>

// The application's one sound player, over Qt Multimedia's QSoundEffect.
//
// play() only checks the file (reading its headers, never the samples) and whether a sound
// server is listening, then hands the path to a thread of its own and returns. Everything that
// talks to the sound server happens on that thread, because Qt 6.4 waits there without a
// timeout: a stalled server would otherwise freeze the window.
class QtSoundPlayer final : public SoundPlayer {
public:
    QtSoundPlayer();
    ~QtSoundPlayer() override;
    QtSoundPlayer(const QtSoundPlayer&) = delete;
    QtSoundPlayer& operator=(const QtSoundPlayer&) = delete;

    // Stops the sound playing, then starts `path`; an empty path only stops. Returns "" when
    // the sound was handed over, otherwise why nothing can be played.
    QString play(const QString& path) override;

    // Bigger files are refused: Qt decodes the whole file into memory before playing it.
    static constexpr qint64 MaxFileSize = qint64(256) * 1024 * 1024;

private:
    class Playback;
    Playback* m_playback; // lives on the sound thread and is deleted there
};
