#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""An alarm rings in its minute: the notice shows and the setup's WAV sound reaches the sound
server (the null sink's monitor, recorded by parec). The server then restarts, gone for a few
seconds: the next day's alarm is heard all the same."""
import subprocess
import time
from array import array

from harness import Session, main, wait_for

SETTINGS = {"Settings": {"LocalIndex": "11", "currSetup": "Wake", "nbSetup": "1", "Setup0": "Wake"},
            "Wake": {"AlarmTimeGMT": "07:00:00", "When": "1", "Sound": "tone.wav"}}


def loudest(raw_path):
    data = raw_path.read_bytes()
    return max(map(abs, array("h", data[:len(data) // 2 * 2])), default=0)


def test(ctx):
    with Session(ctx.work, sound=True) as s:
        SETTINGS["Wake"]["Sound"] = wav = str(ctx.work / "tone.wav")
        subprocess.run(["sox", "-n", "-r", "44100", "-b", "16", wav, "synth", "1", "sine", "880",
                        "vol", "0.5"], check=True)
        app = s.start(ctx.meridex, ini=SETTINGS, faketime="2026-12-07 06:00:00")
        s.window("Meridex - Wake", app)
        for day in (7, 8):
            # Moved only once the clock runs, so a slow start cannot carry it past the minute.
            app.set_clock(f"2026-12-{day:02} 06:59:58")
            s.window("Alarm", app)
            # The tone peaks near 16000; the null sink is silent (0) until the alarm plays.
            wait_for(lambda: loudest(ctx.work / "sound.raw") > 8000,
                     what=lambda: f"day {day}'s alarm at the sink (loudest {loudest(ctx.work / 'sound.raw')})")
            if day == 7:
                for name in ("parec", "pulseaudio"):
                    s.stop(next(p for p in s.procs if p.args[0] == name))
                time.sleep(5)  # the restart's gap itself, longer than a client's reconnection
                s.start_sound()

main(test)
