#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The three sizes at the outer sizes the layout gives (twips / 15, title bar and border
included): Small as stored, then Mini and, with Mini again, normal from the popup menu."""
from harness import Session, main, wait_for


def wait_size(s, wid, twips, name):
    want = [round(t / 15) for t in twips]
    wait_for(lambda: all(abs(a - b) <= 2 for a, b in zip(s.geometry(wid)[2:], want)),
             what=lambda: f"{name} size {want} (outer x, y, width, height: {s.geometry(wid)})")


def test(ctx):
    with Session(ctx.work) as s:
        app = s.start(ctx.meridex, ini={"Settings": {"Small": "True"}})
        wid = s.window("Meridex", app)
        wait_size(s, wid, (3475, 1580), "Small")
        s.menu(app, wid, "Mini")
        wait_size(s, wid, (1920, 1440), "Mini")
        s.menu(app, wid, "Mini")
        wait_size(s, wid, (6075, 2700), "normal")


main(test)
