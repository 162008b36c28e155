#!/usr/bin/env python3
"""The popup menu of the real window opens at the mouse position when a
button is released over the window's background (right, middle) and on a
left click on either time; a click on a zone list does not open it."""

import re
import sys

sys.dont_write_bytecode = True
from harness import Session, check, check_equal, run_test, wait_for  # noqa: E402

ANY_CAPTION = re.compile(r".*")  # the caption depends on the size; the pid tells

# Client pixels of the normal window (twips / 15). FrameLocal is at 0,0 and FrameOther at
# 0,80; inside each frame the time starts at 172,32 and the zone list at 5,16.
BACKGROUND = (10, 77)        # between the two frames
LOCAL_TIME = (182, 40)
OTHER_TIME = (182, 120)
LOCAL_LIST = (40, 24)
# The menu sits at the mouse position; the window manager is not involved in placing it.
PLACEMENT_TOLERANCE = 2


def menus(session, pid):
    """The popup menus of the process now on screen: {window id: (x, y)}."""
    return {wid: (session.geometry(wid).x, session.geometry(wid).y)
            for wid in session.popup_windows(pid)}


def pointer(session):
    out = session._x("xdotool", "getmouselocation", "--shell")
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return int(values["X"]), int(values["Y"])


def opens_at_mouse(session, app, wid, at, button, what):
    check_equal(menus(session, app.pid), {}, f"menus before {what}")
    session.click(*at, button=button, window=wid)
    shown = wait_for(lambda: menus(session, app.pid), 5, f"the popup menu after {what}")
    check_equal(len(shown), 1, f"menus after {what}")
    (menu, (x, y)), = shown.items()
    mx, my = pointer(session)
    check(abs(x - mx) <= PLACEMENT_TOLERANCE and abs(y - my) <= PLACEMENT_TOLERANCE,
          f"the menu after {what} is at {x},{y}; the mouse at {mx},{my}")
    session.key("Escape")
    wait_for(lambda: not menus(session, app.pid), 5, f"the menu opened by {what} to close")


def test(ctx):
    with Session(ctx.work_dir) as session:
        app = session.start_meridex(ctx.meridex,
                                    ini={"Settings": {"Top": "1500", "Left": "1500"}})
        wid = session.wait_window(ANY_CAPTION, timeout=20, pid=app.pid, app=app)
        # The layout of the normal size is in place before anything is clicked.
        wait_for(lambda: abs(session.geometry(wid).outer_width - 6075 // 15) <= 2, 10,
                 "the normal layout")

        opens_at_mouse(session, app, wid, BACKGROUND, 3, "a right click on the background")
        opens_at_mouse(session, app, wid, BACKGROUND, 2, "a middle click on the background")
        opens_at_mouse(session, app, wid, LOCAL_TIME, 1, "a left click on the Local time")
        opens_at_mouse(session, app, wid, OTHER_TIME, 1, "a left click on the Other time")

        # A click on a zone list only selects a zone. The program handles the clicks in their
        # order, so had the first opened a menu, the second would only close it again, or the
        # one menu on screen would stand at the list, not at the mouse.
        session.click(*LOCAL_LIST, button=1, window=wid)
        opens_at_mouse(session, app, wid, BACKGROUND, 3, "a click on a zone list and then "
                       "a right click on the background")

        session.close_window(wid)
        check_equal(app.wait_exit(timeout=15), 0, "exit status")


if __name__ == "__main__":
    run_test(test)
