#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The clock under the window manager named by MERIDEX_WM (one of harness.WINDOW_MANAGERS), as
# a person on that desktop meets it:
# - the stored place stays where it was over five starts and closes;
# - the whole content shows inside the frame in all three sizes, also at twice the scale;
# - with Always On Top and another window focused, the clock neither takes the focus nor asks for
#   attention for ten seconds, and comes back above another above-others window put over it
#   within two seconds where the manager lets an application do so (ONLY_BY_THE_MANAGER);
# - Minimize turns it into an icon, and a later start with the desktop's startup id brings it
#   back in front.
# It checks everything and then fails with every fault found; the last line of its output sums up
# what it measured.
import json
import os
import re
import time

from harness import WINDOW_MANAGERS, Failure, Session, check, main, read_ini, wait_for, write_ini

WM = os.environ.get("MERIDEX_WM", "openbox")
PLACE = {"Left": "4500", "Top": "3000"}  # 300, 200 px
# The room the two clock frames need inside the window (wide times, device-independent pixels).
CONTENT = {"normal": (397, 153), "Small": (224, 79), "Mini": (121, 69)}
# Managers that restack an above-others window themselves only: marco neither lists nor obeys a
# pager's restack request and answers the window's own with a call for attention (see README).
ONLY_BY_THE_MANAGER = {"marco"}


def urgent(s, wid):
    flags = re.findall(r"0x[0-9a-f]+", s.x("xprop", "-id", str(wid), "-f", "WM_HINTS", "32x",
                                          " $0", "WM_HINTS"))
    return bool(flags) and int(flags[0], 16) & 0x100 != 0


def frame_of(s, wid):
    # The child of the root window that holds the window: its frame.
    while True:
        parent = int(re.search(r"Parent window id: (0x[0-9a-f]+)",
                               s.x("xwininfo", "-children", "-id", str(wid)))[1], 16)
        if parent == s.root:
            return wid
        wid = parent


def above(s, wid, other):
    # Whether the window shows above the other one: the order of their frames on the root
    # window (xwininfo names the top one first), which one manager's stacking list does not
    # follow.
    order = [int(w, 16) for w in re.findall(r"^\s+(0x[0-9a-f]+)",
                                            s.x("xwininfo", "-root", "-children"), re.M)]
    return order.index(frame_of(s, wid)) < order.index(frame_of(s, other))


def settled(s, wid):
    # Waits until the manager has framed the window and its place and size hold still.
    wait_for(lambda: re.search(r"= \d", s.prop("_NET_FRAME_EXTENTS", wid)),
             what="the frame's extents")
    seen = []

    def still():
        seen.append((s.geometry(wid), s.client(wid)))
        time.sleep(0.1)
        return len(seen) >= 6 and len(set(seen[-6:])) == 1
    wait_for(still, what="the window to hold still")
    return seen[-1][1]


def place(ctx, s, faults, facts):
    moved = 0
    home = ctx.work / "home-place"
    for n in range(5):
        app = s.start(ctx.meridex, home=home, ini=None if n else {"Settings": PLACE},
                      name=f"place{n}")
        wid = s.window("Meridex", app)
        settled(s, wid)
        s.close(wid)
        check(app.wait_exit() == 0, "meridex failed at its close")
        stored = read_ini(app.ini)["Settings"]
        if (stored.get("Left"), stored.get("Top")) != (PLACE["Left"], PLACE["Top"]):
            moved += 1
            faults.append(f"start {n + 1}: the stored place became {stored.get('Left')}, "
                          f"{stored.get('Top')}")
            write_ini(app.ini, {"Settings": dict(stored, **PLACE)})
    facts["place moved"] = f"{moved} of 5"


def content(ctx, s, faults, facts):
    for scale in (1, 2):
        app = s.start(ctx.meridex, ini={"Settings": dict(PLACE, Small="True")},
                      name=f"sizes{scale}", env_extra={"QT_SCALE_FACTOR": str(scale)})
        wid = s.window("Meridex", app)
        heights = []
        for size, item in (("Small", None), ("Mini", "Mini"), ("normal", "Mini")):
            if item:
                s.menu_key(app, wid, item)  # a click on the edge misses content that does not fit
            _, _, width, height = settled(s, wid)
            heights.append(str(height))
            need = [n * scale for n in CONTENT[size]]
            if width < need[0] or height < need[1]:
                faults.append(f"{size} at scale {scale}: {width}x{height} px inside the frame, "
                              f"the content needs {need[0]}x{need[1]}")
        facts[f"client heights x{scale} (Small/Mini/normal)"] = "/".join(heights)
        s.stop(app.proc)


