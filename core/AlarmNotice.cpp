// SPDX-License-Identifier: GPL-3.0-or-later
#include "AlarmNotice.h"

#include "DateFormat.h"

QString noticeLine(const QString& setup, DateValue due, bool late, bool snoozed, bool hours24,
                   const QLocale& locale) {
    const QString time =
        formatDate(due, hours24 ? QStringLiteral("hh:mm") : QStringLiteral("hh:mm AM/PM"), locale);
    QString line = late ? QStringLiteral("%1 (%2, missed)").arg(setup, time)
                        : QStringLiteral("%1 \u2014 %2").arg(setup, time);
    if (snoozed)
        line += QStringLiteral(" (snoozed)");
    return line;
}
