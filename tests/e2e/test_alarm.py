#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# An alarm rings in its minute: the notice shows, wholly on the screen, and the setup's own WAV
# sound, a 440 Hz tone (the built-in tone an alarm falls back on is 880 Hz), reaches the sound
# server (the null sink's monitor, recorded by parec). The server then restarts, gone for a few
# seconds: the next day's alarm is heard all the same. Snoozed for 5 minutes from the keyboard,
# that alarm survives the clock's crash and rings again, with its own sound, when a later start
# reaches its time.
import signal
import subprocess
import time
from array import array

from harness import RATE, Session, check, main, read_ini, wait_for

SETTINGS = {"Settings": {"LocalIndex": "11", "currSetup": "Wake", "nbSetup": "1", "Setup0": "Wake"},
            "Wake": {"AlarmTimeGMT": "07:00:00", "When": "1", "Sound": "tone.wav"}}


def pitch(raw_path, start=0):
    # The pitch in Hz of the first tenth of a second of the first sound that begins, after a
    # tenth of a second of quiet, from byte `start` on (zero crossings), or None before there is
    # that much. The tail of an earlier sound is no beginning.
    data = raw_path.read_bytes()
    samples, quiet = array("h", data[:len(data) // 2 * 2]), RATE // 10
    loud = (i for i, v in enumerate(samples) if abs(v) > 8000)
    last = -quiet
    for i in loud:
        if i - last >= quiet and i >= start // 2:
            part = samples[i:i + RATE // 10]
            if len(part) < RATE // 10:
                return None
            return sum((a < 0) != (b < 0) for a, b in zip(part, part[1:])) / 2 / 0.1
        last = i
    return None


def rings(s, app, ctx, what, start=0):
    # The notice comes up wholly on the screen and the file's tone reaches the sink.
    notice = s.window("Alarm", app)
    x, y, width, height = s.geometry(notice)
    check(x >= 0 and y >= 0 and x + width <= 1280 and y + height <= 1024,
          f"the notice at {x},{y} {width}x{height} is partly off the screen")
    # The tone peaks near 16000; the null sink is silent (0) until the alarm plays.
    heard = wait_for(lambda: pitch(ctx.work / "sound.raw", start), what=f"{what} at the sink")
    check(abs(heard - 440) < 20, f"{what} played at {heard:.0f} Hz, not the file's 440 Hz")
    return notice


def test(ctx):
    with Session(ctx.work, sound=True) as s:
        SETTINGS["Wake"]["Sound"] = wav = str(ctx.work / "tone.wav")
        subprocess.run(["sox", "-n", "-r", "44100", "-b", "16", wav, "synth", "1", "sine", "440",
                        "vol", "0.5"], check=True)
        app = s.start(ctx.meridex, ini=SETTINGS, faketime="2026-12-07 06:00:00")
        s.window("Meridex - Wake", app)
        for day in (7, 8):
            # Moved only once the clock runs, so a slow start cannot carry it past the minute.
            app.set_clock(f"2026-12-{day:02} 06:59:58")
            notice = rings(s, app, ctx, f"day {day}'s alarm")
            if day == 7:
                for name in ("parec", "pulseaudio"):
                    s.stop(next(p for p in s.procs if p.args[0] == name))
                time.sleep(5)  # the restart's gap itself, longer than a client's reconnection
                s.start_sound()

        # Past the notice's first second, when keys count: from OK back to the length, the
        # first length (5 minutes), Enter.
        app.set_clock("2026-12-08 07:00:05")
        s.keys("shift+Tab", "shift+Tab", "Home", "Return", window=notice)
        wait_for(lambda: s.find("Alarm", app) is None, what="the notice to close")
        stored = read_ini(app.ini)["Settings"]
        check(stored.get("nbSnooze") == "1" and stored.get("Snooze0") == "Wake",
              f"no snooze stored: {dict(stored)}")
        heard = (ctx.work / "sound.raw").stat().st_size // 2 * 2
        s.stop(app.proc, signal.SIGKILL)

        # A later start, from what the crashed clock stored, rings it again at 07:05:05 or so.
        again = s.start(ctx.meridex, home=app.ini.parents[2], faketime="2026-12-08 07:04:59",
                        name="again")
        rings(s, again, ctx, "the snoozed alarm", heard)
        wait_for(lambda: read_ini(again.ini)["Settings"].get("nbSnooze") == "0",
                 what="the snooze to be used up")


main(test)
