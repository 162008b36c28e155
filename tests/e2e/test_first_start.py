#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# A first start in India stores its Local zone (GMT+5, +0.5) at once. A setup made by keys in
# the editor: name typed, Every Day, 07:00, Enter in the name box (Save): the caption names it and
# 01:30 GMT is stored (a stored alarm's ring: test_alarm, test_focus, test_keyboard).
from harness import Session, main, wait_for


def test(ctx):
    with Session(ctx.work) as s:
        app = s.start(ctx.meridex, faketime="2026-12-07 01:20:00", env_extra={"TZ": "Asia/Kolkata"})
        clock = s.window("Meridex.*", app)
        zone = ("Settings/LocalIndex", "Settings/chk05Local", "Settings/chkDSTLocal")
        wait_for(lambda: app.ini.exists() and app.stored(*zone) == ["6", "1", "0"], timeout=10,
                 what="the Local zone found in the settings file")
        s.menu(app, clock, "Setup")
        s.add_setup(app, s.window("Meridex Setup", app), "Tea")
        s.window("Meridex - Tea", app)
        alarm = ("Settings/Setup0", "Tea/AlarmTimeGMT", "Tea/When")
        wait_for(lambda: app.stored(*alarm) == ["Tea", "01:30:00", '" 1"'],
                 what=lambda: f"the alarm stored as 01:30 GMT ({app.stored(*alarm)})")


main(test)
