// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniSettingsStore.h"

#include "RuntimeError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace {

using Stamp = std::array<qint64, 5>;
constexpr Stamp kNoFile{-1, -1, -1, -1, -1};
constexpr Stamp kUnknown{-2, -2, -2, -2, -2}; // matches no file: read it again

Stamp stampOf(const struct stat& info) {
    return {qint64(info.st_dev), qint64(info.st_ino), qint64(info.st_size),
            qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec,
            qint64(info.st_ctim.tv_sec) * 1'000'000'000 + info.st_ctim.tv_nsec};
}

Stamp stampOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return kNoFile;
    return stampOf(info);
}

QString percentEscaped(QChar c) {
    return QLatin1Char('%') + QString::number(c.unicode(), 16).toUpper().rightJustified(2, u'0');
}

bool foldsIntoGeneral(const QString& group) {
    return group.compare(QLatin1String("general"), Qt::CaseInsensitive) == 0;
}

int hexDigitValue(QChar c) {
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    return -1;
}

// Whatever holds the file's place, if it is no plain file of a sane size: why it is not used.
QString refusalFor(const struct stat& info, const QString& path) {
    const QString file = QDir::toNativeSeparators(path);
    const QString rest =
        QStringLiteral(": the clock runs on its defaults and writes nothing over it");
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("The settings file %1 is not a plain file").arg(file) + rest;
    if (info.st_size > IniSettingsStore::kMaxFileBytes)
        return QStringLiteral("The settings file %1 is larger than %2 MB")
                   .arg(file)
                   .arg(IniSettingsStore::kMaxFileBytes / (1024 * 1024)) +
               rest;
    return {};
}

} // namespace

// What reading the file found: its text and the stamp of that very version; no file; a file
// refused (with why); or one that cannot be read (no permission).
struct IniSettingsStore::FileRead {
    enum class Kind { Text, Absent, Refused, Unreadable } kind = Kind::Absent;
    QByteArray text;
    Stamp stamp = kNoFile;
    QString refusal;

    // Never waits: a FIFO swapped in after the check is opened without blocking and then
    // refused, and no more than the cap is ever read.
    static FileRead of(const QString& path) {
        FileRead file;
        const QByteArray name = QFile::encodeName(path);
        struct stat info {};
        if (::stat(name.constData(), &info) != 0) {
            file.kind = errno == ENOENT ? Kind::Absent : Kind::Unreadable;
            return file;
        }
        file.stamp = stampOf(info);
        if (file.refuse(info, path))
            return file;
        const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) {
            file.kind = errno == ENOENT ? Kind::Absent : Kind::Unreadable;
            return file;
        }
        if (::fstat(fd, &info) != 0) {
            ::close(fd);
            file.kind = Kind::Unreadable;
            return file;
        }
        file.stamp = stampOf(info);
        if (file.refuse(info, path)) {
            ::close(fd);
            return file;
        }
        file.text.resize(qsizetype(info.st_size));
        qsizetype size = 0;
        for (;;) {
            if (size == file.text.size())
                file.text.resize(std::min<qsizetype>(size * 2 + 4096, kMaxFileBytes + 1));
            const ssize_t got =
                ::read(fd, file.text.data() + size, size_t(file.text.size() - size));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                ::close(fd);
                file.kind = Kind::Unreadable;
                return file;
            }
            size += got;
            if (got == 0 || size > kMaxFileBytes)
                break;
        }
        ::close(fd);
        if (size > kMaxFileBytes) { // grew while being read
            info.st_size = size;
            file.refuse(info, path);
            return file;
        }
        file.text.truncate(size);
        file.kind = Kind::Text;
        return file;
    }

private:
    bool refuse(const struct stat& info, const QString& path) {
        refusal = refusalFor(info, path);
        if (refusal.isEmpty())
            return false;
        kind = Kind::Refused;
        text.clear();
        return true;
    }
};

IniSettingsStore::IniSettingsStore()
    : IniSettingsStore([] {
          // Where QSettings keeps the user's INI file for organisation and application
          // "Meridex", found without QSettings, which would read the file at once.
          QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
          if (folder.isEmpty())
              folder = QDir::homePath() + QStringLiteral("/.config");
          return folder + QStringLiteral("/Meridex/Meridex.ini");
      }()) {}

IniSettingsStore::IniSettingsStore(QString filePath) : m_fileName(std::move(filePath)) {
    m_retry.callOnTimeout([this] { retry(); });
}

IniSettingsStore::~IniSettingsStore() {
    store();
}

QString IniSettingsStore::read(const QString& section, const QString& key) const {
    refresh();
    return m_doc.value(groupForSection(section), key);
}

