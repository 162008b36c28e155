// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMap>
#include <QString>

class SettingsStore;

// The main window's caption for the current setup: the normal and Small sizes share one form,
// Mini has a short one.
QString mainCaption(const QString& currentSetup, bool mini);

// The Other zone as the main window shows it: the selected row (-1 none) and the two boxes.
struct OtherZone {
    int otherIndex = -1;
    int dst = 0;
    int half = 0;
};

// The Other zone stored in a setup's section, as texts ("" when absent).
struct StoredZone {
    QString otherIndex;
    QString dst;
    QString half;
};

StoredZone readStoredZone(const SettingsStore& store, const QString& setup);

// Whether saving `shown` into `setup` must first ask the user: only a named setup (not
// "Default") that already holds a zone, and only when that zone differs.
bool saveNeedsQuestion(const QString& setup, const StoredZone& stored, const OtherZone& shown);
QString saveQuestionText(const QString& setup);

// The zone's three keys, as a setup's section holds them.
QMap<QString, QString> zoneValues(const OtherZone& zone);
// Writes the three keys as one change, so a setup never holds half of a zone.
void writeZone(SettingsStore& store, const QString& setup, const OtherZone& zone);
