#include "MemorySettingsStore.h"

#include "RuntimeError.h"

#include <utility>

MemorySettingsStore::MemorySettingsStore(Contents initial) : m_contents(std::move(initial)) {}

QString MemorySettingsStore::read(const QString& section, const QString& key) const {
    return m_contents.value(section).value(key, QStringLiteral(""));
}

void MemorySettingsStore::write(const QString& section, const QString& key, const QString& value) {
    throwIfFailing();
    m_contents[section][key] = value;
}

void MemorySettingsStore::writeSection(const QString& section,
                                       const QMap<QString, QString>& values) {
    // A failing store changes none of the keys, as the file store would not.
    throwIfFailing();
    QMap<QString, QString>& stored = m_contents[section];
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        stored[it.key()] = it.value();
}

void MemorySettingsStore::deleteSection(const QString& section) {
    throwIfFailing();
    if (m_contents.remove(section) == 0)
        throw RuntimeError(
            QStringLiteral("The settings section \"%1\" does not exist").arg(section));
}

bool MemorySettingsStore::hasSection(const QString& section) const {
    return m_contents.contains(section);
}

void MemorySettingsStore::throwIfFailing() const {
    if (!m_failure.isEmpty())
        throw RuntimeError(m_failure);
}
