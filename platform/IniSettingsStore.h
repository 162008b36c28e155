// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SettingsStore.h"

#include <QDeadlineTimer>
#include <QMap>
#include <QString>
#include <QTimer>

#include <array>

// The settings store as an INI file in QSettings' format, read through QSettings: by default the
// user's ~/.config/Meridex/Meridex.ini ($XDG_CONFIG_HOME honoured), or any file named explicitly.
//
// Section names are escaped on their way into the file, because QSettings does not keep every
// text as a group name of its own: it nests on '/', drops the empty name and, when it reads the
// file back, folds every capitalisation of "General" into one group. The escaping is reversible
// and leaves plain names ("Tokyo", "My Setup") as they are, so the file stays readable:
//   '%' -> "%25", '/' -> "%2F", '\' -> "%5C"
//   ""  -> "%"                         (a lone '%' never comes out of the rule above)
//   "General", "general", ... -> the first letter escaped: "%47eneral", "%67eneral", ...
//
// The file is read once and kept in memory; it is read again only when another program has
// replaced it (a stat per read tells), so a pass over thousands of setups parses it once. A
// change is stored by writing the whole file beside the old one and renaming it into place,
// under the lock file QSettings uses ("<file>.lock"). The lock is only ever tried, never waited
// for (flush() aside): while it is not free, the change stays in memory, reads see it, and it is
// tried again each second; the late-failure handler hears of it once when that goes on for 10 s,
// or at the first retry when the lock's path is no plain file (a folder, a symbolic link), which
// nobody will free.
class IniSettingsStore final : public SettingsStore {
public:
    IniSettingsStore();
    explicit IniSettingsStore(QString filePath);
    ~IniSettingsStore() override;

    QString read(const QString& section, const QString& key) const override;
    void write(const QString& section, const QString& key, const QString& value) override;
    void writeSection(const QString& section, const QMap<QString, QString>& values) override;
    void deleteSection(const QString& section) override;
    bool hasSection(const QString& section) const override;
    void flush(int msecs) override;

    const QString& fileName() const { return m_fileName; }

    // The QSettings group holding a section, and back. sectionForGroup(groupForSection(s)) == s
    // for every text s.
    static QString groupForSection(const QString& section);
    static QString sectionForGroup(const QString& group);

private:
    // Device, inode, size and modification time (ns) of the file as last read: a file replaced
    // or rewritten since never has the same stamp. All -1: no file.
    using Stamp = std::array<qint64, 4>;
    // Changes to one group not yet in the file: the group removed first, then these values.
    struct Change {
        bool removed = false;
        QMap<QString, QString> values;
    };
    enum class Outcome { Stored, LockTaken, LockUnusable, Failed };

    void refresh() const;
    void load(const QByteArray& bytes, const Stamp& stamp) const;
    void change(const QString& group, const QMap<QString, QString>& values, bool removed);
    Outcome store();
    Outcome rewrite();
    void retry();
    void clearAbandonedLock() const;
    QString writeFailureText() const;

    QString m_fileName;
    // "group/key" -> value, as QSettings names the keys of the file last read.
    mutable QMap<QString, QString> m_keys;
    mutable Stamp m_stamp{-1, -1, -1, -1};
    QMap<QString, Change> m_pending;
    QTimer m_retry;
    QDeadlineTimer m_reportAt;
    bool m_reported = false;
};
