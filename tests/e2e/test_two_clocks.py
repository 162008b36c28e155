#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Two clocks on two displays with one settings folder: both editors open, each adds a setup
# of its own, each clock turns on an option of its own; once both are closed the settings file
# holds both setups (listed, with their alarms) and both options.
import shutil

from harness import Session, check, main, read_ini, wait_for


def test(ctx):
    home = ctx.work / "home"
    shutil.rmtree(home, ignore_errors=True)
    with Session(ctx.work / "a") as sa, Session(ctx.work / "b") as sb:
        a = sa.start(ctx.meridex, ini={"Settings": {"LocalIndex": "11"}}, home=home, name="a")
        clock_a = sa.window("Meridex", a)
        b = sb.start(ctx.meridex, home=home, name="b")
        clock_b = sb.window("Meridex", b)
        sa.menu(a, clock_a, "Setup")
        editor_a = sa.window("Meridex Setup", a)
        sb.menu(b, clock_b, "Setup")
        editor_b = sb.window("Meridex Setup", b)
        sa.add_setup(a, editor_a, "FromA")
        sb.add_setup(b, editor_b, "FromB")
        sa.menu(a, clock_a, "Local 24 hrs")
        sb.menu(b, clock_b, "Other 24 hrs")
        wait_for(lambda: a.stored("Settings/chk24hOther") == ["1"], what="B's option in the file")
        sa.close(clock_a)
        sb.close(clock_b)
        check(a.wait_exit() == 0 and b.wait_exit() == 0, "a clock failed at its close")
        ini = read_ini(a.ini)
        settings = ini["Settings"]
        names = [settings.get(f"Setup{i}") for i in range(int(settings.get("nbSetup", "0")))]
        check(sorted(names) == ["FromA", "FromB"], f"listed setups: {names}")
        for name in names:
            check(ini.get(name, "AlarmTimeGMT", fallback=None) == "07:00:00", f"{name}'s alarm")
        options = a.stored("Settings/chk24hLocal", "Settings/chk24hOther")
        check(options == ["1", "1"], f"chk24hLocal, chk24hOther: {options}")


main(test)
