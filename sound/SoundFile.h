// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <sndfile.h>

#include <limits>
#include <memory>

struct SRC_STATE_tag;

// Interleaved signed 16-bit samples, as the audio output takes them.
struct Pcm {
    QByteArray samples;
    int channels = 1;
    int rate = 0;
};

// A sound file (any format libsndfile reads, WAV in all its encodings among them) with its
// headers read. Opening reads no samples, but a hostile file can make even its headers slow to
// read; both belong on a thread that nobody waits for.
class SoundFile {
public:
    SoundFile() = default;
    ~SoundFile();
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    // "" when the file holds sound that can be played, otherwise why not.
    QString open(const QString& path);

    // What decode() gives without converting; valid after a successful open().
    int rate() const { return m_rate; }
    int outputChannels() const { return m_channels == 2 ? 2 : 1; }

    // The next samples, at most `frames` of them, mixed down to one channel (two stay two) and
    // converted to `rate`; empty at the end. Only the first MaxSeconds, and no more than about
    // MaxInputBytes of the file, are read: a file that lies about its length, or is huge, plays
    // its beginning. A player asks for a little at a time, so that what it holds in memory is
    // what it is about to play, whatever the file's size or compression. Every call after
    // open() takes the same rate.
    Pcm decode(int rate, qint64 frames = std::numeric_limits<qint64>::max());

    static constexpr int MaxSeconds = 600;
    static constexpr qint64 MaxInputBytes = qint64(50) << 20;
    // Rates outside these carry no sound a person hears, and libsamplerate converts by 256 at most.
    static constexpr int MinRate = 1000, MaxRate = 768000;

private:
    static long supply(void* self, float** data);

    int m_fd = -1;
    SNDFILE* m_file = nullptr;
    int m_channels = 0;
    int m_rate = 0;
    sf_count_t m_left = 0; // frames still to be read
    QByteArray m_block;    // the floats of the last read
    long m_most = 0;       // frames the caller takes at most, when they are not converted
    // Made by the first decode() that converts; it keeps its place between calls.
    std::unique_ptr<SRC_STATE_tag, SRC_STATE_tag* (*)(SRC_STATE_tag*)> m_converter{nullptr,
                                                                                   nullptr};
};

// A second of beeps at 880 Hz.
Pcm alarmTone(int rate);
