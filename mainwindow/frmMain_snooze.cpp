// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm notice and snoozed alarms.
#include "AlarmNotice.h"
#include "BuiltInTone.h"
#include "Clock.h"
#include "RuntimeError.h"
#include "SettingsStore.h"
#include "StoredSnoozes.h"
#include "frmAlarm.h"
#include "frmMain.h"
#include "modCommon.h"

#include <QAccessible>
#include <QCheckBox>

#include <algorithm>

void frmMain::showAlarmNotice(const QStringList& lines, const QStringList& setups) {
    if (!m_alarmWindow) {
        // A window of its own, not one of the clock's: a modal editor over the clock then does
        // not block it, and the notice can be read and closed while the editor is open.
        m_alarmWindow = new frmAlarm(m_services.clock, readSnoozeMinutes(m_services.store), this);
        m_alarmWindow->setAttribute(Qt::WA_QuitOnClose, false);
        // An empty path stops the sound playing.
        connect(m_alarmWindow, &frmAlarm::closed, this,
                [this] { PlaySound(m_services.sound, QString()); });
        connect(m_alarmWindow, &frmAlarm::snoozed, this, &frmMain::snoozeAlarms);
    }
    m_alarmWindow->addLines(lines, setups);
    QAccessibleEvent alert(m_alarmWindow.data(), QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

// Neither a sound file that cannot be played nor none at all may leave an alarm silent: both
// ring the built-in tone.
void frmMain::playAlarm(const QString& sound) {
    if (sound.isEmpty() || !PlaySound(m_services.sound, sound).isEmpty())
        PlaySound(m_services.sound, BuiltInAlarmTone);
}

void frmMain::snoozeAlarms(const QStringList& setups, int minutes) {
    m_snoozes = snoozeSetups(m_snoozes, setups, m_services.clock.now().toSecsSinceEpoch(), minutes);
    try {
        writeSnoozes(m_services.store, m_snoozes);
        writeSnoozeMinutes(m_services.store, minutes);
    } catch (const RuntimeError& e) {
        reportError(e, "cmdSnooze_Click");
    }
}

// Stored before the sound starts: a snooze rings once, also when the clock dies right after.
void frmMain::ringSnoozes(const QDateTime& now) {
    if (m_snoozes.empty())
        return;
    const qint64 nowSecs = now.toSecsSinceEpoch();
    // Only setups the alarm table still lists: one deleted since the snooze never rings.
    SnoozeStep step = snoozesAt(listedSnoozes(m_snoozes, m_alarms), nowSecs);
    if (step.left.size() == m_snoozes.size())
        return;
    m_snoozes = std::move(step.left);
    try {
        writeSnoozes(m_services.store, m_snoozes);
    } catch (const RuntimeError& e) {
        reportError(e, "Timer1_Timer");
    }
    QStringList lines, setups;
    for (const SnoozeRing& ring : step.ring) {
        const auto entry = std::find_if(m_alarms.cbegin(), m_alarms.cend(),
                                        [&](const AlarmEntry& e) { return e.name == ring.setup; });
        // The due time on the Local clock, which is the machine's wall clock.
        const QDateTime due = now.addSecs(ring.due - nowSecs);
        lines << noticeLine(ring.setup, datevalue::fromDateAndTime(due.date(), due.time()),
                            ring.late, true, chk24hLocal->isChecked(), m_locale);
        setups << ring.setup;
        playAlarm(entry != m_alarms.cend() ? entry->sound : QString());
    }
    if (!lines.isEmpty())
        showAlarmNotice(lines, setups);
}

// Read with the alarm table, whose setups they must belong to: deleting a setup drops its
// snooze.
void frmMain::restoreSnoozes() {
    const Snoozes stored = readSnoozes(m_services.store);
    m_snoozes = listedSnoozes(stored, m_alarms);
    if (m_snoozes != stored)
        writeSnoozes(m_services.store, m_snoozes);
}
