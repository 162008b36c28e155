#!/usr/bin/env python3
"""The wall clock jumping while the real program runs, moved from outside through faketime's
clock file (FAKETIME_TIMESTAMP_FILE with FAKETIME_NO_CACHE=1; the monotonic clock stays real,
so the program's timer keeps its pace): back by seconds across a minute's start, forward by
seconds over second 0, forward by minutes, back by a day and forward by a day.

After every jump the clock keeps ticking (its face changes every second), and the next alarm
due rings in its minute: the "Alarm" notice appears while the program's clock is in that
minute and names that setup (read through the clipboard). The step back across the minute of
an alarm that has rung must not ring it again: the notice, closed after each ring, must not
come back. Stepping back by minutes is left to the in-process tests (tst_clock_jumps), which
need no waiting for the minutes to pass again."""
# ctest-properties: TIMEOUT 240

import calendar
import sys
import time
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
from harness import (Failure, Session, check, check_equal, run_test, ticking,  # noqa: E402
                     wait_for)

# Local = GMT (LocalIndex 11, TZ=UTC): the stored alarm times are the program's wall times.
PREPARED = {
    "Settings": {"LocalIndex": "11", "chk24hLocal": "1", "currSetup": "A", "nbSetup": "5",
                 "Setup0": "A", "Setup1": "B", "Setup2": "C", "Setup3": "D", "Setup4": "E"},
    "A": {"AlarmTimeGMT": "14:01:00", "When": "1", "Sound": ""},
    "B": {"AlarmTimeGMT": "14:03:00", "When": "1", "Sound": ""},
    "C": {"AlarmTimeGMT": "14:08:00", "When": "1", "Sound": ""},
    # Once, on Sunday 6 December: only reached by stepping back a day.
    "D": {"AlarmTimeGMT": "2026-12-06 14:10:00", "When": "4", "Sound": ""},
    "E": {"AlarmTimeGMT": "14:12:00", "When": "1", "Sound": ""},
}


class Clock:
    """The program's wall clock: the real time plus the offset in its clock file."""

    def __init__(self, app):
        self.app = app

    def now(self) -> float:
        return time.time() + float(self.app.clock_file.read_text().strip() or 0)

    def text(self) -> str:
        return time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(self.now()))

    def wait_until(self, when: str, timeout: float = 90) -> None:
        """Waits (polling) until the program's clock reads `when` or later."""
        target = calendar.timegm(time.strptime(when, "%Y-%m-%d %H:%M:%S"))
        wait_for(lambda: self.now() >= target, timeout, f"the program's clock to reach {when}",
                 interval=0.05)


def notice_text(session, wid) -> str:
    """The notice's text, copied through the clipboard as a person would."""
    def copied():
        session.key("ctrl+a", "ctrl+c", window=wid)
        return session.run_x("xclip", "-o", "-selection", "clipboard", check_rc=False).strip()
    return wait_for(copied, 10, "the notice's text on the clipboard", interval=0.2)


def expect_ring(session, app, clock, main, name: str, minute: str, what: str) -> float:
    """Waits for the notice, checks it came in `minute` ("YYYY-MM-DD HH:MM") naming `name`,
    closes it; returns how many seconds into the minute it came."""
    wid = session.wait_window("Alarm", timeout=20, app=app)
    seen = clock.text()
    check(seen.startswith(minute), f"{what}: the notice came at {seen}, not in {minute}")
    check_equal(notice_text(session, wid), name, f"{what}: the notice's text")
    session.close_window(wid)
    session.wait_no_window("Alarm", timeout=10)
    check(ticking(session, main), f"{what}: the clock stopped ticking")
    into = float(seen[-2:])
    print(f"{what}: {name} rang at {seen} (second {into:.0f} of its minute)")
    return into


def expect_silence_until(session, app, clock, until: str, what: str) -> None:
    """No notice may appear until the program's clock reads `until`."""
    target = calendar.timegm(time.strptime(until, "%Y-%m-%d %H:%M:%S"))
    while clock.now() < target:
        if session.find_window("Alarm", pid=app.pid) is not None:
            raise Failure(f"{what}: a notice appeared at {clock.text()}")
        if not app.running():
            raise Failure(f"{what}: the program ended ({app.proc.returncode})")
        time.sleep(0.05)
    print(f"{what}: no notice until {until}")


def test(ctx):
    with Session(ctx.work_dir) as session:
        app = session.start_meridex(ctx.meridex, ini=PREPARED, cwd=ctx.assets,
                                    faketime="2026-12-07 14:00:55", movable_clock=True)
        clock = Clock(app)
        main = session.wait_window("Meridex - A", timeout=20, app=app)
        check(ticking(session, main), "the clock does not tick")

        # 1. A rings at 14:01; then the clock steps back 8 s across the minute's start.
        expect_ring(session, app, clock, main, "A", "2026-12-07 14:01", "start")
        clock.wait_until("2026-12-07 14:01:03")
        app.shift_clock(-8)
        check(clock.text() < "2026-12-07 14:01:00", f"the step back left the clock at {clock.text()}")
        expect_silence_until(session, app, clock, "2026-12-07 14:01:05", "back 8 s across the minute")
        check(ticking(session, main), "back 8 s: the clock stopped ticking")

        # 2. Forward by seconds over second 0 of B's minute.
        app.set_clock("2026-12-07 14:02:58")
        clock.wait_until("2026-12-07 14:02:58")
        app.shift_clock(5)
        expect_ring(session, app, clock, main, "B", "2026-12-07 14:03", "forward 5 s over second 0")

        # 3. Forward by minutes to just before C's minute.
        app.set_clock("2026-12-07 14:07:57")
        expect_ring(session, app, clock, main, "C", "2026-12-07 14:08", "forward 5 minutes")

        # 4. Back by a day: Sunday's one-time alarm D.
        app.set_clock("2026-12-06 14:09:57")
        expect_ring(session, app, clock, main, "D", "2026-12-06 14:10", "back a day")

        # 5. Forward by a day and more: Tuesday's E.
        app.set_clock("2026-12-08 14:11:57")
        expect_ring(session, app, clock, main, "E", "2026-12-08 14:12", "forward two days")

        # 6. Back 5 s across E's minute: E must not ring twice.
        clock.wait_until("2026-12-08 14:12:02")
        app.shift_clock(-5)
        expect_silence_until(session, app, clock, "2026-12-08 14:12:04", "back 5 s across E's minute")

        session.close_window(main)
        check_equal(app.wait_exit(timeout=15), 0, "exit status")
    print("PASSED: 5 jumps, 5 alarms rang once each in their minutes, 2 steps back rang nothing")


if __name__ == "__main__":
    run_test(test, tools=["xclip", "faketime"])
