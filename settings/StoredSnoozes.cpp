// SPDX-License-Identifier: GPL-3.0-or-later
#include "StoredSnoozes.h"

#include "Numeric.h"
#include "SettingsStore.h"
#include "StoreKeys.h"

#include <QDateTime>
#include <algorithm>

namespace {

const QString kNbSnooze = QStringLiteral("nbSnooze");
const QString kSnoozeMinutes = QStringLiteral("SnoozeMinutes");
// More than a hand-edited file could mean: each snooze belongs to a different setup.
constexpr double kMostSnoozes = 1000;

QString nameKey(std::size_t n) {
    return QStringLiteral("Snooze") + QString::number(n);
}
QString dueKey(std::size_t n) {
    return QStringLiteral("SnoozeDue") + QString::number(n);
}

} // namespace

Snoozes readSnoozes(const SettingsStore& store) {
    const auto count = static_cast<std::size_t>(
        std::clamp(Val(store.read(keys::kSettings, kNbSnooze)), 0.0, kMostSnoozes));
    Snoozes snoozes;
    for (std::size_t n = 0; n < count; ++n) {
        const QString setup = store.read(keys::kSettings, nameKey(n));
        const QDateTime due =
            QDateTime::fromString(store.read(keys::kSettings, dueKey(n)), Qt::ISODate);
        if (!setup.isEmpty() && due.isValid())
            snoozes.push_back({setup, due.toSecsSinceEpoch()});
    }
    return snoozes;
}

void writeSnoozes(SettingsStore& store, const Snoozes& snoozes) {
    QMap<QString, QString> values{{kNbSnooze, QString::number(snoozes.size())}};
    for (std::size_t n = 0; n < snoozes.size(); ++n) {
        values.insert(nameKey(n), snoozes[n].setup);
        values.insert(dueKey(n),
                      QDateTime::fromSecsSinceEpoch(snoozes[n].due, Qt::UTC).toString(Qt::ISODate));
    }
    store.writeSection(keys::kSettings, values);
}

int readSnoozeMinutes(const SettingsStore& store) {
    const double stored = Val(store.read(keys::kSettings, kSnoozeMinutes));
    return snoozeMinutes(stored >= 0 && stored <= 60 ? static_cast<int>(stored) : 0);
}

void writeSnoozeMinutes(SettingsStore& store, int minutes) {
    store.write(keys::kSettings, kSnoozeMinutes, QString::number(minutes));
}
