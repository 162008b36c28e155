#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

// Shared by the fuzz targets: taking a fuzzer's bytes apart, the locales tried, scratch files,
// and how a broken property is reported (an abort, which libFuzzer records with its input).
namespace fuzzinput {

// Reads the input front to back; running out gives zeros and empty text, never an error.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    bool empty() const { return m_pos >= m_size; }

    // Up to the next 0xFF byte (or the end), so that one input can carry several texts.
    QByteArray field() {
        const std::size_t start = m_pos;
        while (m_pos < m_size && m_data[m_pos] != 0xFF)
            ++m_pos;
        QByteArray out(reinterpret_cast<const char*>(m_data + start), qsizetype(m_pos - start));
        if (m_pos < m_size)
            ++m_pos;
        return out;
    }
    QByteArray rest() {
        QByteArray out(reinterpret_cast<const char*>(m_data + m_pos), qsizetype(m_size - m_pos));
        m_pos = m_size;
        return out;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// Locales whose date and time formats differ in order, separators, AM/PM texts, digits and
// scripts: every reader must hold in each.
inline const QList<QLocale>& locales() {
    static const QList<QLocale> all = [] {
        QList<QLocale> list;
        for (const char* name : {"C",     "en_US", "en_GB", "de_DE", "fr_FR", "ja_JP", "fi_FI",
                                 "ar_EG", "fa_IR", "zh_CN", "ru_RU", "ko_KR", "hi_IN", "he_IL",
                                 "sq_AL", "bg_BG", "hu_HU", "nl_NL", "pt_BR", "es_MX"})
            list.append(QLocale(QString::fromLatin1(name)));
        return list;
    }();
    return all;
}

// A folder of this process's own for settings files, in memory when the machine has /dev/shm
// (QSettings syncs every write to the disk, which would slow the fuzzer down a hundredfold).
inline const QString& scratchFolder() {
    static const QString folder = [] {
        const QString parent = QDir(QStringLiteral("/dev/shm")).exists()
                                   ? QStringLiteral("/dev/shm")
                                   : QDir::tempPath();
        const QString path = parent + QStringLiteral("/meridex-fuzz-%1").arg(::getpid());
        QDir().mkpath(path);
        // Gone when the fuzzer ends normally; a crashed run leaves it for inspection.
        std::atexit([] { QDir(scratchFolder()).removeRecursively(); });
        return path;
    }();
    return folder;
}

// One of a few settings files of this process, reused input after input. QSettings caches each
// file it has read, parsed values included, and a value such as "@Variant(...)" claiming
// billions of items parses into a list with hundreds of megabytes reserved: a fresh name per
// input would keep dozens of those alive in the cache.
inline QString settingsFile(int which = 0) {
    return scratchFolder() + QStringLiteral("/f%1.ini").arg(which);
}

// Writes the file and gives it a modification time it never had before: QSettings notices a
// changed file only by its size and time stamp, and two inputs of the same size written within
// the file system's clock tick would otherwise be read as the same file.
inline void writeFile(const QString& path, const QByteArray& bytes) {
    static qint64 stamp = 1'000'000'000; // seconds since 1970, one more each time
    QFile f(path);
    // Flushed before the time is set: a write still in QFile's buffer would set it to now.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size() ||
        !f.flush() ||
        !f.setFileTime(QDateTime::fromSecsSinceEpoch(++stamp), QFileDevice::FileModificationTime)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
}

// Removes the file and whatever QSettings left beside it.
inline void removeFile(const QString& path) {
    QFile::remove(path);
    QFile::remove(path + QStringLiteral(".lock"));
}

[[noreturn]] inline void broken(const QString& what) {
    std::fprintf(stderr, "PROPERTY BROKEN: %s\n", what.toUtf8().constData());
    std::abort();
}

} // namespace fuzzinput
