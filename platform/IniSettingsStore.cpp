// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniSettingsStore.h"

#include "RuntimeError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryFile>
#include <QThread>

#include <sys/stat.h>

#include <optional>
#include <utility>

namespace {

const QString organisationAndApplication = QStringLiteral("Meridex");

using Stamp = std::array<qint64, 4>;

Stamp stampOf(const struct stat& info) {
    return {qint64(info.st_dev), qint64(info.st_ino), qint64(info.st_size),
            qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

Stamp stampOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {-1, -1, -1, -1};
    return stampOf(info);
}

// The file's contents and the stamp of that very version (a file replaced meanwhile is not
// mixed in); empty for an absent file, nothing for one that cannot be read (no permission, a
// folder in its place).
std::optional<std::pair<QByteArray, Stamp>> readWhole(const QString& path) {
    QFile file(path);
    struct stat info {};
    if (file.open(QIODevice::ReadOnly) && ::fstat(file.handle(), &info) == 0)
        return std::pair{file.readAll(), stampOf(info)};
    if (!QFileInfo::exists(path))
        return std::pair{QByteArray(), Stamp{-1, -1, -1, -1}};
    return std::nullopt;
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

// Keys and group names as QSettings reads them back: letters, digits, '_', '-' and '.' as they
// are, '/' (a key inside a nested group) as '\\', everything else as "%XX" or "%UXXXX".
void appendKey(QByteArray& text, QStringView key) {
    for (const QChar c : key) {
        const char16_t u = c.unicode();
        if (u == u'/')
            text += '\\';
        else if ((u < 0x80 && c.isLetterOrNumber()) || u == u'_' || u == u'-' || u == u'.')
            text += char(u);
        else
            text += (u <= 0xFF ? "%" : "%U") +
                    QByteArray::number(u, 16).toUpper().rightJustified(u <= 0xFF ? 2 : 4, '0');
    }
}

// A value as QSettings reads it back: quoted when it holds ';', ',' or '=' or begins or ends
// with a blank; '\\' and '"' escaped with a backslash, control characters as "\\xHH"; UTF-8
// otherwise. A leading '@' marks QSettings' typed values; doubled, it reads back as itself.
void appendValue(QByteArray& text, const QString& value) {
    QString escaped = value.startsWith(u'@') ? QStringLiteral("@") : QString();
    bool quoted = false;
    bool afterHex = false; // "\\x" takes every hex digit that follows it
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        quoted = quoted || u == u';' || u == u',' || u == u'=';
        if (u == u'\\' || u == u'"') {
            escaped += u'\\';
            escaped += c;
            afterHex = false;
        } else if (u < 0x20 || u == 0x7F || (afterHex && hexDigitValue(c) >= 0)) {
            escaped += QStringLiteral("\\x") + QString::number(u, 16);
            afterHex = true;
        } else {
            escaped += c;
            afterHex = false;
        }
    }
    quoted = quoted || escaped.startsWith(u' ') || escaped.endsWith(u' ');
    text += quoted ? '"' + escaped.toUtf8() + '"' : escaped.toUtf8();
}

// The whole file from the keys as QSettings names them ("group/key"; the few outside every group
// go first, under [General]). Keys of one group lie side by side in the sorted map.
QByteArray iniText(const QMap<QString, QString>& keys) {
    QByteArray text;
    const auto line = [&text](QStringView key, const QString& value) {
        appendKey(text, key);
        text += '=';
        appendValue(text, value);
        text += '\n';
    };
    for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
        if (it.key().contains(u'/'))
            continue;
        if (text.isEmpty())
            text += "[General]\n";
        line(it.key(), it.value());
    }
    QStringView current;
    for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
        const qsizetype slash = it.key().indexOf(u'/');
        if (slash < 0)
            continue;
        const QStringView group = QStringView(it.key()).left(slash);
        if (current.isNull() || group != current) {
            current = group;
            text += text.isEmpty() ? "[" : "\n[";
            // QSettings reads any [general] as the keys outside every group, but [%general]
            // as the group.
            if (group.compare(u"general", Qt::CaseInsensitive) == 0)
                text += '%';
            appendKey(text, group);
            text += "]\n";
        }
        line(QStringView(it.key()).mid(slash + 1), it.value());
    }
    return text;
}

} // namespace

IniSettingsStore::IniSettingsStore()
    : IniSettingsStore(QSettings(QSettings::IniFormat, QSettings::UserScope,
                                 organisationAndApplication, organisationAndApplication)
                           .fileName()) {}

IniSettingsStore::IniSettingsStore(QString filePath) : m_fileName(std::move(filePath)) {
    m_retry.callOnTimeout([this] { retry(); });
}

IniSettingsStore::~IniSettingsStore() {
    store();
}

QString IniSettingsStore::read(const QString& section, const QString& key) const {
    const QString group = groupForSection(section);
    if (const auto change = m_pending.constFind(group); change != m_pending.cend()) {
        if (const auto value = change->values.constFind(key); value != change->values.cend())
            return *value;
        if (change->removed)
            return QStringLiteral("");
    }
    refresh();
    return m_keys.value(group + u'/' + key, QStringLiteral(""));
}

void IniSettingsStore::write(const QString& section, const QString& key, const QString& value) {
    change(groupForSection(section), {{key, value}}, false);
}

