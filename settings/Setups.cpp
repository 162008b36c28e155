// SPDX-License-Identifier: GPL-3.0-or-later
#include "Setups.h"

#include "Numeric.h"
#include "SettingsStore.h"
#include "StoreKeys.h"

QString mainCaption(const QString& currentSetup, bool mini) {
    const bool unnamed = currentSetup.isEmpty() || currentSetup == keys::kDefaultSetup;
    if (unnamed)
        return mini ? QStringLiteral("Mdx") : QStringLiteral("Meridex");
    return mini ? QStringLiteral("Mrd-") + currentSetup
                : QStringLiteral("Meridex - ") + currentSetup;
}

StoredZone readStoredZone(const SettingsStore& store, const QString& setup) {
    return {store.read(setup, keys::kOtherIndex), store.read(setup, keys::kChkDSTOther),
            store.read(setup, keys::kChk05Other)};
}

bool saveNeedsQuestion(const QString& setup, const StoredZone& stored, const OtherZone& shown) {
    if (stored.otherIndex.isEmpty() || setup == keys::kDefaultSetup)
        return false;
    return Val(stored.otherIndex) != shown.otherIndex || Val(stored.dst) != shown.dst ||
           Val(stored.half) != shown.half;
}

QString saveQuestionText(const QString& setup) {
    return QStringLiteral("Do you want to save the change of Time Zone for ") + setup +
           QStringLiteral(" ?");
}

QMap<QString, QString> zoneValues(const OtherZone& zone) {
    return {{keys::kOtherIndex, QString::number(zone.otherIndex)},
            {keys::kChkDSTOther, QString::number(zone.dst)},
            {keys::kChk05Other, QString::number(zone.half)}};
}

void writeZone(SettingsStore& store, const QString& setup, const OtherZone& zone) {
    store.writeSection(setup, zoneValues(zone));
}
