// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMap>
#include <QString>
#include <array>

class SettingsStore;

// The five most recently used setups of the popup menu, most recent first. An entry is shown
// once it has had a non-empty caption and is never hidden again while the program runs.
class MruList {
public:
    static constexpr int kSize = 5;

    struct Entry {
        QString caption;
        bool visible = false;
    };

    // Entries are numbered 1 to 5 as in the menu.
    const Entry& entry(int n) const { return m_entries.at(static_cast<std::size_t>(n - 1)); }
    bool separatorVisible() const { return m_separatorVisible; }

    // Moves `name` to the top; "Default" and the empty name are never listed.
    void DoMRU(const QString& name);

    // "MRU1".."MRU5" keep their positions; an entry missing in between stays hidden.
    void restore(const SettingsStore& store);
    // What is stored: the leading non-empty captions; the first empty one ends the list and
    // later keys keep what they held.
    QMap<QString, QString> values() const;

private:
    Entry& at(int n) { return m_entries.at(static_cast<std::size_t>(n - 1)); }

    std::array<Entry, kSize> m_entries;
    bool m_separatorVisible = false;
};
