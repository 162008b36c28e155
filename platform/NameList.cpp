// SPDX-License-Identifier: GPL-3.0-or-later
#include "NameList.h"

#include "RuntimeError.h"

#include <QSet>

namespace {

// The leading decimal number of a stored count (a blank before it allowed); 0 for any other text.
int countOf(const QString& text, int maxCount) {
    const QString trimmed = text.trimmed();
    qsizetype end = trimmed.startsWith(u'-') ? 1 : 0;
    while (end < trimmed.size() && trimmed[end].isDigit() && trimmed[end].unicode() < 0x80)
        ++end;
    bool ok = false;
    const qlonglong count = trimmed.left(end).toLongLong(&ok);
    if (!ok || count < 0)
        return 0;
    return int(std::min<qlonglong>(count, maxCount));
}

} // namespace

QStringList readNameList(const NameList& list, const std::function<QString(const QString&)>& read) {
    const int count = countOf(read(list.countKey), list.maxCount);
    QStringList names;
    names.reserve(count);
    for (int i = 0; i < count; ++i)
        names.append(read(list.itemPrefix + QString::number(i)));
    return names;
}

QMap<QString, QString> nameListValues(const NameList& list, const QStringList& stored,
                                      const QString& storedCount, const QStringList& removed,
                                      const QStringList& added, bool fit) {
    const QSet<QString> gone(removed.cbegin(), removed.cend());
    QStringList names;
    names.reserve(stored.size() + added.size());
    for (const QString& name : stored)
        if (!gone.contains(name))
            names.append(name);
    QSet<QString> listed(names.cbegin(), names.cend());
    for (const QString& name : added) {
        if (listed.contains(name))
            continue;
        if (names.size() >= list.maxCount) {
            if (fit)
                break;
            throw RuntimeError(QStringLiteral("Overflow"));
        }
        names.append(name);
        listed.insert(name);
    }
    QMap<QString, QString> values;
    for (qsizetype i = 0; i < names.size(); ++i)
        if (i >= stored.size() || stored[i] != names[i])
            values.insert(list.itemPrefix + QString::number(i), names[i]);
    const QString count = QString::number(names.size());
    if (count != storedCount)
        values.insert(list.countKey, count);
    return values;
}
