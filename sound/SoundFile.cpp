// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundFile.h"

#include <QFile>

#include <samplerate.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <memory>
#include <numbers>
#include <numeric>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr long Block = 4096; // frames read and converted at a time

} // namespace

SoundFile::~SoundFile() {
    if (m_file)
        sf_close(m_file);
    if (m_fd >= 0)
        ::close(m_fd);
}

QString SoundFile::open(const QString& path) {
    // Non-blocking, so that a FIFO put in the file's place cannot hang the caller.
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return QStringLiteral("File not found: %1").arg(path);
        return QStringLiteral("Cannot read file: %1").arg(path);
    }
    struct stat info {};
    if (::fstat(m_fd, &info) != 0)
        return QStringLiteral("Cannot read file: %1").arg(path);
    // Devices and pipes never end, or wait for a writer.
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("Not a file: %1").arg(path);

    SF_INFO format{};
    m_file = sf_open_fd(m_fd, SFM_READ, &format, SF_FALSE);
    if (!m_file) {
        if (sf_error(nullptr) == SF_ERR_UNSUPPORTED_ENCODING)
            return QStringLiteral("Unsupported WAV format: %1").arg(path);
        return QStringLiteral("Not a WAV file: %1").arg(path);
    }
    if (format.channels < 1 || format.samplerate < MinRate || format.samplerate > MaxRate)
        return QStringLiteral("Unsupported WAV format: %1").arg(path);
    if (format.frames < 1)
        return QStringLiteral("Truncated WAV file: %1").arg(path);
    m_channels = format.channels;
    m_rate = format.samplerate;
    m_left = std::min<sf_count_t>(format.frames, sf_count_t(MaxSeconds) * m_rate);
    // The samples are nearly all of a file, so a share of the frames is that share of the bytes.
    if (info.st_size > MaxInputBytes)
        m_left = std::min(m_left, sf_count_t(double(format.frames) * MaxInputBytes / info.st_size));
    return {};
}

// libsamplerate asks for its input here: the next block of frames, mixed down.
long SoundFile::supply(void* self, float** data) {
    auto& file = *static_cast<SoundFile*>(self);
    auto* const samples = reinterpret_cast<float*>(file.m_block.data());
    const sf_count_t got =
        file.m_left > 0 ? sf_readf_float(file.m_file, samples,
                                         std::min<sf_count_t>(
                                             file.m_left, file.m_converter ? Block : file.m_most))
                        : 0;
    file.m_left = got > 0 ? file.m_left - got : 0;
    if (file.m_channels > 2) {
        for (sf_count_t frame = 0; frame < got; ++frame) {
            const float* const first = samples + frame * file.m_channels;
            samples[frame] =
                std::accumulate(first, first + file.m_channels, 0.0f) / file.m_channels;
        }
    }
    *data = samples;
    return long(got);
}

Pcm SoundFile::decode(int rate, qint64 frames) {
    Pcm pcm{{}, outputChannels(), rate};
    if (!m_file || frames < 1)
        return pcm;
    if (m_block.isEmpty())
        m_block.resize(qsizetype(Block) * m_channels * qsizetype(sizeof(float)));
    // At the file's own rate the samples go through as they are.
    if (rate != m_rate && !m_converter) {
        int error = 0;
        m_converter = {
            src_callback_new(&SoundFile::supply, SRC_SINC_FASTEST, pcm.channels, &error, this),
            src_delete};
        if (!m_converter)
            return pcm;
    }
    std::vector<float> converted(size_t(Block) * size_t(pcm.channels));
    std::vector<short> shorts(converted.size());
    const double ratio = double(rate) / m_rate;
    float* data = converted.data();
    while (frames > 0) {
        const long most = long(std::min<qint64>(Block, frames));
        m_most = most;
        const long got = m_converter ? src_callback_read(m_converter.get(), ratio, most, data)
                                     : supply(this, &data);
        if (got <= 0)
            break;
        const int count = int(got) * pcm.channels;
        src_float_to_short_array(data, shorts.data(), count);
        pcm.samples.append(reinterpret_cast<const char*>(shorts.data()), qsizetype(count) * 2);
        frames -= got;
    }
    return pcm;
}

Pcm alarmTone(int rate) {
    Pcm pcm{QByteArray(qsizetype(rate) * 2, Qt::Uninitialized), 1, rate};
    auto* const samples = reinterpret_cast<qint16*>(pcm.samples.data());
    for (int i = 0; i < rate; ++i) {
        const double t = double(i) / rate;
        // Four beeps of 150 ms, 100 ms apart.
        const bool on = std::fmod(t, 0.25) < 0.15;
        samples[i] = on ? qint16(12000 * std::sin(2 * std::numbers::pi * 880 * t)) : qint16(0);
    }
    return pcm;
}
