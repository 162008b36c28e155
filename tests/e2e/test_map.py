#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""View Map in the popup menu opens the Time Zone Map window showing the map picture."""
from harness import Session, main, wait_for


def test(ctx):
    with Session(ctx.work) as s:
        app = s.start(ctx.meridex, cwd=ctx.assets)  # where the program finds the map
        s.menu(app, s.window("Meridex", app), "View Map")
        viewer = s.window("Time Zone Map", app)
        # An empty or grey window has a few colours; the map has thousands.
        wait_for(lambda: int(s.grab(viewer, "%k")) > 500,
                 what=lambda: f"map in the window ({s.grab(viewer, '%k')} colours)")


main(test)
