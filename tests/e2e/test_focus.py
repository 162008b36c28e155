#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Focus and keys as a person uses them. A stored Local row out of range keeps no row once the
# window has the focus: the alarm rings in the right minute and -1 is written back. The notice
# closes with Escape, the Other list steps three rows with Down x3. (The Menu key: test_keyboard;
# a typed listed name then Tab in the editor: tst_setupeditor's saveStoresTheAlarm.)
from harness import Session, check, main, wait_for

INI = {"Settings": {"LocalIndex": "24", "currSetup": "Rome", "nbSetup": "1", "Setup0": "Rome"},
       "Rome": {"OtherIndex": "10", "AlarmTimeGMT": "07:00:00", "When": "1"}}


def test(ctx):
    with Session(ctx.work) as s:
        # No Local row counts as GMT+12: Rome rings at 19:00 here, at 18:00 were row 0 taken.
        app = s.start(ctx.meridex, ini=INI, faketime="2026-12-07 18:59:50")
        clock = s.window("Meridex - Rome", app)
        s.x("xdotool", "windowactivate", "--sync", str(clock), check=True)
        notice = s.window("Alarm", app, timeout=40)
        app.set_clock("2026-12-07 19:00:05")  # keys count after the notice's first second
        s.keys("Escape", window=notice)
        wait_for(lambda: not s.find("Alarm", app), what="the notice to close on Escape")
        s.x("xdotool", "mousemove", "--window", str(clock), "50", "106", "click", "1")
        s.keys("Down", "Down", "Down")
        s.close(clock)
        check((code := app.wait_exit()) == 0, f"meridex ended with {code} at its close")
        stored = app.stored("Settings/LocalIndex", "Default/OtherIndex")
        check(stored == ["-1", "13"], f"LocalIndex, Default's OtherIndex: {stored}")


main(test)
