#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""An alarm rings in its minute: the notice shows and the setup's own WAV sound, a 440 Hz tone
(the built-in tone an alarm falls back on is 880 Hz), reaches the sound server (the null sink's
monitor, recorded by parec). The server then restarts, gone for a few seconds: the next day's
alarm is heard all the same."""
import subprocess
import time
from array import array

from harness import RATE, Session, check, main, wait_for

SETTINGS = {"Settings": {"LocalIndex": "11", "currSetup": "Wake", "nbSetup": "1", "Setup0": "Wake"},
            "Wake": {"AlarmTimeGMT": "07:00:00", "When": "1", "Sound": "tone.wav"}}


def pitch(raw_path):
    """The pitch in Hz of the first tenth of a second of sound recorded (zero crossings), or
    None before there is that much."""
    data = raw_path.read_bytes()
    samples = array("h", data[:len(data) // 2 * 2])
    start = next((i for i, v in enumerate(samples) if abs(v) > 8000), len(samples))
    part = samples[start:start + RATE // 10]
    flips = sum((a < 0) != (b < 0) for a, b in zip(part, part[1:]))  # two a period
    return flips / 2 / 0.1 if len(part) == RATE // 10 else None


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
            s.window("Alarm", app)
            # The tone peaks near 16000; the null sink is silent (0) until the alarm plays.
            heard = wait_for(lambda: pitch(ctx.work / "sound.raw"), what=f"day {day}'s alarm at the sink")
            check(abs(heard - 440) < 20, f"the sound played at {heard:.0f} Hz, not the file's 440 Hz")
            if day == 7:
                for name in ("parec", "pulseaudio"):
                    s.stop(next(p for p in s.procs if p.args[0] == name))
                time.sleep(5)  # the restart's gap itself, longer than a client's reconnection
                s.start_sound()


main(test)
