// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QGuiApplication;

// When the window manager gives the keyboard to one of the program's windows while a modal
// window of its own is open over it (the setup editor over the clock, the file chooser or date
// picker over the editor), the keyboard is passed on to that modal window, the one a person is
// working in. Some managers hand the focus back to the main window when a dialog closes (xfwm4
// passes it to the topmost window shown in the taskbar), and Qt 6.4 passes it on for
// application-modal windows only: Tab and Enter would then go to a window that takes no keys.
// Focus never comes from another program this way: only a window of ours that already has
// the keyboard passes it on.
void passKeyboardToModalWindows(QGuiApplication& app);
