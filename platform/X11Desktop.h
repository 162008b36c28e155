// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>

#include <optional>

class QWindow;

// What the clock asks of an X11 window manager directly, in the ways the desktop's own pagers
// and launchers ask: Qt's own requests for these are the ones managers guard against (a raise
// from an application takes the focus under one manager and is refused with a call for
// attention under others). Every function does nothing when the program does not run on X11
// or the window has no native window yet.
namespace x11desktop {

// Gives the mapped window a new inner size (native pixels) and leaves its place alone. Qt
// sends the last position it knows along with a size, and that position is stale while the
// manager is still framing the window: the window would move by the frame at each start.
void resize(const QWindow& window, QSize nativeSize);

// The highest window of another program that lies above `window` in the stacking order and
// over its frame, if any. `own` are the program's other windows, which never count.
std::optional<quint32> coveringWindow(const QWindow& window, const QList<const QWindow*>& own);

// How a manager lets an application put its window back over another one of its layer, with
// no focus taken and no call for attention.
enum class RestackWay {
    PagerRequest,     // _NET_RESTACK_WINDOW with source indication 2, as pagers ask
    ConfigureRequest, // a stacking request of the window itself, above the covering sibling
    ReenterLayer,     // out of the above-others state and back in, which lands on its top
    None,             // only the person restacks
};
// From what the manager says of itself: whether it lists _NET_RESTACK_WINDOW, and its name.
RestackWay restackWay(bool restackListed, const QString& managerName);

// Asks the manager, in its way, to put the window above `sibling`.
void restackAbove(const QWindow& window, quint32 sibling);

// Activates the window (bringing it back from an icon) for the launch identified by
// `startupId`, the DESKTOP_STARTUP_ID a launcher gave a later start: the manager weighs the
// request by the time of the person's launch rather than by the clock's last input, and the
// launch's busy feedback ends. Returns false when it could not (not X11, no native window).
bool activateForLaunch(const QWindow& window, const QString& startupId);

// The X server time of the person's action that a startup id carries ("..._TIME<n>").
std::optional<quint32> launchTime(const QString& startupId);

// The startup-notification message that ends the launch `startupId`, as sent to the root window
// (a nul ends it): remove: ID="<id>", quotes and backslashes in the id escaped.
QByteArray launchEndMessage(const QString& startupId);

// The address of the session bus that D-Bus's autolaunch left on this display for `user` on the
// machine `machineId` (the owner of the selection _DBUS_SESSION_BUS_SELECTION_<user>_<machineId>
// keeps it in its _DBUS_SESSION_BUS_ADDRESS); empty when there is none.
QByteArray autolaunchedBusAddress(const QByteArray& user, const QByteArray& machineId);

} // namespace x11desktop
