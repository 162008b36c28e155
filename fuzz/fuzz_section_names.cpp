// SPDX-License-Identifier: GPL-3.0-or-later
// The store's section-name escaping: every text comes back exactly, and two texts never share
// a group.

#include "IniSettingsStore.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Two texts: before the first 0xFF byte (which UTF-8 never holds) and after the last.
    const auto parts = QByteArrayView(data, qsizetype(size)).toByteArray().split('\xff');
    const QString first = QString::fromUtf8(parts.first());
    const QString second = QString::fromUtf8(parts.last());
    const QString group = IniSettingsStore::groupForSection(first);
    if (IniSettingsStore::sectionForGroup(group) != first ||
        (first != second && group == IniSettingsStore::groupForSection(second)))
        std::abort();
    return 0;
}