void IniSettingsStore::write(const QString& section, const QString& key, const QString& value) {
    change({Change::Kind::Values, groupForSection(section), {{key, value}}, {}, {}, {}});
}

void IniSettingsStore::writeSection(const QString& section, const QMap<QString, QString>& values) {
    change({Change::Kind::Values, groupForSection(section), values, {}, {}, {}});
}

void IniSettingsStore::changeList(const NameList& list, const QStringList& removed,
                                  const QStringList& added, const QMap<QString, QString>& values) {
    change({Change::Kind::List, groupForSection(list.section), values, list, removed, added});
}

void IniSettingsStore::deleteSection(const QString& section) {
    // Callers rely on hearing about a section that is not there.
    if (!hasSection(section))
        throw RuntimeError(
            QStringLiteral("The settings section \"%1\" does not exist").arg(section));
    change({Change::Kind::RemoveGroup, groupForSection(section), {}, {}, {}, {}});
}

bool IniSettingsStore::hasSection(const QString& section) const {
    refresh();
    return m_doc.hasGroup(groupForSection(section));
}

void IniSettingsStore::flush(int msecs) {
    const QDeadlineTimer deadline(msecs);
    Outcome outcome = store();
    for (; outcome == Outcome::LockTaken && !deadline.hasExpired(); outcome = store())
        QThread::msleep(50);
    if (outcome == Outcome::Refused) {
        if (!std::exchange(m_refusalTold, true))
            throw RuntimeError(m_refusal);
        return;
    }
    if (outcome != Outcome::Stored && !std::exchange(m_reported, true))
        throw RuntimeError(writeFailureText());
}

void IniSettingsStore::checkUsable() const {
    refresh();
    if (!m_refusal.isEmpty()) {
        m_refusalTold = true;
        throw RuntimeError(m_refusal);
    }
}

void IniSettingsStore::refresh() const {
    if (m_loaded && stampOf(m_fileName) == m_stamp)
        return;
    reload(FileRead::of(m_fileName));
}

// The file as read, with the changes not yet stored made on it again.
void IniSettingsStore::reload(const FileRead& file) const {
    m_doc = IniDocument::parse(file.kind == FileRead::Kind::Text ? file.text : QByteArray());
    m_stamp = file.kind == FileRead::Kind::Unreadable ? stampOf(m_fileName) : file.stamp;
    m_refusal = file.refusal;
    m_loaded = true;
    for (const Change& change : m_pending)
        apply(m_doc, change, true);
}

void IniSettingsStore::apply(IniDocument& doc, const Change& change, bool replay) {
    switch (change.kind) {
    case Change::Kind::RemoveGroup:
        doc.removeGroup(change.group);
        break;
    case Change::Kind::List: {
        const auto read = [&](const QString& key) { return doc.value(change.group, key); };
        // Made again on a list another program grew, names that no longer fit are left out
        // rather than the whole change.
        const QMap<QString, QString> list =
            nameListValues(change.list, readNameList(change.list, read), read(change.list.countKey),
                           change.removed, change.added, replay);
        for (auto it = change.values.cbegin(); it != change.values.cend(); ++it)
            doc.set(change.group, it.key(), it.value());
        for (auto it = list.cbegin(); it != list.cend(); ++it)
            doc.set(change.group, it.key(), it.value());
        break;
    }
    case Change::Kind::Values:
        for (auto it = change.values.cbegin(); it != change.values.cend(); ++it)
            doc.set(change.group, it.key(), it.value());
        break;
    }
}

