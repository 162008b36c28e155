#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Two clocks on two displays with one settings folder: both editors open, each adds a setup
of its own, each clock turns on an option of its own; once both are closed the settings file
holds both setups (listed, with their alarms) and both options."""
import shutil

from harness import Session, check, main, read_ini, wait_for


def add_setup(s, app, editor, name):
    s.type(name, window=editor)
    s.keys("Tab", "Down", "Tab", "ctrl+a")  # When: Never -> Every Day; then the time box
    s.type("07:00")
    s.keys("shift+Tab", "shift+Tab", "Return")  # Enter in the name box: Save
    wait_for(lambda: not s.find("Meridex Setup", app), what=f"the editor to close on {name}")


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
        add_setup(sa, a, editor_a, "FromA")
        add_setup(sb, b, editor_b, "FromB")
        sa.menu(a, clock_a, "Local 24 hrs")
        sb.menu(b, clock_b, "Other 24 hrs")
        wait_for(lambda: read_ini(a.ini).get("Settings", "chk24hOther", fallback="") == "1",
                 what="B's option in the file")
        sa.close(clock_a)
        sb.close(clock_b)
        check(a.wait_exit() == 0 and b.wait_exit() == 0, "a clock failed at its close")
        ini = read_ini(a.ini)
        settings = ini["Settings"]
        names = [settings.get(f"Setup{i}") for i in range(int(settings.get("nbSetup", "0")))]
        check(sorted(names) == ["FromA", "FromB"], f"listed setups: {names}")
        for name in names:
            check(ini.get(name, "AlarmTimeGMT", fallback=None) == "07:00:00", f"{name}'s alarm")
        options = [settings.get("chk24hLocal"), settings.get("chk24hOther")]
        check(options == ["1", "1"], f"chk24hLocal, chk24hOther: {options}")


main(test)
