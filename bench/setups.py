#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Many setups on the real binary: start-up, the setup editor opened and closed, and the close.

    python3 bench/setups.py BUILD/meridex [--setups 10000 ...]

For each count (and 0, the floor) a settings file with that many setups, each with a daily
alarm, is written; meridex runs on a virtual display of its own (tests/e2e/harness.py) and these
are timed: exec until the main window shows ("start"); Setup chosen from the popup menu until
the editor shows ("editor", including the menu's key presses); Escape until the editor is gone
("close editor"); the close box until the process has ended ("exit", which also waits for the
alarms the main window reads again after the editor)."""
import argparse
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
from harness import Session, wait_for  # noqa: E402


def settings(n):
    lines = ["[Settings]", f"nbSetup={n}", "currSetup=S0", "LocalIndex=11"]
    lines += [f"Setup{i}=S{i}" for i in range(n)]
    for i in range(n):
        lines += [f"[S{i}]", "OtherIndex=3", "chkDSTOther=0", "chk05Other=0",
                  "AlarmTimeGMT=07:00:00", "When=1", "Sound=", "chkLocalTime=1"]
    return "\n".join(lines) + "\n"


def measure(s, binary, n, limit):
    text = settings(n)
    times, t = [], time.monotonic()

    def lap():
        nonlocal t
        now = time.monotonic()
        times.append(now - t)
        t = now

    app = s.start(binary, ini=text, name=f"meridex-{n}")
    clock = s.window("Meridex.*", app, timeout=limit)
    lap()
    s.menu(app, clock, "Setup")
    editor = s.window("Meridex Setup", app, timeout=limit)
    lap()
    s.keys("Escape", window=editor)
    wait_for(lambda: not s.find("Meridex Setup", app), limit, "the editor to close")
    lap()
    s.close(clock)
    app.wait_exit(limit)
    lap()
    return times


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("meridex", type=Path)
    parser.add_argument("--setups", type=int, nargs="+", default=[10000])
    parser.add_argument("--limit", type=float, default=900, help="seconds allowed per step")
    args = parser.parse_args()
    print("| setups | start | editor | close editor | exit | total |\n|---|---|---|---|---|---|")
    with Session(Path(tempfile.mkdtemp(prefix="meridex-setups-"))) as s:
        for n in [0, *args.setups]:
            times = measure(s, args.meridex.resolve(), n, args.limit)
            cells = " | ".join(f"{x:.2f} s" for x in [*times, sum(times)])
            print(f"| {n:,} | {cells} |", flush=True)


main()
