#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""An alarm rings in its minute: the notice shows and the setup's own WAV sound, a 440 Hz tone
(the built-in tone an alarm falls back on is 880 Hz), reaches the sound server (the null sink's
monitor, recorded by parec). Snoozed for 5 minutes from the keyboard, it survives the clock's
crash and rings again, with its own sound, when a later start reaches its time."""
import signal
import subprocess
from array import array

from harness import RATE, Session, check, main, read_ini, wait_for

SETTINGS = {"Settings": {"LocalIndex": "11", "currSetup": "Wake", "nbSetup": "1", "Setup0": "Wake"},
            "Wake": {"AlarmTimeGMT": "07:00:00", "When": "1", "Sound": "tone.wav"}}


def pitch(raw_path, start=0):
    """The pitch in Hz of the first tenth of a second of sound recorded from byte `start` on
    (zero crossings), or None before there is that much."""
    data = raw_path.read_bytes()[start:]
    samples = array("h", data[:len(data) // 2 * 2])
    first = next((i for i, v in enumerate(samples) if abs(v) > 8000), len(samples))
    part = samples[first:first + RATE // 10]
    if len(part) < RATE // 10:
        return None
    return sum((a < 0) != (b < 0) for a, b in zip(part, part[1:])) / 2 / 0.1


def rings(s, app, ctx, start=0):
    """The notice comes up wholly on the screen and the file's tone reaches the sink."""
    notice = s.window("Alarm", app)
    x, y, width, height = s.geometry(notice)
    check(x >= 0 and y >= 0 and x + width <= 1280 and y + height <= 1024,
          f"the notice at {x},{y} {width}x{height} is partly off the screen")
    # The tone peaks near 16000; the null sink is silent (0) until the alarm plays.
    heard = wait_for(lambda: pitch(ctx.work / "sound.raw", start), what="sound at the sink")
    check(abs(heard - 440) < 20, f"the sound played at {heard:.0f} Hz, not the file's 440 Hz")
    return notice


def test(ctx):
    with Session(ctx.work, sound=True) as s:
        SETTINGS["Wake"]["Sound"] = wav = str(ctx.work / "tone.wav")
        subprocess.run(["sox", "-n", "-r", "44100", "-b", "16", wav, "synth", "1", "sine", "440",
                        "vol", "0.5"], check=True)
        app = s.start(ctx.meridex, ini=SETTINGS, faketime="2026-12-07 06:00:00")
        s.window("Meridex - Wake", app)
        # Moved only once the clock runs, so a slow start cannot carry it past the minute.
        app.set_clock("2026-12-07 06:59:58")
        notice = rings(s, app, ctx)

        # Past the notice's first second, when keys count: from OK back to the length, the
        # first length (5 minutes), Enter.
        app.set_clock("2026-12-07 07:00:05")
        s.keys("shift+Tab", "shift+Tab", "Home", "Return", window=notice)
        wait_for(lambda: s.find("Alarm", app) is None, what="the notice to close")
        stored = read_ini(app.ini)["Settings"]
        check(stored.get("nbSnooze") == "1" and stored.get("Snooze0") == "Wake",
              f"no snooze stored: {dict(stored)}")
        heard = (ctx.work / "sound.raw").stat().st_size // 2 * 2
        s.stop(app.proc, signal.SIGKILL)

        # A later start, from what the crashed clock stored, rings it again at 07:05:05 or so.
        again = s.start(ctx.meridex, home=app.ini.parents[2], faketime="2026-12-07 07:04:59",
                        name="again")
        rings(s, again, ctx, heard)
        wait_for(lambda: read_ini(again.ini)["Settings"].get("nbSnooze") == "0",
                 what="the snooze to be used up")


main(test)
