#pragma once

#include <QByteArray>
#include <QList>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <numbers>

// Test sounds made on the spot, and a detector for them in recorded audio.
namespace tone {

constexpr int Rate = 44100;

inline void appendLe32(QByteArray& out, quint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

inline void appendLe16(QByteArray& out, quint16 value) {
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

// A chunk as RIFF stores it: id, little-endian length, body, pad byte after an odd body.
inline QByteArray chunk(const char* id, const QByteArray& body) {
    QByteArray out(id, 4);
    appendLe32(out, quint32(body.size()));
    out += body;
    if (body.size() % 2 != 0)
        out += '\0';
    return out;
}

inline QByteArray fmtChunk(quint16 tag, quint16 channels, quint16 bits) {
    const quint16 blockAlign = quint16(channels * bits / 8);
    QByteArray body;
    appendLe16(body, tag);
    appendLe16(body, channels);
    appendLe32(body, Rate);
    appendLe32(body, quint32(Rate * blockAlign));
    appendLe16(body, blockAlign);
    appendLe16(body, bits);
    return chunk("fmt ", body);
}

inline QByteArray riff(const QByteArray& chunks) {
    QByteArray out("RIFF");
    appendLe32(out, quint32(4 + chunks.size()));
    return out + "WAVE" + chunks;
}

// 16-bit mono PCM samples of a sine at half of full scale.
inline QByteArray sine(double frequency, double seconds) {
    const int count = int(seconds * Rate);
    QByteArray out;
    out.reserve(count * 2);
    for (int i = 0; i < count; ++i)
        appendLe16(out, quint16(qint16(16000.0 *
                                       std::sin(2.0 * std::numbers::pi * frequency * i / Rate))));
    return out;
}

inline QByteArray wav(double frequency, double seconds) {
    return riff(fmtChunk(1, 1, 16) + chunk("data", sine(frequency, seconds)));
}

// For each 20 ms block of 16-bit mono samples: whether `frequency` is clearly there (a
// Goertzel filter, amplitude above 5 % of full scale).
inline QList<bool> presence(const QByteArray& pcm, double frequency) {
    constexpr int Block = Rate / 50;
    const auto* samples = reinterpret_cast<const uchar*>(pcm.constData());
    const qsizetype count = pcm.size() / 2;
    const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * frequency / Rate);
    QList<bool> blocks;
    for (qsizetype start = 0; start + Block <= count; start += Block) {
        double previous = 0, beforePrevious = 0;
        for (qsizetype i = start; i < start + Block; ++i) {
            const double x = qFromLittleEndian<qint16>(samples + 2 * i) / 32768.0;
            const double current = x + coefficient * previous - beforePrevious;
            beforePrevious = previous;
            previous = current;
        }
        const double power = previous * previous + beforePrevious * beforePrevious -
                             coefficient * previous * beforePrevious;
        blocks.append(2.0 * std::sqrt(std::max(power, 0.0)) / Block > 0.05);
    }
    return blocks;
}

inline qsizetype countOf(const QList<bool>& blocks) {
    return std::count(blocks.cbegin(), blocks.cend(), true);
}

} // namespace tone
