#!/usr/bin/env python3
""""View Map" in the real program's popup menu opens the "Time Zone Map" window with the map
picture from the working folder, and scrolling with the keyboard moves the picture."""

import sys

sys.dont_write_bytecode = True
from harness import Session, check, run_test, wait_for  # noqa: E402

# "View Map" is the tenth command of the popup menu.
VIEW_MAP_POSITION = 10


def test(ctx):
    with Session(ctx.work_dir) as session:
        app = session.start_meridex(ctx.meridex, ini={"Settings": {"Top": "1500", "Left": "1500"}},
                                    cwd=ctx.assets)
        main = session.wait_window("Meridex", timeout=20, app=app)
        wait_for(lambda: abs(session.geometry(main).outer_width - 6075 // 15) <= 2, 10,
                 "the normal layout")
        session.choose_menu_command(app, main, VIEW_MAP_POSITION)
        viewer = session.wait_window("Time Zone Map", timeout=10, app=app)
        check(session.find_window("Meridex", pid=app.pid) is not None, "the clock went away")

        geometry = session.geometry(viewer)
        check(geometry.width >= 500 and geometry.height >= 450,
              f"the map window is {geometry.width}x{geometry.height}")
        before = session.grab(window=viewer)
        before.save(ctx.work_dir / "map-before.png")
        check(len(before.colours()) > 50, "the map window shows no picture")

        # The vertical bar has the keyboard focus: two pages down move the picture up.
        session.key("Next", "Next", window=viewer)

        def moved():
            after = session.grab(window=viewer)
            return after if after.diff_count(before, tolerance=8) > geometry.width * 20 else None

        after = wait_for(moved, 5, "the picture to move after Page Down")
        after.save(ctx.work_dir / "map-after.png")
        # The picture moved up by the bar's page steps: what was 200 pixels lower is now on top.
        top_now = after.crop(0, 0, geometry.width - 30, 100)
        below_before = before.crop(0, 200, geometry.width - 30, 100)
        check(top_now.diff_count(below_before, tolerance=8) < top_now.width * 100 // 20,
              "the picture did not move by two pages")

        session.close_window(viewer)
        session.wait_no_window("Time Zone Map", timeout=10)
        check(app.running(), "the clock stopped with the map window")


if __name__ == "__main__":
    run_test(test)
