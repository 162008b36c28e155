// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <stdexcept>

// A run-time failure with the platform's description of it ("Overflow", "Type mismatch", ...).
// Procedures that report failures show description() + " in " + their name + "()"; the
// description is kept as a QString so that non-ASCII paths and names survive.
class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(const QString& description)
        : std::runtime_error(description.toStdString()), m_description(description) {}
    const QString& description() const noexcept { return m_description; }

private:
    QString m_description;
};
