#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The stored current setup is restored at start-up: the caption names it, the window carries
the Meridex icon, and the About box comes up centred over the clock."""
from harness import Session, check, main

SETTINGS = {"Settings": {"currSetup": "Tokyo", "nbSetup": "1", "Setup0": "Tokyo",
                         "Left": "6000", "Top": "4500"},
            "Tokyo": {"OtherIndex": "2"}}


def centre(geometry):
    x, y, width, height = geometry
    return x + width // 2, y + height // 2


def test(ctx):
    with Session(ctx.work) as s:
        app = s.start(ctx.meridex, ini=SETTINGS)
        clock = s.window("Meridex - Tokyo", app)
        check("_NET_WM_ICON(CARDINAL)" in s.x("xprop", "-id", str(clock), "_NET_WM_ICON"),
              "the window has no icon")
        mine = centre(s.geometry(clock))
        for item, title in (("About", "Meridex"), ("Setup", "Meridex Setup")):
            s.menu(app, clock, item)
            box = s.window(title, app)
            at = centre(s.geometry(box))
            check(max(abs(a - b) for a, b in zip(at, mine)) <= 32,  # a title bar or so
                  f"{title} centred at {at}, the clock at {mine}")
            s.keys("Escape", window=box)


main(test)
