// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Makes the date picker's days known to screen readers by their full dates ("Monday,
// 7 December 2026" in the person's language) rather than by their day numbers alone. Safe to
// call more than once.
void installCalendarAccessible();
