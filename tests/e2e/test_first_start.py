#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A first start in India stores its Local zone (GMT+5, +0.5) at once. A setup made by keys in
the editor: name typed, Every Day, 07:00, Enter in the name box (Save): the caption names it,
01:30 GMT is stored, and the alarm rings at 07:00 IST."""
from harness import Session, main, read_ini, wait_for


def stored(app, *keys):
    return [read_ini(app.ini).get(section, key, fallback="") for section, key in keys]


def test(ctx):
    with Session(ctx.work) as s:
        app = s.start(ctx.meridex, faketime="2026-12-07 01:20:00", env_extra={"TZ": "Asia/Kolkata"})
        clock = s.window("Meridex.*", app)
        zone = [("Settings", k) for k in ("LocalIndex", "chk05Local", "chkDSTLocal")]
        wait_for(lambda: app.ini.exists() and stored(app, *zone) == ["6", "1", "0"], timeout=10,
                 what="the Local zone found in the settings file")
        s.menu(app, clock, "Setup")
        s.type("Tea", window=s.window("Meridex Setup", app))
        s.keys("Tab", "Down", "Tab", "ctrl+a")  # When: Never -> Every Day; then the time box
        s.type("07:00")
        s.keys("shift+Tab", "shift+Tab", "Return")
        s.window("Meridex - Tea", app)
        alarm = [("Settings", "Setup0"), ("Tea", "AlarmTimeGMT"), ("Tea", "When")]
        wait_for(lambda: stored(app, *alarm) == ["Tea", "01:30:00", '" 1"'],
                 what=lambda: f"the alarm stored as 01:30 GMT ({stored(app, *alarm)})")
        app.set_clock("2026-12-07 01:29:58")
        s.window("Alarm", app, timeout=40)


main(test)
