#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A first start in India (no settings at all) shows GMT+5 with +0.5 and stores that zone
within moments; a daily alarm entered for 07:00 through the setup editor, by keys, is stored
as 01:30 GMT and rings at 07:00 IST."""
from harness import Session, check, main, read_ini, wait_for

ZONE = ("LocalIndex", "chk05Local", "chkDSTLocal")


def test(ctx):
    with Session(ctx.work) as s:
        app = s.start(ctx.meridex, faketime="2026-12-07 01:20:00", env_extra={"TZ": "Asia/Kolkata"})
        clock = s.window("Meridex.*", app)
        # Written by the change timer, a second after the start: long before any close.
        wait_for(lambda: app.ini.exists() and [read_ini(app.ini).get("Settings", k, fallback="")
                                               for k in ZONE] == ["6", "1", "0"],
                 timeout=10, what="the Local zone found in the settings file")
        s.menu(app, clock, "Setup")
        editor = s.window("Meridex Setup", app)
        s.type("Tea", window=editor)
        s.keys("Tab", "Down", "Tab", "ctrl+a")  # When: Never -> Every Day; then the time box
        s.type("07:00")
        s.keys("shift+Tab", "shift+Tab", "Return")  # Save, from the name box
        wait_for(lambda: not s.find("Meridex Setup", app), what="the editor to close on Save")
        stored = read_ini(app.ini).get("Tea", "AlarmTimeGMT", fallback=None)
        check(stored == "01:30:00", f"07:00 IST stored as AlarmTimeGMT={stored}")
        app.set_clock("2026-12-07 01:29:58")
        s.window("Alarm", app, timeout=40)


main(test)
