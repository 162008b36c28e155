#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <numbers>

#include <sys/stat.h>

// Test sounds made on the spot, good and bad, and a detector for them in recorded audio.
namespace tone {

constexpr int Rate = 44100;

// `value` as a little-endian quint16 or quint32.
template <typename T> void appendLe(QByteArray& out, T value) {
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

// A chunk as RIFF stores it: id, little-endian length, body, pad byte after an odd body.
inline QByteArray chunk(const char* id, const QByteArray& body) {
    QByteArray out(id, 4);
    appendLe(out, quint32(body.size()));
    out += body;
    if (body.size() % 2 != 0)
        out += '\0';
    return out;
}

inline QByteArray fmtChunk(quint16 tag, quint16 channels, quint16 bits) {
    const quint16 blockAlign = quint16(channels * bits / 8);
    QByteArray body;
    appendLe(body, tag);
    appendLe(body, channels);
    appendLe(body, quint32(Rate));
    appendLe(body, quint32(Rate * blockAlign));
    appendLe(body, blockAlign);
    appendLe(body, bits);
    return chunk("fmt ", body);
}

inline QByteArray riff(const QByteArray& chunks) {
    QByteArray out("RIFF");
    appendLe(out, quint32(4 + chunks.size()));
    return out + "WAVE" + chunks;
}

// 16-bit mono PCM samples of a sine at half of full scale.
inline QByteArray sine(double frequency, double seconds) {
    const int count = int(seconds * Rate);
    QByteArray out;
    out.reserve(count * 2);
    for (int i = 0; i < count; ++i)
        appendLe(out, quint16(qint16(16000.0 *
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

// Writes `bytes` to `path`, then makes the file `size` bytes long: the rest a hole that takes no
// disk space.
inline QString writeFile(const QString& path, const QByteArray& bytes, qint64 size = -1) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() ||
        !f.resize(size < 0 ? bytes.size() : size))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// The header of a 16-bit mono PCM file `size` bytes long, without its samples.
inline QByteArray pcmHeader(qint64 size) {
    QByteArray header = riff(fmtChunk(1, 1, 16)) + "data";
    appendLe(header, quint32(size - header.size() - 4));
    return header;
}

struct Unplayable {
    const char* kind;
    QString path;
    QString answer; // what a player answers, followed by the path
};

// A sound of each kind that cannot be played, made in `dir`.
inline QList<Unplayable> unplayable(const QString& dir) {
    using namespace Qt::StringLiterals;
    const auto file = [&](const char* name, const QByteArray& bytes, qint64 size = -1) {
        return writeFile(dir + u'/' + QLatin1String(name), bytes, size);
    };
    const QString fifo = dir + u"/fifo.wav"_s;
    if (!QDir(dir).mkpath(u"folder.wav"_s) ||
        (::mkfifo(QFile::encodeName(fifo).constData(), 0600) != 0 && errno != EEXIST))
        qFatal("cannot make a folder and a named pipe in %s", qPrintable(dir));
    const QByteArray whole = wav(440, 0.5), pcm = fmtChunk(1, 1, 16);
    const QString notFound = u"File not found: "_s, notAFile = u"Not a file: "_s,
                  notWav = u"Not a WAV file: "_s, truncated = u"Truncated WAV file: "_s,
                  unsupported = u"Unsupported WAV format: "_s;
    return {
        {"missing", dir + u"/missing.wav"_s, notFound},
        {"missing folder", dir + u"/nowhere/missing.wav"_s, notFound},
        {"folder", dir + u"/folder.wav"_s, notAFile},
        {"named pipe", fifo, notAFile},
        {"device", u"/dev/zero"_s, notAFile},
        {"path of 1 MB", u"/"_s + QString(1 << 20, u'x') + u".wav"_s, u"Cannot read file: "_s},
        {"empty", file("empty.wav", {}), notWav},
        {"text", file("text.wav", "This is not a sound.\n"), notWav},
        {"a JPEG", file("jpeg.wav", QByteArray("\xFF\xD8\xFF\xE0\0\x10JFIF\0", 11)), notWav},
        {"truncated", file("truncated.wav", whole.left(whole.size() / 2)), truncated},
        {"header only", file("header-only.wav", whole.left(44)), truncated},
        {"partial sample", file("partial.wav", riff(pcm + chunk("data", sine(440, 0.1) + "x"))),
         truncated},
        {"float", file("float.wav", riff(fmtChunk(3, 1, 32) + chunk("data", QByteArray(400, 0)))),
         unsupported},
        {"odd chunk",
         file("odd.wav", riff(pcm + chunk("LIST", "INFOabc") + chunk("data", sine(440, 0.1)))),
         unsupported},
        {"1 GB (sparse)", file("huge.wav", pcmHeader(qint64(1) << 30), qint64(1) << 30),
         u"File too large: "_s},
    };
}

} // namespace tone
