// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Snooze.h"

class SettingsStore;

// Snoozed alarms live in section "Settings" beside the list of setups: "nbSnooze", then
// "Snooze" + n (the setup's name) and "SnoozeDue" + n (the instant in UTC,
// "yyyy-MM-ddTHH:mm:ssZ") for n from 0; readers stop at "nbSnooze", so keys beyond it are stale.
// An entry without a name or a readable instant is skipped. The setups' own sections do not
// change.
Snoozes readSnoozes(const SettingsStore& store);
// One change for the whole list, so a crash leaves the old list or the new one. Throws
// RuntimeError when it cannot be stored.
void writeSnoozes(SettingsStore& store, const Snoozes& snoozes);

// The snooze length last chosen, "SnoozeMinutes"; one of those offered.
int readSnoozeMinutes(const SettingsStore& store);
void writeSnoozeMinutes(SettingsStore& store, int minutes);
