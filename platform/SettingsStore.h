// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NameList.h"
#include "RuntimeError.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

// The per-user settings store: application "Meridex", sections of keys holding short texts.
// Section names are any text a user can type; implementations round-trip them exactly.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or "" when the section or key does not exist.
    virtual QString read(const QString& section, const QString& key) const = 0;
    // Stores the text durably before returning, or, while another program holds the file, keeps
    // it in memory (reads see it at once) and stores it at the next chance; throws RuntimeError
    // when it cannot be stored at all.
    virtual void write(const QString& section, const QString& key, const QString& value) = 0;
    // Stores several keys of one section as one change: a crash at any moment leaves the
    // section with all of the old values or all of the new ones, never a mix. Throws
    // RuntimeError when it cannot. This fallback writes key by key, which keeps only each
    // single key whole; the program's stores override it with a real all-or-nothing write.
    virtual void writeSection(const QString& section, const QMap<QString, QString>& values) {
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            write(section, it.key(), it.value());
    }
    // Changes a list of names by the names removed and added, with more keys of its section
    // (`values`) as one change; the list is changed as it stands when the change is stored, so
    // names another program listed or removed meanwhile stay as it left them. Throws
    // RuntimeError and changes nothing when the list would grow past its maxCount. This
    // fallback reads the list and writes what changes.
    virtual void changeList(const NameList& list, const QStringList& removed,
                            const QStringList& added, const QMap<QString, QString>& values = {}) {
        const auto read = [&](const QString& key) { return this->read(list.section, key); };
        QMap<QString, QString> all = values;
        all.insert(
            nameListValues(list, readNameList(list, read), read(list.countKey), removed, added));
        writeSection(list.section, all);
    }
    // Removes a whole section; throws RuntimeError when it does not exist or cannot be removed.
    virtual void deleteSection(const QString& section) = 0;
    virtual bool hasSection(const QString& section) const = 0;
    // Gives the changes kept in memory up to `msecs` to be stored; throws RuntimeError when some
    // still are not and nobody has been told yet.
    virtual void flush(int /*msecs*/) {}
    // Throws RuntimeError when the stored settings cannot be used at all (a settings file that
    // is no plain file, or far too large): the store then reads as empty, keeps changes in
    // memory only and writes nothing over what holds its place.
    virtual void checkUsable() const {}

    // Told once when changes kept in memory still cannot be stored a while later; the store
    // goes on trying.
    void onLateFailure(std::function<void(const RuntimeError&)> handler) {
        m_lateFailure = std::move(handler);
    }

protected:
    void reportLateFailure(const RuntimeError& error) const {
        if (m_lateFailure)
            m_lateFailure(error);
    }

private:
    std::function<void(const RuntimeError&)> m_lateFailure;
};
