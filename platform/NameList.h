// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

// An ordered list of names kept in one section as a count and numbered keys: `countKey` = n,
// `itemPrefix` + "0" .. `itemPrefix` + (n - 1). Readers stop at the count; keys past it are
// left as they are.
struct NameList {
    QString section;
    QString countKey;
    QString itemPrefix;
    int maxCount = 0;
};

// The names as stored, read through `read(key)`: a count that is no number, or negative, counts
// as 0, one past maxCount as maxCount.
QStringList readNameList(const NameList& list, const std::function<QString(const QString&)>& read);

// The keys that store `stored` with `removed` taken out (every entry of each name) and `added`
// put at its end (those not listed yet, in order): only the numbered keys whose name changes,
// and the count when it changes. When more than maxCount names would be listed, throws
// RuntimeError("Overflow"), or with `fit` leaves out the added names that do not fit.
QMap<QString, QString> nameListValues(const NameList& list, const QStringList& stored,
                                      const QString& storedCount, const QStringList& removed,
                                      const QStringList& added, bool fit = false);
