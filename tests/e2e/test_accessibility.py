#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# What a screen reader finds, read over the accessibility bus (AT-SPI): the alarm notice as an
# alert with its text, the main window with its named zone lists and readable clocks, the popup
# menu's checkable items, the setup editor and the date picker. Every control that can take the
# focus has a role and a name, and one control at most says it has the focus.
import os
import time

from harness import Failure, Session, check, main, wait_for

# The alarm of "Rome" rings at 07:00 GMT, a second after the window shows.
INI = {"Settings": {"LocalIndex": "11", "currSetup": "Rome", "nbSetup": "1", "Setup0": "Rome"},
       "Rome": {"OtherIndex": "10", "AlarmTimeGMT": "07:00:00", "When": "1"}}
NAMELESS_ROLES = {"filler", "unknown", "invalid", "redundant object"}


def start_bus(s):
    # A session bus and the accessibility bus on it, for the program and for this script.
    s.env["DBUS_SESSION_BUS_ADDRESS"] = os.environ["DBUS_SESSION_BUS_ADDRESS"] = s.bus()
    s.env.pop("NO_AT_BRIDGE", None)
    s.spawn("at-spi", ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])


def states(node, pyatspi):
    return {pyatspi.stateToString(s) for s in node.getState().getStates()}


def children(node):
    return [c for c in map(node.getChildAtIndex, range(node.childCount)) if c is not None]


def walk(node):
    return (found for found, _ in walk_paths(node))


def walk_paths(node, path=()):
    # The node and all below it, each with the ids of the nodes from `node` down to it.
    yield node, path + (id(node),)
    for child in children(node):
        yield from walk_paths(child, path + (id(node),))


def window_of(pyatspi, pid, name):
    apps = [a for a in children(pyatspi.Registry.getDesktop(0)) if a.get_process_id() == pid]
    return next((top for a in apps for top in children(a) if top.name == name), None)


def audit(root, pyatspi, what):
    # Fails on a control that takes the focus without a role or a name, or on two controls
    # that both say they have it; returns {name: node} of the window's named parts.
    focused, parts = [], {}
    for node, path in walk_paths(root):
        st = states(node, pyatspi)
        if "focused" in st:
            focused.append((path, f"{node.getRoleName()} {node.name!r}"))
        if "focusable" in st and "showing" in st:
            check(node.name and node.getRoleName() not in NAMELESS_ROLES,
                  f"{what}: a {node.getRoleName()} that takes the focus has no name")
        parts.setdefault(node.name, node)
    # A control with the focus may name the part of it that has it (a list its row), so all
    # that say so lie on one line from the window down.
    focused.sort(key=lambda f: len(f[0]))
    check(all(a[0] == b[0][:len(a[0])] for a, b in zip(focused, focused[1:])),
          f"{what}: more than one control says it has the focus: {[f[1] for f in focused]}")
    return parts


def focus_events(pyatspi, action, timeout=10.0):
    # The objects that took the focus while `action` ran, as events on the bus tell it.
    from gi.repository import GLib
    seen = []
    def listener(event):
        if event.detail1:
            seen.append(event.source)
    pyatspi.Registry.registerEventListener(listener, "object:state-changed:focused")
    try:
        action()
        context, deadline = GLib.MainContext.default(), time.monotonic() + timeout
        while not seen and time.monotonic() < deadline:
            while context.iteration(False):
                pass
            time.sleep(0.05)
    finally:
        pyatspi.Registry.deregisterEventListener(listener, "object:state-changed:focused")
    check(seen, "no control took the focus")
    return seen


def test(ctx):
    with Session(ctx.work) as s:
        start_bus(s)
        import pyatspi
        app = s.start(ctx.meridex, ini=INI, faketime="2026-12-07 06:00:00",
                      env_extra={"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"})
        clock = s.window("Meridex - Rome", app)
        app.set_clock("2026-12-07 06:59:59")

        notice = wait_for(lambda: window_of(pyatspi, app.pid, "Alarm"), 20, "the notice")
        check(notice.getRoleName() == "alert", f"the notice is a {notice.getRoleName()}")
        check("Rome" in notice.description, f"the notice says {notice.description!r}")
        app.set_clock("2026-12-07 07:00:05")  # keys count after the notice's first second
        s.keys("Escape", window=s.window("Alarm", app))
        wait_for(lambda: not s.find("Alarm", app), what="the notice to close")

        s.x("xdotool", "windowactivate", "--sync", str(clock), check=True)
        main_window = wait_for(lambda: window_of(pyatspi, app.pid, "Meridex - Rome"))
        check(main_window.getRoleName() == "frame", f"the clock is a {main_window.getRoleName()}")
        parts = audit(main_window, pyatspi, "main window")
        for name in ("Local time zone", "Other time zone"):
            check(name in parts and parts[name].getRoleName() == "list", f"no list {name!r}")
        readouts = [n for n in parts if n.startswith(("Local: ", "Other: "))]
        check(len(readouts) == 2 and all(":" in n[7:] for n in readouts),
              f"the clocks' time and date are not readable by name: {readouts}")
        check(all("focusable" in states(parts[n], pyatspi) for n in readouts),
              "a clock's time cannot be reached")

        items = focus_events(pyatspi, lambda: s.keys("Menu", "Down", window=clock))
        menu = items[-1].parent
        roles = {m.name: m.getRoleName() for m in walk(menu) if m is not menu}
        for name in ("Mini", "Small", "Always On Top", "Local 24 hrs"):
            check(roles.get(name) == "check box", f"menu item {name!r} is a {roles.get(name)}")
        check(roles["Setup"] == "menu item", f"Setup is a {roles['Setup']}")
        for node in walk(menu):
            check(node is menu or node.name or node.getRoleName() == "separator"
                  or "visible" not in states(node, pyatspi), "a menu item has no name")
        s.keys("Escape")
        wait_for(lambda: not s.popups(app), what="the menu to close")

        def audited(title, what):
            s.window(title, app)
            return audit(wait_for(lambda: window_of(pyatspi, app.pid, title)), pyatspi, what)
        s.menu(app, clock, "Setup")
        parts = audited("Meridex Setup", "setup editor")
        sound = [parts[n].getRoleName() for n in parts if n.startswith("Select Sound File to play: ")]
        check(sound == ["push button"], f"the sound box reads as {sound}")
        s.keys("Tab", "Down", "Down", "Down", "Down", "Tab", "F4")  # Once, then the date
        parts = audited("Pick Alarm Date", "date picker")
        for name in ("Previous month", "Next month"):
            check(name in parts, f"date picker: nothing named {name!r}")
        today = [n for n in parts if "Monday" in n and "December" in n and "7" in n and "2026" in n]
        check(today and parts[today[0]].getRoleName() == "table cell",
              f"date picker: no day says its full date: {sorted(parts)[:12]}")


main(test)
