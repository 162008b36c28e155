#pragma once

#include "SettingsStore.h"

#include <QString>

// The settings store as an INI file read and written through QSettings: by default the user's
// ~/.config/Meridex/Meridex.ini ($XDG_CONFIG_HOME honoured), or any file named explicitly.
//
// Section names are escaped on their way into the file, because QSettings does not keep every
// text as a group name of its own: it nests on '/', drops the empty name and, when it reads the
// file back, folds every capitalisation of "General" into one group. The escaping is reversible
// and leaves plain names ("Tokyo", "My Setup") as they are, so the file stays readable:
//   '%' -> "%25", '/' -> "%2F", '\' -> "%5C"
//   ""  -> "%"                         (a lone '%' never comes out of the rule above)
//   "General", "general", ... -> the first letter escaped: "%47eneral", "%67eneral", ...
class IniSettingsStore final : public SettingsStore {
public:
    IniSettingsStore();
    explicit IniSettingsStore(QString filePath);

    QString read(const QString& section, const QString& key) const override;
    void write(const QString& section, const QString& key, const QString& value) override;
    // All keys in one sync: QSettings then writes the whole file once, through a temporary
    // file renamed over the old one, so the keys reach the disk together or not at all.
    void writeSection(const QString& section, const QMap<QString, QString>& values) override;
    void deleteSection(const QString& section) override;
    bool hasSection(const QString& section) const override;

    const QString& fileName() const { return m_fileName; }

    // The QSettings group holding a section, and back. sectionForGroup(groupForSection(s)) == s
    // for every text s.
    static QString groupForSection(const QString& section);
    static QString sectionForGroup(const QString& group);

private:
    void clearAbandonedLock() const;
    [[noreturn]] void throwWriteFailure() const;

    QString m_fileName;
};
