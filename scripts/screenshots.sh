#!/usr/bin/env bash
# Takes the README's pictures of the three window sizes (normal, Small, Mini)
# from the real program on a virtual display with a window manager, title bar
# and border included, and writes them to docs/screenshots/{normal,small,mini}.png.
#
#   bash scripts/screenshots.sh [path/to/meridex]     (default: build/meridex)
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
mkdir -p "$root/docs/screenshots"

PYTHONPATH="$root/tests/e2e" PYTHONDONTWRITEBYTECODE=1 \
    exec python3 - "$binary" "$root/docs/screenshots" "$root/assets" <<'PYTHON'
import re
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from harness import Failure, Session, wait_for

binary, out_dir, assets = (Path(a).resolve() for a in sys.argv[1:4])

SETTINGS = {
    "Top": "1500", "Left": "1500",
    "LocalIndex": "16", "chkDSTLocal": "1", "chk24hLocal": "0", "chk24hOther": "1",
    "currSetup": "Tokyo", "nbSetup": "1", "Setup0": "Tokyo",
}
SETUPS = {"Tokyo": {"OtherIndex": "2", "chkDSTOther": "0", "chk05Other": "0"}}
# name, stored size marks, outer size in twips (one clock in 12-hour time: wide times)
SIZES = [
    ("normal", {}, (6075, 2700)),
    ("small", {"Small": "True"}, (3475, 1580)),
    ("mini", {"Mini": "True"}, (1920, 1440)),
]
# The program's clock is set half a second before the second to show; its tick just after
# that second redraws every line. The picture is taken while that second lasts.
BEFORE = "2026-06-15 09:41:28.5"
SHOWN_FROM, SHOWN_UNTIL = 1.7, 2.4  # seconds after setting the clock


def settled(session, wid, twips):
    g = session.geometry(wid)
    return all(abs(a - round(t / 15)) <= 2 for a, t in zip((g.outer_width, g.outer_height), twips))


def wait_until(instant):
    while time.monotonic() < instant:
        time.sleep(min(0.02, instant - time.monotonic()))


def take(session, app, wid, path):
    for _ in range(5):
        app.set_clock(BEFORE)
        start = time.monotonic()
        wait_until(start + SHOWN_FROM)
        picture = session.grab()
        if time.monotonic() - start > SHOWN_UNTIL:
            continue  # too slow: the clock may have moved on; try again
        g = session.geometry(wid)
        window = picture.crop(g.outer_x, g.outer_y, g.outer_width, g.outer_height)
        header = b"P6\n%d %d\n255\n" % (window.width, window.height)
        # -strip: no creation dates in the file, so an unchanged window gives an unchanged file
        subprocess.run(["convert", "ppm:-", "-strip", str(path)], input=header + window.data,
                       check=True, timeout=60)
        return g
    raise Failure(f"could not take {path.name} within one second of the program's clock")


with tempfile.TemporaryDirectory(prefix="meridex-shots-") as work:
    with Session(work) as session:
        for name, marks, twips in SIZES:
            ini = {"Settings": {**SETTINGS, **marks}, **SETUPS}
            app = session.start_meridex(binary, ini=ini, cwd=assets, name=name, tz="UTC",
                                        faketime="2026-06-15 09:41:00", movable_clock=True)
            wid = session.wait_window(re.compile(".*"), timeout=20, pid=app.pid, app=app)
            wait_for(lambda: settled(session, wid, twips), 10, f"the {name} size")
            session.move_mouse(1270, 1015)  # nothing under the mouse lights up
            path = out_dir / f"{name}.png"
            g = take(session, app, wid, path)
            print(f"{path}: {g.outer_width}x{g.outer_height}")
            session.close_window(wid)
            app.wait_exit(timeout=15)
PYTHON
