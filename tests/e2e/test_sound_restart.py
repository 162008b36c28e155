#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The sound server goes away between two alarms and comes back a few seconds later, as when
it restarts: the next alarm is heard all the same."""
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
            app.set_clock(f"2026-12-{day:02} 06:59:58")
            wait_for(lambda: loudest(ctx.work / "sound.raw") > 8000, what=f"the alarm of day {day}")
            if day == 7:
                for name in ("parec", "pulseaudio"):
                    s.stop(next(p for p in s.procs if p.args[0] == name))
                # The restart's gap itself: longer than any reconnection a client tries at once.
                time.sleep(5)
                s.start_sound()


main(test)
