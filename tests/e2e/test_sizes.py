#!/usr/bin/env python3
"""The real window's outer size (title bar and border drawn by the window
manager included) for each of the three sizes and both time widths, as the
size table gives it in twips at 15 twips a pixel; the size switch from the
popup menu; and a drag of the normal window's sizable border snapping back.
"""
# ctest-properties: TIMEOUT 300

import re
import sys

sys.dont_write_bytecode = True
from harness import Failure, Session, check, check_equal, run_test, wait_for  # noqa: E402

TWIPS_PER_PIXEL = 15
TOLERANCE = 2  # pixels: the table's twips are not all whole pixels
ANY_CAPTION = re.compile(r".*")  # the caption depends on the size; the pid tells

NARROW = {"chk24hLocal": "1", "chk24hOther": "1"}

# name, stored keys of [Settings], outer size in twips
CASES = [
    ("normal, wide times", {}, (6075, 2700)),
    ("normal, narrow times", NARROW, (5115, 2700)),
    ("Small, wide times", {"Small": "True"}, (3475, 1580)),
    ("Small, narrow times", {"Small": "True", **NARROW}, (3000, 1580)),
    ("Mini, wide times", {"Mini": "True"}, (1920, 1440)),
    ("Mini, narrow times", {"Mini": "True", **NARROW}, (1440, 1440)),
]

def pixels(twips_size):
    return tuple(round(t / TWIPS_PER_PIXEL) for t in twips_size)


def outer_size(session, wid):
    """The outer size as the window manager frames it: the client plus _NET_FRAME_EXTENTS."""
    g = session.geometry(wid)
    return g.outer_width, g.outer_height


def frame_window_size(session, wid):
    """The size of the window manager's frame window, the root's child holding the client."""
    current = wid
    while True:
        tree = session._x("xwininfo", "-children", "-id", str(current))
        m = re.search(r"Parent window id: (0x[0-9a-f]+)( \(the root window\))?", tree)
        check(m is not None, f"xwininfo gave no parent for 0x{current:x}")
        if m.group(2):
            break
        current = int(m.group(1), 16)
    info = session._x("xwininfo", "-id", str(current))
    width = int(re.search(r"^\s*Width:\s*(\d+)", info, re.M).group(1))
    height = int(re.search(r"^\s*Height:\s*(\d+)", info, re.M).group(1))
    border = int(re.search(r"^\s*Border width:\s*(\d+)", info, re.M).group(1))
    return width + 2 * border, height + 2 * border


def close_to(actual, expected):
    return all(abs(a - e) <= TOLERANCE for a, e in zip(actual, expected))


def wait_size(session, wid, twips_size, what):
    """Poll until the outer size matches the table; return the measured size."""
    expected = pixels(twips_size)
    seen = []

    def matches():
        size = outer_size(session, wid)
        seen.append(size)
        return size if close_to(size, expected) else None
    try:
        return wait_for(matches, 10, f"{what}: outer size {expected[0]}x{expected[1]}")
    except Failure as failure:
        raise Failure(f"{failure}; last measured {seen[-1] if seen else None}, "
                      f"geometry {session.geometry(wid)}") from None


def choose(session, wid, downs, menu_pid):
    """Open the popup over the background and choose the item `downs` rows down."""
    # In every size the frames leave the client's bottom right corner free.
    g = session.geometry(wid)
    session.click(g.width - 3, g.height - 3, button=3, window=wid)
    wait_for(lambda: popup_shown(session, menu_pid), 5, "the popup menu")
    session.key(*(["Down"] * downs), "Return")
    wait_for(lambda: not popup_shown(session, menu_pid), 5, "the popup menu to close")


def popup_shown(session, pid):
    return bool(session.popup_windows(pid))


def measure_each_size(ctx, session, report):
    for name, keys, twips_size in CASES:
        ini = {"Settings": {"Top": "1500", "Left": "1500", **keys}}
        app = session.start_meridex(ctx.meridex, ini=ini, name=re.sub(r"\W+", "-", name))
        wid = session.wait_window(ANY_CAPTION, timeout=20, pid=app.pid, app=app)
        measured = wait_size(session, wid, twips_size, name)
        frame = frame_window_size(session, wid)
        check(close_to(frame, pixels(twips_size)),
              f"{name}: the frame window is {frame}, expected about {pixels(twips_size)}")
        g = session.geometry(wid)
        report.append(f"{name:22} table {twips_size[0]}x{twips_size[1]} twips = "
                      f"{twips_size[0] / 15:.1f}x{twips_size[1] / 15:.1f} px; "
                      f"outer {measured[0]}x{measured[1]} (client {g.width}x{g.height}, "
                      f"frame l{g.left} r{g.right} t{g.top} b{g.bottom}); "
                      f"frame window {frame[0]}x{frame[1]}")
        session.close_window(wid)
        check_equal(app.wait_exit(timeout=15), 0, f"{name}: exit status")
        stored = app.read_ini().get("Settings", {})
        check_equal(stored.get("Small"), keys.get("Small", "False"), f"{name}: stored Small")
        check_equal(stored.get("Mini"), keys.get("Mini", "False"), f"{name}: stored Mini")


def switch_sizes_from_the_menu(ctx, session, report):
    app = session.start_meridex(ctx.meridex, ini={"Settings": {"Top": "1500", "Left": "1500"}},
                                name="switching")
    wid = session.wait_window(ANY_CAPTION, timeout=20, pid=app.pid, app=app)
    wait_size(session, wid, (6075, 2700), "normal at start")

    choose(session, wid, 2, app.pid)  # Small
    wait_size(session, wid, (3475, 1580), "after Small")
    choose(session, wid, 1, app.pid)  # Mini while Small: straight to Mini
    wait_size(session, wid, (1920, 1440), "after Mini while Small")
    choose(session, wid, 1, app.pid)  # Mini again: normal, now with a sizable border
    measured = wait_size(session, wid, (6075, 2700), "after leaving Mini")
    g = session.geometry(wid)
    report.append(f"{'normal, sizable border':22} outer {measured[0]}x{measured[1]} "
                  f"(client {g.width}x{g.height}, frame l{g.left} r{g.right} t{g.top} b{g.bottom})")

    # A drag of the sizable border: the window returns to its fixed normal size.
    session._x("xdotool", "windowsize", str(wid), "600", "400")
    wait_size(session, wid, (6075, 2700), "after a resize to 600x400")

    session.close_window(wid)
    check_equal(app.wait_exit(timeout=15), 0, "exit status after switching sizes")


def test(ctx):
    report = []
    with Session(ctx.work_dir) as session:
        measure_each_size(ctx, session, report)
        switch_sizes_from_the_menu(ctx, session, report)
    print("\n".join(report))


if __name__ == "__main__":
    run_test(test)
