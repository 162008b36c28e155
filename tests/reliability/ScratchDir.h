#pragma once

#include <QDir>
#include <QFileInfo>
#include <QString>

// Where the reliability tests put their settings files: in memory (tmpfs) when the machine
// offers it. QSettings syncs every write to the disk, which on an ordinary disk costs some 5 ms
// a write and would make these tests, which write thousands of times, run for minutes. What
// they test (what a process leaves behind, how a file reads back) is the same on both.
inline QString scratchParent() {
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    if (shm.isDir() && shm.isWritable())
        return shm.filePath();
    return QDir::tempPath();
}

// A pattern for QTemporaryDir under scratchParent().
inline QString scratchPattern(const char* name) {
    return scratchParent() + QLatin1Char('/') + QLatin1String(name) + QStringLiteral("-XXXXXX");
}
