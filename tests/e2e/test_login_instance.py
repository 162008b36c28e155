#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# One clock per person and display: a second start, with a session bus and without one, brings
# the minimised clock back to the front and ends with 0, while a start on another display runs;
# beside a frozen clock it says that the clock is not answering. Without a bus no clock starts a
# bus daemon (D-Bus's autolaunch would leave one behind for the whole X session).
# "Start At Login" writes an autostart entry that desktop-file-validate accepts and that starts
# this binary in the map's folder; choosing it again removes it. A session that ends with a kill
# keeps the choices made.
import shlex
import signal
import tempfile
from pathlib import Path

from harness import Session, check, main, read_ini, wait_for

ENTRY = Path(".config", "autostart", "io.github.meridex_clock.Meridex.desktop")


def shown(s, wid):
    return s.stacking()[-1:] == [wid] and "Normal" in s.prop("WM_STATE", wid)


def test(ctx):
    with Session(ctx.work) as s, Session(ctx.work / "display2") as s2:
        home, runtime = ctx.work / "home", {"XDG_RUNTIME_DIR": s.env["XDG_RUNTIME_DIR"]}
        for env in ({"DBUS_SESSION_BUS_ADDRESS": s.bus()}, {"DBUS_SESSION_BUS_ADDRESS": None}):
            first = s.start(ctx.meridex, home=home, cwd=ctx.assets, env_extra=env)
            wid = s.window("Meridex", first)
            s.menu(first, wid, "Minimize")
            wait_for(lambda: "Iconic" in s.prop("WM_STATE", wid), what="icon")
            # With the bus the later start has a runtime folder of its own: only the bus tells.
            alone = {"XDG_RUNTIME_DIR": tempfile.mkdtemp(dir=s.tmp)} if env["DBUS_SESSION_BUS_ADDRESS"] else {}
            second = s.start(ctx.meridex, home=home, name="second", env_extra={**env, **alone})
            check(second.wait_exit() == 0, f"the second start ended with {second.proc.returncode}")
            wait_for(lambda: shown(s, wid), what="the first clock restored and on top")
            check(first.proc.poll() is None, "the first clock ended")
            # Frozen, it cannot come forward: a later start says so instead of ending unseen.
            first.proc.send_signal(signal.SIGSTOP)
            third = s.start(ctx.meridex, home=home, name="third", env_extra=env)
            s.keys("Return", window=s.window(".*", third))
            check(third.wait_exit() == 1, f"a start beside a frozen clock ended with {third.proc.returncode}")
            check("not answering" in (ctx.work / "third.log").read_text(), "no word on stderr")
            first.proc.send_signal(signal.SIGCONT)
            # dbus-launch --autolaunch notes each bus it starts in the home's .dbus folder.
            check(not (home / ".dbus").exists(), "a clock started a session bus of its own")
            s2.window("Meridex", s2.start(ctx.meridex, home=home, env_extra={**env, **runtime}))
            s2.stop(s2.procs[-1])
            s.menu(first, wid, "Start At Login")
            entry = wait_for(lambda: (home / ENTRY).exists() and read_ini(home / ENTRY),
                             what="the autostart entry")["Desktop Entry"]
            s.x("desktop-file-validate", str(home / ENTRY), check=True)
            check(shlex.split(entry["Exec"]) == [str(ctx.meridex)], f"Exec={entry['Exec']}")
            check(Path(entry["Path"], "TimeZoneMap.jpg").exists(), f"no map in {entry['Path']}")
            s.menu(first, wid, "Start At Login")
            wait_for(lambda: not (home / ENTRY).exists(), what="the entry removed")
            # A choice is in the file at once, kept through a kill and read back at the next start
            # (there the same choice turns it off).
            s.menu(first, wid, "Local 24 hrs")
            wait_for(lambda: first.stored("Settings/chk24hLocal") == ["1" if env["DBUS_SESSION_BUS_ADDRESS"] else "0"],
                     what="Local 24 hrs in the file, with no close")
            s.stop(first.proc, signal.SIGKILL)

main(test)
