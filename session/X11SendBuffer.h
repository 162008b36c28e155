// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Each second the clock sends its two repainted time labels to the X server, as images of
// about 28 KB each. A Unix socket counts as writable only while less than a quarter of its send
// buffer is in use, so with the usual 208 KB the second image left the socket "full", and libxcb
// slept until the X server had read it: a second wake-up every second. A larger send buffer lets
// a tick's images go out at once. Does nothing when the program does not run on X11.
void widenX11SendBuffer();
