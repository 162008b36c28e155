// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReadAlarms.h"

#include "DateFormat.h"
#include "Numeric.h"
#include "RuntimeError.h"
#include "SettingsStore.h"
#include "StoreKeys.h"

void ReadAlarms(const SettingsStore& store, AlarmTable& table) {
    table.clear();
    const std::int16_t count = ValInt16(store.read(keys::kSettings, keys::kNbSetup));
    if (count < 0)
        throw RuntimeError(QStringLiteral("Subscript out of range"));
    table.resize(static_cast<std::size_t>(count));

    for (std::int16_t i = 0; i < count; ++i) {
        const QString name = store.read(keys::kSettings, keys::setupKey(i));
        if (name.isEmpty() || name == keys::kDefaultSetup)
            continue;
        AlarmEntry& entry = table[static_cast<std::size_t>(i)];
        entry.name = name;
        entry.timeGMT = parseDate(store.read(name, keys::kAlarmTimeGMT));
        const QString when = store.read(name, keys::kWhen);
        if (!when.isEmpty()) {
            entry.whenMask = whenMaskFor(ValInt16(when));
            entry.sound = store.read(name, keys::kSound);
        }
    }
}
