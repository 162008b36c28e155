#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The setup editor as a person uses it: Setup from the popup menu, a name typed, Every Day
chosen with the arrow keys, the alarm time typed, Enter in the name box (Save) closes it; the
caption names the new setup, and once the clock is closed its settings file holds it."""
from harness import Session, check, main, read_ini, wait_for

NAME = "Lisbon"


def test(ctx):
    with Session(ctx.work) as s:
        app = s.start(ctx.meridex, ini={"Settings": {"LocalIndex": "11"}})  # Local: GMT
        clock = s.window("Meridex", app)
        s.menu(app, clock, "Setup")
        editor = s.window("Meridex Setup", app)
        s.type(NAME, window=editor)
        s.keys("Tab", "Down", "Tab", "ctrl+a")  # When: Never -> Every Day; then the time box
        s.type("07:00")
        s.keys("shift+Tab", "shift+Tab", "Return")
        wait_for(lambda: not s.find("Meridex Setup", app), what="the editor to close on Save")
        s.window("Meridex - " + NAME, app)
        s.close(clock)
        check(app.wait_exit() == 0, "meridex failed at its close")
        ini = read_ini(app.ini)
        stored = [ini.get(*key, fallback=None) for key in (("Settings", "Setup0"),
                  ("Settings", "currSetup"), (NAME, "AlarmTimeGMT"), (NAME, "When"))]
        check(stored == [NAME, NAME, "07:00:00", '" 1"'], f"stored: {stored}")


main(test)
