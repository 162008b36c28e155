// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Makes the program's own controls known to screen readers as what they are: the main window
// as a window, the alarm notice as an alert, a menu item with a check mark as one, each zone list
// and clock frame by its name, each time as the text it shows. Safe to call more than once; the
// main window calls it when it is made.
void installAccessibleRoles();
