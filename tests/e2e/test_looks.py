#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Looks by pixel rules, in normal and Small at 1x, 1.5x and 2x: frame lines, label boxes, one-row
# lists (see faults()). At 2x every window fits the screen's free area, the clock has its icon,
# About and Setup come up centred over it, and View Map shows the map.
import re
import subprocess

from harness import Session, check, main, wait_for

SETTINGS = {"Settings": {"LocalIndex": "11", "chk24hOther": "1", "Small": "True", "Top": "4500",
                         "currSetup": "Wake", "nbSetup": "1", "Setup0": "Wake"},
            "Wake": {"AlarmTimeGMT": "2026-12-07 07:00:00", "When": "4"}}
# At 2x: the menu item that opens a window (or none), its title, and the keys that close it or
# open the next one.
WINDOWS = [("", "Meridex - Wake", ""), ("", "Alarm", "Return"), ("About", "Meridex", "Return"),
           ("View Map", "Time Zone Map", "Escape"), ("Setup", "Meridex Setup", "Tab Tab alt+Down"),
           ("", "Pick Alarm Date", "")]


def picture(s, wid):  # the window's inside as rows of (red, green, blue)
    ppm = subprocess.run(["import", "-window", str(wid), "-depth", "8", "ppm:-"], env=s.env,
                         capture_output=True, check=True).stdout
    _, size, _, data = ppm.split(b"\n", 3)
    pixels, width = list(zip(data[0::3], data[1::3], data[2::3])), int(size.split()[0])
    return [pixels[i:i + width] for i in range(0, len(pixels), width)]


def centre(geometry):
    x, y, width, height = geometry
    return x + width // 2, y + height // 2


def runs(flags):  # (first, last) of each run of true flags
    return [(m.start(), m.end() - 1) for m in re.finditer("1+", "".join("01"[f] for f in flags))]


def faults(img, scale=1.0):
    # A frame's top line runs from its left corner to its caption a little in, then from the
    # caption unbroken to its right corner; nothing in its right half (the time and date labels)
    # is lighter than its background; a zone list's selected row has its border, not a next row
    # (white), right above and below it.
    dark = [[sum(p) < 600 for p in row] for row in img]
    frames = [(y, r[-1][1]) for y, r in enumerate(map(runs, dark)) if r and r[0][0] <= 2
              and 3 <= r[0][1] <= 20 and r[-1][0] - r[0][1] < 100 and r[-1][1] - r[-1][0] > 100]
    # A dark line as thick as whole device pixels allow: at 1.5x one pixel, not a blurred pair.
    rows = dict(frames)
    thick = [y for y, _ in frames if y - 1 not in rows and y + max(1, int(scale)) in rows]
    frames = [(y, x) for y, x in frames if y - 1 not in rows]  # lines 2 pixels thick
    found = [] if len(frames) == 2 else [f"{len(frames)} frame top lines, not 2"]
    found += [f"the frame line at row {y} is thicker than {max(1, int(scale))} px" for y in thick]
    for top, right in frames:
        bottom = next((y for y in range(top, len(img) - 1) if not dark[y + 1][right]), top)
        inside = [sum(p) for row in img[top + 3:bottom - 2] for p in row[right // 2:right - 2]]
        if max(inside, default=0) > sum(img[bottom - 3][right - 3]):
            found.append(f"a box lighter than the frame below row {top}")
    x = min((x for row in img for x, (r, _, b) in enumerate(row) if b - r > 100), default=0) + 1
    rows = runs([b - r > 100 for r, _, b in (row[x] for row in img)])
    if len(rows) != 2 or any(765 in (sum(img[a - 1][x]), sum(img[b + 1][x])) for a, b in rows):
        found.append(f"zone lists at rows {rows} of column {x}: not one whole row each")
    return found


def test(ctx):
    with Session(ctx.work) as s:
        for scale in ("1", "1.5", "2"):
            s.env["QT_SCALE_FACTOR"] = scale
            app = s.start(ctx.meridex, ini=SETTINGS, cwd=ctx.assets, name=f"scale{scale}",
                          faketime="2026-12-07 06:00:00")
            clock = s.window("Meridex - Wake", app)
            # At 1.5x the size the window starts in is enough: the lines are drawn alike.
            for size in ("Small", "normal")[: 1 if scale == "1.5" else 2]:
                if size == "normal":
                    s.menu(app, clock, "Small")
                wait_for(lambda: not faults(picture(s, clock), float(scale)), 10,
                         lambda: f"{size} at {scale}x: {faults(picture(s, clock), float(scale))}")
        area = [int(n) for n in re.findall(r"\d+", s.prop("_NET_WORKAREA"))]
        # xprop draws the icon in characters, a transparent pixel as a space.
        icon = s.prop("_NET_WM_ICON", clock).split("\n")
        check("Icon (64 x 64)" in icon[0] and icon[1].strip("\t").startswith(" "),
              f"the window's icon: {icon[:2]}")
        mine = centre(s.geometry(clock))
        app.set_clock("2026-12-07 06:59:58")
        for item, title, keys in WINDOWS:
            if item:
                s.menu(app, clock, item)
            x, y, width, height = s.geometry(wid := s.window(title, app))
            check(x >= area[0] and y >= area[1] and x + width <= area[0] + area[2]
                  and y + height <= area[1] + area[3], f"{title} at 2x: {x, y, width, height}")
            at = centre((x, y, width, height))
            check(item not in ("About", "Setup") or max(abs(a - b) for a, b in zip(at, mine)) <= 32,
                  f"{title} centred at {at}, the clock at {mine}")  # give or take a title bar
            if item == "View Map":  # an empty or grey window has a few colours; the map thousands
                wait_for(lambda: int(s.grab(wid, "%k")) > 500, what="the map in its window")
            if title == "Alarm":  # keys count after the notice's first second
                app.set_clock("2026-12-07 07:00:05")
            if keys:
                s.keys(*keys.split(), window=wid)


main(test)
