#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A first start in India (no Local zone stored) shows GMT+5 with +0.5: a daily alarm entered
for 07:00 there (01:30 GMT) rings at 07:00 IST, and the zone is stored at close."""
from harness import Session, check, main, read_ini

SETTINGS = {"Settings": {"currSetup": "Tea", "nbSetup": "1", "Setup0": "Tea"},
            "Tea": {"AlarmTimeGMT": "01:30:00", "When": "1"}}


def test(ctx):
    with Session(ctx.work) as s:
        app = s.start(ctx.meridex, ini=SETTINGS, faketime="2026-12-07 01:29:52",
                      env_extra={"TZ": "Asia/Kolkata"})
        s.window("Alarm", app, timeout=40)
        s.close(s.window("Meridex - Tea", app))
        check((code := app.wait_exit()) == 0, f"meridex ended with {code} at its close")
        local = [read_ini(app.ini).get("Settings", k) for k in ("LocalIndex", "chk05Local",
                                                                   "chkDSTLocal")]
        check(local == ["6", "1", "0"], f"LocalIndex, chk05Local, chkDSTLocal: {local}")


main(test)
