#pragma once

#include <QString>
#include <QStringList>

// The per-user settings store: application "Meridex", sections of keys holding short texts.
// Section names are any text a user can type; implementations round-trip them exactly.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or "" when the section or key does not exist.
    virtual QString read(const QString& section, const QString& key) const = 0;
    // Stores the text durably before returning; throws RuntimeError when it cannot.
    virtual void write(const QString& section, const QString& key, const QString& value) = 0;
    // Removes a whole section; throws RuntimeError when it does not exist or cannot be removed.
    virtual void deleteSection(const QString& section) = 0;
    virtual bool hasSection(const QString& section) const = 0;
};