void IniSettingsStore::writeSection(const QString& section, const QMap<QString, QString>& values) {
    change(groupForSection(section), values, false);
}

void IniSettingsStore::deleteSection(const QString& section) {
    // QSettings removes a missing group without complaint; the store's callers rely on
    // hearing about it.
    if (!hasSection(section))
        throw RuntimeError(
            QStringLiteral("The settings section \"%1\" does not exist").arg(section));
    change(groupForSection(section), {}, true);
}

bool IniSettingsStore::hasSection(const QString& section) const {
    const QString group = groupForSection(section);
    if (const auto change = m_pending.constFind(group); change != m_pending.cend()) {
        if (!change->values.isEmpty())
            return true;
        if (change->removed)
            return false;
    }
    refresh();
    const QString prefix = group + u'/';
    const auto first = m_keys.lowerBound(prefix);
    return first != m_keys.cend() && first.key().startsWith(prefix);
}

void IniSettingsStore::flush(int msecs) {
    const QDeadlineTimer deadline(msecs);
    Outcome outcome = store();
    for (; outcome == Outcome::LockTaken && !deadline.hasExpired(); outcome = store())
        QThread::msleep(50);
    if (outcome != Outcome::Stored && !std::exchange(m_reported, true))
        throw RuntimeError(writeFailureText());
}

void IniSettingsStore::refresh() const {
    if (stampOf(m_fileName) == m_stamp)
        return;
    if (const auto whole = readWhole(m_fileName)) {
        load(whole->first, whole->second);
    } else { // reads as empty, as QSettings has it
        m_keys.clear();
        m_stamp = stampOf(m_fileName);
    }
}

// QSettings keeps what it parsed under the file's name for as long as the size and the time to
// the millisecond stay the same, and drops big files from that cache at once, so that opening
// the file anew for each read parsed all of it each time. A copy under a name of its own is
// parsed once, whatever happened to the file in between.
void IniSettingsStore::load(const QByteArray& bytes, const Stamp& stamp) const {
    m_keys.clear();
    m_stamp = stamp;
    if (bytes.isEmpty())
        return;
    QTemporaryFile copy;
    const bool copied = copy.open() && copy.write(bytes) == bytes.size() && copy.flush();
    // With no room for a copy, the file itself: almost always still the version just read.
    QSettings settings(copied ? copy.fileName() : m_fileName, QSettings::IniFormat);
    settings.setFallbacksEnabled(false);
    for (const QString& key : settings.allKeys())
        m_keys.insert(key, settings.value(key).toString());
}

void IniSettingsStore::change(const QString& group, const QMap<QString, QString>& values,
                              bool removed) {
    const QMap<QString, Change> before = m_pending;
    Change& change = m_pending[group];
    if (removed) {
        change.removed = true;
        change.values.clear();
    }
    change.values.insert(values);
    const Outcome outcome = store();
    if (outcome == Outcome::Stored)
        return;
    if (outcome == Outcome::Failed) {
        m_pending = before;
        throw RuntimeError(writeFailureText());
    }
    if (!m_retry.isActive()) {
        m_retry.start(1000);
        m_reported = false;
        m_reportAt.setRemainingTime(10'000);
    }
    // Nobody frees a folder or a symbolic link: no point in making the person wait for word.
    if (outcome == Outcome::LockUnusable)
        m_reportAt.setRemainingTime(0);
}

void IniSettingsStore::retry() {
    const Outcome outcome = store();
    if (outcome == Outcome::Stored) {
        m_retry.stop();
        return;
    }
    if (outcome == Outcome::LockUnusable)
        m_reportAt.setRemainingTime(0);
    if (!m_reported && m_reportAt.hasExpired()) {
        m_reported = true; // before the handler, which may run the event loop and this again
        reportLateFailure(RuntimeError(writeFailureText()));
    }
}

// One try at storing the changes kept in memory, without waiting for anything.
IniSettingsStore::Outcome IniSettingsStore::store() {
    if (m_pending.isEmpty())
        return Outcome::Stored;
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
    const auto whole = readWhole(m_fileName);
    if (!whole)
        return Outcome::Failed;
    if (whole->second != m_stamp)
        load(whole->first, whole->second);
    return rewrite();
}

// QSaveFile writes the new file beside the old one, flushes it to the disk and renames it over
// the old one: a kill at any moment leaves every section wholly old or wholly new. The text is
// made here rather than by QSettings, which takes a quarter of a second for a file of 10,000
// setups.
IniSettingsStore::Outcome IniSettingsStore::rewrite() {
    for (auto change = m_pending.cbegin(); change != m_pending.cend(); ++change) {
        const QString prefix = change.key() + u'/';
        if (change->removed) {
            for (auto key = m_keys.lowerBound(prefix);
                 key != m_keys.end() && key.key().startsWith(prefix);)
                key = m_keys.erase(key);
        }
        for (auto value = change->values.cbegin(); value != change->values.cend(); ++value)
            m_keys.insert(prefix + value.key(), value.value());
    }
    const QByteArray text = iniText(m_keys);
    QSaveFile file(m_fileName);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        m_stamp = {-2, -2, -2, -2}; // holds changes the file does not: read it again
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
