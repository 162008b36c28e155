#!/usr/bin/env python3
"""A person creates a setup with a daily alarm through the popup menu and the setup editor,
with the keyboard and the mouse only, a minute before the alarm; the caption then names the
setup, and in the alarm's minute the notice shows its name."""
# ctest-properties: TIMEOUT 240

import sys
import time

sys.dont_write_bytecode = True
from harness import Session, check, check_equal, run_test, wait_for  # noqa: E402

# "Setup" is the eighth command of the popup menu (after Mini, Small, Minimize, Always On Top,
# Time Zone, Local 24 hrs and Other 24 hrs).
SETUP_POSITION = 8
NAME = "Morning call"


def test(ctx):
    with Session(ctx.work_dir) as session:
        started = time.time()
        app = session.start_meridex(ctx.meridex, ini={"Settings": {"LocalIndex": "11"}},
                                    cwd=ctx.assets, faketime="2026-12-07 06:59:00")
        main = session.wait_window("Meridex", timeout=20, app=app)
        wait_for(lambda: abs(session.geometry(main).outer_width - 6075 // 15) <= 2, 10,
                 "the normal layout")

        session.choose_menu_command(app, main, SETUP_POSITION)
        editor = session.wait_window("Meridex Setup", timeout=10, app=app)

        # The name box has the focus; then the repeat options, then the time box.
        session.type_text(NAME, window=editor)
        session.key("Tab", "Down", window=editor)          # "Never (off)" -> "Every Day"
        session.key("Tab", "ctrl+a", window=editor)
        session.type_text("07:00", window=editor)
        session.key("shift+Tab", "shift+Tab", "Return", window=editor)  # Enter in the name: Save
        session.wait_no_window("Meridex Setup", timeout=10)

        wait_for(lambda: session.title(main) == "Meridex - " + NAME, 5,
                 "the caption naming the new setup")
        check(time.time() - started < 55, "the editor took too long: the alarm minute passed")

        notice = session.wait_window("Alarm", timeout=75, app=app)
        late = time.time() - (started + 60)
        print(f"notice {late:+.2f} s after the alarm minute began")
        check(late <= 2.0, f"the notice came {late:.2f} s after the minute began")
        check_equal(session.read_text(notice), NAME, "the notice's text")

        session.close_window(main)
        check_equal(app.wait_exit(timeout=15), 0, "exit status")
        stored = app.read_ini()
        check_equal(stored["Settings"].get("Setup0"), NAME, "the listed setup")
        check_equal(stored["Settings"].get("currSetup"), NAME, "the current setup")
        check_equal(stored[NAME].get("AlarmTimeGMT"), "07:00:00", "the stored alarm time")
        check_equal(stored["Settings"].get("MRU1"), NAME, "the most recently used setup")


if __name__ == "__main__":
    run_test(test)
