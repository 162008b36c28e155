// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The clock uses the session bus the desktop gives it, and never starts one. Without an address
// in the environment, D-Bus looks for the per-user bus of a systemd session in the runtime folder
// and then autolaunches a bus daemon of its own, which stays for the rest of the X session: the
// clock's own bus name and Qt's accessibility bridge would each set that off at every start.
namespace sessionbus {

// True when D-Bus would have to autolaunch a bus: no address is set and the runtime folder has
// no bus socket.
bool wouldAutolaunch(bool addressSet, const QString& runtimeFolder);

// Before the application is made: where D-Bus would autolaunch a bus, it is told that there is
// none. True when it was told so.
bool keepFromAutolaunching();

// After the display is open, where keepFromAutolaunching() gave true: a bus that an earlier
// autolaunch on this display left there is used after all.
void adoptDisplayBus();

} // namespace sessionbus
