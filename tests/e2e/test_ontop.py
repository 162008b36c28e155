#!/usr/bin/env python3
""""Always On Top" from the popup menu puts _NET_WM_STATE_ABOVE on the real
window within a second; the state is dropped while the menu is open and comes
back when it closes; the window is neither moved nor resized by any of it; a
stored mark applies at start, and the mark is stored at close."""

import re
import sys
import time

sys.dont_write_bytecode = True
from harness import Failure, Session, check, check_equal, run_test, wait_for  # noqa: E402

ANY_CAPTION = re.compile(r".*")  # the caption depends on the size; the pid tells
ABOVE = "_NET_WM_STATE_ABOVE"
BACKGROUND = (10, 77)  # client pixels between the two frames of the normal size
ALWAYS_ON_TOP_ROW = 4  # Mini, Small, Minimize, Always On Top
# The tick applies the state once a second; xprop's own round trip is allowed on top.
WITHIN = 1.5


def above(session, wid):
    return ABOVE in session.net_wm_state(wid)


def menu_open(session, pid):
    return bool(session.popup_windows(pid))


def timed(session, wid, wanted, what):
    """Seconds until the ABOVE state is `wanted`; fails after WITHIN seconds."""
    start = time.monotonic()
    try:
        wait_for(lambda: above(session, wid) == wanted, WITHIN, what, interval=0.02)
    except Failure as failure:
        raise Failure(f"{failure}; _NET_WM_STATE is {sorted(session.net_wm_state(wid))}") from None
    return time.monotonic() - start


def open_menu(session, wid, pid):
    session.click(*BACKGROUND, button=3, window=wid)
    wait_for(lambda: menu_open(session, pid), 5, "the popup menu")


def test(ctx):
    with Session(ctx.work_dir) as session:
        app = session.start_meridex(ctx.meridex,
                                    ini={"Settings": {"Top": "1500", "Left": "1500"}})
        wid = session.wait_window(ANY_CAPTION, timeout=20, pid=app.pid, app=app)
        wait_for(lambda: abs(session.geometry(wid).outer_width - 6075 // 15) <= 2, 10,
                 "the normal layout")
        placed = session.geometry(wid)
        check(not above(session, wid), "the window is above the others before it was asked")

        open_menu(session, wid, app.pid)
        session.key(*(["Down"] * ALWAYS_ON_TOP_ROW), "Return")
        wait_for(lambda: not menu_open(session, app.pid), 5, "the menu to close")
        on = timed(session, wid, True, f"{ABOVE} after choosing Always On Top")

        open_menu(session, wid, app.pid)
        released = timed(session, wid, False, f"{ABOVE} to go while the menu is open")
        check(menu_open(session, app.pid), "the menu closed by itself")
        session.key("Escape")
        wait_for(lambda: not menu_open(session, app.pid), 5, "the menu to close")
        back = timed(session, wid, True, f"{ABOVE} to come back after the menu closed")

        check_equal(session.geometry(wid), placed, "the window's place and size")
        print(f"above after {on:.2f} s; released with the menu open after {released:.2f} s; "
              f"back after {back:.2f} s")

        session.close_window(wid)
        check_equal(app.wait_exit(timeout=15), 0, "exit status")
        check_equal(app.read_ini().get("Settings", {}).get("AlwaysOnTop"), "True",
                    "stored AlwaysOnTop")

        # The stored mark applies from the start.
        again = session.start_meridex(ctx.meridex, home=app.home, name="again")
        wid = session.wait_window(ANY_CAPTION, timeout=20, pid=again.pid, app=again)
        wait_for(lambda: above(session, wid), 5, f"{ABOVE} from the stored mark")
        session.close_window(wid)
        check_equal(again.wait_exit(timeout=15), 0, "exit status of the second start")


if __name__ == "__main__":
    run_test(test)
