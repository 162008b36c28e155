// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DateValue.h"

#include <QLocale>
#include <QString>

// One line of the alarm notice: the setup and the time its alarm was due on the Local clock, in
// that clock's 12- or 24-hour form: "Tokyo — 07:00 AM"; a late ring "Tokyo (07:00 AM, missed)";
// a snoozed alarm's ring ends in " (snoozed)".
QString noticeLine(const QString& setup, DateValue due, bool late, bool snoozed, bool hours24,
                   const QLocale& locale = QLocale::system());