def on_top_and_icon(ctx, s, faults, facts):
    home = ctx.work / "home-ontop"
    app = s.start(ctx.meridex, home=home, ini={"Settings": dict(PLACE, AlwaysOnTop="True")})
    clock = s.window("Meridex", app)
    settled(s, clock)
    wait_for(lambda: "ABOVE" in s.prop("_NET_WM_STATE", clock), what="the clock above")
    s.spawn("other", ["xmessage", "-name", "other", "-geometry", "300x150+800+600", "other"])
    other = s.window("other")
    s.x("xdotool", "windowactivate", "--sync", str(other))
    took, attention, restacked, cover = 0, 0, None, None
    start = time.monotonic()
    while (elapsed := time.monotonic() - start) < 10:
        if cover is None and elapsed > 3:
            s.spawn("cover", ["xmessage", "-name", "cover", "-geometry", "300x150+350+250",
                              "cover"])
            cover = s.window("cover")
            s.x("wmctrl", "-i", "-r", str(cover), "-b", "add,above", check=True)
            s.x("xdotool", "windowactivate", "--sync", str(cover))
            covered = time.monotonic()
        took += s.active() == clock
        attention += "DEMANDS_ATTENTION" in s.prop("_NET_WM_STATE", clock) or urgent(s, clock)
        if cover and restacked is None and above(s, clock, cover):
            restacked = time.monotonic() - covered
        time.sleep(0.1)
    facts["focus taken (polls)"] = took
    facts["attention asked (polls)"] = attention
    facts["back on top after"] = "never" if restacked is None else f"{restacked:.1f} s"
    if took:
        faults.append(f"the clock took the focus ({took} polls of 10 s)")
    if attention:
        faults.append(f"the clock asked for attention ({attention} polls of 10 s)")
    if WM not in ONLY_BY_THE_MANAGER and (restacked is None or restacked > 2):
        faults.append(f"the clock came back above the covering window after {restacked} s")

    if cover:
        s.stop(s.procs[-1])  # the covering window
    s.menu_key(app, clock, "Always On Top")
    s.menu_key(app, clock, "Minimize")
    try:
        wait_for(lambda: "Iconic" in s.prop("WM_STATE", clock), 10, "an icon")
        facts["minimize"] = "ok"
    except Failure as failure:
        facts["minimize"] = "does nothing"
        faults.append(f"Minimize: {failure}")
        return
    # The person works in the other window (a click the manager sees), then starts the clock
    # again from the desktop.
    s.x("xdotool", "windowactivate", "--sync", str(other))
    x, y, width, _ = s.client(other)
    s.x("xdotool", "mousemove", str(x + width - 10), str(y + 10), "click", "1")
    launch = f"launcher-1-{WM}_TIME{s.server_time()}"
    second = s.start(ctx.meridex, home=home, name="second",
                     env_extra={"DESKTOP_STARTUP_ID": launch})
    check(second.wait_exit() == 0, f"the second start ended with {second.proc.returncode}")
    # The launch is the first clock's now: the desktop ends its busy feedback on that.
    if f'"{launch}"' not in s.prop("_NET_STARTUP_ID", clock):
        faults.append("second start: the first clock does not carry the launch's startup id")
    try:
        wait_for(lambda: "Normal" in s.prop("WM_STATE", clock) and s.active() == clock
                 and above(s, clock, other), 10,
                 "the clock back in front with the focus")
        facts["second start"] = "in front"
    except Failure as failure:
        facts["second start"] = (
            f"{'restored' if 'Normal' in s.prop('WM_STATE', clock) else 'icon'}"
            f"{', asks attention' if 'ATTENTION' in s.prop('_NET_WM_STATE', clock) else ''}")
        faults.append(f"second start: {failure}")


def test(ctx):
    faults, facts = [], {"wm": WM}
    with Session(ctx.work, wm=WM) as s:
        s.root = int(re.search(r"Window id: (0x[0-9a-f]+)", s.x("xwininfo", "-root"))[1], 16)
        desktop = len(s.procs)  # Xvfb, the manager and its bus stay
        for part in (place, content, on_top_and_icon):
            try:
                part(ctx, s, faults, facts)
            except Failure as failure:
                faults.append(f"{part.__name__}: {failure}")
            while len(s.procs) > desktop:
                s.stop(s.procs[-1])
    print(json.dumps(facts))
    check(not faults, "\n".join(faults))


main(test, needs=("Xvfb", "xmessage",
                  next(a for a in WINDOW_MANAGERS[WM] if a != "env" and "=" not in a)))
