#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Focus and keys as a person uses them. A stored Local row out of range keeps no row once the
window has the focus: the alarm rings in the right minute and -1 is written back. The notice
closes with Escape, the popup menu opens with the Menu key, the Other list steps three rows
with Down x3. In the editor, a typed name that is also listed, then Tab, keeps the edits."""
from harness import Session, check, main, read_ini, wait_for

SETUPS = {"currSetup": "Rome", "nbSetup": "2", "Setup0": "Rome", "Setup1": "Paris"}
ROME = {"OtherIndex": "10", "AlarmTimeGMT": "07:00:00", "When": "1"}
PARIS = {"OtherIndex": "10", "AlarmTimeGMT": "05:00:00", "When": "1"}


def test(ctx):
    with Session(ctx.work) as s:
        # No Local row counts as GMT+12: Rome rings at 19:00 here, at 18:00 were row 0 taken.
        app = s.start(ctx.meridex, ini={"Settings": dict(SETUPS, LocalIndex="24"), "Rome": ROME,
                                        "Paris": PARIS}, faketime="2026-12-07 18:59:50")
        clock = s.window("Meridex - Rome", app)
        s.x("xdotool", "windowactivate", "--sync", str(clock), check=True)
        notice = s.window("Alarm", app, timeout=40)
        app.set_clock("2026-12-07 19:00:05")  # keys count after the notice's first second
        s.keys("Escape", window=notice)
        wait_for(lambda: not s.find("Alarm", app), what="the notice to close on Escape")
        s.keys("Menu", window=clock)
        wait_for(lambda: s.popups(app), what="the popup menu on the Menu key")
        s.keys("Escape")
        s.x("xdotool", "mousemove", "--window", str(clock), "50", "106", "click", "1")
        s.keys("Down", "Down", "Down")
        s.close(clock)
        check((code := app.wait_exit()) == 0, f"meridex ended with {code} at its close")
        ini = read_ini(app.ini)
        stored = [ini.get("Settings", "LocalIndex"), ini.get("Default", "OtherIndex")]
        check(stored == ["-1", "13"], f"LocalIndex, Default's OtherIndex: {stored}")

        app = s.start(ctx.meridex, ini={"Settings": dict(SETUPS, LocalIndex="11"), "Rome": ROME,
                                        "Paris": PARIS}, name="editor")
        s.menu(app, s.window("Meridex - Rome", app), "Setup")
        editor = s.window("Meridex Setup", app)
        s.keys("Tab", "Tab", "ctrl+a", window=editor)
        s.type("06:30")
        s.keys("shift+Tab", "shift+Tab", "ctrl+a")
        s.type("Paris")
        s.keys("Tab", "shift+Tab", "Return")
        wait_for(lambda: not s.find("Meridex Setup", app), what="the editor to close on Save")
        check(read_ini(app.ini).get("Paris", "AlarmTimeGMT") == "06:30:00",
              "Paris's alarm is not the time typed")


main(test)
