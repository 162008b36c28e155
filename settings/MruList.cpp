// SPDX-License-Identifier: GPL-3.0-or-later
#include "MruList.h"

#include "SettingsStore.h"
#include "StoreKeys.h"

void MruList::DoMRU(const QString& name) {
    if (name.isEmpty() || name == keys::kDefaultSetup)
        return;
    for (int k = 1; k <= kSize; ++k) {
        if (entry(k).caption != name)
            continue;
        for (int j = k - 1; j >= 1; --j)
            at(j + 1).caption = entry(j).caption;
        at(1).caption = name;
        return;
    }
    for (int j = kSize - 1; j >= 1; --j) {
        at(j + 1).caption = entry(j).caption;
        if (!entry(j + 1).caption.isEmpty())
            at(j + 1).visible = true;
    }
    at(1).caption = name;
    at(1).visible = true;
    m_separatorVisible = true;
}

void MruList::restore(const SettingsStore& store) {
    for (int n = 1; n <= kSize; ++n) {
        const QString caption = store.read(keys::kSettings, keys::mruKey(n));
        if (caption.isEmpty() || caption == keys::kDefaultSetup)
            continue;
        at(n).caption = caption;
        at(n).visible = true;
        m_separatorVisible = true;
    }
}

QMap<QString, QString> MruList::values() const {
    QMap<QString, QString> values;
    for (int n = 1; n <= kSize && !entry(n).caption.isEmpty(); ++n)
        values.insert(keys::mruKey(n), entry(n).caption);
    return values;
}
