#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A session that ends without a close keeps the changes made: "Local 24 hrs" chosen from the
popup menu reaches the settings file while the clock runs; then the X server is killed (or the
clock itself, with SIGKILL); started again, the clock has the option on, so choosing it once
more turns it off."""
import signal

from harness import Session, check, main, read_ini, wait_for


def local_24h(app):
    return read_ini(app.ini).get("Settings", "chk24hLocal", fallback=None)


def test(ctx):
    for end in ("X server", "SIGKILL"):
        home = ctx.work / f"home ({end})"
        with Session(ctx.work / end) as s:
            app = s.start(ctx.meridex, ini={"Settings": {"LocalIndex": "11"}}, home=home)
            s.menu(app, s.window("Meridex", app), "Local 24 hrs")
            wait_for(lambda: local_24h(app) == "1", what="the option in the file, with no close")
            s.stop(s.xvfb if end == "X server" else app.proc, signal.SIGKILL)
            check(app.wait_exit() != 0, f"meridex ended normally after the {end} went")
        with Session(ctx.work / end) as s:
            app = s.start(ctx.meridex, home=home)
            s.menu(app, s.window("Meridex", app), "Local 24 hrs")
            wait_for(lambda: local_24h(app) == "0", what="the option turned off after the restart")


main(test)
