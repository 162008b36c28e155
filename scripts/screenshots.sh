#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's pictures of the three window sizes (normal, Small, Mini), each with both
# clocks in 12-hour and in 24-hour time, and of the three sizes, the setup editor, the date
# picker and the alarm notice at 1x, 1.5x and 2x the scale (QT_SCALE_FACTOR), from the real
# program on a virtual display with a window manager, title bar and border included, and writes
# them to docs/screenshots/{normal,small,mini}-{12h,24h}.png and
# {normal,small,mini,editor,picker,notice}-{1x,1.5x,2x}.png (or to the folder given second).
#
#   bash scripts/screenshots.sh [path/to/meridex [folder]]     (default: build/meridex)
#
# Needs the test tools (bash scripts/install-deps.sh --test). Each picture shows
# the same instant (Monday 15 June 2026, 09:41:30 on the Local clock) with the
# setup "Tokyo", so taking them again changes nothing unless the window does.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
binary="${1:-$root/build/meridex}"
if [[ ! -x "$binary" ]]; then
    echo "screenshots.sh: no program at $binary (build it first, e.g. bash scripts/start-clock.sh)" >&2
    exit 1
fi
out="${2:-$root/docs/screenshots}"
mkdir -p "$out"

PYTHONPATH="$root/tests/e2e" PYTHONDONTWRITEBYTECODE=1 \
    exec python3 - "$binary" "$out" "$root/assets" <<'PYTHON'
import sys
import tempfile
import time
from pathlib import Path

from harness import Failure, Session, wait_for

binary, out_dir, assets = (Path(a).resolve() for a in sys.argv[1:4])

SETTINGS = {
    "Top": "1500", "Left": "1500", "LocalIndex": "16", "chkDSTLocal": "1",
    "currSetup": "Tokyo", "nbSetup": "1", "Setup0": "Tokyo",
}
SETUPS = {"Tokyo": {"OtherIndex": "2", "chkDSTOther": "0", "chk05Other": "0",
                    "AlarmTimeGMT": "15:00:00", "When": "1"}}
H12, H24 = {"chk24hLocal": "0", "chk24hOther": "0"}, {"chk24hLocal": "1", "chk24hOther": "1"}
# name, stored marks, outer size in twips (12-hour times are wide, 24-hour ones narrow), scale
SHOTS = [
    ("normal-12h", H12, (6075, 2700), 1),
    ("small-12h", {**H12, "Small": "True"}, (3475, 1580), 1),
    ("mini-12h", {**H12, "Mini": "True"}, (1920, 1440), 1),
    ("normal-24h", H24, (5115, 2700), 1),
    ("small-24h", {**H24, "Small": "True"}, (3000, 1580), 1),
    ("mini-24h", {**H24, "Mini": "True"}, (1440, 1440), 1),
]
for scale in (1, 1.5, 2):
    SHOTS += [(f"normal-{scale}x", H12, (6075, 2700), scale),
              (f"small-{scale}x", {**H12, "Small": "True"}, (3475, 1580), scale),
              (f"mini-{scale}x", {**H12, "Mini": "True"}, (1920, 1440), scale)]
# The other windows, each at these scales: the editor from the popup menu, its date picker
# (Once chosen, then Alt+Down in the time box), and the notice of Tokyo's alarm at 15:00 GMT, taken
# first: a picker closed without a day rewrites that alarm.
DIALOG_SCALES = (1, 1.5, 2)
# The program's clock is set half a second before the second to show; its tick just after
# that second redraws every line. The picture is taken while that second lasts.
BEFORE = "2026-06-15 09:41:28.5"
SHOWN_FROM, SHOWN_UNTIL = 1.7, 2.4  # seconds after setting the clock


def settled(session, wid, twips, scale):
    return all(abs(a - scale * round(t / 15)) <= 2 * scale
               for a, t in zip(session.geometry(wid)[2:], twips))


def wait_until(instant):
    while time.monotonic() < instant:
        time.sleep(min(0.02, instant - time.monotonic()))


def take(session, app, wid, path):
    for _ in range(5):
        app.set_clock(BEFORE)
        start = time.monotonic()
        wait_until(start + SHOWN_FROM)
        x, y, width, height = session.geometry(wid)
        # -strip: no creation dates in the file, so an unchanged window gives an unchanged file
        session.x("import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "+repage",
                  "-strip", str(path), check=True)
        if time.monotonic() - start > SHOWN_UNTIL:
            continue  # too slow: the clock may have moved on; try again
        return width, height
    raise Failure(f"could not take {path.name} within one second of the program's clock")


with tempfile.TemporaryDirectory(prefix="meridex-shots-") as work:
    with Session(work) as session:
        for name, marks, twips, scale in SHOTS:
            session.env["QT_SCALE_FACTOR"] = str(scale)
            ini = {"Settings": {**SETTINGS, **marks}, **SETUPS}
            app = session.start(binary, ini=ini, cwd=assets, name=name,
                                faketime="2026-06-15 09:41:00")
            wid = session.window(".*", app)
            wait_for(lambda: settled(session, wid, twips, scale), 10, f"the {name} size")
            session.x("xdotool", "mousemove", "1270", "1015")  # nothing under the mouse lights up
            path = out_dir / f"{name}.png"
            width, height = take(session, app, wid, path)
            print(f"{path}: {width}x{height}")
            session.close(wid)
            app.wait_exit(timeout=15)

        def shoot_window(title, app, name):
            wid = session.window(title, app)
            time.sleep(0.5)  # drawn once mapped
            x, y, width, height = session.geometry(wid)
            path = out_dir / f"{name}.png"
            session.x("import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}",
                      "+repage", "-strip", str(path), check=True)
            print(f"{path}: {width}x{height}")
            return wid

        for scale in DIALOG_SCALES:
            session.env["QT_SCALE_FACTOR"] = str(scale)
            ini = {"Settings": {**SETTINGS, **H12}, **SETUPS}
            app = session.start(binary, ini=ini, cwd=assets, name=f"dialogs-{scale}",
                                faketime="2026-06-15 09:41:00")
            clock = session.window("Meridex - Tokyo", app)
            app.set_clock("2026-06-15 09:59:58")  # 15:00 GMT on the Local clock (GMT-5)
            notice = shoot_window("Alarm", app, f"notice-{scale}x")
            app.set_clock("2026-06-15 10:00:05")  # keys count after the notice's first second
            session.keys("Escape", window=notice)
            wait_for(lambda: not session.find("Alarm", app), 10, "the notice to close")
            session.menu(app, clock, "Setup")
            editor = shoot_window("Meridex Setup", app, f"editor-{scale}x")
            session.keys("Tab", "Down", "Down", "Down", "Down", "Tab", "alt+Down", window=editor)
            picker = shoot_window("Pick Alarm Date", app, f"picker-{scale}x")
            session.keys("Escape", window=picker)
            wait_for(lambda: not session.find("Pick Alarm Date", app), 10, "the picker to close")
            session.keys("Escape", window=editor)
            wait_for(lambda: not session.find("Meridex Setup", app), 10, "the editor to close")
            session.close(clock)
            app.wait_exit(timeout=15)
PYTHON
