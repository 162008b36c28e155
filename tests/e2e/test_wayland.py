#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Under weston with XWayland: an X window at the stored place, written back at close. Told
# QT_QPA_PLATFORM=wayland, or with no X server answering, native, quiet, ticking and saving.
import re

from harness import Session, check, main, read_ini, wait_for, write_ini


def near(place):  # the stored place, give or take the frame's title bar
    return all(0 <= got - want <= 40 for got, want in zip(place, (300, 200)))


def native(s, ctx, name, env):
    app = s.start(ctx.meridex, name=name, env_extra=dict(env, WAYLAND_DEBUG="client"))
    log = ctx.work / f"{name}.log"  # the protocol, one line a message: "[ms] -> ..."
    # A repainted clock commits its surface: commits in four different seconds are ticks.
    commits = r"\[ *(\d+)\.\d+\]  -> wl_surface@\d+\.commit"
    wait_for(lambda: len({int(ms) // 1000 for ms in re.findall(commits, log.read_text())}) >= 4,
             what=f"{name} ticking as a Wayland client")
    check(s.stop(app.proc) == 0, f"{name} did not close normally")
    check(read_ini(app.ini).has_option("Settings", "LocalIndex"), f"{name} saved no settings")
    check(all(line.startswith("[") for line in log.read_text().splitlines()), f"{name} spoke")


def test(ctx):
    with Session(ctx.work, wayland=True) as s:
        app = s.start(ctx.meridex, ini={"Settings": {"Left": "4500", "Top": "3000"}})
        wid = wait_for(lambda: s.x("xdotool", "search", "--onlyvisible", "--pid", str(app.pid)),
                       what="the clock as an X window").split()[0]
        wait_for(lambda: near(s.geometry(wid)), what=lambda: f"300,200, not {s.geometry(wid)}")
        write_ini(app.ini, "")  # so that what is there after the close, the close wrote
        check(s.stop(app.proc) == 0, "meridex did not close normally")
        stored = [int(read_ini(app.ini).get("Settings", k)) // 15 for k in ("Left", "Top")]
        check(near(stored), f"{stored} written back")
        native(s, ctx, "native", {"QT_QPA_PLATFORM": "wayland"})
        native(s, ctx, "stale-x", {"DISPLAY": ":4242"})


main(test, needs=("weston", "Xwayland"))