void IniSettingsStore::change(Change change) {
    refresh();
    // What the file already holds is not written again.
    if (change.kind == Change::Kind::Values && m_pending.empty()) {
        bool same = true;
        for (auto it = change.values.cbegin(); same && it != change.values.cend(); ++it)
            same = m_doc.contains(change.group, it.key()) &&
                   m_doc.value(change.group, it.key()) == it.value();
        if (same)
            return;
    }
    apply(m_doc, change, false); // throws before anything changed
    m_pending.push_back(std::move(change));
    const Outcome outcome = store();
    if (outcome == Outcome::Stored)
        return;
    if (outcome == Outcome::Failed) {
        m_pending.pop_back();
        m_stamp = kUnknown; // holds the change the file does not: read it again
        throw RuntimeError(writeFailureText());
    }
    if (outcome == Outcome::Refused && m_refusalTold)
        return; // kept in memory, as the person was told
    if (!m_retry.isActive()) {
        m_retry.start(1000);
        m_reported = false;
        m_reportAt.setRemainingTime(10'000);
    }
    // Nobody frees a folder or a symbolic link, nor makes a FIFO a file: no point in making
    // the person wait for word.
    if (outcome != Outcome::LockTaken)
        m_reportAt.setRemainingTime(0);
}

void IniSettingsStore::retry() {
    const Outcome outcome = store();
    if (outcome == Outcome::Stored || (outcome == Outcome::Refused && m_refusalTold)) {
        m_retry.stop();
        return;
    }
    if (outcome == Outcome::LockUnusable)
        m_reportAt.setRemainingTime(0);
    if (outcome == Outcome::Refused) {
        m_retry.stop();
        m_refusalTold = true; // before the handler, which may run the event loop and this again
        reportLateFailure(RuntimeError(m_refusal));
        return;
    }
    if (!m_reported && m_reportAt.hasExpired()) {
        m_reported = true;
        reportLateFailure(RuntimeError(writeFailureText()));
    }
}

// One try at storing the changes kept in memory, without waiting for anything.
IniSettingsStore::Outcome IniSettingsStore::store() {
    if (m_pending.empty())
        return Outcome::Stored;
    if (!m_refusal.isEmpty() && stampOf(m_fileName) == m_stamp)
        return Outcome::Refused;
    if (!QDir().mkpath(QFileInfo(m_fileName).absolutePath()))
        return Outcome::Failed;
    const QFileInfo lockPath(m_fileName + QStringLiteral(".lock"));
    if (lockPath.isSymLink() || (lockPath.exists() && !lockPath.isFile()))
        return Outcome::LockUnusable;
    clearAbandonedLock();
    QLockFile lock(lockPath.filePath());
    if (!lock.tryLock(0))
        return lock.error() == QLockFile::LockFailedError ? Outcome::LockTaken : Outcome::Failed;
    // Under the lock: what another program stored since the last read is kept, and a file that
    // cannot be read is not replaced by the changes alone.
    if (stampOf(m_fileName) != m_stamp) {
        const FileRead file = FileRead::of(m_fileName);
        if (file.kind == FileRead::Kind::Unreadable)
            return Outcome::Failed;
        reload(file);
    }
    if (!m_refusal.isEmpty())
        return Outcome::Refused;
    return rewrite();
}

// QSaveFile writes the new file beside the old one, flushes it to the disk and renames it over
// the old one: a kill at any moment leaves every section wholly old or wholly new.
IniSettingsStore::Outcome IniSettingsStore::rewrite() {
    const QByteArray text = m_doc.text();
    QSaveFile file(m_fileName);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        m_stamp = kUnknown; // holds changes the file does not: read it again
        return Outcome::Failed;
    }
    m_pending.clear();
    m_stamp = stampOf(m_fileName);
    return Outcome::Stored;
}

// QSettings guards each write with "<file>.lock". A program killed between creating that file
// and writing its process id into it leaves it empty, and QLockFile takes an empty lock for
// stale only once it is 30 s old: until then no save could take it. A live writer fills the
// file within microseconds of creating it, so an empty one a second old is abandoned and
// QLockFile is asked to clear it with a short stale time.
void IniSettingsStore::clearAbandonedLock() const {
    const QString path = m_fileName + QStringLiteral(".lock");
    const QFileInfo info(path);
    if (!info.exists() || info.size() != 0 ||
        info.lastModified().msecsTo(QDateTime::currentDateTime()) < 1000)
        return;
    QLockFile lock(path);
    lock.setStaleLockTime(1000);
    if (lock.tryLock(0))
        lock.unlock();
}

QString IniSettingsStore::writeFailureText() const {
    return QStringLiteral("Cannot write the settings file %1")
        .arg(QDir::toNativeSeparators(m_fileName));
}

QString IniSettingsStore::groupForSection(const QString& section) {
    if (section.isEmpty())
        return QStringLiteral("%");
    QString group;
    group.reserve(section.size());
    for (const QChar c : section) {
        if (c == u'%' || c == u'/' || c == u'\\')
            group += percentEscaped(c);
        else
            group += c;
    }
    if (foldsIntoGeneral(group))
        group.replace(0, 1, percentEscaped(group.front()));
    return group;
}

QString IniSettingsStore::sectionForGroup(const QString& group) {
    if (group == QLatin1String("%"))
        return {};
    QString section;
    section.reserve(group.size());
    for (qsizetype i = 0; i < group.size(); ++i) {
        const int high = i + 2 < group.size() ? hexDigitValue(group[i + 1]) : -1;
        const int low = i + 2 < group.size() ? hexDigitValue(group[i + 2]) : -1;
        if (group[i] == u'%' && high >= 0 && low >= 0) {
            section += QChar(char16_t(high * 16 + low));
            i += 2;
        } else {
            // Not written by groupForSection (a hand-edited file): keep the text as it stands.
            section += group[i];
        }
    }
    return section;
}
