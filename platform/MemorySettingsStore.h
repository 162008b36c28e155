#pragma once

#include "SettingsStore.h"

#include <QMap>
#include <QString>

// A settings store held in memory, for tests: the same exact names and the same failures as the
// file, and everything written can be inspected.
class MemorySettingsStore final : public SettingsStore {
public:
    // Section name -> (key -> value).
    using Contents = QMap<QString, QMap<QString, QString>>;

    explicit MemorySettingsStore(Contents initial = {});

    QString read(const QString& section, const QString& key) const override;
    void write(const QString& section, const QString& key, const QString& value) override;
    void writeSection(const QString& section, const QMap<QString, QString>& values) override;
    void deleteSection(const QString& section) override;
    bool hasSection(const QString& section) const override;

    const Contents& contents() const { return m_contents; }

    // From now on every write and delete throws RuntimeError(description) and changes nothing,
    // as a full disk or a read-only file would; an empty description lets them succeed again.
    void failWrites(const QString& description) { m_failure = description; }

private:
    void throwIfFailing() const;

    Contents m_contents;
    QString m_failure;
};
