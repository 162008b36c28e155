// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AlarmTable.h"

class SettingsStore;

// Rebuilds the alarm table from the store: one entry per listed setup ("Setup" + i for i below
// "nbSetup"); empty and "Default" names stay empty entries. A stored time that is not a
// date/time leaves the entry without a time, so it never rings. Throws RuntimeError (for
// example "Overflow" for a count beyond 16 bits); what was filled until then stays in `table`.
void ReadAlarms(const SettingsStore& store, AlarmTable& table);
