// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "IniDocument.h"
#include "SettingsStore.h"

#include <QDeadlineTimer>
#include <QMap>
#include <QString>
#include <QTimer>

#include <array>
#include <vector>

// The settings store as an INI file in QSettings' format: by default the user's
// ~/.config/Meridex/Meridex.ini ($XDG_CONFIG_HOME honoured), or any file named explicitly.
//
// Section names are escaped on their way into the file, because QSettings does not keep every
// text as a group name of its own: it nests on '/', drops the empty name and, when it reads the
// file back, folds every capitalisation of "General" into one group. The escaping is reversible
// and leaves plain names ("Tokyo", "My Setup") as they are, so the file stays readable:
//   '%' -> "%25", '/' -> "%2F", '\' -> "%5C"
//   ""  -> "%"                         (a lone '%' never comes out of the rule above)
//   "General", "general", ... -> the first letter escaped: "%47eneral", "%67eneral", ...
//
// The file is read once and kept in memory (IniDocument: each line as it was read); it is read
// again only when another program has changed it (a stat per read tells, by device, inode,
// size, modification and status-change times). A change is stored by writing the whole file
// beside the old one and renaming it into place, under the lock file QSettings uses
// ("<file>.lock"): under the lock the file is read again if another program changed it, and
// the changes not yet stored are made anew on what it holds, so two clocks on one file each
// store only what they changed. Lines no change touched are written back byte for byte.
//
// The lock is only ever tried, never waited for (flush() aside): while it is not free, the
// change stays in memory, reads see it, and it is tried again each second; the late-failure
// handler hears of it once when that goes on for 10 s, or at the first retry when the lock's
// path is no plain file (a folder, a symbolic link), which nobody will free.
//
// A settings file that is no plain file (a FIFO, a device, a folder) or is larger than
// kMaxFileBytes is never opened for reading beyond that check, never waited for and never
// replaced: the store reads as empty, keeps changes in memory and says so through
// checkUsable().
class IniSettingsStore final : public SettingsStore {
public:
    static constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

    IniSettingsStore();
    explicit IniSettingsStore(QString filePath);
    ~IniSettingsStore() override;

    QString read(const QString& section, const QString& key) const override;
    void write(const QString& section, const QString& key, const QString& value) override;
    void writeSection(const QString& section, const QMap<QString, QString>& values) override;
    void changeList(const NameList& list, const QStringList& removed, const QStringList& added,
                    const QMap<QString, QString>& values = {}) override;
    void deleteSection(const QString& section) override;
    bool hasSection(const QString& section) const override;
    void flush(int msecs) override;
    void checkUsable() const override;

    const QString& fileName() const { return m_fileName; }

    // The QSettings group holding a section, and back. sectionForGroup(groupForSection(s)) == s
    // for every text s.
    static QString groupForSection(const QString& section);
    static QString sectionForGroup(const QString& group);

private:
    // Device, inode, size, modification and status-change times (ns) of the file as last read:
    // a file replaced or rewritten since never has the same stamp, even one rewritten in place
    // at the same size with its modification time set back. All -1: no file.
    using Stamp = std::array<qint64, 5>;
    // One change not yet in the file, kept to be made again on a file another program changed.
    struct Change {
        enum class Kind { Values, RemoveGroup, List } kind = Kind::Values;
        QString group;
        QMap<QString, QString> values;
        NameList list;
        QStringList removed;
        QStringList added;
    };
    enum class Outcome { Stored, LockTaken, LockUnusable, Refused, Failed };
    struct FileRead;

    void refresh() const;
    void reload(const FileRead& file) const;
    static void apply(IniDocument& doc, const Change& change, bool replay);
    void change(Change change);
    Outcome store();
    Outcome rewrite();
    void retry();
    void clearAbandonedLock() const;
    QString writeFailureText() const;

    QString m_fileName;
    mutable IniDocument m_doc;
    mutable Stamp m_stamp{-1, -1, -1, -1, -1};
    mutable bool m_loaded = false;
    // Why the file is not used, or "" when it is; said once (checkUsable or the late failure).
    mutable QString m_refusal;
    mutable bool m_refusalTold = false;
    std::vector<Change> m_pending;
    QTimer m_retry;
    QDeadlineTimer m_reportAt;
    bool m_reported = false;
};
